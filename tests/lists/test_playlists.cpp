// The play-list and document-list areas on their own: their files, loading
// and the rules for adding entries.
#include "ListFolder.h"
#include "TestSupport.h"
#include "lists/PlayLists.h"
#include "shared/Tables.h"

#include <gtest/gtest.h>

using lists::DocumentList;
using lists::PlayListTree;
using platform::KeyedTree;
using testsupport::readFile;
using testsupport::writeFile;

namespace {
struct PlayListTest : ListFolder {};
} // namespace

TEST_F(PlayListTest, ListsAndEntriesRoundTripWhole)
{
    PlayListTree lists(false);
    KeyedTree& tree = *lists.tree();
    ASSERT_TRUE(lists.AddList("Rock, Pop"));
    lists.AddListFile("/clips/a, b/\"Beach\" day.avi");
    lists.AddListFile("/music/song.mp3");     // audio files fit the video tree too
    lists.AddListFile("/pictures/photo.jpg"); // not media: not added
    ASSERT_TRUE(lists.AddList(" Holiday "));
    EXPECT_FALSE(lists.AddList(" Holiday ")) << "a name already taken";
    lists.AddListFile("/clips/a, b/\"Beach\" day.avi"); // same name in another list: fine
    lists.AddListFile("/other/\"Beach\" day.avi");      // same name in one list: refused
    lists.AddListFile("Clip.avi");                       // no folder: shown by its whole path
    lists.AddListFile("/Top.avi");                       // only a leading separator: the same
    EXPECT_EQ(tree.Count(), 7);
    EXPECT_EQ(tree.Item(6)->Text, "Clip.avi");
    EXPECT_EQ(tree.Item(7)->Text, "/Top.avi");
    EXPECT_EQ(tree.Item(3)->Image, 3);
    ASSERT_TRUE(lists.SaveIfChanged(path("VideoLists.PLS"), path("VideoListDtl.PLS")));
    EXPECT_FALSE(lists.fChanged);
    EXPECT_EQ(readFile(path("VideoLists.PLS")), "Rock, Pop\r\n Holiday \r\n");
    EXPECT_EQ(readFile(path("VideoListDtl.PLS")),
              "Rock, Pop|#|/clips/a, b/\"Beach\" day.avi\r\nRock, Pop|#|/music/song.mp3\r\n"
              " Holiday |#|/clips/a, b/\"Beach\" day.avi\r\n Holiday |#|Clip.avi\r\n Holiday |#|/Top.avi\r\n");

    PlayListTree back(false);
    QString defaultName;
    back.LoadAtStartUp(path("VideoLists.PLS"), path("VideoListDtl.PLS"), defaultName);
    EXPECT_TRUE(defaultName.isEmpty());
    EXPECT_FALSE(back.fChanged);
    ASSERT_EQ(back.tree()->Count(), 7);
    EXPECT_EQ(back.tree()->Item(3)->Parent()->Text, "Rock, Pop");
    EXPECT_EQ(back.tree()->Item(3)->TagText, "/clips/a, b/\"Beach\" day.avi");
    EXPECT_EQ(back.tree()->Item(2)->Text, " Holiday ");
    EXPECT_EQ(back.cCurrentList, " Holiday ") << "the last details line names the current list";
    EXPECT_EQ(back.FindList("holiday"), 2) << "found trimmed and in any case";
    EXPECT_EQ(back.FindList("none such"), 1);
}

TEST_F(PlayListTest, DetailsLinesSplitAtTheFirstSeparatorAndEmptyDetailsLeaveNoCurrentName)
{
    writeFile(path("n.PLS"), "Holiday\r\nOther\r\n");
    writeFile(path("d.PLS"), "Holiday|#|/t/a|#|b.avi\r\nno separator here\r\nNowhere|#|/x/c.avi\r\nOther|#|/y/d.avi\r\n");
    PlayListTree lists(true);
    KeyedTree& tree = *lists.tree();
    ASSERT_TRUE(lists.LoadLists(path("n.PLS")));
    ASSERT_TRUE(lists.LoadListDetails(path("d.PLS")));
    ASSERT_EQ(tree.Count(), 5);
    EXPECT_EQ(tree.Item(3)->Parent()->Text, "Holiday");
    EXPECT_EQ(tree.Item(3)->TagText, "/t/a|#|b.avi");
    EXPECT_EQ(tree.Item(3)->Text, "a|#|b.avi");
    // A line without the separator is passed over; the entries after it stay.
    EXPECT_EQ(tree.Item(4)->Parent()->Text, "Holiday") << "an unknown list name goes under the first list";
    EXPECT_EQ(tree.Item(4)->TagValue, "Nowhere") << "and keeps the name it was stored with";
    EXPECT_EQ(tree.Item(5)->Parent()->Text, "Other");

    // A names file without lines: no lists, and every details line is dropped.
    writeFile(path("empty.PLS"), "");
    PlayListTree none(false);
    ASSERT_TRUE(none.LoadLists(path("empty.PLS")));
    ASSERT_TRUE(none.LoadListDetails(path("d.PLS")));
    EXPECT_EQ(none.tree()->Count(), 0);

    // Empty details leave the current name empty: a drop on empty space goes
    // under the first list and is stored with an empty list name.
    writeFile(path("d.PLS"), "");
    PlayListTree fresh(false);
    QString name;
    fresh.LoadAtStartUp(path("n.PLS"), path("d.PLS"), name);
    fresh.OLEDragDrop({"/v/a.avi"}, -50, -50);
    ASSERT_EQ(fresh.tree()->Count(), 3);
    EXPECT_EQ(fresh.tree()->Item(3)->Parent()->Text, "Holiday");
    ASSERT_TRUE(fresh.SaveListDetails(path("d.PLS")));
    EXPECT_EQ(readFile(path("d.PLS")), "|#|/v/a.avi\r\n");
}

TEST_F(PlayListTest, ChangedFlagClearedOnlyWhenWritten)
{
    PlayListTree lists(true);
    QString name;
    lists.LoadAtStartUp(path("none.PLS"), path("noneDtl.PLS"), name);
    EXPECT_EQ(name, "My Music PlayList");
    EXPECT_EQ(lists.cCurrentList, "My Music PlayList");
    EXPECT_TRUE(lists.fChanged);
    writeFile(path("plain"), "x");
    EXPECT_FALSE(lists.SaveIfChanged(path("plain/MusicLists.PLS"), path("plain/MusicListDtl.PLS")));
    EXPECT_TRUE(lists.fChanged) << "a failed write is tried again later";
    EXPECT_TRUE(lists.SaveIfChanged(path("MusicLists.PLS"), path("MusicListDtl.PLS")));
    EXPECT_FALSE(lists.fChanged);
    EXPECT_EQ(readFile(path("MusicListDtl.PLS")), "");
    QFile::remove(path("MusicLists.PLS"));
    EXPECT_TRUE(lists.SaveIfChanged(path("MusicLists.PLS"), path("MusicListDtl.PLS")));
    EXPECT_FALSE(QFile::exists(path("MusicLists.PLS"))) << "no change, nothing written";
}

TEST_F(PlayListTest, DocumentList)
{
    DocumentList docs;
    KeyedTree& tree = *docs.tree();
    docs.OLEDragDrop({"/d/a.txt", "/d/b.Pdf", "/d/a.txt", "/d/c.jpg"});
    ASSERT_EQ(tree.Count(), 2);
    EXPECT_EQ(tree.Item(1)->Image, 1);
    EXPECT_EQ(tree.Item(2)->Image, 2) << "the extension is compared in upper case";
    EXPECT_TRUE(docs.fDocumentListChanged);
    ASSERT_TRUE(docs.SaveIfChanged(path("TextList.PLS")));
    EXPECT_EQ(readFile(path("TextList.PLS")), "/d/a.txt\r\n/d/b.Pdf\r\n");
    docs.OLEDragDrop({"/d/only.png"});
    EXPECT_TRUE(docs.fDocumentListChanged) << "a drop marks the list changed, added or not";

    writeFile(path("T2.PLS"), "/a, b/c.doc\n/skip/me.gif\n");
    DocumentList back;
    ASSERT_TRUE(back.LoadTextList(path("T2.PLS")));
    ASSERT_EQ(back.tree()->Count(), 1);
    EXPECT_EQ(back.tree()->Item(1)->TagText, "/a, b/c.doc");
    EXPECT_FALSE(back.LoadTextList(path("missing.PLS")));
    EXPECT_EQ(back.tree()->Count(), 1) << "a missing file leaves the list as it was";
}
