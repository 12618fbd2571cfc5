#include "editor/PrntPict1.h"

#include "browser/DialogParts.h"
#include "platform/controls/Dialogs.h"
#include "platform/imaging/Lead.h"
#include "platform/imaging/PrintCanvas.h"
#include "platform/controls/Units.h"
#include "shared/DialogColors.h"
#include "shared/ImageErrors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

using namespace printlayout;

namespace {

constexpr int kFileNotFound = 53;
constexpr int kImagingFileNotFound = 20010;
// An activation this soon after one of our own dialogs closed is the window
// coming back from it, not the user switching to it.
constexpr qint64 kDialogEchoMs = 500;

void placeTwips(QWidget* w, double left, double top, double width, double height)
{
    const int x = platform::twipsToPixelsX(left), y = platform::twipsToPixelsY(top);
    w->setGeometry(x, y, std::max(1, platform::twipsToPixelsX(left + width) - x),
                   std::max(1, platform::twipsToPixelsY(top + height) - y));
}

template <class W> W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// The font button's face: a large "A" over a small one.
QIcon fontIcon()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f(QStringLiteral("Serif"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, 18, 24), Qt::AlignCenter, QStringLiteral("A"));
    f.setPixelSize(11);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(Qt::darkBlue);
    p.drawText(QRect(13, 10, 11, 14), Qt::AlignCenter, QStringLiteral("a"));
    return QIcon(pm);
}

// The colour button's face: four coloured squares.
QIcon colorIcon()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int i = 0; i < 4; ++i) {
        const QRect r(2 + (i % 2) * 10, 2 + (i / 2) * 10, 9, 9);
        p.fillRect(r, colors[i]);
        p.setPen(Qt::black);
        p.drawRect(r);
    }
    return QIcon(pm);
}

QString twipsText(double v) { return QString::number(std::round(v), 'f', 0).trimmed(); }

} // namespace

PrntPict1::PrntPict1(const QString& currentFile, QWidget* parent) : QDialog(parent), m_currentFile(currentFile)
{
    setObjectName(QStringLiteral("PrntPict1"));
    setWindowTitle(QStringLiteral("Print Picture"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("lumivexToolWindow", true);
    buildControls();
    connectHandlers();
    Form_Load();
}

PrntPict1::~PrntPict1()
{
    if (!m_unloaded)
        Form_Unload();
}

void PrntPict1::buildControls()
{
    Frame1 = named(new QFrame(this), "Frame1");
    placeTwips(Frame1, 0, 0, 5835, 5948);
    setFixedSize(Frame1->size());

    Frame2 = named(new QFrame(Frame1), "Frame2");
    Frame2->setFrameShape(QFrame::Box);
    placeTwips(Frame2, 495, 270, kFrameWidth, kFrameHeight);
    Image1 = named(new platform::Lead(Frame2), "Image1");
    Image1->setPaintSizeMode(1);
    Image1->setVisible(false);
    Label1[0] = named(new QLabel(QStringLiteral("Picture Label"), Frame2), "Label1_0");
    Label1[0]->setAlignment(Qt::AlignCenter);
    placeTwips(Label1[0], kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
    setPreview(QRectF(kPreviewLeft, kPreviewTop, kPreviewWidth, kPreviewHeight));

    VScroll1 = named(new QScrollBar(Qt::Vertical, Frame1), "VScroll1");
    placeTwips(VScroll1, 180, 675, 240, 2670);
    HScroll1 = named(new QScrollBar(Qt::Horizontal, Frame1), "HScroll1");
    placeTwips(HScroll1, 540, 3465, 2310, 240);
    for (QScrollBar* bar : {VScroll1, HScroll1}) {
        bar->setRange(0, 100);
        bar->setPageStep(5);
        bar->setSingleStep(1);
        bar->setValue(100);
    }
    VScroll1->setToolTip(QStringLiteral("Height of the Picture on the Page"));
    HScroll1->setToolTip(QStringLiteral("Width of the Picture on the Page"));
    buildSideControls();
}

void PrntPict1::buildSideControls()
{
    Label1[1] = named(new QLabel(QStringLiteral("Left"), Frame1), "Label1_1");
    placeTwips(Label1[1], 3060, 345, 825, 300);
    TxtLeft = named(new QLineEdit(Frame1), "TxtLeft");
    placeTwips(TxtLeft, 3060, 675, 825, 330);
    TxtLeft->setToolTip(QStringLiteral("Enter Number to Space Picture on Page from Left Margin"));
    Label1[2] = named(new QLabel(QStringLiteral("Top"), Frame1), "Label1_2");
    placeTwips(Label1[2], 4545, 340, 825, 300);
    TxtTop = named(new QLineEdit(Frame1), "TxtTop");
    placeTwips(TxtTop, 4545, 675, 825, 330);
    TxtTop->setToolTip(QStringLiteral("Enter Number to Space Picture on Page from Top of Page"));
    Label2 = named(new QLabel(QStringLiteral("Picture Title"), Frame1), "Label2");
    placeTwips(Label2, 3015, 1200, 2355, 300);
    TxtTitle = named(new QLineEdit(Frame1), "TxtTitle");
    placeTwips(TxtTitle, 3015, 1530, 2355, 330);
    TxtTitle->setToolTip(QStringLiteral("Enter or Change Picture Title"));

    const char* captions[] = {"Above Picture", "Below Picture"};
    const char* tips[] = {"Print Picture Label Above Picture", "Print Picture Label Below Picture"};
    for (int i = 0; i < 2; ++i) {
        RDTITLEPOS[i] = new QRadioButton(QString::fromLatin1(captions[i]), Frame1);
        RDTITLEPOS[i]->setObjectName(QStringLiteral("RDTITLEPOS_%1").arg(i));
        RDTITLEPOS[i]->setToolTip(QString::fromLatin1(tips[i]));
        placeTwips(RDTITLEPOS[i], 3195, i == 0 ? 2025 : 2385, 1950, 330);
    }

    FontBtn = named(new QPushButton(Frame1), "FontBtn");
    FontBtn->setIcon(fontIcon());
    FontBtn->setToolTip(QStringLiteral("Select Font for Title"));
    placeTwips(FontBtn, 3195, 2970, 480, 435);
    FontClrBtn = named(new QPushButton(Frame1), "FontClrBtn");
    FontClrBtn->setIcon(colorIcon());
    FontClrBtn->setToolTip(QStringLiteral("Select Color of Print for Title"));
    placeTwips(FontClrBtn, 3735, 2970, 450, 435);

    Frame3 = named(new QFrame(Frame1), "Frame3");
    Frame3->setFrameShape(QFrame::Box);
    placeTwips(Frame3, 1425, 4050, 2895, 915);
    Label3 = named(new QLabel(QStringLiteral("Picture Printed"), Frame3), "Label3");
    Label3->setAlignment(Qt::AlignCenter);
    placeTwips(Label3, 0, 0, 2895, 915);
    Frame3->setVisible(false);

    const auto button = [this](const char* name, const char* caption, double left, const char* tip) {
        auto* b = named(new QPushButton(QString::fromLatin1(caption), Frame1), name);
        b->setToolTip(QString::fromLatin1(tip));
        b->setAutoDefault(false);
        placeTwips(b, left, 5250, 1230, 435);
        return b;
    };
    OKBtn = button("OKBtn", "OK", 300, "Print Selected Picture");
    CancelBtn = button("CancelBtn", "Cancel", 2250, "Close window without Printing Selected Picture");
    HelpBtn = button("HelpBtn", "Help", 4200, "Help with Printing Selected Picture");
    for (QPushButton* b : {FontBtn, FontClrBtn})
        b->setAutoDefault(false);
}

void PrntPict1::connectHandlers()
{
    // A picture ImageMagick reads is decoded after it opened: one that fails then fails as at its opening.
    connect(Image1, &platform::Lead::PictureFailed, this, &PrntPict1::previewFailed);
    connect(HScroll1, &QScrollBar::valueChanged, this, &PrntPict1::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &PrntPict1::VScroll1_Change);
    connect(TxtLeft, &QLineEdit::textChanged, this, &PrntPict1::TxtLeft_Change);
    connect(TxtTop, &QLineEdit::textChanged, this, &PrntPict1::TxtTop_Change);
    for (int i = 0; i < 2; ++i)
        connect(RDTITLEPOS[i], &QRadioButton::clicked, this, [this, i] { RDTITLEPOS_Click(i); });
    connect(FontBtn, &QPushButton::clicked, this, &PrntPict1::FontBtn_Click);
    connect(FontClrBtn, &QPushButton::clicked, this, &PrntPict1::FontClrBtn_Click);
    connect(OKBtn, &QPushButton::clicked, this, &PrntPict1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &PrntPict1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &PrntPict1::HelpBtn_Click);
}

// ---------------------------------------------------------------- loading

void PrntPict1::Form_Load()
{
    move(platform::twipsToPixelsX(1000), platform::twipsToPixelsY(600));
    nBaseHeight = float(m_preview.height());
    nBaseWidth = std::lround(m_preview.width());
    fFormLoading = true;
    SizePreview(m_currentFile);
    TxtTitle->setText(m_currentFile);
    const QString native = QDir::toNativeSeparators(m_currentFile);
    const qsizetype slash = native.lastIndexOf(QDir::separator());
    if (slash >= 0)
        Label1[0]->setText(native.mid(slash + 1));
    RDTITLEPOS[0]->setChecked(true);
    RDTITLEPOS[1]->setChecked(false);
    cTitlePos = QStringLiteral("T");
    PlacePreview();
    TxtTop->setText(twipsText(m_preview.top()));
    TxtLeft->setText(twipsText(m_preview.left()));
    gs.fPrntPictOpen = true;
}

void PrntPict1::SizePreview(const QString& path)
{
    Image1->setVisible(false);
    // The load reads the file's picture data with the picture; a second read
    // of the same file would only decode it again.
    const int r = Image1->Load(path, 0, 1, 1);
    Image1->setPaintSizeMode(1);
    if (r != 0)
        return previewFailed(r); // the bars keep their values
    const QSizeF size = previewSize(Image1->BitmapWidth(), Image1->BitmapHeight(), m_preview.size());
    if (size.isEmpty())
        return;
    setPreview(QRectF(m_preview.topLeft(), size));
    HScroll1->setValue(barPercent(size.width(), kFrameWidth));
    VScroll1->setValue(barPercent(size.height(), kFrameHeight));
    showPreview();
}

// The picture cannot be shown, when it is opened or when its decode fails
// afterwards: the preview is hidden, and why is told but for a missing file.
void PrntPict1::previewFailed(int error)
{
    Image1->setVisible(false);
    if (error != kFileNotFound && error != kImagingFileNotFound)
        MsgBox(QStringLiteral("Error - ") + QString::number(error) + QStringLiteral(" - ") +
               GetImageErrorText(short(error)));
}

void PrntPict1::showPreview() { Image1->setVisible(true); }

void PrntPict1::setPreview(const QRectF& twips)
{
    m_preview = twips;
    placeTwips(Image1, twips.left(), twips.top(), twips.width(), twips.height());
}

void PrntPict1::PlacePreview()
{
    if (cTitlePos == QLatin1String("B"))
        m_labelTop = labelTop(m_preview, false);
    else if (cTitlePos == QLatin1String("T"))
        m_labelTop = labelTop(m_preview, true);
    placeTwips(Label1[0], kLabelLeft, m_labelTop, kLabelWidth, kLabelHeight);
    Label1[0]->update();
}

// ---------------------------------------------------------------- handlers

void PrntPict1::HScroll1_Change()
{
    if (fFormLoading)
        return;
    setPreview(QRectF(m_preview.topLeft(), QSizeF(barExtent(nBaseWidth, HScroll1->value()), m_preview.height())));
}

void PrntPict1::VScroll1_Change()
{
    if (fFormLoading)
        return;
    setPreview(QRectF(m_preview.topLeft(), QSizeF(m_preview.width(), barExtent(nBaseHeight, VScroll1->value()))));
}

void PrntPict1::TxtLeft_Change()
{
    QRectF r = m_preview;
    r.moveLeft(leadingNumber(TxtLeft->text()));
    setPreview(r);
}

void PrntPict1::TxtTop_Change()
{
    if (fFormLoading)
        return;
    QRectF r = m_preview;
    r.moveTop(leadingNumber(TxtTop->text()));
    setPreview(r);
    PlacePreview();
}

void PrntPict1::RDTITLEPOS_Click(int index)
{
    cTitlePos = index == 0 ? QStringLiteral("T") : QStringLiteral("B");
    PlacePreview();
}

void PrntPict1::FontBtn_Click()
{
    platform::FontRequest request;
    request.title = QStringLiteral("Font");
    request.family = m_title.fontName;
    request.pointSize = m_title.fontSize;
    request.bold = m_title.bold;
    request.italic = m_title.italic;
    request.printerFonts = true;
    const std::optional<platform::FontChoice> chosen = platform::dialogs().font(request);
    ownDialogClosed();
    // Cancelled: what was put in is read back.
    const platform::FontChoice c =
        chosen.value_or(platform::FontChoice{request.family, request.pointSize, request.bold, request.italic});
    m_title.fontName = c.family;
    m_title.fontSize = roundToShort(c.pointSize);
    m_title.bold = c.bold;
    m_title.italic = c.italic;
    QFont f = TxtTitle->font();
    if (!m_title.fontName.isEmpty()) // no face: the title keeps the one it shows
        f.setFamily(m_title.fontName);
    f.setBold(m_title.bold);
    f.setItalic(m_title.italic);
    TxtTitle->setFont(f);
    TxtTitle->setFocus();
}

void PrntPict1::FontClrBtn_Click()
{
    const std::optional<QColor> chosen =
        platform::dialogs().color(QStringLiteral("Select Color"), platform::resolveOleColor(m_title.color));
    ownDialogClosed();
    if (chosen && chosen->isValid()) {
        m_title.color = platform::toOleColor(*chosen);
        TxtTitle->setStyleSheet(
            QStringLiteral("color: %1;").arg(platform::resolveOleColor(m_title.color).name()));
    }
    TxtTitle->setFocus();
}

void PrntPict1::OKBtn_Click()
{
    setCursor(Qt::WaitCursor);
    OKBtn->setEnabled(false);
    CancelBtn->setEnabled(false);
    Frame3->setVisible(false);
    PrintPictureFile();
    unsetCursor();
    OKBtn->setEnabled(true);
    CancelBtn->setEnabled(true);
}

void PrntPict1::CancelBtn_Click() { close(); }

void PrntPict1::HelpBtn_Click() { browser::sendHelpKey(this); }

void PrntPict1::reject() { close(); }

// ---------------------------------------------------------------- printing

void PrntPict1::PrintPictureFile()
{
    PicturePage page;
    page.currentFile = m_currentFile;
    page.title = TxtTitle->text();
    page.style = m_title;
    if (Image1->HasBitmap()) {
        page.picture = Image1->Bitmap();
        page.bits = Image1->BitmapBits();
    }
    page.preview = m_preview.size();
    page.leftText = TxtLeft->text();
    page.topText = TxtTop->text();
    page.label = Label1[0]->text();
    page.labelAbove = RDTITLEPOS[0]->isChecked();
    page.stamp = QDateTime::currentDateTime();
    if (page.picture.isNull() || page.currentFile.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("There is no Picture to Print"));
        return;
    }
    const std::unique_ptr<platform::PrintCanvas> printer = platform::makePrinterCanvas();
    const PrintOutcome outcome = printPicturePage(*printer, page);
    m_lastPrint = outcome.geometry;
    if (outcome.result != PrintResult::Printed) {
        MsgBox(QString::number(outcome.error.number) + QStringLiteral(" - ") + outcome.error.description);
        return;
    }
    Frame3->setVisible(true);
}

// ---------------------------------------------------------------- activation and unloading

void PrntPict1::ownDialogClosed() { m_dialogClosed.start(); }

void PrntPict1::Form_Activate()
{
    dialogcolors::applyDialogColors(this);
    // The entry colours and bold type replace the title's own in the box.
    TxtTitle->setStyleSheet(QString());
    QFont f = TxtTitle->font();
    f.setBold(gs.fBoldFonts);
    TxtTitle->setFont(f);
    if (fFormLoading) {
        TxtTitle->setFocus();
        fFormLoading = false;
    }
}

void PrntPict1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void PrntPict1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    if (m_dialogClosed.isValid() && m_dialogClosed.elapsed() < kDialogEchoMs)
        return;
    Form_Activate();
}

void PrntPict1::Form_Unload()
{
    m_unloaded = true;
    gs.fPrntPictOpen = false;
}

void PrntPict1::closeEvent(QCloseEvent* event)
{
    // Not QDialog's own: it would reject, and rejecting closes the window.
    Form_Unload();
    event->accept();
}
