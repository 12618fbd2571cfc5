// The tabs: tool bars, player mode and tools per tab, the picture view, the
// Internet tab's first visit, the thumbnails, the caption and the list files.
#include "ShellTestWindow.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include "platform/controls/ImageList.h"
#include "platform/pictures/ThumbnailGenerator.h"
#include <gtest/gtest.h>

using namespace shelltest;
using Tabs = ShellTest;

namespace {
enum Tab { Videos = 0, Music, Pictures, ThumbNails, Documents, Internet };

// The tool bars (2 to 7) that are shown.
QList<int> shownBars(TestWindow& w)
{
    QList<int> out;
    for (int n = 2; n <= 7; ++n)
        if (w.ToolBarComp1->barVisible(n))
            out << n;
    return out;
}

bool toolShown(TestWindow& w, const char* id) { return w.ToolBarComp1->Item(QString::fromLatin1(id))->Visible(); }
} // namespace

TEST_F(Tabs, EachTabShowsItsToolBarAndPlayerMode)
{
    EXPECT_EQ(shownBars(w), QList<int>{2}) << "start-up shows the file tool bar";

    w.TabStrip1->setCurrentIndex(Music);
    EXPECT_EQ(shownBars(w), QList<int>{4});
    EXPECT_EQ(gs.cPlayerMode, "1");
    EXPECT_TRUE(toolShown(w, "ID_AudioReplace"));
    for (const char* id : {"ID_VidEdit", "ID_ViewVideos", "ID_PicBtn"})
        EXPECT_FALSE(toolShown(w, id)) << id;

    w.TabStrip1->setCurrentIndex(Videos);
    EXPECT_EQ(shownBars(w), QList<int>{4});
    EXPECT_EQ(gs.cPlayerMode, "0");
    EXPECT_FALSE(toolShown(w, "ID_AudioReplace"));
    for (const char* id : {"ID_VidEdit", "ID_ViewVideos", "ID_PicBtn"})
        EXPECT_TRUE(toolShown(w, id)) << id;

    w.TabStrip1->setCurrentIndex(Music);
    w.TabStrip1->setCurrentIndex(Pictures);
    EXPECT_EQ(shownBars(w), QList<int>{3});
    EXPECT_EQ(gs.cPlayerMode, "0") << "any tab but Music gives the video player";
    EXPECT_TRUE(toolShown(w, "ID_AudioReplace")) << "other tabs leave the player tools as they were";
    // The toggle swaps the tab's bar for the file bar and back.
    w.click("ID_ToggleBtn");
    EXPECT_EQ(shownBars(w), QList<int>{2});
    w.click("ID_ToggleBtn");
    EXPECT_EQ(shownBars(w), QList<int>{3});

    w.TabStrip1->setCurrentIndex(ThumbNails);
    EXPECT_EQ(shownBars(w), QList<int>{2});
    w.click("ID_ToggleBtn");
    EXPECT_EQ(shownBars(w), QList<int>{2}) << "ThumbNails has no bar of its own: the toggle changes nothing";
    w.TabStrip1->setCurrentIndex(Internet);
    EXPECT_EQ(shownBars(w), QList<int>{6});

    // The address bar is hidden at every change, shown by "Visited".
    w.click("ID_IntVisited");
    EXPECT_EQ(shownBars(w), (QList<int>{6, 7}));
    w.click("ID_IntVisited");
    EXPECT_EQ(shownBars(w), QList<int>{6});
    EXPECT_FALSE(gs.fBusy);
}

TEST_F(Tabs, ChangedListsAreWrittenOnce)
{
    // A first start makes the default lists, to be written at the first change.
    EXPECT_TRUE(w.fVideoListsChanged);
    EXPECT_TRUE(w.fMusicListsChanged);
    w.fDocumentListChanged = true;

    w.TabStrip1->setCurrentIndex(Music);
    for (const char* name : {"VideoLists.PLS", "VideoListDtl.PLS", "MusicLists.PLS", "MusicListDtl.PLS",
                             "TextList.PLS"})
        EXPECT_TRUE(QFileInfo::exists(s.folder.file(name))) << name;
    EXPECT_EQ(testsupport::readFile(s.folder.file("VideoLists.PLS")), "My Video PlayList\r\n");
    EXPECT_FALSE(w.fVideoListsChanged);
    EXPECT_FALSE(w.fMusicListsChanged);
    EXPECT_FALSE(w.fDocumentListChanged);

    // A second change writes nothing.
    for (const char* name : {"VideoLists.PLS", "MusicLists.PLS", "TextList.PLS"})
        QFile::remove(s.folder.file(name));
    w.TabStrip1->setCurrentIndex(Pictures);
    for (const char* name : {"VideoLists.PLS", "MusicLists.PLS", "TextList.PLS"})
        EXPECT_FALSE(QFileInfo::exists(s.folder.file(name))) << name;

    // Only the list that changed is written.
    w.fMusicListsChanged = true;
    w.TabStrip1->setCurrentIndex(Videos);
    EXPECT_TRUE(QFileInfo::exists(s.folder.file("MusicLists.PLS")));
    EXPECT_FALSE(QFileInfo::exists(s.folder.file("VideoLists.PLS")));
}

TEST_F(Tabs, InternetTabSetsUpOnce)
{
    FakeBrowser* browser = w.fakeBrowser(2);
    browser->title = "Start Page";
    w.ToolBarComp1->Item("ID_IntVisited")->setState(1);

    w.TabStrip1->setCurrentIndex(Internet);
    EXPECT_EQ(w.browserLog, QStringList{"WebBrowser2 GoHome"});
    EXPECT_TRUE(w.fInternetTabShown);
    EXPECT_EQ(w.ToolBarComp1->Item("ID_IntVisited")->State(), 0);
    EXPECT_FALSE(w.ToolBarComp1->barVisible(7));
    EXPECT_FALSE(browser->view()->isHidden());
    EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0 - Start Page");

    w.TabStrip1->setCurrentIndex(Videos);
    w.TabStrip1->setCurrentIndex(Internet);
    EXPECT_EQ(w.browserLog, QStringList{"WebBrowser2 GoHome"}) << "the home page only on the first visit";
}

TEST_F(Tabs, ThumbnailRunStartsAfterTheTabHandler)
{
    QTemporaryDir pictures;
    for (int i = 0; i < 12; ++i) {
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(QColor(20 * i, 100, 200));
        ASSERT_TRUE(img.save(QDir(pictures.path()).filePath(QStringLiteral("p%1.png").arg(i, 2, 10, QChar('0')))));
    }
    w.setFileListFolder(pictures.path());
    w.click("All Files (*.*)");

    // "ID_Stop" from the first thumbnail on: it must reach the run.
    int reports = 0;
    bool busyDuringRun = false;
    QObject::connect(w.Thumb1, &platform::ThumbnailGenerator::ThumbReady, w.Thumb1,
                     [&](const QImage&, const QString&, int, int) {
                         busyDuringRun |= gs.fBusy;
                         if (++reports == 1)
                             w.click("ID_Stop");
                     });
    w.TabStrip1->setCurrentIndex(ThumbNails);
    EXPECT_EQ(reports, 0) << "no thumbnail is made inside the tab handler";
    EXPECT_FALSE(gs.fBusy);
    EXPECT_TRUE(w.thumbnailRunActive());
    for (int i = 0; i < 2000 && w.thumbnailRunActive(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(w.thumbnailRunActive());
    EXPECT_FALSE(busyDuringRun);
    EXPECT_GE(w.ImagList1->Count(), 1);
    EXPECT_LT(w.ImagList1->Count(), 12) << "the stop ended the run";
}

TEST_F(Tabs, CaptionFollowsTheTab)
{
    w.fakeBrowser(1)->title = "Manual";
    const QString title = "Brevanto Lumivex 3.0";

    w.listPath = "/home/u/pics/a.png";
    w.TabStrip1->setCurrentIndex(ThumbNails);
    EXPECT_EQ(w.windowTitle(), title + " - /home/u/pics/a.png");

    w.cShownPicture = "/home/u/pics/b.png";
    w.TabStrip1->setCurrentIndex(Pictures);
    EXPECT_EQ(w.windowTitle(), title + " - /home/u/pics/b.png");

    // A player that gives no file name leaves the caption alone.
    w.TabStrip1->setCurrentIndex(Videos);
    EXPECT_EQ(w.windowTitle(), title + " - /home/u/pics/b.png");
    w.playerFile = "/v/clip.avi";
    w.TabStrip1->setCurrentIndex(Music);
    EXPECT_EQ(w.windowTitle(), title + " - /v/clip.avi");

    w.WebBrowser1->setVisible(true);
    w.TabStrip1->setCurrentIndex(Documents);
    EXPECT_EQ(w.windowTitle(), title + " - Manual");
}
