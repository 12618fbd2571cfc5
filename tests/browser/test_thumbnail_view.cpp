// The ThumbNails tab as the user sees and uses it: what the thumbnails show
// of pictures with transparency and of palette pictures, read from the
// painted list, and a double-click on a thumbnail.
#include "ThumbTestSupport.h"

#include "platform/controls/ImageList.h"
#include "platform/controls/ToolBarComp.h"
#include "platform/imaging/Lead.h"
#include "shared/SharedState.h"

#include <QImage>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

constexpr int kThumbNailsTab = 3;

class ThumbnailView : public ::testing::Test, public thumbtest::MainWindowFixture {
protected:
    void SetUp() override
    {
        w().resize(1000, 720);
        w().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
        w().finishStartUp();
        dialogs().messages.clear();
    }
    // The file list shows the test's folder as it is now; the user clicks
    // the ThumbNails tab, and the run it starts makes them all.
    void showThumbnails()
    {
        w().setFileListFolder(folder());
        QTabBar* tabs = w().TabStrip1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kThumbNailsTab).center());
        ASSERT_TRUE(thumbtest::waitForThumbnailRun(w()));
        ASSERT_TRUE(w().ImagList1->isVisible());
    }
    // Where the list paints the thumbnail of the item, `size` large: in the
    // middle of the item's picture cell.
    QRect thumbnailRect(int item, QSize size) const
    {
        const platform::ImageList* list = const_cast<ThumbnailView*>(this)->w().ImagList1;
        const QRect cell = list->itemRect(item);
        return QRect(cell.left() + (list->ItemWidth() - size.width()) / 2,
                     cell.top() + (list->ItemHeight() - size.height()) / 2, size.width(), size.height());
    }
    int itemOf(const QString& name)
    {
        for (int i = 0; i < w().ImagList1->Count(); ++i)
            if (w().ImagList1->Item(i).Text == name)
                return i;
        ADD_FAILURE() << "no thumbnail of " << name.toStdString();
        return -1;
    }
};

// Within `tolerance` on each of red, green and blue.
bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

std::string text(QColor c) { return c.name().toStdString(); }

// The colour of the palette picture's block across, down.
QRgb block(int across, int down) { return qRgb(across * 17, down * 17, 96); }

} // namespace

TEST_F(ThumbnailView, TransparentPixelsShowTheListsBackgroundAndPalettePicturesKeepTheirColours)
{
    // The user's colour for the thumbnail window: a light yellow.
    gs.nThumbWindowBackColor = 0x0080FFFF;
    w().SetWindowColors();
    const QColor back = w().ImagList1->BackColor();
    ASSERT_EQ(back, QColor(255, 255, 128));

    // Top left transparent with red stored under it, top right half
    // transparent blue, the bottom half opaque green.
    QImage alpha(200, 200, QImage::Format_ARGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            alpha.setPixel(x, y, y >= 100 ? qRgba(0, 160, 0, 255) : x < 100 ? qRgba(255, 0, 0, 0) : qRgba(0, 0, 255, 128));
    ASSERT_TRUE(alpha.save(file("alpha.png"), "PNG"));
    ASSERT_EQ(QImage(file("alpha.png")).pixel(10, 10), qRgba(255, 0, 0, 0)) << "the red is in the file";

    // A palette picture of 256 colours in blocks of 128 x 96, 16 across and 16 down.
    QImage palette(2048, 1542, QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << block(i % 16, i / 16);
    palette.setColorTable(table);
    for (int y = 0; y < palette.height(); ++y)
        for (int x = 0; x < palette.width(); ++x)
            palette.setPixel(x, y, uint(std::min(15, y / 96) * 16 + x / 128));
    ASSERT_TRUE(palette.save(file("palette.png"), "PNG"));
    ASSERT_EQ(QImage(file("palette.png")).format(), QImage::Format_Indexed8);

    showThumbnails();
    ASSERT_FALSE(HasFatalFailure());
    const QImage painted = w().ImagList1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QRect a = thumbnailRect(itemOf("alpha.png"), QSize(105, 105));
    const QColor transparent = painted.pixelColor(a.topLeft() + QPoint(25, 25));
    EXPECT_TRUE(near(transparent, back, 8)) << "transparent: " << text(transparent) << ", the list " << text(back);
    const QColor half = painted.pixelColor(a.topLeft() + QPoint(80, 25));
    const QColor blended((back.red() * 127) / 255, (back.green() * 127) / 255, (back.blue() * 127 + 255 * 128) / 255);
    EXPECT_TRUE(near(half, blended, 8)) << "half transparent: " << text(half) << ", blended " << text(blended);
    const QColor opaque = painted.pixelColor(a.topLeft() + QPoint(50, 80));
    EXPECT_TRUE(near(opaque, QColor(0, 160, 0), 8)) << "opaque: " << text(opaque);

    // Scaled in full colour: inside each block the block's own colour, and
    // the colours between the blocks where they meet.
    const QRect p = thumbnailRect(itemOf("palette.png"), QSize(105, 79));
    QSet<QRgb> colours;
    int off = 0;
    for (int y = p.top(); y <= p.bottom(); ++y)
        for (int x = p.left(); x <= p.right(); ++x) {
            const QColor c = painted.pixelColor(x, y);
            colours.insert(c.rgb());
            // The part of the picture this pixel shows, and whether it lies inside one block.
            const double left = (x - p.left()) * 2048.0 / 105, right = left + 2048.0 / 105;
            const double top = (y - p.top()) * 1542.0 / 79, bottom = top + 1542.0 / 79;
            const int bx = int(left) / 128, by = std::min(15, int(top) / 96);
            if (int(right - 1) / 128 == bx && std::min(15, int(bottom - 1) / 96) == by)
                off += !near(c, QColor(block(bx, by)), 8);
        }
    EXPECT_EQ(off, 0) << "pixels not the colour of the picture under them";
    EXPECT_GT(colours.size(), 256) << "colours in the palette picture's thumbnail";
}

TEST_F(ThumbnailView, ADoubleClickOnAThumbnailOpensThePictureAtItsOwnSize)
{
    thumbtest::writePicture(file("tall.png"), QSize(400, 1200));
    showThumbnails();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(w().ImagList1->Count(), 1);
    platform::Lead* picture = w().Image1;
    // Both presses reach the window as the X server sends them: the first
    // opens the picture, whose control comes up under the pointer for the
    // second, which the window system reports as a double-click.
    QWidget* viewport = w().ImagList1->viewport();
    const QPoint at = viewport->mapTo(&w(), w().ImagList1->itemRect(0).center());
    QTest::mouseDClick(w().windowHandle(), Qt::LeftButton, {}, at);
    ASSERT_EQ(gs.cCurrentPicture, file("tall.png"));
    ASSERT_TRUE(picture->isVisible());
    ASSERT_EQ(w().childAt(at), picture) << "the second press came to the picture";
    EXPECT_EQ(picture->PaintSizeMode(), 0) << "at its own size, not stretched";
    EXPECT_EQ(w().ToolBarComp1->Item(QStringLiteral("ID_ViewStretch"))->State(), 0);
    EXPECT_EQ(w().ToolBarComp1->Item(QStringLiteral("ID_ViewNormal"))->State(), 1);
    const QImage shot = picture->grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 200), QColor(Qt::yellow)) << "the picture's top left quarter, unstretched";

    // A double-click of the user's own on the picture stretches it, and the next one restores it.
    QTest::mouseDClick(w().windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(picture->PaintSizeMode(), 1);
    QTest::mouseDClick(w().windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(picture->PaintSizeMode(), 0);
}
