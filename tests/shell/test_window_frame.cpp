// The main window on the screen: its frame where the settings put it, the
// player controls usable at the first-start size, the Internet tab's page
// beside a resizable favourites column, a maximised window coming back
// maximised, and the tip and help windows clear of the menu and tool bars.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/KeyedTree.h"
#include "platform/controls/ToolBarComp.h"
#include "platform/controls/Units.h"
#include "platform/net/WebBrowser.h"
#include "shared/SharedState.h"
#include "shell/HelpWindow.h"
#include "shell/QuikTip1.h"
#include "window/Lumivex1.h"

#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using testsupport::ProgramFolder;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct FrameTest : ::testing::Test {
    ProgramFolder folder;
    platform::ScopedDialogs dialogs;

    // A later start: the settings files are there.
    void writeSettings(const QByteArray& geometry, bool tips)
    {
        writeFile(folder.file("Options.INI"), geometry + " 0 2 0 115 115 2 40 0 5000 500 9 0\r\nPC\r\n" +
                                                  folder.path().toUtf8() + "\r\n0 1 " + (tips ? "1" : "0") +
                                                  " 0 0 0 1 1 1 0 0 1\r\n");
    }

    static std::unique_ptr<Lumivex1> start()
    {
        auto w = std::make_unique<Lumivex1>(QStringList{});
        w->startUp();
        w->finishStartUp();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }
};

void showTab(Lumivex1& w, int index)
{
    QTabBar* tabs = w.TabStrip1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    ASSERT_EQ(w.TabStrip1->currentIndex(), index);
}

// The menu bar and the tool bars shown, on the screen.
QRect barsOnScreen(Lumivex1& w)
{
    QRect bars(w.menuBar()->mapToGlobal(QPoint(0, 0)), w.menuBar()->size());
    for (int n = 2; n <= 7; ++n)
        if (QToolBar* b = w.ToolBarComp1->toolBar(n); b && b->isVisible())
            bars |= QRect(b->mapToGlobal(QPoint(0, 0)), b->size());
    return bars;
}

int widthOf(Lumivex1& w, const char* name)
{
    QWidget* c = w.findChild<QWidget*>(name);
    return c && c->isVisible() ? c->width() : -1;
}

} // namespace

TEST_F(FrameTest, FirstStartPlacesTheFrameAndKeepsPlayerControlsUsable)
{
    auto w = start();
    // The stored place (0, 100 twips) is the frame's: the title bar is on the screen.
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(0, platform::twipsToPixelsY(100)));
    EXPECT_GE(w->frameGeometry().top(), w->screen()->availableGeometry().top());
    EXPECT_EQ(w->size(), QSize(platform::twipsToPixelsX(10500), platform::twipsToPixelsY(8000)))
        << "the first-start size is kept";

    showTab(*w, 0);
    EXPECT_GE(widthOf(*w, "MedPosition"), 100);
    EXPECT_GE(widthOf(*w, "MedVolume"), 60);
    EXPECT_GE(widthOf(*w, "TreeView1"), 120) << "the play lists keep a readable column";
    QWidget* frame1 = w->findChild<QWidget*>("Frame1");
    for (const char* name : {"VidPlayBtn", "VidPauseBtn", "VidStopBtn", "VidFrstBtn", "VidSCutBtn", "VidECutBtn",
                             "VidLastBtn", "VidMuteBtn", "VidContBtn"}) {
        QWidget* b = w->findChild<QWidget*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(b->isVisible() && frame1->rect().contains(b->geometry())) << name;
    }
    // The volume slider answers the keyboard as a slider should.
    auto* volume = w->findChild<QSlider*>("MedVolume");
    volume->setFocus();
    QTest::keyClick(volume, Qt::Key_PageDown);
    EXPECT_LT(volume->value(), 100);

    showTab(*w, 1);
    EXPECT_GE(widthOf(*w, "MusPosition"), 100);
    EXPECT_GE(widthOf(*w, "MusVolPos"), 60);
    EXPECT_GE(widthOf(*w, "TreeView2"), 120);
    w->Form_Unload();
    EXPECT_TRUE(readFile(folder.file("Options.INI")).startsWith("0 100 8000 10500 ")) << readFile(folder.file("Options.INI")).left(40).toStdString();
}

TEST_F(FrameTest, InternetPageTakesTheTabWidthBesideAResizableFavouritesColumn)
{
    auto w = start();
    w->fInternetTabShown = true; // no page is opened
    showTab(*w, 5);
    QWidget* page = w->WebBrowser2->view();
    auto* split = w->findChild<QSplitter*>("Splitter3");
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->indexOf(page), 0);
    EXPECT_EQ(split->indexOf(w->TreeView4), 1);
    QWidget* tab = w->TabPanel[6];
    EXPECT_GE(page->width(), tab->width() * 3 / 5) << page->width() << " of " << tab->width();
    EXPECT_GE(w->TreeView4->width(), 100);
    EXPECT_GT(page->width(), w->TreeView4->width());

    // Dragging the splitter widens the favourites column.
    const int before = w->TreeView4->width();
    QWidget* handle = split->handle(1);
    const QPoint from = handle->mapToGlobal(handle->rect().center());
    auto at = [&](int dx) { return handle->mapFromGlobal(from + QPoint(dx, 0)); }; // the handle moves along
    QTest::mousePress(handle, Qt::LeftButton, {}, at(0));
    QTest::mouseMove(handle, at(-40));
    QTest::mouseMove(handle, at(-80));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, at(-80));
    EXPECT_NEAR(w->TreeView4->width(), before + 80, 4);
    w->Form_Unload();
}

TEST_F(FrameTest, MaximisedWindowComesBackMaximised)
{
    writeSettings("0 100 8000 10500", false);
    {
        auto w = start();
        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        w->close();
    }
    {
        auto w = start();
        EXPECT_TRUE(w->isMaximized());
        // Restored, it is a normal window on the screen.
        w->showNormal();
        QTRY_VERIFY(!w->isMaximized());
        const QRect avail = w->screen()->availableGeometry();
        EXPECT_TRUE(avail.contains(w->frameGeometry())) << w->frameGeometry().width() << "x"
                                                        << w->frameGeometry().height();
        EXPECT_LT(w->width(), avail.width());
        w->close();
    }
    auto w = start();
    EXPECT_FALSE(w->isMaximized()) << "closed as a normal window, it comes back normal";
    w->close();
}

TEST_F(FrameTest, TipAndHelpStandClearOfTheBars)
{
    writeSettings("0 100 8000 10500", true);
    auto w = start();
    QuikTip1* tip = QuikTip1::current();
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tip));
    const QRect bars = barsOnScreen(*w);
    const QRect avail = w->screen()->availableGeometry();
    EXPECT_FALSE(tip->frameGeometry().intersects(bars));
    EXPECT_TRUE(avail.contains(tip->frameGeometry()));

    help::setHelpFolder(QDir(testsupport::assetsFolder()).filePath("Help"));
    QToolBar* bar = w->ToolBarComp1->toolBar(2);
    QTest::mouseClick(bar->widgetForAction(w->ToolBarComp1->Item("ID_HelpOpen")->action()), Qt::LeftButton);
    HelpWindow* hw = help::existingWindow();
    ASSERT_NE(hw, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hw));
    EXPECT_FALSE(hw->frameGeometry().intersects(bars));
    EXPECT_TRUE(avail.contains(hw->frameGeometry()));
    w->close();
}
