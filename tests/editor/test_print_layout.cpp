// The printed page's geometry and what a page sends to the printer.
#include "editor/PrintLayout.h"
#include "platform/imaging/PrintCanvas.h"

#include <tuple>
#include <gtest/gtest.h>

using namespace printlayout;
using platform::PageItem;
using platform::RecordingPrintCanvas;

// The preview's sizes, bars and label place are checked through the window.
TEST(PrintLayout, TypedNumbersRoundingAndNoPicture)
{
    EXPECT_TRUE(previewSize(0, 600, QSizeF(kPreviewWidth, kPreviewHeight)).isEmpty()) << "never a division by zero";
    // Leading digits count, blanks inside are skipped; an exponent out of range keeps the digits.
    const std::pair<const char*, double> typed[] = {{"1000", 1000}, {"abc", 0}, {"12ab", 12},   {" 1 2 ", 12},
                                                    {"-7.5", -7.5}, {"", 0},    {"9e999", 9}, {"99999999999", 1.0e6}};
    for (const auto& [text, value] : typed)
        EXPECT_EQ(leadingNumber(text), value) << text;
    EXPECT_EQ(roundToShort(2.5), 2);
    EXPECT_EQ(roundToShort(3.5), 4);
    EXPECT_EQ(roundToShort(1e9), 32767);
}

TEST(PrintLayout, PrintAndFitSizes)
{
    // A printer with 2.4 twips a pixel on a Letter page.
    const PageScale s = pageScale(12240, 15840, 2.4, 2.4);
    EXPECT_NEAR(s.nStepX, 3.3333, 1e-4);
    EXPECT_EQ(s.nStepY, 3);
    EXPECT_NEAR(s.nUsableWidth, 4743, 1e-9);
    EXPECT_NEAR(s.nUsableHeight, 4620, 1e-9);

    const QSizeF small = printSize(100, 300, s);
    EXPECT_NEAR(small.width(), 500 * s.nStepX, 1e-9);
    EXPECT_EQ(small.height(), 1500 * 3);
    EXPECT_EQ(printSize(128, 128, s), QSizeF(128, 128));

    // Deep pictures fill the usable area with their proportions; small ones grow.
    EXPECT_EQ(fitSize(QSizeF(400, 200), 24, s), QSizeF(4743, 4743 / 2.0));
    EXPECT_EQ(fitSize(QSizeF(200, 400), 24, s), QSizeF(2310, 4620));
    // 8 bits or fewer never grow.
    EXPECT_EQ(fitSize(QSizeF(400, 200), 8, s), QSizeF(400, 200));
    EXPECT_EQ(fitSize(QSizeF(6000, 1000), 8, s), QSizeF(4743, 1000)) << "wider than usable, height fits";
    EXPECT_EQ(fitSize(QSizeF(1000, 6000), 1, s), QSizeF(1000, 4620)) << "taller than usable, width fits";
}

TEST(PrintLayout, PlacesOnThePage)
{
    const PageScale s = pageScale(12240, 15840, 2.4, 2.4);
    // Past 93 % of the width: centred across and 3.5 % to the right.
    const QRectF wide = pictureRect(QSizeF(2040, 1800), 600, 585, s);
    EXPECT_NEAR(wide.left(), (5100 - wide.width()) / 2 + 0.035 * 5100, 1e-9);
    // Past the foot: centred down and 15 % lower.
    const QRectF low = pictureRect(QSizeF(2040, 1800), 180, 2000, s);
    EXPECT_NEAR(low.top(), (6600 - low.height()) / 2 + 0.15 * 6600, 1e-9);
    EXPECT_NEAR(low.left(), 180 / 2400.0 * 5100, 1e-9);

    const QRectF pic(100, 1000, 2000, 1500);
    EXPECT_EQ(labelPlace(pic, 400, 3000, true, s), QPointF(100 + 1000 - 200, 1000 - 60 - 180));
    EXPECT_EQ(labelPlace(pic, 400, 3000, false, s), QPointF(900, 1000 + 60 + 1500 + 180));
    EXPECT_EQ(labelPlace(pic, 2400, 3000, true, s).x(), 100) << "80 % of the fitted width starts at the edge";
    EXPECT_EQ(labelPlace(pic, 2399, 3000, true, s).x(), 100 + 1000 - 2399 / 2.0);
    EXPECT_EQ(titleX(4743, 1000), 1872) << "1871.5 to even";
}

namespace {

PicturePage samplePage()
{
    PicturePage p;
    p.currentFile = QStringLiteral("/pictures/Harbour 2.png");
    p.title = QStringLiteral("Harbour at dusk");
    p.picture = QImage(800, 600, QImage::Format_RGB32);
    p.picture.fill(Qt::red);
    p.bits = 24;
    p.preview = QSizeF(2040, 1800);
    p.leftText = QStringLiteral("180");
    p.topText = QStringLiteral("585");
    p.label = QStringLiteral("Harbour 2.png");
    p.stamp = QDateTime(QDate(2024, 3, 7), QTime(17, 5, 9));
    return p;
}

QList<PageItem> texts(const QList<PageItem>& page)
{
    QList<PageItem> out;
    for (const PageItem& i : page)
        if (i.kind == PageItem::Kind::Text)
            out << i;
    return out;
}

} // namespace

TEST(PrintPage, StampTitlePictureAndLabel)
{
    RecordingPrintCanvas printer; // 600 dots an inch, Letter
    const PicturePage page = samplePage();
    const PrintOutcome o = printPicturePage(printer, page);
    ASSERT_EQ(o.result, PrintResult::Printed);
    ASSERT_EQ(printer.pages.size(), 1);
    const QList<PageItem> t = texts(printer.pages[0]);
    ASSERT_EQ(t.size(), 4);

    // The stamp 25 steps in from the top left, the time at the next print zone.
    EXPECT_EQ(t[0].text, "03-07-2024   ");
    EXPECT_NEAR(t[0].at.x(), 25 * 8 / 2.4, 1e-9);
    EXPECT_EQ(t[0].at.y(), 75);
    EXPECT_EQ(t[0].font.size, 8);
    EXPECT_EQ(t[1].text, "17:05:09");
    const double zone = 14 * 8 * (20 / 2.4) * 0.5; // 14 average widths of the 8-point face
    EXPECT_NEAR(t[1].at.x(), 2 * zone, 1e-9) << "the first zone past the date and its blanks";

    // Before a font was chosen the title prints in the printer's face at 8 points, black.
    EXPECT_EQ(t[2].text, page.title);
    EXPECT_EQ(t[2].font.name, "Printer Face");
    EXPECT_EQ(t[2].font.size, 8);
    EXPECT_EQ(t[2].font.color, 0u);
    EXPECT_EQ(t[2].at.y(), 240) << "80 steps of 3 pixels";
    const double titleWidth = page.title.size() * 8 * (20 / 2.4) * 0.5;
    EXPECT_EQ(t[2].at.x(), roundToShort((4743 - titleWidth) / 2));

    const PageItem& pic = printer.pages[0][3];
    ASSERT_EQ(pic.kind, PageItem::Kind::Picture);
    EXPECT_EQ(pic.rect, o.geometry.picture);
    EXPECT_EQ(pic.picture.size(), QSize(800, 600));
    EXPECT_EQ(o.geometry.nPictWidth, 800);
    EXPECT_EQ(o.geometry.nFitWidth, 4743);

    // The label in the title face at 10 points, centred above the picture.
    EXPECT_EQ(t[3].text, "Harbour 2.png");
    EXPECT_EQ(t[3].font.size, 10);
    const double labelWidth = 13 * 10 * (20 / 2.4) * 0.5;
    EXPECT_NEAR(t[3].at.x(), pic.rect.left() + pic.rect.width() / 2 - labelWidth / 2, 1e-9);
    EXPECT_NEAR(t[3].at.y(), pic.rect.top() - 60 - 180, 1e-9);
}

TEST(PrintPage, FailuresAndMissingPicture)
{
    // No picture: nothing reaches the printer, not even a page with a stamp.
    RecordingPrintCanvas printer;
    PicturePage page = samplePage();
    page.picture = QImage();
    EXPECT_EQ(printPicturePage(printer, page).result, PrintResult::NoPicture);
    page = samplePage();
    page.currentFile = QStringLiteral("  ");
    EXPECT_EQ(printPicturePage(printer, page).result, PrintResult::NoPicture);
    EXPECT_TRUE(printer.pages.isEmpty());

    // No printer set up.
    printer.noPrinter = true;
    PrintOutcome o = printPicturePage(printer, samplePage());
    EXPECT_EQ(o.result, PrintResult::Failed);
    EXPECT_EQ(o.error.number, 484);
    EXPECT_TRUE(printer.pages.isEmpty());

    // The printer fails when the page is sent: the page is abandoned.
    printer.noPrinter = false;
    printer.failSend = true;
    o = printPicturePage(printer, samplePage());
    EXPECT_EQ(o.result, PrintResult::Failed);
    EXPECT_EQ(o.error.number, 482);
    EXPECT_EQ(o.error.description, "Printer error");
    EXPECT_TRUE(printer.pages.isEmpty());
    EXPECT_TRUE(printer.PendingPage().isEmpty()) << "nothing left over for the next print";

    // A later print starts on a fresh page; the title in its chosen style, the label below.
    printer.failSend = false;
    page = samplePage();
    page.style = TitleStyle{QStringLiteral("DejaVu Serif"), 14, true, true, 0x0000FF};
    page.labelAbove = false;
    ASSERT_EQ(printPicturePage(printer, page).result, PrintResult::Printed);
    const QList<PageItem>& sent = printer.pages.at(0);
    ASSERT_EQ(sent.size(), 5);
    EXPECT_EQ(sent[0].font.name, "Printer Face") << "the stamp in the printer's face";
    const platform::PrintFont title{QStringLiteral("DejaVu Serif"), 14, true, true, 0x0000FF};
    EXPECT_EQ(std::tie(sent[2].font.name, sent[2].font.size, sent[2].font.bold, sent[2].font.italic, sent[2].font.color),
              std::tie(title.name, title.size, title.bold, title.italic, title.color));
    EXPECT_EQ(sent[4].font.size, 10);
    EXPECT_NEAR(sent[4].at.y(), sent[3].rect.bottom() + 60 + 180, 1e-9);
}
