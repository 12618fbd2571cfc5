// The print picture window: the preview, its boxes and bars, the title's
// font and colour, and printing through the real printer code to a PDF file
// that is read back.
#include "ScriptedDialogs.h"
#include "PictureSamples.h"
#include "TestSupport.h"

#include "editor/PrntPict1.h"
#include "platform/controls/Dialogs.h"
#include "platform/imaging/Lead.h"
#include "platform/imaging/PrintCanvas.h"
#include "platform/controls/Units.h"
#include "shared/SharedState.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kNoPicture = QStringLiteral("There is no Picture to Print");

class PrintWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::ScopedDialogs dialogs;
    QPointer<PrntPict1> window;

    void TearDown() override
    {
        delete window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString file(const QString& name) const { return dir.filePath(name); }

    QString picture(const QString& name, int w, int h, QColor color = QColor(220, 20, 20))
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(color);
        const QString path = file(name);
        EXPECT_TRUE(img.save(path));
        return path;
    }

    PrntPict1& open(const QString& path)
    {
        window = new PrntPict1(path);
        window->show();
        QCoreApplication::processEvents();
        return *window;
    }

    static void type(QLineEdit* box, const QString& text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    static void clickRadio(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }
};

// What a printed PDF holds.
struct PdfPage {
    int pages = 0;
    QString text;
    QImage image;  // the first page at 144 dots an inch
    double scale = 0; // image pixels per point
    QPdfDocument* doc = nullptr;
};

} // namespace

TEST_F(PrintWindow, PreviewOfALandscapePicture)
{
    const QString path = picture(QStringLiteral("Harbour 2.png"), 800, 600);
    PrntPict1& w = open(path);
    EXPECT_TRUE(gs.fPrntPictOpen);
    EXPECT_EQ(w.previewTwips(), QRectF(180, 585, 2040, 1800));
    EXPECT_TRUE(w.Image1->isVisible());
    EXPECT_EQ(w.Image1->PaintSizeMode(), 1);
    EXPECT_EQ(QPoint(w.HScroll1->value(), w.VScroll1->value()), QPoint(100, 74)) << "bars 85 + 20.4 (cut) and 56 + 18";
    EXPECT_EQ(w.TxtTitle->text(), path) << "the full path is the default title";
    EXPECT_EQ(w.Label1[0]->text(), "Harbour 2.png");
    EXPECT_TRUE(w.RDTITLEPOS[0]->isChecked());
    EXPECT_EQ(QStringList({w.TxtTop->text(), w.TxtLeft->text()}), QStringList({"585", "180"}));
    EXPECT_EQ(w.labelTopTwips(), 205);
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // Top "1000" moves the preview and the label over it; Below moves the label under it.
    type(w.TxtTop, QStringLiteral("1000"));
    EXPECT_EQ(w.previewTwips().top(), 1000);
    EXPECT_EQ(w.labelTopTwips(), 620);
    EXPECT_EQ(w.Label1[0]->y(), platform::twipsToPixelsY(620));
    clickRadio(w.RDTITLEPOS[1]);
    EXPECT_EQ(w.titlePosition(), "B");
    EXPECT_EQ(w.labelTopTwips(), 2900);
    clickRadio(w.RDTITLEPOS[0]);
    EXPECT_EQ(w.labelTopTwips(), 620);
    // Letters count as 0.
    type(w.TxtTop, QStringLiteral("abc"));
    EXPECT_EQ(w.previewTwips().top(), 0);
    EXPECT_EQ(w.labelTopTwips(), -380);
    type(w.TxtLeft, QStringLiteral("300x"));
    EXPECT_EQ(w.previewTwips().left(), 300);
    EXPECT_EQ(w.Image1->x(), platform::twipsToPixelsX(300));

    // The bars size the preview in percent of the designed size, whatever the picture.
    QTest::keyClick(w.VScroll1, Qt::Key_Home);
    EXPECT_EQ(w.VScroll1->value(), 0);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(w.VScroll1, Qt::Key_PageDown);
    ASSERT_EQ(w.VScroll1->value(), 50);
    EXPECT_EQ(w.previewTwips().height(), 1200);
    QTest::keyClick(w.HScroll1, Qt::Key_PageUp);
    EXPECT_EQ(w.HScroll1->value(), 95);
    EXPECT_EQ(w.previewTwips().width(), 2040 * 95 / 100.0);
}

TEST_F(PrintWindow, PortraitPictureAndPathsWithoutPictures)
{
    PrntPict1& w = open(picture(QStringLiteral("tall.png"), 600, 800));
    EXPECT_EQ(w.previewTwips().size(), QSizeF(1580, 2400));
    EXPECT_EQ(QPoint(w.HScroll1->value(), w.VScroll1->value()), QPoint(81, 99)) << "65 + 15.8 and 75 + 24";
    delete window.data();

    // A missing file says nothing, a file that is no picture gives its error,
    // a picture wider than TIFF's reader takes says so; none shows a preview,
    // and printing says so without touching the printer.
    platform::RecordingPrintCanvas* recorded = nullptr;
    platform::ScopedPrinterCanvas printer([&] {
        auto c = std::make_unique<platform::RecordingPrintCanvas>();
        recorded = c.get();
        return c;
    });
    const QString notes = file(QStringLiteral("notes.txt"));
    testsupport::writeFile(notes, "just some words\r\n");
    const QString wide = file(QStringLiteral("wide.tif"));
    ASSERT_TRUE(samples::writeBytes(wide, samples::whiteTiff(1000001, 100)));
    for (const QString& path : {file(QStringLiteral("gone.png")), notes, wide}) {
        dialogs->messages.clear();
        PrntPict1& none = open(path);
        if (path == wide) {
            EXPECT_EQ(dialogs->texts(), QStringList{"Error - 20011 - Invalid width/height"});
        } else if (path == notes) {
            ASSERT_EQ(dialogs->messages.size(), 1);
            EXPECT_EQ(dialogs->messages[0].title, kProgramTitle);
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^Error - 200\\d\\d - .+$"))
                            .match(dialogs->messages[0].text).hasMatch()) << dialogs->messages[0].text.toStdString();
        } else {
            EXPECT_TRUE(dialogs->messages.isEmpty());
            EXPECT_EQ(none.VScroll1->value(), 100) << "the bars as designed";
        }
        EXPECT_FALSE(none.Image1->isVisible());
        QTest::mouseClick(none.OKBtn, Qt::LeftButton);
        EXPECT_EQ(dialogs->texts().last(), kNoPicture);
        EXPECT_FALSE(none.Frame3->isVisible());
        delete window.data();
    }
    EXPECT_EQ(recorded, nullptr) << "the printer is not even touched";

    // A Targa whose pixels are cut off opens from its header; its decode
    // fails afterwards, and says so as at its opening, the preview hidden.
    const QString torn = file(QStringLiteral("torn.tga"));
    ASSERT_TRUE(samples::writeMagick(torn, {samples::pattern(200, 100)}, "TGA"));
    ASSERT_TRUE(samples::writeBytes(torn, samples::readBytes(torn).left(200 * 100)));
    dialogs->messages.clear();
    PrntPict1& cut = open(torn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs->messages.isEmpty(); }, 20000));
    EXPECT_EQ(dialogs->texts(), QStringList{"Error - 20009 - Invalid file format"});
    EXPECT_FALSE(cut.Image1->isVisible());
    delete window.data();

    // A path without a folder keeps the label's caption.
    PrntPict1& bare = open(QStringLiteral("picture-nowhere.png"));
    EXPECT_EQ(bare.Label1[0]->text(), "Picture Label");
}

TEST_F(PrintWindow, TitleFontAndColour)
{
    gs.nEntryBackColor = 0x00C0FFFF; // a light yellow entry background
    gs.nEntryForeColor = 0x00000000;
    PrntPict1& w = open(picture(QStringLiteral("a.png"), 300, 200));

    // Cancelled on a fresh window: no face, size 0, and the focus in the title box.
    const QString face = w.TxtTitle->font().family();
    w.TxtLeft->setFocus();
    QTest::mouseClick(w.FontBtn, Qt::LeftButton);
    ASSERT_EQ(dialogs->fontRequests.size(), 1);
    EXPECT_TRUE(dialogs->fontRequests[0].printerFonts);
    EXPECT_TRUE(dialogs->fontRequests[0].family.isEmpty());
    EXPECT_EQ(std::pair(w.titleStyle().fontName, w.titleStyle().fontSize), std::pair(QString(), 0));
    EXPECT_EQ(w.focusWidget(), w.TxtTitle);
    EXPECT_EQ(w.TxtTitle->font().family(), face);

    dialogs->fontAnswers = {platform::FontChoice{QStringLiteral("DejaVu Serif"), 14.5, true, true}};
    QTest::mouseClick(w.FontBtn, Qt::LeftButton);
    EXPECT_EQ(w.titleStyle().fontName, "DejaVu Serif");
    EXPECT_EQ(w.titleStyle().fontSize, 14) << "14.5 to even";
    EXPECT_TRUE(w.titleStyle().bold);
    EXPECT_TRUE(w.titleStyle().italic);
    EXPECT_EQ(w.TxtTitle->font().family(), "DejaVu Serif");
    EXPECT_TRUE(w.TxtTitle->font().italic());

    // The colour dialog starts from the title colour, never the entry background.
    QTest::mouseClick(w.FontClrBtn, Qt::LeftButton);
    ASSERT_EQ(dialogs->colorRequests.size(), 1);
    EXPECT_EQ(dialogs->colorRequests[0].initial, QColor(Qt::black));
    EXPECT_EQ(w.titleStyle().color, 0u) << "cancel keeps black";
    dialogs->colorAnswers = {QColor(Qt::red)};
    QTest::mouseClick(w.FontClrBtn, Qt::LeftButton);
    EXPECT_EQ(w.titleStyle().color, 0x000000FFu);
    EXPECT_TRUE(w.TxtTitle->styleSheet().contains("#ff0000"));
    QTest::mouseClick(w.FontClrBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->colorRequests.last().initial, QColor(Qt::red));
    EXPECT_EQ(w.titleStyle().color, 0x000000FFu) << "cancel keeps red";

    // An activation shows the title in the entry colours again; the chosen style stays.
    w.Form_Activate();
    EXPECT_TRUE(w.TxtTitle->styleSheet().isEmpty());
    EXPECT_FALSE(w.TxtTitle->font().bold());
    EXPECT_EQ(w.titleStyle().color, 0x000000FFu);
    EXPECT_TRUE(w.titleStyle().bold);
}

namespace {

// Loads the PDF and renders its first page.
bool readPdf(const QString& path, QPdfDocument& doc, PdfPage* out)
{
    if (doc.load(path) != QPdfDocument::Error::None)
        return false;
    out->pages = doc.pageCount();
    out->text = doc.getAllText(0).text();
    const QSizeF points = doc.pagePointSize(0);
    out->scale = 2; // 144 dots an inch
    // The page is rendered see-through: put it on white paper.
    const QImage rendered = doc.render(0, (points * out->scale).toSize());
    out->image = QImage(rendered.size(), QImage::Format_RGB32);
    out->image.fill(Qt::white);
    QPainter(&out->image).drawImage(0, 0, rendered);
    out->doc = &doc;
    return true;
}

// The bounds of a text on the page, in points.
QRectF textBounds(const PdfPage& page, const QString& text)
{
    const qsizetype at = page.text.indexOf(text);
    if (at < 0)
        return {};
    return page.doc->getSelectionAtIndex(0, int(at), int(text.size())).boundingRectangle();
}

bool reddish(QRgb c) { return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90; }

} // namespace

TEST_F(PrintWindow, PrintsThePageToAPdfFile)
{
    const QString pdf = file(QStringLiteral("page.pdf"));
    platform::ScopedPrinterCanvas printer([pdf] { return platform::QtPrintCanvas::pdfFile(pdf); });
    const QString path = picture(QStringLiteral("Harbour 2.png"), 800, 600);
    PrntPict1& w = open(path);
    type(w.TxtTitle, QStringLiteral("Harbour at dusk"));
    dialogs->fontAnswers = {platform::FontChoice{QStringLiteral("DejaVu Sans"), 16, true, false}};
    QTest::mouseClick(w.FontBtn, Qt::LeftButton);
    QTest::mouseClick(w.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->texts().join("|").toStdString();
    EXPECT_TRUE(w.Frame3->isVisible());
    EXPECT_EQ(w.Label3->text(), "Picture Printed");
    EXPECT_TRUE(w.OKBtn->isEnabled());
    EXPECT_TRUE(w.CancelBtn->isEnabled());
    EXPECT_NE(w.cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(w.isVisible()) << "the window stays open";

    QPdfDocument doc(nullptr);
    PdfPage page;
    ASSERT_TRUE(readPdf(pdf, doc, &page));
    EXPECT_EQ(page.pages, 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\d\\d-\\d\\d-\\d{4}\\s+\\d\\d:\\d\\d:\\d\\d")).match(page.text).hasMatch())
        << page.text.toStdString();
    EXPECT_TRUE(page.text.contains("Harbour at dusk"));
    EXPECT_TRUE(page.text.contains("Harbour 2.png"));

    // Device pixels of the print to points of the page, from the printable area's corner.
    QPrinter reference(QPrinter::HighResolution);
    const double perPixel = 72.0 / reference.resolution();
    const QPointF origin = reference.pageRect(QPrinter::Point).topLeft();
    const auto toPoints = [&](QPointF px) { return origin + px * perPixel; };
    const printlayout::PrintedGeometry& g = w.lastPrint();

    // The picture fills its rectangle and nothing red lies outside it.
    const QRectF pic(toPoints(g.picture.topLeft()), g.picture.size() * perPixel);
    const auto pixel = [&](QPointF pt) { return page.image.pixel((pt * page.scale).toPoint()); };
    EXPECT_TRUE(reddish(pixel(pic.center())));
    EXPECT_TRUE(reddish(pixel(pic.topLeft() + QPointF(2, 2))));
    EXPECT_TRUE(reddish(pixel(pic.bottomRight() - QPointF(2, 2))));
    EXPECT_FALSE(reddish(pixel(pic.topLeft() - QPointF(3, 3))));
    EXPECT_FALSE(reddish(pixel(pic.bottomRight() + QPointF(3, 3))));
    EXPECT_NEAR(pic.left(), origin.x() + 180 / 2400.0 * g.nPageWidth * perPixel, 0.01);

    // The title centred on the usable width, the stamp at the top left, the label over the picture.
    const QRectF title = textBounds(page, QStringLiteral("Harbour at dusk"));
    ASSERT_FALSE(title.isEmpty());
    EXPECT_NEAR(title.center().x(), origin.x() + g.nUsableWidth / 2 * perPixel, 3);
    EXPECT_NEAR(title.top(), toPoints(g.title).y(), 6);
    const QRectF stamp = textBounds(page, page.text.mid(0, 10));
    EXPECT_NEAR(stamp.left(), toPoints(QPointF(25 * g.nStepX, 0)).x(), 2);
    const QRectF label = textBounds(page, QStringLiteral("Harbour 2.png"));
    ASSERT_FALSE(label.isEmpty());
    EXPECT_NEAR(label.center().x(), pic.center().x(), 3);
    EXPECT_LT(label.bottom(), pic.top());
    EXPECT_NEAR(label.top(), toPoints(g.label).y(), 6);
}

TEST_F(PrintWindow, PrinterFailures)
{
    PrntPict1& w = open(picture(QStringLiteral("a.png"), 300, 200));
    // With no printer set up (as on the test machines) the default printer's error.
    if (QPrinterInfo::defaultPrinter().isNull()) {
        QTest::mouseClick(w.OKBtn, Qt::LeftButton);
        ASSERT_EQ(dialogs->messages.size(), 1);
        EXPECT_EQ(dialogs->messages[0].title, kProgramTitle);
        EXPECT_EQ(dialogs->messages[0].text,
                  "484 - Problem getting printer information from the system. Make sure the printer is set up "
                  "correctly.");
        EXPECT_FALSE(w.Frame3->isVisible()) << "never \"Picture Printed\" after a failure";
        EXPECT_TRUE(w.OKBtn->isEnabled());
    }

    // After a good print, a printer that cannot take the page: its error, the
    // job dropped, no file, and the panel of the earlier print gone.
    dialogs->messages.clear();
    QString pdf = file(QStringLiteral("good.pdf"));
    platform::ScopedPrinterCanvas printer([&pdf] { return platform::QtPrintCanvas::pdfFile(pdf); });
    QTest::mouseClick(w.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(w.Frame3->isVisible());
    pdf = file(QStringLiteral("no folder/page.pdf"));
    QTest::mouseClick(w.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->texts(), QStringList{"482 - Printer error"});
    EXPECT_FALSE(w.Frame3->isVisible());
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(PrintWindow, OnAFullDiskThePdfKeepsItsOldFileAndThePrintFails)
{
    PrntPict1& w = open(picture(QStringLiteral("a.png"), 300, 200));
    testsupport::FullDisk disk(file(QStringLiteral("disk")));
    const QString pdf = file(QStringLiteral("disk/page.pdf"));
    testsupport::writeFile(pdf, "the old page");
    platform::ScopedPrinterCanvas printer([pdf] { return platform::QtPrintCanvas::pdfFile(pdf); });
    disk.fill();
    QTest::mouseClick(w.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->texts(), QStringList{"482 - Printer error"});
    EXPECT_FALSE(w.Frame3->isVisible()) << "never \"Picture Printed\" after a failure";
    disk.release();
    EXPECT_EQ(testsupport::readFile(pdf), "the old page");
    QStringList left = QDir(file(QStringLiteral("disk"))).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral(".filler"));
    EXPECT_EQ(left, QStringList{"page.pdf"}) << "no temporary file is left behind";

    // With room again the page is printed over the old file.
    QFile::remove(file(QStringLiteral("disk/.filler")));
    QTest::mouseClick(w.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->texts().size(), 1);
    EXPECT_TRUE(w.Frame3->isVisible());
    EXPECT_TRUE(testsupport::readFile(pdf).startsWith("%PDF"));
}

TEST_F(PrintWindow, CancelAndEscapeUnload)
{
    for (const bool escape : {false, true}) {
        PrntPict1& w = open(picture(QStringLiteral("a.png"), 300, 200));
        EXPECT_TRUE(gs.fPrntPictOpen);
        if (escape)
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            QTest::mouseClick(w.CancelBtn, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << "closed and deleted";
        EXPECT_FALSE(gs.fPrntPictOpen);
    }
}
