#include "browser/ProPert1.h"

#include "browser/DialogParts.h"
#include "platform/controls/Dialogs.h"
#include "platform/pictures/PictureCodec.h"
#include "shared/DialogColors.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<ProPert1> gInstance;

// Counts and sizes as the regional settings format numbers: grouping and two decimals.
QString numberFormat(qint64 value) { return QLocale().toString(double(value), 'f', 2); }

constexpr int kLastDescribed = 81;   // table indexes past this one are not described
constexpr int kLastFullPicture = 37; // "JPG" .. "MAC": the picture is read

} // namespace

ProPert1::ProPert1(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("ProPert1"));
    setWindowTitle(QStringLiteral("Image Properties"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("lumivexToolWindow", true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(Frame1);
    // The labels paint their own background: rows that touch, each label
    // keeping its air inside, show one even block rather than stripes.
    grid->setVerticalSpacing(0);
    // The block of labels stands evenly in the panel's frame: the panel's
    // wash is the labels' colour where the captions start, so the values
    // keep as much of that colour after them as the captions have before
    // them, up to the frame. A letter stands a pixel or two inside its
    // advance at the captions' start, not at the values' end: two more.
    const QMargins margins = grid->contentsMargins();
    grid->setContentsMargins(margins.left(), margins.top(), 0, margins.bottom());
    const int air = margins.left() + 2;
    const char* captions[] = {"Label1",
                              "Number of Bits per Bitmap:",
                              "Color Count:",
                              "Image Format:",
                              "Image Height:",
                              "Image Width:",
                              "Image Disk Size:",
                              "Image Memory Size:",
                              "Image X Resolution:",
                              "Image Y Resolution:"};
    for (int i = 0; i < 10; ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(captions[i]), Frame1);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[i]->setContentsMargins(0, 3, 0, 3);
    }
    Label1[0]->setWordWrap(true);
    Label1[0]->setContentsMargins(0, 3, air, 3); // the path spans the values' column too
    grid->addWidget(Label1[0], 0, 0, 1, 2);
    for (int k = 0; k < 9; ++k) {
        Label2[k] = new QLabel(QStringLiteral("Label2"), Frame1);
        Label2[k]->setObjectName(QStringLiteral("Label2_%1").arg(k));
        Label2[k]->setContentsMargins(0, 3, air, 3);
        grid->addWidget(Label1[k + 1], k + 1, 0);
        grid->addWidget(Label2[k], k + 1, 1);
    }

    const browser::DialogButtons buttons = browser::layOutDialog(
        this, Frame1, QStringLiteral("Display of Image Properties Accepted"),
        QStringLiteral("Close the Image Property Display Window"), QStringLiteral("Help with Image Property Display Window"));
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    HelpBtn = buttons.help;

    connect(OKBtn, &QPushButton::clicked, this, &ProPert1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &ProPert1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &ProPert1::HelpBtn_Click);
    gInstance = this;
    Form_Load();
    // Coloured before it is first shown, so that the window takes its first
    // size from the type it shows (bold type is wider) and no value starts cut off.
    Form_Activate();
}

ProPert1::~ProPert1()
{
    Form_Unload();
    if (gInstance == this)
        gInstance = nullptr;
}

ProPert1* ProPert1::instance() { return gInstance.data(); }

ProPert1* ProPert1::open(QWidget* parent)
{
    if (gs.fProPertOpen && gInstance) {
        gInstance->show();
        gInstance->raise();
        gInstance->activateWindow();
        return gInstance;
    }
    auto* w = new ProPert1(parent);
    w->show();
    return w;
}

bool ProPert1::ReadPictureInfo(const QString& path, int page, platform::PictureInfo* info)
{
    return platform::readPictureInfo(path, page, info) == 0;
}

void ProPert1::Form_Load()
{
    gs.fProPertOpen = true;
    m_path = gs.cCurrentFile;
    Label1[0]->setText(m_path);
    // Values that cannot be read stay empty rather than showing "Label2".
    for (QLabel* l : Label2)
        l->clear();
    const int found = tables::extensionIndex(GetFileExt(m_path));
    const int i = found < 0 || found > kLastDescribed ? kLastDescribed + 1 : found;
    if (i > kLastDescribed) {
        platform::dialogs().message(kProgramTitle,
                                    QStringLiteral("Cannot determine File Properties for this type of File"),
                                    platform::Buttons::Ok, platform::Icon::None);
        return;
    }
    if (i <= kLastFullPicture) {
        platform::PictureInfo f;
        if (!ReadPictureInfo(m_path, std::max(1, gs.nPicturePage), &f))
            return;
        Label2[0]->setText(QString::number(f.bits));
        Label2[1]->setText(numberFormat(f.colors));
        Label2[2]->setText(FormatNameTable(f.format));
        Label2[3]->setText(QString::number(f.height));
        Label2[4]->setText(QString::number(f.width));
        Label2[5]->setText(numberFormat(f.sizeDisk));
        Label2[6]->setText(numberFormat(f.sizeMem));
        Label2[7]->setText(QString::number(f.xRes));
        Label2[8]->setText(QString::number(f.yRes));
        return;
    }
    // Other known files: only their length, on the "Image Disk Size:" row.
    for (int k = 0; k < 9; ++k)
        Label2[k]->setVisible(k == 5);
    const QFileInfo info(m_path);
    if (info.isFile())
        Label2[5]->setText(numberFormat(info.size()));
}

void ProPert1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void ProPert1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void ProPert1::Form_Activate()
{
    // The labels stand on the selection colour itself, not on the panel's
    // wash: a long value reaches into the wash's light end, where the
    // scheme's light text would fade out and the value look cut off.
    using dialogcolors::Paint;
    const Paint label{gs.nSelectBackColor, std::nullopt, gs.nSelectForeColor, gs.fBoldFonts, gs.nLabelStyle};
    QHash<const QWidget*, Paint> paints;
    for (QLabel* l : Label1)
        paints.insert(l, label);
    for (QLabel* l : Label2)
        paints.insert(l, label);
    dialogcolors::applyDialogColors(this, paints);
}

void ProPert1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fProPertOpen = false;
    if (gInstance == this)
        gInstance = nullptr;
}

void ProPert1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

void ProPert1::OKBtn_Click() { close(); }
void ProPert1::CancelBtn_Click() { close(); }
void ProPert1::HelpBtn_Click() { browser::sendHelpKey(this); }

QString ProPert1::FormatNameTable(int code)
{
    // Tested in this order; the first row that holds the code names it.
    struct Row {
        const char* name;
        int codes[6]; // unused slots stay 0, which is no code
    };
    static const Row rows[] = {
        {"ANI File Format", {119}},
        {"ANI with RLE Compression", {120}},
        {"Microsoft Fax Format", {99}},
        {"BIN Format", {12}},
        {"Bitmap Format", {9, 6}},
        {"Bitmap with RLE Compression", {84}},
        {"CALS Raster Format", {50, 130, 131, 129}},
        {"CCITT compressed TIFF", {25, 27, 28, 29}},
        {"CGM Format", {62}},
        {"CLP Format", {114}},
        {"Lead Compressed", {5, 65}},
        {"Dr. Halo Format", {108}},
        {"DRW Format", {136}},
        {"DWG Format", {124}},
        {"Multipage PCX", {58}},
        {"EMF MetaFile Format", {116}},
        {"Encapsulated PostScript Format", {16}},
        {"Encapsulated PostScript TIFF Format", {63}},
        {"Encapsulated PostScript WMF Format", {64}},
        {"Exif Format", {96}},
        {"Exif JPG Format", {98, 101}},
        {"Exif YCC Format", {97}},
        {"Fastest Format", {100}},
        {"Fax Group 3", {66, 67}},
        {"Fax Group 4", {68}},
        {"Flic Animation", {134}},
        {"FLI Video", {61}},
        {"Kodak FlashPix Format", {80, 83, 81}},
        {"Kodak FlashPix JPEG Format", {82}},
        {"Graphics Interchange Format", {2}},
        {"File Handle", {13}},
        {"IBM IOCA Format", {71, 72, 73, 117}},
        {"Interchange File Format", {112, 111}},
        {"Miscellaneous 1 Bit Format", {52}},
        {"Intergraph File RLE Compressed Format", {122}},
        {"ZSoft PCX", {1}},
        {"Intergraph Vector Format", {123}},
        {"JBIG Format", {115}},
        {"JPEG File Interchange Format", {10}},
        {"JPEG Tagged Interchange Format", {11}},
        {"Laser Data Format", {121}},
        {"Lead Compressed Format", {20, 30}},
        {"Lead 1 Bit Format", {26}},
        {"Lead JPEG File Interchange Format", {21, 23}},
        {"Lead JPEG Tagged Interchange Format", {22, 24}},
        {"MacPaint File Format", {51}},
        {"Microsoft Paint Format", {53}},
        {"OS2 Bitmap Format", {14, 74}},
        {"Portable Bitmap Utilities Format", {102, 103}},
        {"Kodak PhotoCD Format", {57}},
        {"Macintosh Pict Format", {56}},
        {"PGM Ascii Format", {104}},
        {"PGM Binary", {105}},
        {"Hewlett Packard Graphics Language", {137}},
        {"Portable Network Graphics", {75}},
        {"PPM Ascii Format", {106}},
        {"PPM Binary Format", {107}},
        {"Photoshop 3.0 Format", {76}},
        {"Sun Raster Format", {55}},
        {"Raw ICA Group 3", {77, 78, 79, 118}},
        {"Silicon Graphics Image", {142}},
        {"Truevision TGA Format", {4}},
        {"Tagged Image File Format", {3, 85, 87, 88, 95, 93}},
        {"Tagged Image File LZW Compressed Format", {17}},
        {"Tagged Image File LZW Compressed Forma", {86, 94}},
        {"Wave Sound Files", {60}},
        {"Win Fax Group 3", {69}},
        {"Win Fax Group 4", {70}},
        {"Windows Cursor Format", {92}},
        {"Windows Icon Format", {91}},
        {"Meta File Format", {15}},
        {"WordPerfect File Format", {54}},
        {"XBitMap Monochrome Bitmap", {110, 109}},
        {"XWD File Format", {113}},
    };
    for (const Row& row : rows)
        for (int c : row.codes)
            if (c != 0 && c == code)
                return QString::fromLatin1(row.name);
    return QStringLiteral("Unknown format");
}
