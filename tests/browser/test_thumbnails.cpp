// The ThumbNails view: runs over folders the tests make, the stop button, the
// three faces of the tool and the held thumbnails.
#include "PictureSamples.h"
#include "ThumbTestSupport.h"

#include "browser/ThumbnailRange.h"
#include "browser/ThumbnailRun.h"
#include "platform/controls/ImageList.h"
#include "platform/shell/ShellCombo.h"
#include "platform/shell/ShellTree.h"
#include "platform/pictures/ThumbnailGenerator.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTimer>
#include <functional>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using thumbtest::writePicture;

namespace {

platform::Tool* tool(Lumivex1& w, const char* id) { return w.ToolBarComp1->Item(QString::fromLatin1(id)); }

QStringList texts(platform::ImageList* list)
{
    QStringList out;
    for (int i = 0; i < list->Count(); ++i)
        out << list->Item(i).Text;
    return out;
}

// Calls back on every paint of the widget it watches.
class PaintWatch : public QObject {
public:
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && onPaint)
            onPaint();
        return false;
    }
};

class Thumbnails : public ::testing::Test, public thumbtest::MainWindowFixture {
protected:
    void makeMixedFolder()
    {
        writePicture(file("a.jpg"), QSize(300, 200));
        writePicture(file("b.PNG"), QSize(200, 300));
        writePicture(file("c.gif"), QSize(64, 64));
        testsupport::writeFile(file("d.txt"), "not a picture\n");
        writePicture(file("e.tif"), QSize(400, 100));
    }
    void makeJpegs(int n)
    {
        for (int i = 0; i < n; ++i)
            writePicture(file(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'))), QSize(160, 120));
    }
    // Runs the action at the given thumbnail report of the runs to come.
    void atReport(int report, std::function<void()> action)
    {
        auto count = std::make_shared<int>(0);
        QObject::connect(w().Thumb1, &platform::ThumbnailGenerator::ThumbReady, w().Thumb1,
                         [count, report, action](const QImage&, const QString&, int, int) {
                             if (++*count == report)
                                 action();
                         });
    }
    // The file list's "ID_Stop" click at the given thumbnail report.
    void stopAtReport(int report) { atReport(report, [this] { w().ToggleThumbnails(); }); }
    void expectShown()
    {
        EXPECT_TRUE(gs.fThumbView);
        EXPECT_EQ(tool(w(), "ID_Stop")->Caption(), "Explore Files");
        EXPECT_TRUE(tool(w(), "ID_Stop")->Visible() && tool(w(), "ID_Stop")->Enabled());
        EXPECT_FALSE(w().ImagList1->isHidden());
        EXPECT_TRUE(tool(w(), "ID_Find")->Enabled());
    }
    void expectFileList()
    {
        EXPECT_FALSE(gs.fThumbView || gs.fThumbsLoading || w().thumbnails().fThumbsStopped);
        EXPECT_FALSE(tool(w(), "ID_Stop")->Visible());
        EXPECT_TRUE(tool(w(), "ID_ThumbNails")->Visible() && tool(w(), "ID_ThumbNails")->Enabled());
        EXPECT_TRUE(w().ImagList1->isHidden());
        EXPECT_TRUE(tool(w(), "ID_Find")->Enabled() && tool(w(), "ID_FindNext")->Enabled());
        EXPECT_NE(w().cursor().shape(), Qt::WaitCursor) << "the hourglass was left on";
    }
};

} // namespace

TEST_F(Thumbnails, AllFilesComeInTableOrderWithNamesPathsSizesAndDepth)
{
    makeMixedFolder();
    w().ToggleThumbnails();
    EXPECT_TRUE(dialogs().messages.isEmpty()) << dialogs().texts().join("|").toStdString();
    ASSERT_EQ(texts(w().ImagList1), (QStringList{"a.jpg", "e.tif", "b.PNG", "c.gif"}));
    EXPECT_EQ(w().ImagList1->Item(1).FilePath, file("e.tif"));
    EXPECT_EQ(w().ImagList1->ItemWidth(), 115);
    EXPECT_EQ(w().ImagList1->ItemHeight(), 115);
    for (int i = 0; i < 3; ++i) { // the small GIF keeps its size
        const QImage& img = w().ImagList1->Item(i).Bitmap;
        EXPECT_EQ(std::max(img.width(), img.height()), 105) << i;
        EXPECT_EQ(img.depth(), 16) << i;
    }
    EXPECT_EQ(w().ImagList1->Item(0).Bitmap.size(), QSize(105, 70));
    EXPECT_EQ(w().ImagList1->Item(3).Bitmap.size(), QSize(64, 64));
    expectShown();
    EXPECT_NE(w().cursor().shape(), Qt::WaitCursor);
}

TEST_F(Thumbnails, CellSizeAndColourDepthFollowTheOptions)
{
    writePicture(file("a.jpg"), QSize(400, 400));
    gs.nThumbWidth = 200;
    gs.nThumbHeight = 150;
    gs.nThumbBitsIndex = 0;
    w().ToggleThumbnails();
    ASSERT_EQ(w().ImagList1->Count(), 1);
    EXPECT_EQ(w().ImagList1->ItemWidth(), 200);
    EXPECT_EQ(w().ImagList1->ItemHeight(), 150);
    EXPECT_EQ(w().ImagList1->Item(0).Bitmap.size(), QSize(137, 137)); // 150 - 13, 200 - 18
    EXPECT_EQ(w().ImagList1->Item(0).Bitmap.depth(), 32);

    for (auto [index, depth, colours] : {std::tuple{10, 1, 2}, {5, 8, 64}}) {
        w().ToggleThumbnails(); // "Explore Files"
        gs.nThumbBitsIndex = index;
        w().ToggleThumbnails();
        ASSERT_EQ(w().ImagList1->Count(), 1);
        EXPECT_EQ(w().ImagList1->Item(0).Bitmap.depth(), depth) << index;
        EXPECT_LE(w().ImagList1->Item(0).Bitmap.colorCount(), colours) << index;
    }
}

TEST_F(Thumbnails, FilterRowsGiveTheRangeOfPictureTypes)
{
    tables::fillExtensionTable();
    tables::fillFileFilterTable();
    using R = std::pair<int, int>;
    EXPECT_EQ(browser::thumbnailRange(35), R(0, 39));  // "All Files (*.*)"
    EXPECT_EQ(browser::thumbnailRange(1), R(4, 6));    // "TIFF Formats": TIFF to MPT
    EXPECT_EQ(browser::thumbnailRange(7), R(0, 5));    // "*.TIFF;*.TIF;*.JPG": swapped
    EXPECT_EQ(browser::thumbnailRange(2), R(7, 7));    // "*.BMP"
    EXPECT_EQ(browser::thumbnailRange(31), R(0, 39));  // MAC, IMG and MSP stand after CAL in the row
    EXPECT_EQ(browser::thumbnailRange(30), R(35, 39)); // ICA, IMG, MSP are not lost
    EXPECT_EQ(browser::thumbnailRange(33), R(0, 39));  // multimedia: audio and video passed over
    EXPECT_FALSE(browser::thumbnailRange(34));         // text files
    EXPECT_FALSE(browser::thumbnailRange(26));         // wave files
}

TEST_F(Thumbnails, NothingToShowGoesBackToTheFileList)
{
    testsupport::writeFile(file("broken.jpg"), "\xFF\xD8\xFF garbage");
    testsupport::writeFile(file("empty.png"), "");
    testsupport::writeFile(file("notes.txt"), "text");
    // The text-files filter: back at once, without a message.
    w().nFilterRow = 34;
    w().ToggleThumbnails();
    EXPECT_TRUE(dialogs().messages.isEmpty());
    expectFileList();

    // Only corrupt or empty pictures, then a filter (BMP) that matches nothing here.
    for (int row : {35, 2}) {
        dialogs().messages.clear();
        w().nFilterRow = row;
        w().ToggleThumbnails();
        ASSERT_EQ(dialogs().texts(), QStringList{"      No Thumbnails to Display"}) << row;
        EXPECT_EQ(dialogs().messages.first().title, "Brevanto Lumivex 3.0");
        expectFileList();
    }

    // A folder the list shows with nothing in it: the tool does nothing.
    dialogs().messages.clear();
    QTemporaryDir empty;
    w().setFileListFolder(empty.path());
    w().ToggleThumbnails();
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_FALSE(gs.fThumbView);
}

TEST_F(Thumbnails, APictureThatCannotBeReadIsReportedWithTheCodeOfItsRefusal)
{
    writePicture(file("a.tif"), QSize(400, 100));
    testsupport::writeFile(file("b.tif"), "II*\0 not a picture");
    ASSERT_TRUE(samples::writeBytes(file("c.tif"), samples::whiteTiff(1000001, 100)));
    QHash<QString, int> statuses;
    QObject::connect(w().Thumb1, &platform::ThumbnailGenerator::ThumbReady, w().Thumb1,
                     [&](const QImage&, const QString& path, int status, int) {
                         statuses[QFileInfo(path).fileName()] = status;
                     });
    tool(w(), "ID_ThumbNails")->action()->trigger();
    ASSERT_TRUE(thumbtest::waitForThumbnailRun(w()));
    // A bad file and a picture wider than TIFF's reader takes, each told as what it is.
    EXPECT_EQ(statuses, (QHash<QString, int>{{"a.tif", 0}, {"b.tif", 20009}, {"c.tif", 20011}}));
    EXPECT_EQ(texts(w().ImagList1), QStringList{"a.tif"});
}

TEST_F(Thumbnails, StopKeepsWhatWasMadeAndExploreFilesGoesBack)
{
    makeJpegs(30);
    stopAtReport(3);
    w().ToggleThumbnails();
    const int made = w().ImagList1->Count();
    EXPECT_GE(made, 3);
    EXPECT_LT(made, 30);
    expectShown();
    EXPECT_TRUE(w().thumbnails().fThumbsStopped);

    // "Explore Files" leaves the view for the Pictures tab and clears the stop.
    w().ToggleThumbnails();
    expectFileList();
    EXPECT_EQ(w().TabStrip1->currentIndex(), 2);

    // A stopped run is not held: the next one makes the whole folder.
    QObject::disconnect(w().Thumb1, &platform::ThumbnailGenerator::ThumbReady, w().Thumb1, nullptr);
    w().ToggleThumbnails();
    EXPECT_EQ(w().ImagList1->Count(), 30);
    expectShown();
}

TEST_F(Thumbnails, StopBeforeTheFirstThumbnailRestoresTheFileListTools)
{
    // Undecodable files: reports come, thumbnails do not.
    for (int i = 0; i < 20; ++i)
        testsupport::writeFile(file(QStringLiteral("bad%1.jpg").arg(i)), "not a jpeg");
    writePicture(file("z.png"), QSize(50, 50));
    stopAtReport(1);
    w().ToggleThumbnails();
    EXPECT_EQ(w().ImagList1->Count(), 0);
    EXPECT_TRUE(dialogs().messages.isEmpty()) << "the user stopped it: no message";
    expectFileList();
}

TEST_F(Thumbnails, HeldThumbnailsAreReusedAfterATabChangeOnlyWhenNothingChanged)
{
    makeMixedFolder();
    w().ToggleThumbnails();
    ASSERT_EQ(w().ImagList1->Count(), 4);
    // Another tab, then the ThumbNails tab again (the tab change clears
    // fThumbsLoading and toggles): shown, and "Explore Files" still leaves.
    w().TabStrip1->setCurrentIndex(0);
    gs.fThumbsLoading = false;
    w().ToggleThumbnails();
    expectShown();
    EXPECT_EQ(w().ImagList1->Count(), 4);
    w().ToggleThumbnails(); // Explore Files
    expectFileList();
    writePicture(file("f.jpg"), QSize(80, 80));

    // Same folder, filter, size and depth: shown again without a run.
    w().ToggleThumbnails();
    EXPECT_EQ(w().ImagList1->Count(), 4);
    expectShown();

    const auto again = [&]() {
        w().ToggleThumbnails();
        w().ToggleThumbnails();
        return w().ImagList1->Count();
    };
    gs.nThumbBitsIndex = 1;
    EXPECT_EQ(again(), 5) << "a new depth makes them again";
    w().ToggleThumbnails();
    writePicture(file("g.jpg"), QSize(80, 80));
    gs.nThumbWidth = 100;
    EXPECT_EQ(again(), 6) << "a new size makes them again";
    w().ToggleThumbnails();
    w().nFilterRow = 0; // JPEG
    EXPECT_EQ(again(), 3) << "a new filter makes them again";
}

TEST_F(Thumbnails, ClickingAThumbnailOpensItsFile)
{
    makeMixedFolder();
    w().resize(900, 700);
    w().show();
    w().ToggleThumbnails();
    ASSERT_EQ(w().ImagList1->Count(), 4);
    QSignalSpy clicks(w().ImagList1, &platform::ImageList::ItemClick);
    gs.nPicturePage = 4;
    gs.fInternetLoading = true;
    const QPoint at = w().ImagList1->itemRect(1).center();
    QTest::mouseClick(w().ImagList1->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(clicks.count(), 1);
    const int position = clicks.first().first().toInt();
    EXPECT_EQ(w().ImagList1->Item(position).FilePath, file("e.tif"));
    EXPECT_EQ(gs.nPicturePage, 1);
    EXPECT_FALSE(gs.fInternetLoading);
}

TEST_F(Thumbnails, ChangesDuringARunEndInACleanState)
{
    makeJpegs(20);
    writePicture(file("only.png"), QSize(90, 90));

    // A filter change while the run goes on: that run stops and the new filter's follows.
    atReport(2, [this] {
        w().nFilterRow = 15; // PNG
        bool made = true;
        w().GenerateThumbnails(made);
        EXPECT_FALSE(made);
    });
    w().ToggleThumbnails();
    ASSERT_TRUE(thumbtest::waitForThumbnailRun(w()));
    EXPECT_EQ(texts(w().ImagList1), QStringList{"only.png"});
    expectShown();
}

TEST_F(Thumbnails, ClosingDuringARunWaitsForIt)
{
    makeJpegs(20);
    w().show();
    atReport(2, [this] { EXPECT_FALSE(w().close()); });
    w().ToggleThumbnails();
    EXPECT_LT(w().ImagList1->Count(), 20);
    EXPECT_TRUE(QTest::qWaitFor([&]() { return !w().isVisible(); }, 10000));
    EXPECT_TRUE(QFile::exists(gs.programFile("Options.INI"))) << "the shutdown ran after the run";
}

TEST_F(Thumbnails, AFolderClickedDuringARunIsShownAtOnceAndItsRunFollows)
{
    const QString a = file("A"), b = file("B");
    ASSERT_TRUE(QDir().mkpath(a) && QDir().mkpath(b));
    for (int i = 0; i < 24; ++i)
        writePicture(QDir(a).filePath(QStringLiteral("a%1.png").arg(i, 2, 10, QLatin1Char('0'))), QSize(1200, 900));
    // The file list shows JPEG files: B's first one is loaded into the picture view.
    for (int i = 0; i < 3; ++i)
        writePicture(QDir(b).filePath(QStringLiteral("b%1.jpg").arg(i)), QSize(120, 90));
    Lumivex1& win = w();
    win.resize(1000, 700);
    win.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
    win.PTxShTree1->setRootFolders({folder()});
    gs.cLastFolder = a;
    win.finishStartUp();
    ASSERT_TRUE(win.PTxShTree1->Items().Item(0)->setExpanded(true));
    win.setFileListFolder(a);
    win.nFilterRow = tables::kAllFilesRow;

    // The row of folder B under the root, as the user sees it.
    QAbstractItemModel* model = win.PTxShTree1->model();
    const QModelIndex root = model->index(0, 0);
    QModelIndex rowB;
    for (int r = 0; r < model->rowCount(root); ++r)
        if (model->index(r, 0, root).data().toString() == "B")
            rowB = model->index(r, 0, root);
    ASSERT_TRUE(rowB.isValid());

    // The click comes while the run works on A, as the user's does: from the message loop.
    QStringList reported;
    int reportsAtClick = -1, reportsWhenBack = -1, oldThumbsAdded = 0, shown = 0;
    QString listAtClick, titleAtClick, comboAtClick, treeAtClick;
    QObject::connect(win.Thumb1, &platform::ThumbnailGenerator::ThumbReady, win.Thumb1,
                     [&](const QImage&, const QString& path, int, int) {
                         reported << path;
                         const int n = win.ImagList1->Count();
                         if (reportsAtClick >= 0 && n > shown && win.ImagList1->Item(n - 1).FilePath.startsWith(a + "/"))
                             ++oldThumbsAdded;
                         shown = n;
                     });
    // What the picture view held when the tree first painted after the click.
    QString pictureAtFirstPaint = "-";
    PaintWatch paints;
    paints.onPaint = [&] {
        if (reportsAtClick >= 0 && pictureAtFirstPaint == "-")
            pictureAtFirstPaint = gs.cCurrentPicture;
    };
    win.PTxShTree1->viewport()->installEventFilter(&paints);
    QTimer clicker;
    clicker.setInterval(1);
    QObject::connect(&clicker, &QTimer::timeout, &win, [&] {
        if (reported.size() < 3 || reportsAtClick >= 0)
            return;
        clicker.stop();
        reportsAtClick = int(reported.size());
        shown = win.ImagList1->Count();
        QTest::mouseClick(win.PTxShTree1->viewport(), Qt::LeftButton, {}, win.PTxShTree1->visualRect(rowB).center());
        listAtClick = win.fileListFolder();
        titleAtClick = win.windowTitle();
        comboAtClick = win.PTxShCombo1->currentText().trimmed();
        treeAtClick = win.PTxShTree1->SelectedFolder();
        // Whether the window is back in its own message loop before B's run reports.
        QTimer::singleShot(0, &win, [&] {
            reportsWhenBack = 0;
            for (const QString& p : reported)
                reportsWhenBack += p.startsWith(b + "/");
        });
    });
    clicker.start();
    win.ToggleThumbnails();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !win.thumbnailRunActive() && win.ImagList1->Count() == 3; }, 20000));

    ASSERT_GE(reportsAtClick, 3) << "the click came during the run";
    EXPECT_LT(reportsAtClick, 24);
    EXPECT_EQ(listAtClick, b) << "the list shows the clicked folder at once";
    EXPECT_EQ(treeAtClick, b);
    EXPECT_EQ(titleAtClick, kProgramTitle + " - B");
    EXPECT_EQ(comboAtClick, "B") << "the folder box too";
    EXPECT_EQ(oldThumbsAdded, 0) << "no thumbnail of the old folder after the click";
    EXPECT_EQ(reportsWhenBack, 0) << "the old run gave the window back before the new one began";
    EXPECT_LE(reported.filter(a + "/").size(), reportsAtClick + 1) << "the old run stopped at once";
    EXPECT_EQ(texts(win.ImagList1), (QStringList{"b0.jpg", "b1.jpg", "b2.jpg"}));
    EXPECT_FALSE(pictureAtFirstPaint.startsWith(b + "/"))
        << "the tree was painted on the new folder before its first picture was loaded";
    EXPECT_EQ(gs.cCurrentPicture, QDir(b).filePath("b0.jpg")) << "and then the picture was loaded";
    expectShown();
}
