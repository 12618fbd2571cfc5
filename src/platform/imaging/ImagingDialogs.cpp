#include "platform/imaging/ImagingDialogs.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureEffects.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace platform {

const QList<SaveFormatChoice>& saveFormatChoices()
{
    static const QList<SaveFormatChoice> list = {
        {fmt::Jpeg, QStringLiteral("JPEG - JFIF Compressed"), QStringLiteral("JPG"), {24, 8}, true, false},
        {fmt::Tif, QStringLiteral("TIFF - Tagged Image File"), QStringLiteral("TIF"), {24, 32, 8, 4, 1}, false, true},
        {fmt::Bmp, QStringLiteral("Windows Bitmap"), QStringLiteral("BMP"), {24, 8, 4, 1}, false, false},
        {fmt::Png, QStringLiteral("Portable Network Graphics"), QStringLiteral("PNG"), {24, 32, 8, 4, 1}, false,
         false},
        {fmt::Gif, QStringLiteral("CompuServe GIF"), QStringLiteral("GIF"), {8}, false, false},
        {fmt::Pcx, QStringLiteral("PCX - ZSoft Paintbrush"), QStringLiteral("PCX"), {24, 8, 4, 1}, false, false},
        {fmt::Dcx, QStringLiteral("DCX - Multi-Page PCX"), QStringLiteral("DCX"), {24, 8, 4, 1}, false, true},
        {fmt::Tga, QStringLiteral("TrueVision TARGA"), QStringLiteral("TGA"), {24, 32, 8}, false, false},
        {fmt::Psd, QStringLiteral("Photoshop 3.0"), QStringLiteral("PSD"), {24, 8}, false, false},
        {fmt::Ras, QStringLiteral("Sun Raster"), QStringLiteral("RAS"), {24, 8, 1}, false, false},
        {fmt::Pct, QStringLiteral("Macintosh Pict"), QStringLiteral("PCT"), {24, 8}, false, false},
        {fmt::Xwd, QStringLiteral("X Window Dump"), QStringLiteral("XWD"), {24, 8}, false, false},
        {fmt::Sgi, QStringLiteral("Silicon Graphics Image"), QStringLiteral("SGI"), {24, 8}, false, false},
        {fmt::Xpm, QStringLiteral("XPicMap"), QStringLiteral("XPM"), {8, 4, 1}, false, false},
        {fmt::Pbm, QStringLiteral("Portable Bitmap"), QStringLiteral("PBM"), {1}, false, false},
        {fmt::Pcd, QStringLiteral("Kodak Photo CD"), QStringLiteral("PCD"), {24}, false, false},
        {fmt::Fax, QStringLiteral("Raw Fax (Group 3)"), QStringLiteral("FAX"), {1}, false, false},
        {fmt::Cal, QStringLiteral("CALS Raster"), QStringLiteral("CAL"), {1}, false, false},
        {fmt::Ico, QStringLiteral("Windows Icon"), QStringLiteral("ICO"), {32, 24, 8}, false, false},
        {fmt::Cur, QStringLiteral("Windows Cursor"), QStringLiteral("CUR"), {32, 24, 8}, false, false},
    };
    return list;
}

const SaveFormatChoice* saveFormatChoice(int format)
{
    for (const SaveFormatChoice& c : saveFormatChoices())
        if (c.format == format)
            return &c;
    return nullptr;
}

namespace {

void prepare(QFileDialog& dlg, const FileRequest& r)
{
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setWindowTitle(r.title);
    if (!r.folder.isEmpty())
        dlg.setDirectory(QFileInfo(r.folder).isDir() ? r.folder : QFileInfo(r.folder).absolutePath());
    dlg.setNameFilter(qtFilterFromPipes(r.filter));
    const QStringList filters = dlg.nameFilters();
    if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
        dlg.selectNameFilter(filters.at(r.filterIndex - 1));
    if (!r.fileName.isEmpty())
        dlg.selectFile(r.fileName);
}

// Adds a labelled row below the file dialog's own controls.
void addRow(QFileDialog& dlg, const QString& label, QWidget* field)
{
    auto* grid = qobject_cast<QGridLayout*>(dlg.layout());
    if (!grid)
        return;
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(label, &dlg), row, 0);
    grid->addWidget(field, row, 1, 1, grid->columnCount() - 1);
}

} // namespace

FileAnswer execFileDialog(QFileDialog& dialog)
{
    QStringList chosen;
    QObject::connect(&dialog, &QFileDialog::filesSelected, &dialog, [&chosen](const QStringList& files) { chosen = files; });
    FileAnswer a;
    if (dialog.exec() == QDialog::Accepted && !chosen.isEmpty()) {
        a.accepted = true;
        a.fileName = chosen.first();
        a.filterIndex = int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
    }
    return a;
}

FileAnswer runImageOpenDialog(QWidget* parent, const FileRequest& r)
{
    QFileDialog dlg(parent);
    prepare(dlg, r);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    auto* page = new QSpinBox(&dlg);
    page->setObjectName(QStringLiteral("PageNumber"));
    page->setRange(1, 9999);
    page->setValue(1);
    page->setToolTip(QStringLiteral("The page of a multi-page file to open"));
    addRow(dlg, QStringLiteral("Page:"), page);
    FileAnswer a = execFileDialog(dlg);
    if (a.accepted)
        a.pageNumber = page->value();
    return a;
}

FileAnswer runImageSaveDialog(QWidget* parent, const FileRequest& r)
{
    QFileDialog dlg(parent);
    prepare(dlg, r);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);

    auto* format = new QComboBox(&dlg);
    format->setObjectName(QStringLiteral("SaveFormat"));
    for (const SaveFormatChoice& c : saveFormatChoices())
        format->addItem(c.name, c.format);
    auto* bits = new QComboBox(&dlg);
    bits->setObjectName(QStringLiteral("SaveBitsPerPixel"));
    auto* quality = new QSpinBox(&dlg);
    quality->setObjectName(QStringLiteral("SaveQFactor"));
    quality->setRange(1, 99);
    quality->setValue(r.saveQFactor >= 1 && r.saveQFactor <= 99 ? r.saveQFactor : 2);
    quality->setToolTip(QStringLiteral("Compression: 1 best quality ... 99 smallest file"));
    auto* multi = new QCheckBox(QStringLiteral("Save all pages"), &dlg);
    multi->setObjectName(QStringLiteral("SaveMultiPage"));
    addRow(dlg, QStringLiteral("Format:"), format);
    addRow(dlg, QStringLiteral("Bits/Pixel:"), bits);
    addRow(dlg, QStringLiteral("Quality Factor:"), quality);
    addRow(dlg, QStringLiteral("Multi-Page:"), multi);

    auto refresh = [&]() {
        const SaveFormatChoice* c = saveFormatChoice(format->currentData().toInt());
        if (!c)
            return;
        const int keep = bits->currentData().toInt();
        bits->clear();
        for (int b : c->bits)
            bits->addItem(QString::number(b), b);
        const int i = bits->findData(keep);
        if (i >= 0)
            bits->setCurrentIndex(i);
        quality->setEnabled(c->usesQFactor);
        multi->setEnabled(c->multiPage);
        if (!c->multiPage)
            multi->setChecked(false);
    };
    QObject::connect(format, &QComboBox::currentIndexChanged, &dlg, refresh);
    const int start = format->findData(r.saveFormat);
    format->setCurrentIndex(start >= 0 ? start : 0);
    refresh();
    if (r.saveBitsPerPixel > 0) {
        const int i = bits->findData(r.saveBitsPerPixel);
        if (i >= 0)
            bits->setCurrentIndex(i);
    }

    FileAnswer a = execFileDialog(dlg);
    if (a.accepted) {
        a.saveFormat = format->currentData().toInt();
        a.saveBitsPerPixel = bits->currentData().toInt();
        a.saveQFactor = quality->value();
        a.saveMultiPage = multi->isChecked();
    }
    return a;
}

std::optional<int> runImageChangeDialog(QWidget* parent, const ChangeRequest& r)
{
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("ChangeDialog"));
    dlg.setWindowTitle(r.title);
    QFont font = dlg.font();
    font.setBold(r.boldFont);
    dlg.setFont(font);
    auto* layout = new QVBoxLayout(&dlg);
    auto* preview = new QLabel(&dlg);
    preview->setAlignment(Qt::AlignCenter);
    preview->setMinimumSize(240, 180);
    layout->addWidget(preview);
    auto* row = new QHBoxLayout;
    auto* slider = new QSlider(Qt::Horizontal, &dlg);
    slider->setRange(-1000, 1000);
    slider->setPageStep(100);
    auto* spin = new QSpinBox(&dlg);
    spin->setRange(-1000, 1000);
    row->addWidget(slider, 1);
    row->addWidget(spin);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);

    const QImage small = r.preview.isNull() ? QImage()
                                            : r.preview.scaled(240, 180, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    auto update = [&](int v) {
        if (small.isNull())
            return;
        QImage shown = small;
        if (r.kind == 1)
            effects::contrast(shown, v);
        else
            effects::intensity(shown, v);
        preview->setPixmap(QPixmap::fromImage(shown));
    };
    QObject::connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    QObject::connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    QObject::connect(slider, &QSlider::valueChanged, &dlg, update);
    slider->setValue(std::clamp(r.value, -1000, 1000));
    update(slider->value());
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return slider->value();
}

std::optional<ColorResAnswer> runImageColorResDialog(QWidget* parent, const ColorResRequest& r)
{
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("ColorResDialog"));
    dlg.setWindowTitle(r.title);
    QFont font = dlg.font();
    font.setBold(r.boldFont);
    dlg.setFont(font);
    auto* form = new QFormLayout(&dlg);
    auto* bits = new QComboBox(&dlg);
    bits->setObjectName(QStringLiteral("BitsPerPixel"));
    for (int b : {1, 4, 8, 24, 32})
        bits->addItem(QStringLiteral("%1 bits").arg(b), b);
    bits->setCurrentIndex(std::max(0, bits->findData(r.bits)));
    auto* palette = new QComboBox(&dlg);
    palette->setObjectName(QStringLiteral("PaletteFlags"));
    palette->addItems({QStringLiteral("Optimized"), QStringLiteral("Fixed")});
    palette->setCurrentIndex(std::clamp(r.palette, 0, 1));
    auto* dither = new QComboBox(&dlg);
    dither->setObjectName(QStringLiteral("DitherFlags"));
    dither->addItems({QStringLiteral("None"), QStringLiteral("Floyd-Steinberg")});
    dither->setCurrentIndex(std::clamp(r.dither, 0, 1));
    form->addRow(QStringLiteral("Colors:"), bits);
    form->addRow(QStringLiteral("Palette:"), palette);
    form->addRow(QStringLiteral("Dithering:"), dither);
    // Palette and dithering mean nothing for direct colour.
    const auto refresh = [&] {
        const bool indexed = bits->currentData().toInt() <= 8;
        palette->setEnabled(indexed && bits->currentData().toInt() > 1);
        dither->setEnabled(indexed);
    };
    QObject::connect(bits, &QComboBox::currentIndexChanged, &dlg, refresh);
    refresh();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return ColorResAnswer{bits->currentData().toInt(), palette->currentIndex(), dither->currentIndex()};
}

} // namespace platform
