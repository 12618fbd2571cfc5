// The list files as the lists read and write them: every entry of a very long
// list survives, each line is decoded on its own, any line end is read, and
// a full disk leaves the old files whole.
#include "ListFolder.h"
#include "TestSupport.h"
#include "lists/FavoriteLists.h"
#include "lists/InternetShortcut.h"
#include "lists/PlayLists.h"
#include "platform/text/TextFile.h"
#include "shared/Tables.h"

#include <QTest>
#include <gtest/gtest.h>

using lists::DocumentList;
using lists::PlayListTree;
using platform::KeyedTree;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct ListFiles : ListFolder {};

QByteArray entry(int i)
{
    return "My Video PlayList|#|/home/user/Videos/clip" + QByteArray::number(i).rightJustified(6, '0') + ".avi\r\n";
}

} // namespace

TEST_F(ListFiles, AHundredThousandEntriesLoadAndAllButTheDeletedOneAreSavedAgain)
{
    writeFile(path("VideoLists.PLS"), "My Video PlayList\r\n");
    QByteArray details;
    for (int i = 0; i < 100000; ++i)
        details += entry(i);
    writeFile(path("VideoListDtl.PLS"), details);
    PlayListTree lists(false);
    KeyedTree& tree = *lists.tree();
    QObject::connect(&tree, &KeyedTree::AfterDelete, [&] { lists.AfterDelete(); });
    ASSERT_TRUE(lists.LoadLists(path("VideoLists.PLS")));
    ASSERT_TRUE(lists.LoadListDetails(path("VideoListDtl.PLS")));
    ASSERT_EQ(tree.Count(), 100001);
    EXPECT_EQ(tree.Item(100001)->TagText, "/home/user/Videos/clip099999.avi");
    const platform::TreeNode* middle = tree.nodeByKey("My Video PlayListclip050000.avi");
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(middle->Index(), 50002);

    // The user deletes the second entry with the Delete key.
    tree.show();
    tree.selectNode(tree.Item(3));
    QTest::keyClick(&tree, Qt::Key_Delete);
    EXPECT_EQ(tree.Count(), 100000);
    EXPECT_EQ(tree.nodeByKey("My Video PlayListclip000001.avi"), nullptr);
    EXPECT_EQ(tree.nodeByKey("My Video PlayListclip050000.avi"), middle) << "the others are still found";
    ASSERT_TRUE(lists.SaveIfChanged(path("VideoLists.PLS"), path("VideoListDtl.PLS")));
    EXPECT_EQ(readFile(path("VideoListDtl.PLS")), entry(0) + details.mid(entry(0).size() + entry(1).size()));

    // Deleting the list takes its entries with it, and their keys are free again.
    tree.selectNode(tree.Item(1));
    QTest::keyClick(&tree, Qt::Key_Delete);
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.nodeByKey("My Video PlayListclip050000.avi"), nullptr);
    ASSERT_TRUE(lists.AddList("My Video PlayList"));
    lists.AddListFile("/home/user/Videos/clip050000.avi");
    EXPECT_EQ(tree.Count(), 2);
}

TEST_F(ListFiles, EachLineIsDecodedOnItsOwn)
{
    // UTF-8 paths around lines written in Windows-1252: the euro sign, an en
    // dash and curly quotes at 0x80..0x9F, and the five bytes it leaves
    // undefined read as Latin-1.
    const QByteArray jorg = "Holiday|#|/home/J\xC3\xB6rg/Beach.avi\r\n";
    const QByteArray zoe = "Holiday|#|/home/Zo\xC3\xAB/Sun.avi\r\n";
    writeFile(path("n.PLS"), "Holiday\r\n");
    writeFile(path("d.PLS"), jorg + "Holiday|#|/home/Ren\xE9/Sea.avi\r\n" + zoe +
                                 "Holiday|#|/m/\x80 5 \x96 \x93Q\x94.avi\r\nHoliday|#|/m/\x81\x8D\x8F\x90\x9D.avi\r\n");
    PlayListTree lists(false);
    KeyedTree& tree = *lists.tree();
    ASSERT_TRUE(lists.LoadLists(path("n.PLS")));
    ASSERT_TRUE(lists.LoadListDetails(path("d.PLS")));
    ASSERT_EQ(tree.Count(), 6);
    EXPECT_EQ(tree.Item(2)->TagText, QString::fromUtf8("/home/J\xC3\xB6rg/Beach.avi"));
    EXPECT_EQ(tree.Item(3)->TagText, QString::fromUtf8("/home/Ren\xC3\xA9/Sea.avi"));
    EXPECT_EQ(tree.Item(5)->TagText, QString::fromUtf8("/m/\u20AC 5 \u2013 \u201CQ\u201D.avi"));
    EXPECT_EQ(tree.Item(6)->TagText, QString::fromUtf16(u"/m/\u0081\u008D\u008F\u0090\u009D.avi"));
    ASSERT_TRUE(lists.SaveListDetails(path("d2.PLS")));
    EXPECT_EQ(readFile(path("d2.PLS")), jorg + "Holiday|#|/home/Ren\xC3\xA9/Sea.avi\r\n" + zoe +
                                            "Holiday|#|/m/\xE2\x82\xAC 5 \xE2\x80\x93 \xE2\x80\x9CQ\xE2\x80\x9D.avi\r\n"
                                            "Holiday|#|/m/\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D.avi\r\n");

    // A byte-order mark before a first line in Windows-1252 is no part of that line.
    writeFile(path("bom.PLS"), "\xEF\xBB\xBFRen\xE9\r\nJ\xC3\xB6rg\r\n");
    QStringList names;
    ASSERT_EQ(platform::readLines(path("bom.PLS"), &names), platform::ReadStatus::Ok);
    EXPECT_EQ(names, QStringList({QString::fromUtf8("Ren\xC3\xA9"), QString::fromUtf8("J\xC3\xB6rg")}));

    DocumentList docs;
    writeFile(path("TextList.PLS"), "/home/J\xC3\xB6rg/notes.txt\r\n/home/Ren\xE9/letter.rtf\r\n");
    ASSERT_TRUE(docs.LoadTextList(path("TextList.PLS")));
    ASSERT_TRUE(docs.SaveTextList(path("TextList2.PLS")));
    EXPECT_EQ(readFile(path("TextList2.PLS")), "/home/J\xC3\xB6rg/notes.txt\r\n/home/Ren\xC3\xA9/letter.rtf\r\n");
}

TEST_F(ListFiles, LinesMayEndInCrLfLfOrCr)
{
    writeFile(path("n.PLS"), "Holiday\rOther\nThird\r\n");
    writeFile(path("d.PLS"), "Holiday|#|/a/one.avi\rOther|#|/b/two.avi\nThird|#|/c/three.avi\r\n");
    PlayListTree lists(false);
    KeyedTree& tree = *lists.tree();
    ASSERT_TRUE(lists.LoadLists(path("n.PLS")));
    ASSERT_TRUE(lists.LoadListDetails(path("d.PLS")));
    ASSERT_EQ(tree.Count(), 6);
    EXPECT_EQ(tree.Item(4)->TagText, "/a/one.avi");
    EXPECT_EQ(tree.Item(4)->Parent()->Text, "Holiday");
    EXPECT_EQ(tree.Item(6)->Parent()->Text, "Third");

    DocumentList docs;
    KeyedTree& docsTree = *docs.tree();
    writeFile(path("TextList.PLS"), "/a/notes.txt\r/b/letter.rtf\r");
    ASSERT_TRUE(docs.LoadTextList(path("TextList.PLS")));
    EXPECT_EQ(docsTree.Count(), 2);
}

TEST_F(ListFiles, AFullDiskKeepsTheOldFilesAndTheChangedFlags)
{
    testsupport::FullDisk disk(path("disk"));
    const QString names = path("disk/VideoLists.PLS"), details = path("disk/VideoListDtl.PLS");
    const QString documents = path("disk/TextList.PLS");
    writeFile(names, "Holiday\r\n");
    writeFile(details, "Holiday|#|/a/one.avi\r\n");
    writeFile(documents, "/a/notes.txt\r\n");
    PlayListTree lists(false);
    ASSERT_TRUE(lists.LoadLists(names));
    ASSERT_TRUE(lists.LoadListDetails(details));
    lists.AddListFile("/a/two.avi");
    DocumentList docs;
    ASSERT_TRUE(docs.LoadTextList(documents));
    docs.OLEDragDrop({"/a/letter.rtf"});

    disk.fill();
    EXPECT_FALSE(lists.SaveIfChanged(names, details));
    EXPECT_FALSE(docs.SaveIfChanged(documents));
    disk.release();
    EXPECT_EQ(readFile(names), "Holiday\r\n");
    EXPECT_EQ(readFile(details), "Holiday|#|/a/one.avi\r\n");
    EXPECT_EQ(readFile(documents), "/a/notes.txt\r\n");
    EXPECT_EQ(QDir(path("disk")).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << "no temporary file is left behind";
    EXPECT_TRUE(lists.fChanged);
    EXPECT_TRUE(docs.fDocumentListChanged);

    // With room again the next save writes them.
    EXPECT_TRUE(lists.SaveIfChanged(names, details));
    EXPECT_TRUE(docs.SaveIfChanged(documents));
    EXPECT_EQ(readFile(details), "Holiday|#|/a/one.avi\r\nHoliday|#|/a/two.avi\r\n");
    EXPECT_EQ(readFile(documents), "/a/notes.txt\r\n/a/letter.rtf\r\n");
}

TEST_F(ListFiles, OnAFullDiskFavouriteListsAndShortcutsKeepTheirOldFiles)
{
    testsupport::FullDisk disk(path("disk"));
    const QString list = path("disk/Holidays"), shortcut = path("disk/News.URL");
    ASSERT_TRUE(lists::SaveFavoriteList(list, {"/a/one.jpg", "/a/two.avi"}));
    ASSERT_TRUE(lists::writeInternetShortcut(shortcut, "http://example.org/old"));
    const QByteArray oldList = readFile(list + ".FLST"), oldShortcut = readFile(shortcut);

    disk.fill();
    EXPECT_FALSE(lists::SaveFavoriteList(list, {"/a/one.jpg", "/a/two.avi", "/a/three.mp3"}));
    QString error;
    EXPECT_FALSE(lists::writeInternetShortcut(shortcut, "http://example.org/new", &error));
    EXPECT_FALSE(error.isEmpty());
    disk.release();
    EXPECT_EQ(readFile(list + ".FLST"), oldList);
    EXPECT_EQ(readFile(shortcut), oldShortcut);
    EXPECT_EQ(QDir(path("disk")).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file is left behind";
}
