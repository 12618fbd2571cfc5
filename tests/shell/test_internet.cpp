// The Internet tab: the browser's page events, the visited addresses, the
// favourites tree, saving pages to it, and the list of web addresses, on the
// main window with its own controls.
#include "ScriptedDialogs.h"
#include "LoopbackServer.h"
#include "ShellTestWindow.h"
#include "browser/GetURL1.h"
#include "lists/FavoritesTree.h"
#include "lists/InternetShortcut.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace shelltest;
using platform::TreeNode;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

constexpr int kInternet = 5;

// A browser that opens its pages at once: each navigation raises the page's
// events, with the title the test gave that address.
class PageBrowser : public RecordingBrowser {
public:
    using RecordingBrowser::RecordingBrowser;
    QHash<QString, QString> titles;
    void Navigate2(const QString& a) override
    {
        RecordingBrowser::Navigate2(a);
        raiseBeforeNavigate(a);
        title = titles.value(a, a);
        raiseTitleChange(title);
        raiseNavigateComplete(a);
    }
};

// The user's data folder of its own, the window's browsers made by the
// window itself from the factory, then the shell.
struct Internet : ::testing::Test {
    QTemporaryDir data;
    QByteArray oldData = qgetenv("XDG_DATA_HOME");
    QStringList browserLog;
    PageBrowser* page = nullptr;
    std::unique_ptr<Shell> shell;

    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        platform::setWebBrowserFactory([this](const QString& name) -> std::unique_ptr<platform::WebBrowser> {
            auto b = std::make_unique<PageBrowser>(&browserLog, name);
            if (name == QLatin1String("WebBrowser2"))
                page = b.get();
            return b;
        });
    }
    void TearDown() override
    {
        shell.reset();
        platform::setWebBrowserFactory({});
        qputenv("XDG_DATA_HOME", oldData);
    }
    TestWindow& start()
    {
        shell = std::make_unique<Shell>();
        return shell->w();
    }
    QString favorites(const QString& rel = {}) const
    {
        return data.path() + "/Lumivex/Favorites" + (rel.isEmpty() ? QString() : "/" + rel);
    }
    platform::ScriptedDialogs& dialogs() { return shell->dialogs.service; }

    static QComboBox* combo(TestWindow& w) { return w.ToolBarComp1->Item("ID_IntURLEnter")->ComboBox(); }
    static QStringList visited(TestWindow& w)
    {
        QStringList out;
        for (int i = 0; i < combo(w)->count(); ++i)
            out << combo(w)->itemText(i);
        return out;
    }
    // Clicks the favourites tree's node, then double-clicks it if asked.
    static void click(TestWindow& w, const QString& key, bool thenDouble = false)
    {
        const QPoint at = w.TreeView4->nodeRect(w.TreeView4->nodeByKey(key)).center();
        QTest::mouseClick(w.TreeView4->viewport(), Qt::LeftButton, {}, at);
        if (thenDouble)
            QTest::mouseDClick(w.TreeView4->viewport(), Qt::LeftButton, {}, at);
    }
    // The window on screen on the Internet tab, its tree opened out.
    static void showInternetTab(TestWindow& w)
    {
        w.finishStartUp();
        w.TabStrip1->setCurrentIndex(kInternet);
        w.resize(900, 600);
        w.show();
        w.TreeView4->expandAll();
    }
};

} // namespace

TEST_F(Internet, PageEventsAndVisitedAddresses)
{
    TestWindow& w = start();
    // Still starting up: only the history takes note.
    w.TabStrip1->setCurrentIndex(kInternet);
    const QString caption = w.windowTitle();
    gs.cCurrentURL = "kept";
    combo(w)->setEditText("typed");
    page->raiseBeforeNavigate("http://early.example/");
    page->raiseTitleChange("Early");
    page->raiseNavigateComplete("http://early.example/");
    EXPECT_EQ(gs.cCurrentURL, "kept");
    EXPECT_EQ(combo(w)->currentText(), "typed");
    EXPECT_EQ(w.windowTitle(), caption);
    EXPECT_EQ(visited(w), QStringList{"http://early.example/"});

    // On the Internet tab: the address, the hourglass while the page loads, its title as the caption.
    w.finishStartUp();
    page->raiseBeforeNavigate("http://a.example/");
    EXPECT_TRUE(w.hourglass());
    EXPECT_EQ(gs.cCurrentURL, "http://a.example/");
    EXPECT_EQ(combo(w)->currentText(), "http://a.example/");
    page->raiseTitleChange("Page A");
    EXPECT_EQ(w.windowTitle(), "Page A");
    page->raiseNavigateComplete("http://a.example/");
    EXPECT_TRUE(w.pointerIsDefault());

    // One entry per address; letter case counts; blanks around an entry do not.
    page->raiseNavigateComplete("http://a.example/");
    page->raiseNavigateComplete("HTTP://A.example/");
    combo(w)->addItem("  http://b.example/ ");
    page->raiseNavigateComplete("http://b.example/");
    EXPECT_EQ(visited(w), (QStringList{"http://early.example/", "http://a.example/", "HTTP://A.example/",
                                       "  http://b.example/ "}));

    // Another tab: recorded, and nothing else touched, its hourglass included.
    w.TabStrip1->setCurrentIndex(2);
    w.setCursor(Qt::WaitCursor);
    const QString pictures = w.windowTitle();
    page->raiseBeforeNavigate("http://c.example/");
    page->raiseTitleChange("Page C");
    page->raiseNavigateComplete("http://c.example/");
    EXPECT_EQ(gs.cCurrentURL, "http://a.example/");
    EXPECT_EQ(combo(w)->currentText(), "http://a.example/");
    EXPECT_EQ(w.windowTitle(), pictures);
    EXPECT_TRUE(w.hourglass());
    EXPECT_EQ(visited(w).last(), "http://c.example/");
    w.unsetCursor();
}

TEST_F(Internet, AddSavesThePageIntoTheClickedFolderAndItOpensAfterARestart)
{
    // The Favorites folder is made at start-up when it is missing.
    start();
    EXPECT_TRUE(QFileInfo(favorites()).isDir());
    shell.reset();

    LoopbackServer server;
    const QString address = server.url("/r");
    QDir().mkpath(favorites("News"));
    TestWindow& w = start();
    showInternetTab(w);
    page->titles[address] = "Report: 2005";
    w.ToolBarComp1->Item("ID_IntURLEnter")->setComboText(address);
    w.click("ID_IntGo");
    click(w, "News");
    w.click("ID_IntAddFavorite");
    const QByteArray a = address.toUtf8();
    EXPECT_EQ(readFile(favorites("News/Report- 2005.URL")),
              "[DEFAULT]\r\nBASEURL=" + a + "\r\n[InternetShortcut]\r\nURL=" + a + "\r\n");
    EXPECT_EQ(dialogs().texts(), QStringList{"Web Site Page Successfully Saved to Favorites"});
    ASSERT_NE(w.TreeView4->nodeByKey("News/Report- 2005"), nullptr);
    shell.reset();

    // After a restart the tree opens it in the browser, which records the visit.
    writeFile(favorites("News/Other.URL"), "[InternetShortcut]\r\nURL=http://other.example/\r\n");
    TestWindow& again = start();
    showInternetTab(again);
    click(again, "News/Report- 2005", true);
    EXPECT_EQ(page->url, address);
    EXPECT_EQ(combo(again)->currentText(), address);
    EXPECT_EQ(visited(again).last(), address);
    click(again, "News/Other", true);
    EXPECT_EQ(page->url, "http://other.example/") << "a shortcut another program wrote";
    again.hide();
}

TEST_F(Internet, WebAddressListOpensThroughTheMainWindow)
{
    TestWindow& w = start();
    writeFile(QDir(gs.cProgramFolder).filePath("PictList.INI"), "http://a.example/1.jpg\r\nhttp://b.example/2.mp3\r\n");
    w.click("ID_mnuOpenFilelnterent");
    QPointer<GetURL1> list = GetURL1::instance();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->Text1->text(), "http://a.example/1.jpg");
    w.click("ID_mnuOpenFilelnterent");
    EXPECT_EQ(GetURL1::instance(), list.data()) << "brought forward, not opened twice";

    list->Text1->clear();
    QTest::keyClicks(list->Text1, "http://c.example/3.png");
    QTest::mouseClick(list->OpenBtn, Qt::LeftButton);
    EXPECT_EQ(w.calls, QStringList{"DisplayFile http://c.example/3.png"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.isNull(); }, 2000));
    gs.fInternetLoading = false;
}

TEST_F(Internet, TheRealEngineOpensALoopbackPageAndAddSavesIt)
{
    platform::setWebBrowserFactory({});
    LoopbackServer server;
    server.put("/r", "<html><head><title>Report: 2005</title></head><body>report</body></html>");
    const QString address = server.url("/r");
    TestWindow& w = start();
    showInternetTab(w);
    w.ToolBarComp1->Item("ID_IntURLEnter")->setComboText(address);
    w.click("ID_IntGo");
    if (!QTest::qWaitFor([&] { return visited(w).contains(address); }, 60000))
        GTEST_SKIP() << "the web engine did not open the page here (offscreen, no GPU)";
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.windowTitle() == "Report: 2005"; }, 10000))
        << w.windowTitle().toStdString();
    EXPECT_EQ(gs.cCurrentURL, address);
    EXPECT_TRUE(w.pointerIsDefault());
    w.click("ID_IntAddFavorite");
    EXPECT_EQ(lists::readInternetShortcut(favorites("Report- 2005.URL")), address);
    EXPECT_NE(w.TreeView4->nodeByKey("Report- 2005"), nullptr);
    w.hide();
}
