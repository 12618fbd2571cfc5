// The favourite list files: one line per entry, whole, CR LF; the names are
// the files' names; a name in another letter case is the same list.
#include "FavoritesFixture.h"

#include "lists/FavoriteLists.h"

using favtest::Favorites;
using testsupport::readFile;
using testsupport::writeFile;

TEST_F(Favorites, ListFilesHoldOneWholeEntryPerLine)
{
    const QString folder = lists::favoriteListsFolder(gs.cProgramFolder);
    const QString holiday = QDir(folder).filePath("Holiday");
    const QStringList entries = {"/photos, 2004/a.jpg", "  /lead/blanks.png", "/q/\"quoted\".mp3"};
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(lists::SaveFavoriteList(holiday, entries));
    EXPECT_EQ(readFile(listFile("Holiday")),
              "/photos, 2004/a.jpg\r\n  /lead/blanks.png\r\n/q/\"quoted\".mp3\r\n");
    EXPECT_EQ(lists::LoadFavoriteList(holiday), entries);
    // Another letter case names the same list and its file.
    EXPECT_EQ(lists::LoadFavoriteList(QDir(folder).filePath("HOLIDAY")), entries);
    ASSERT_TRUE(lists::SaveFavoriteList(QDir(folder).filePath("holiday"), {"/b.png"}));
    EXPECT_EQ(listFiles(), QStringList{"Holiday.FLST"});

    writeFile(listFile("empty"), "");
    writeFile(QDir(folder).filePath(".FLST"), "nameless");
    writeFile(listFile("alpha"), "/a.png\n");
    EXPECT_EQ(lists::LoadFavoriteList(QDir(folder).filePath("empty")), QStringList{});
    EXPECT_EQ(lists::LoadFavoriteList(QDir(folder).filePath("gone")), std::nullopt);
    EXPECT_EQ(lists::LoadFavoriteListNames(folder), (QStringList{"alpha", "empty", "Holiday"}));
    EXPECT_TRUE(lists::LoadFavoriteListNames(folder + "/missing").isEmpty());

    EXPECT_TRUE(lists::DeleteFavoriteList(QDir(folder).filePath("HOLIDAY")));
    EXPECT_FALSE(QFile::exists(listFile("Holiday")));
    EXPECT_FALSE(lists::DeleteFavoriteList(QDir(folder).filePath("HOLIDAY")));

    for (const QString& bad : QStringList{"a/b", "a\\b", ".", "..", QString("a") + QChar(0)})
        EXPECT_TRUE(lists::isRefusedFavoriteListName(bad)) << bad.toStdString();
    for (const QString& good : QStringList{"  Jazz ", ".hidden", "a.b", "Rock, Pop"})
        EXPECT_FALSE(lists::isRefusedFavoriteListName(good)) << good.toStdString();
}
