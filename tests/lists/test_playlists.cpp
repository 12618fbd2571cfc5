#include "TestSupport.h"
#include "lists/PlayLists.h"
#include "platform/Dialogs.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "window/Lumivex1.h"

#include <gtest/gtest.h>

using lists::DocumentList;
using lists::PlayListTree;
using platform::KeyedTree;
using testsupport::readFile;
using testsupport::writeFile;

namespace {
struct PlayListTest : ::testing::Test {
    void SetUp() override { tables::fillExtensionTable(); }
    QTemporaryDir dir;
    QString path(const QString& n) const { return QDir(dir.path()).filePath(n); }
    KeyedTree tree;
};
} // namespace

TEST_F(PlayListTest, ListsAndEntriesRoundTripWhole)
{
    PlayListTree lists(&tree, false);
    ASSERT_TRUE(lists.AddList("Rock, Pop"));
    lists.AddListFile("/clips/a, b/Beach.avi");
    lists.AddListFile("/music/song.mp3");     // audio files fit the video tree too
    lists.AddListFile("/pictures/photo.jpg"); // not media: not added
    ASSERT_TRUE(lists.AddList("Holiday"));
    lists.AddListFile("/clips/a, b/Beach.avi"); // same name in another list: fine
    lists.AddListFile("/other/Beach.avi");      // same name in one list: refused
    EXPECT_EQ(tree.Count(), 5);
    EXPECT_TRUE(lists.fChanged);
    ASSERT_TRUE(lists.SaveIfChanged(path("VideoLists.PLS"), path("VideoListDtl.PLS")));
    EXPECT_FALSE(lists.fChanged);
    EXPECT_EQ(readFile(path("VideoLists.PLS")), "Rock, Pop\r\nHoliday\r\n");
    EXPECT_EQ(readFile(path("VideoListDtl.PLS")),
              "Rock, Pop|#|/clips/a, b/Beach.avi\r\nRock, Pop|#|/music/song.mp3\r\nHoliday|#|/clips/a, b/Beach.avi\r\n");

    KeyedTree tree2;
    PlayListTree back(&tree2, false);
    ASSERT_TRUE(back.LoadLists(path("VideoLists.PLS")));
    ASSERT_TRUE(back.LoadListDetails(path("VideoListDtl.PLS")));
    EXPECT_FALSE(back.fChanged);
    ASSERT_EQ(tree2.Count(), 5);
    EXPECT_EQ(tree2.Item(3)->Parent()->Text, "Rock, Pop");
    EXPECT_EQ(tree2.Item(3)->TagText, "/clips/a, b/Beach.avi");
    EXPECT_EQ(tree2.Item(3)->Text, "Beach.avi");
    EXPECT_EQ(back.cCurrentList, "Holiday") << "the last details line names the current list";
}

TEST_F(PlayListTest, DetailsLinesSplitAtTheFirstSeparator)
{
    writeFile(path("n.PLS"), "Holiday\r\nOther\r\n");
    writeFile(path("d.PLS"), "Holiday|#|/a|#|b.avi\r\nno separator here\r\nNowhere|#|/x/c.avi\r\nOther|#|/y/d.avi\r\n");
    PlayListTree lists(&tree, false);
    ASSERT_TRUE(lists.LoadLists(path("n.PLS")));
    ASSERT_TRUE(lists.LoadListDetails(path("d.PLS")));
    ASSERT_EQ(tree.Count(), 5);
    EXPECT_EQ(tree.Item(3)->TagText, "/a|#|b.avi");
    // A line without the separator is passed over; the entries after it stay.
    EXPECT_EQ(tree.Item(4)->Parent()->Text, "Holiday") << "an unknown list name goes under the first list";
    EXPECT_EQ(tree.Item(4)->TagValue, "Nowhere") << "and keeps the name it was stored with";
    EXPECT_EQ(tree.Item(5)->Parent()->Text, "Other");
}

TEST_F(PlayListTest, ChangedFlagClearedOnlyWhenWritten)
{
    PlayListTree lists(&tree, true);
    QString name;
    lists.AddDefaultList(name);
    EXPECT_EQ(name, "My Music PlayList");
    EXPECT_TRUE(lists.fChanged);
    writeFile(path("plain"), "x");
    EXPECT_FALSE(lists.SaveIfChanged(path("plain/MusicLists.PLS"), path("plain/MusicListDtl.PLS")));
    EXPECT_TRUE(lists.fChanged) << "a failed write is tried again later";
    EXPECT_TRUE(lists.SaveIfChanged(path("MusicLists.PLS"), path("MusicListDtl.PLS")));
    EXPECT_FALSE(lists.fChanged);
    QFile::remove(path("MusicLists.PLS"));
    EXPECT_TRUE(lists.SaveIfChanged(path("MusicLists.PLS"), path("MusicListDtl.PLS")));
    EXPECT_FALSE(QFile::exists(path("MusicLists.PLS"))) << "no change, nothing written";
}

TEST_F(PlayListTest, ClicksAndDrops)
{
    PlayListTree music(&tree, true);
    music.AddList("A");
    music.AddListFile("/m/one.mp3");
    music.AddList("B");
    EXPECT_EQ(music.cCurrentList, "B");
    music.NodeClick(tree.Item(2)); // a file node of list A
    EXPECT_EQ(music.cCurrentList, "A");
    EXPECT_EQ(music.nCurrentListNode, 1);
    music.NodeClick(tree.Item(3)); // list B
    // A drop on empty space joins the current list.
    music.OLEDragDrop({"/m/two.wav", "/m/pic.png"}, -100, -100);
    EXPECT_EQ(tree.Count(), 4);
    EXPECT_EQ(tree.Item(4)->Parent()->Text, "B");
    EXPECT_EQ(PlayListTree::deleteQuestion(tree.Item(4)), "Do You want to Delete - /m/two.wav from the Play List?");
}

TEST_F(PlayListTest, DocumentList)
{
    DocumentList docs(&tree);
    docs.OLEDragDrop({"/d/a.txt", "/d/b.Pdf", "/d/a.txt", "/d/c.jpg"});
    ASSERT_EQ(tree.Count(), 2);
    EXPECT_TRUE(docs.fDocumentListChanged);
    ASSERT_TRUE(docs.SaveIfChanged(path("TextList.PLS")));
    EXPECT_EQ(readFile(path("TextList.PLS")), "/d/a.txt\r\n/d/b.Pdf\r\n");
    writeFile(path("T2.PLS"), "/a, b/c.doc\n/skip/me.gif\n");
    KeyedTree t2;
    DocumentList back(&t2);
    ASSERT_TRUE(back.LoadTextList(path("T2.PLS")));
    ASSERT_EQ(t2.Count(), 1);
    EXPECT_EQ(t2.Item(1)->TagText, "/a, b/c.doc");
    EXPECT_FALSE(back.LoadTextList(path("missing.PLS")));
    EXPECT_EQ(DocumentList::deleteQuestion(t2.Item(1)), "Do You want to Delete - /a, b/c.doc ?");
}

TEST(PlayListStartUp, BadNamesLineKeepsTheStoredLists)
{
    testsupport::ProgramFolder folder;
    platform::ScopedDialogs dialogs;
    // A name listed twice: the second line is refused by the tree.
    writeFile(folder.file("VideoLists.PLS"), "Holiday\r\nHoliday\r\nParty\r\n");
    writeFile(folder.file("VideoListDtl.PLS"), "Holiday|#|/v/a.avi\r\nParty|#|/v/b.avi\r\n");
    {
        Lumivex1 w({});
        ASSERT_EQ(w.TreeView1->Count(), 4);
        EXPECT_EQ(w.TreeView1->nodeByKey("My Video PlayList"), nullptr);
        EXPECT_FALSE(w.fVideoListsChanged);
        // Deleting asks first; No keeps the node.
        dialogs->answers = {platform::Answer::No};
        EXPECT_FALSE(w.TreeView1->Remove(3));
        EXPECT_EQ(dialogs->texts().last(), "Do You want to Delete - /v/a.avi from the Play List?");
        dialogs->answers = {platform::Answer::Yes};
        EXPECT_TRUE(w.TreeView1->Remove(2)); // the Party list with its file
        EXPECT_EQ(w.TreeView1->Count(), 2);
        EXPECT_TRUE(w.fVideoListsChanged);
        w.Form_Unload();
    }
    EXPECT_EQ(readFile(folder.file("VideoLists.PLS")), "Holiday\r\n");
    EXPECT_EQ(readFile(folder.file("VideoListDtl.PLS")), "Holiday|#|/v/a.avi\r\n");
}
