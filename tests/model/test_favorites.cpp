// The Internet favourites: shortcut files, the names pages are saved under,
// the folder walk, and the favourites tree driven through its own widget.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "lists/FavoritesTree.h"
#include "lists/InternetShortcut.h"
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"

#include <QFile>
#include <QMimeData>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using lists::FavoritesTree;
using platform::Answer;
using platform::KeyedTree;
using platform::TreeNode;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const QByteArray kReportFile = "[DEFAULT]\r\nBASEURL=http://127.0.0.1:8080/r\r\n[InternetShortcut]\r\n"
                               "URL=http://127.0.0.1:8080/r\r\n";

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QString trashed(const QString& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/" + name;
}

} // namespace

TEST(InternetShortcut, WrittenWholeAndReadBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Report- 2005.URL");
    ASSERT_TRUE(lists::writeInternetShortcut(file, "http://other.example/"));
    const ino_t before = inodeOf(file);
    ASSERT_TRUE(lists::writeInternetShortcut(file, "http://127.0.0.1:8080/r"));
    EXPECT_EQ(readFile(file), kReportFile);
    EXPECT_NE(inodeOf(file), before) << "written through a new file, never in place";
    EXPECT_FALSE(lists::writeInternetShortcut(file, "http://a.example/\r\n[DEFAULT]")) << "a line end in the address";

    // The second line gives the address, "URL=" or "BASEURL=" dropped; no address gives "".
    const QList<QPair<QByteArray, QString>> files = {
        {kReportFile, "http://127.0.0.1:8080/r"},
        {"[InternetShortcut]\nURL=http://w.example/a?b=1\nIconIndex=0\n", "http://w.example/a?b=1"},
        {"[x]\r\nwww.odd.example\r\n", "www.odd.example"},
        {"[InternetShortcut]\r\n", ""},
        {"[InternetShortcut]\r\nURL=  \r\n", ""},
    };
    for (const auto& [bytes, address] : files) {
        writeFile(file, bytes);
        EXPECT_EQ(lists::readInternetShortcut(file), address) << bytes.toStdString();
    }
    EXPECT_EQ(lists::readInternetShortcut(dir.filePath("missing.URL")), "");
}

TEST(InternetShortcut, FileNamesFromTitles)
{
    const QList<QPair<QString, QString>> names = {
        {"Report: 2005", "Report- 2005.URL"},
        {"Index.html", "Index.URL"},
        {"Version 2.0", "Version 2.URL"},
        {"Release 1.2.3 notes", "Release 1.2.3 notes.URL"},
        {"page.url", "page.url"},
        {"Notes.urls", "Notes.URL"},
        {"a: b: c", "a- b- c.URL"},
    };
    for (const auto& [title, file] : names)
        EXPECT_EQ(lists::shortcutFileName(title), file) << title.toStdString();

    // Titles that would leave the folder, or name no file, are refused.
    for (const QString& title : {QString(), QString("   "), QString("a/b"), QString("..\\up"),
                                 QString("nul") + QChar(0) + "x", QString("."), QString(".."), QString(".html")})
        EXPECT_EQ(lists::shortcutFileName(title), "") << title.toStdString();

    // Long titles are cut before the ending, within what the file system takes.
    const QString longName = lists::shortcutFileName(QString(300, 'x'));
    EXPECT_EQ(longName.size(), 200);
    EXPECT_TRUE(longName.endsWith(".URL"));
    const QString wide = lists::shortcutFileName(QString(150, QChar(0x65E5)));
    EXPECT_TRUE(wide.endsWith(".URL"));
    EXPECT_LE(wide.toUtf8().size(), 255);
}

TEST(InternetShortcut, FolderWalkIsBreadthFirstUnderEachTopFolderAndCapped)
{
    QTemporaryDir dir;
    const QDir root(dir.path());
    for (const char* f : {"A/B/C", "A/D", "E", "F/G"})
        ASSERT_TRUE(root.mkpath(f));
    ASSERT_TRUE(QFile::link(dir.filePath("A"), dir.filePath("F/G/loop")));
    const QStringList all = lists::walkFavoriteFolders(dir.path(), 7500);
    EXPECT_EQ(all, (QStringList{"A", "A/B", "A/D", "A/B/C", "E", "F", "F/G"})) << "links are not followed";
    EXPECT_EQ(lists::walkFavoriteFolders(dir.path(), 3), (QStringList{"A", "A/B", "A/D"}));
    EXPECT_TRUE(lists::walkFavoriteFolders(dir.filePath("E"), 10).isEmpty());
}

namespace {

// A Favorites folder with a folder, a subfolder and shortcuts at each level,
// shown in a tree on screen.
struct FavoritesFixture : ::testing::Test {
    QTemporaryDir dir;
    platform::ScopedDialogs dialogs;
    KeyedTree tree;
    FavoritesTree favorites{&tree};
    QStringList opened;

    QString fav(const QString& rel) const { return dir.filePath(rel); }

    void SetUp() override
    {
        writeFile(fav("News/Weather.URL"), "[DEFAULT]\r\nBASEURL=http://weather.example/\r\n"
                                          "[InternetShortcut]\r\nURL=http://weather.example/\r\n");
        writeFile(fav("News/Local/x.url"), "[InternetShortcut]\r\nURL=http://local.example/x\r\n");
        writeFile(fav("Top.URL"), "[DEFAULT]\r\nBASEURL=http://top.example/\r\n");
        favorites.cFavoritesFolder = dir.path();
        favorites.navigate = [this](const QString& a) { opened << a; };
        gs.cCurrentURL.clear();
        gs.cDragMarker.clear();
        gs.fBoldFonts = false;
        tree.resize(300, 400);
        tree.show();
        favorites.LoadInternetFavorites();
        tree.expandAll();
    }

    TreeNode* node(const QString& key) const { return tree.nodeByKey(key); }
    QPoint at(const QString& key) const { return tree.nodeRect(node(key)).center(); }
    void click(const QString& key) { QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at(key)); }
    void doubleClick(const QString& key)
    {
        click(key);
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at(key));
    }
    // Selects a node with the keyboard, as the user would without clicking it.
    void select(const QString& key)
    {
        tree.setFocus();
        tree.selectNode(node(key));
    }
    QStringList texts() const { return dialogs.service.texts(); }
};

} // namespace

TEST_F(FavoritesFixture, TreeShowsFoldersAndShortcutsWithTheirPictures)
{
    ASSERT_EQ(tree.Count(), 5);
    // key, text, parent key, picture (expanded folders show the open one)
    const QList<QStringList> expected = {{"News", "News", "", "1"}, {"News/Weather", "Weather", "News", "3"},
                                         {"News/Local", "Local", "News", "1"}, {"News/Local/x", "x", "News/Local", "3"},
                                         {"Top", "Top", "", "3"}};
    for (const QStringList& e : expected) {
        TreeNode* n = node(e[0]);
        ASSERT_NE(n, nullptr) << e[0].toStdString();
        EXPECT_EQ((QStringList{n->Key, n->Text, n->Parent() ? n->Parent()->Key : "", QString::number(n->Image)}), e);
    }
    tree.setNodeExpanded(node("News"), false);
    EXPECT_EQ(node("News")->Image, 2);

    // The walk keeps its limit.
    favorites.nFolderWalkLimit = 1;
    favorites.LoadInternetFavorites();
    EXPECT_EQ(favorites.FolderWalkList, QStringList{"News"});
    EXPECT_EQ(node("News/Local"), nullptr);
}

TEST_F(FavoritesFixture, DoubleClickOpensTheShortcutsAddress)
{
    doubleClick("News/Weather");
    EXPECT_EQ(opened, QStringList{"http://weather.example/"});
    EXPECT_EQ(gs.cCurrentURL, "http://weather.example/");
    EXPECT_TRUE(tree.isNodeBold(node("News/Weather")));
    doubleClick("News/Local/x"); // written by another program
    EXPECT_EQ(opened.last(), "http://local.example/x");

    // A shortcut that names no address opens nothing; a folder opens the current address again.
    writeFile(fav("Top.URL"), "[DEFAULT]\r\n");
    opened.clear();
    doubleClick("Top");
    EXPECT_TRUE(opened.isEmpty());
    doubleClick("News/Local");
    EXPECT_EQ(opened, QStringList{"http://local.example/x"});
}

TEST_F(FavoritesFixture, PagesAreSavedIntoTheClickedFolder)
{
    // Nothing clicked yet: the Favorites folder itself, with a top-level node.
    favorites.AddInternetFavorite("http://u.example/", "Unfiled", "caption");
    EXPECT_TRUE(QFileInfo::exists(fav("Unfiled.URL")));
    EXPECT_EQ(node("Unfiled")->Parent(), nullptr);
    // A page without a title goes under the window caption.
    favorites.AddInternetFavorite("http://n.example/", "HTTP://n.example/", "Untitled Page");
    EXPECT_TRUE(QFileInfo::exists(fav("Untitled Page.URL")));

    click("News/Local");
    click("News/Local");
    EXPECT_EQ(favorites.nCurrentFolderIndex, 0) << "a second click leaves no folder current";
    click("Top");
    EXPECT_EQ(favorites.cFavoriteTarget, "News/Local") << "a shortcut is no target";
    dialogs.service.messages.clear();
    favorites.AddInternetFavorite("http://127.0.0.1:8080/r", "Report: 2005", "caption");
    EXPECT_EQ(readFile(fav("News/Local/Report- 2005.URL")), kReportFile);
    EXPECT_EQ(texts(), QStringList{"Web Site Page Successfully Saved to Favorites"});
    EXPECT_EQ(dialogs.service.messages[0].title, "Lumivex") << "no title of its own";
    EXPECT_EQ(node("News/Local/Report- 2005")->Parent(), node("News/Local"));
    favorites.AddInternetFavorite("http://127.0.0.1:8080/i", "Index.html", "caption");
    opened.clear();
    doubleClick("News/Local/Index");
    EXPECT_EQ(opened, QStringList{"http://127.0.0.1:8080/i"}) << "the node names the file written";

    // Unusable names and a folder gone: nothing written, nothing added, the failure said.
    dialogs.service.messages.clear();
    const int count = tree.Count();
    for (const char* title : {"", "../../escape", ".."})
        favorites.AddInternetFavorite("http://bad.example/", title, "");
    QDir(fav("News/Local")).removeRecursively();
    favorites.AddInternetFavorite("http://a.example/", "Gone", "");
    EXPECT_EQ(texts(), QStringList(4, "Web Site Page was Not Successfully Saved to Favorites"));
    for (const auto& m : dialogs.service.messages)
        EXPECT_EQ(m.title, "Lumivex");
    EXPECT_EQ(favorites.cSavedShortcutName, "");
    EXPECT_EQ(tree.Count(), count);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(dir.path()).dir().filePath("escape.URL")));
}

TEST_F(FavoritesFixture, DeleteKeyAsksAboutTheNodeBeingDeleted)
{
    click("Top");
    select("News/Weather");
    QTest::keyClick(&tree, Qt::Key_Delete); // answered No
    EXPECT_EQ(texts(), QStringList{"Do you want to Delete - News/Weather"});
    EXPECT_EQ(dialogs.service.messages[0].title, "Brevanto Lumivex 3.0");
    EXPECT_TRUE(QFileInfo::exists(fav("News/Weather.URL")));
    ASSERT_NE(node("News/Weather"), nullptr);

    dialogs.service.answers << Answer::Yes;
    QTest::keyClick(&tree, Qt::Key_Delete);
    EXPECT_EQ(node("News/Weather"), nullptr);
    EXPECT_TRUE(QFileInfo::exists(trashed("Weather.URL")));
    EXPECT_FALSE(QFileInfo::exists(fav("News/Weather.URL")));
    EXPECT_TRUE(QFileInfo::exists(fav("Top.URL"))) << "not the node clicked last";

    // A folder node leaves its folder alone.
    dialogs.service.messages.clear();
    select("News/Local");
    QTest::keyClick(&tree, Qt::Key_Delete);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(fav("News/Local/x.url")));
}

TEST_F(FavoritesFixture, CtrlDSendsTheSelectedFolderToTheTrashWithoutAQuestion)
{
    // A failed move keeps the node and says why.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    QDir(trash).removeRecursively();
    writeFile(trash, "not a folder");
    click("Top");
    select("News/Local");
    QTest::keyClick(&tree, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(texts(), QStringList{"Error - 75 - Path/File access error - " + fav("News/Local")});
    EXPECT_NE(node("News/Local"), nullptr);
    QFile::remove(trash);

    // No question of the program's own: the trash keeps what went.
    dialogs.service.messages.clear();
    dialogs.service.answers << Answer::No;
    QTest::keyClick(&tree, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(texts().isEmpty()) << texts().join("|").toStdString();
    EXPECT_TRUE(QFileInfo::exists(trashed("Local") + "/x.url"));
    EXPECT_FALSE(QFileInfo::exists(fav("News/Local")));
    EXPECT_EQ(node("News/Local"), nullptr);
    EXPECT_EQ(node("News/Local/x"), nullptr);
    EXPECT_NE(node("Top"), nullptr);
}

TEST_F(FavoritesFixture, DropOntoAFolderSavesThePageTakenByAdd)
{
    const auto drop = [&](const QString& key) {
        QMimeData data;
        data.setUrls({QUrl("http://127.0.0.1:8080/r")});
        QDragEnterEvent enter(at(key), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &enter);
        QDropEvent dropped(at(key), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree.viewport(), &dropped);
    };
    drop("News/Local"); // no "Add" yet: nothing
    EXPECT_TRUE(texts().isEmpty());

    favorites.AddInternetFavorite("http://127.0.0.1:8080/r", "Report: 2005", "");
    drop("News/Local");
    EXPECT_EQ(readFile(fav("News/Local/Report- 2005.URL")), kReportFile);
    EXPECT_EQ(texts(), QStringList(2, "Web Site Page Successfully Saved to Favorites"));
    EXPECT_NE(node("News/Local/Report- 2005"), nullptr);
    EXPECT_EQ(gs.cDragMarker, "");

    // Once only; a drop on a shortcut saves into its folder.
    drop("News/Weather");
    EXPECT_FALSE(QFileInfo::exists(fav("News/Report- 2005.URL")));
    gs.cDragMarker = "A";
    drop("News/Weather");
    EXPECT_TRUE(QFileInfo::exists(fav("News/Report- 2005.URL")));
}
