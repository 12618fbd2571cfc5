// The play lists and the document list on the main window's tabs, used as a
// user does: drops, clicks, keys, the new-list window, tab changes, restarts.
#include "ListWindow.h"

#include "lists/SetPlayNew1.h"
#include "shared/SharedState.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using listtest::ListWindow;
using platform::Answer;
using testsupport::readFile;

namespace {

// Runs "New Play List" from the toolbar and answers its window with the name
// (typed), or cancels it when the name is null.
void newPlayList(ListWindow& f, const QString& name, const QStringList& laterNames = {})
{
    testsupport::whenModal<SetPlayNew1>([name, laterNames](SetPlayNew1* d) {
        if (name.isNull()) {
            QTest::mouseClick(d->CancelBtn, Qt::LeftButton);
            return;
        }
        QTest::keyClicks(d->Text1, name);
        QTest::mouseClick(d->OKBtn, Qt::LeftButton);
        for (const QString& again : laterNames) { // after a refusal the window stays
            d->Text1->clear();
            QTest::keyClicks(d->Text1, again);
            QTest::mouseClick(d->OKBtn, Qt::LeftButton);
        }
    });
    f.w->ToolBarComp1->Item("ID_VidPlyLstBtn")->action()->trigger();
}

} // namespace

TEST(PlayListWindow, DroppedFilesAreWrittenAtTheTabChangeAndComeBack)
{
    ListWindow f;
    Lumivex1* w = f.w.get();
    platform::KeyedTree* tree = w->TreeView1;
    ASSERT_EQ(tree->Count(), 1);
    const QString a = f.media("clips/b, c/Beach day.avi"), b = f.media("clips/Party.mpg");
    ASSERT_TRUE(ListWindow::drop(tree, ListWindow::pointOf(tree, tree->Item(1)), {a, f.file("notes.txt"), b}));
    ASSERT_EQ(tree->Count(), 3);
    EXPECT_EQ(tree->Item(2)->Text, "Beach day.avi");

    f.clickTab(listtest::Pictures);
    EXPECT_EQ(readFile(f.file("VideoLists.PLS")), "My Video PlayList\r\n");
    EXPECT_EQ(readFile(f.file("VideoListDtl.PLS")),
              ("My Video PlayList|#|" + a + "\r\nMy Video PlayList|#|" + b + "\r\n").toUtf8());
    EXPECT_EQ(readFile(f.file("MusicLists.PLS")), "My Music PlayList\r\n");
    EXPECT_TRUE(QFileInfo(f.file("MusicListDtl.PLS")).isFile());
    EXPECT_EQ(QFileInfo(f.file("MusicListDtl.PLS")).size(), 0);

    // A tab change without edits writes nothing.
    QFile::remove(f.file("VideoLists.PLS"));
    f.clickTab(listtest::Music);
    EXPECT_FALSE(QFile::exists(f.file("VideoLists.PLS")));
    f.clickTab(listtest::Videos);
    testsupport::writeFile(f.file("VideoLists.PLS"), "My Video PlayList\r\n");

    f.restart();
    w = f.w.get();
    tree = w->TreeView1;
    ASSERT_EQ(tree->Count(), 3);
    EXPECT_EQ(tree->Item(3)->Parent(), tree->Item(1));
    EXPECT_FALSE(w->fVideoListsChanged);
    ListWindow::doubleClick(tree, tree->Item(2));
    EXPECT_EQ(w->MediaPlayer1->SourceFile(), a) << "a double click plays the file by its full path";
    ListWindow::doubleClick(tree, tree->Item(1)); // a list: nothing to play
    EXPECT_EQ(w->MediaPlayer1->SourceFile(), a);
}

TEST(PlayListWindow, NewPlayListKeepsItsBlanksAndTakesLaterDrops)
{
    ListWindow f;
    Lumivex1* w = f.w.get();
    // A blank name is refused with a message; the window stays for another try.
    newPlayList(f, "   ", {"  Jazz"});
    ASSERT_EQ(f.dialogs->texts(),
              QStringList{"You must Enter the Name for the New Play List of Music or Multimedia Files"});
    EXPECT_EQ(f.dialogs->messages[0].title, "Brevanto Lumivex 3.0");
    platform::KeyedTree* tree = w->TreeView1;
    ASSERT_EQ(tree->Count(), 2);
    EXPECT_EQ(tree->Item(2)->Text, "  Jazz");
    EXPECT_EQ(tree->Item(2)->Image, 1);
    EXPECT_EQ(w->cCurrentVideoList, "  Jazz");
    EXPECT_EQ(w->TreeView2->Count(), 1) << "only the tree of the tab on show";

    const QString clip = f.media("v/Solo.avi");
    ASSERT_TRUE(ListWindow::drop(tree, ListWindow::emptySpace(tree), {clip}));
    ASSERT_EQ(tree->Count(), 3);
    EXPECT_EQ(tree->Item(3)->Parent(), tree->Item(2));

    // A taken name and a cancelled window add nothing.
    newPlayList(f, "My Video PlayList");
    newPlayList(f, QString());
    EXPECT_EQ(tree->Count(), 3);
    EXPECT_EQ(w->cCurrentVideoList, "  Jazz");
    // On the Pictures tab the name is not used.
    f.clickTab(listtest::Pictures);
    newPlayList(f, "Rock");
    EXPECT_EQ(tree->Count(), 3);
    EXPECT_EQ(w->TreeView2->Count(), 1);
    EXPECT_EQ(readFile(f.file("VideoLists.PLS")), "My Video PlayList\r\n  Jazz\r\n");

    f.restart();
    tree = f.w->TreeView1;
    ASSERT_EQ(tree->Count(), 3);
    EXPECT_EQ(tree->Item(3)->Parent()->Text, "  Jazz");
    EXPECT_EQ(tree->Item(3)->TagText, clip);
}

TEST(PlayListWindow, DeletionsAskOnceAndAreSaved)
{
    ListWindow f;
    Lumivex1* w = f.w.get();
    platform::KeyedTree* tree = w->TreeView1;
    ListWindow::drop(tree, ListWindow::pointOf(tree, tree->Item(1)), {f.media("v/one.avi"), f.media("v/two.avi")});
    f.clickTab(listtest::Music);
    f.clickTab(listtest::Videos);

    f.dialogs->answers = {Answer::No};
    ListWindow::pressDelete(tree, tree->Item(2));
    ASSERT_EQ(f.dialogs->texts(), QStringList{"Do You want to Delete - " + f.file("v/one.avi") + " from the Play List?"});
    EXPECT_EQ(tree->Count(), 3);
    EXPECT_FALSE(w->fVideoListsChanged);
    f.dialogs->answers = {Answer::Yes};
    ListWindow::pressDelete(tree, tree->Item(2));
    EXPECT_EQ(tree->Count(), 2);
    EXPECT_EQ(f.dialogs->messages.size(), 2);
    f.clickTab(listtest::Pictures);
    EXPECT_EQ(readFile(f.file("VideoListDtl.PLS")), ("My Video PlayList|#|" + f.file("v/two.avi") + "\r\n").toUtf8());

    // A list goes with its files, asked by its name.
    f.clickTab(listtest::Videos);
    f.dialogs->answers = {Answer::Yes};
    ListWindow::pressDelete(tree, tree->Item(1));
    EXPECT_EQ(f.dialogs->texts().last(), "Do You want to Delete - My Video PlayList from the Play List?");
    EXPECT_EQ(tree->Count(), 0);

    // The music tab's delete button asks its own question, once, and the
    // deletion is written with the lists.
    f.clickTab(listtest::Music);
    platform::KeyedTree* music = w->TreeView2;
    const QString song = f.media("m/song one.mp3");
    ListWindow::drop(music, ListWindow::pointOf(music, music->Item(1)), {song});
    f.clickTab(listtest::Videos);
    f.clickTab(listtest::Music);
    ListWindow::click(music, music->Item(2));
    f.dialogs->messages.clear();
    f.dialogs->answers = {Answer::Yes};
    QTest::mouseClick(w->findChild<QPushButton*>("MusDeleteBtn"), Qt::LeftButton);
    ASSERT_EQ(f.dialogs->texts(), QStringList{"Do You want to Delete - " + song + " from the Play List ?"});
    EXPECT_EQ(music->Count(), 1);
    EXPECT_TRUE(w->fMusicListsChanged);
    f.restart();
    EXPECT_EQ(f.w->TreeView1->Count(), 0);
    EXPECT_EQ(f.w->TreeView2->Count(), 1) << "the deleted song does not come back";
}

TEST(PlayListWindow, DropsJoinTheListTheyAreMeantFor)
{
    ListWindow f;
    Lumivex1* w = f.w.get();
    f.clickTab(listtest::Music);
    platform::KeyedTree* tree = w->TreeView2;
    newPlayList(f, "Rock");
    newPlayList(f, "Jazz");
    ASSERT_EQ(tree->Count(), 3);
    ListWindow::drop(tree, ListWindow::pointOf(tree, tree->Item(2)), {f.media("m/r1.mp3")});
    EXPECT_EQ(w->cCurrentMusicList, "Rock");
    // A drop on a file joins that file's own list.
    ListWindow::drop(tree, ListWindow::pointOf(tree, tree->Item(4)), {f.media("m/r2.wav")});
    ASSERT_EQ(tree->Count(), 5);
    EXPECT_EQ(tree->Item(5)->Parent()->Text, "Rock");
    EXPECT_EQ(tree->Item(5)->TagValue, "Rock");

    // A click on a list makes it current and opens its picture; a click on a
    // music file makes the file's list current.
    ListWindow::click(tree, tree->Item(3));
    EXPECT_EQ(w->cCurrentMusicList, "Jazz");
    EXPECT_EQ(tree->Item(3)->Image, 2);
    ListWindow::click(tree, tree->Item(4));
    EXPECT_EQ(w->cCurrentMusicList, "Rock");
    ListWindow::itemOf(tree, tree->Item(2))->setExpanded(false);
    EXPECT_EQ(tree->Item(2)->Image, 1);

    // The current list is the node itself: deleting a list above it changes
    // nothing (the list to delete is chosen with the keys, not clicked)...
    ListWindow::click(tree, tree->Item(3));
    QTest::keyClick(tree, Qt::Key_Home);
    f.dialogs->answers = {Answer::Yes};
    QTest::keyClick(tree, Qt::Key_Delete);
    ASSERT_EQ(tree->nodeByKey("My Music PlayList"), nullptr);
    ListWindow::drop(tree, ListWindow::emptySpace(tree), {f.media("m/j1.mp3")});
    EXPECT_EQ(tree->nodeByKey("Jazzj1.mp3") ? tree->nodeByKey("Jazzj1.mp3")->Parent()->Text : QString(), "Jazz");
    // ...and deleting the current list makes the first list current.
    f.dialogs->answers = {Answer::Yes};
    ListWindow::pressDelete(tree, tree->nodeByKey("Jazz"));
    EXPECT_EQ(w->cCurrentMusicList, "Rock");
    ListWindow::drop(tree, ListWindow::emptySpace(tree), {f.media("m/r3.mp3")});
    ASSERT_NE(tree->nodeByKey("Rockr3.mp3"), nullptr);
    EXPECT_EQ(tree->nodeByKey("Rockr3.mp3")->Parent()->Text, "Rock");

    // The video tree does not follow a click on a file.
    f.clickTab(listtest::Videos);
    newPlayList(f, "Films");
    ListWindow::drop(w->TreeView1, ListWindow::pointOf(w->TreeView1, w->TreeView1->Item(1)), {f.media("v/a.avi")});
    ListWindow::click(w->TreeView1, w->TreeView1->Item(3));
    EXPECT_EQ(w->cCurrentVideoList, "My Video PlayList") << "the drop made it current";
    ListWindow::click(w->TreeView1, w->TreeView1->Item(2));
    ListWindow::click(w->TreeView1, w->TreeView1->Item(3));
    EXPECT_EQ(w->cCurrentVideoList, "Films");
}

TEST(PlayListWindow, DocumentList)
{
    ListWindow f;
    Lumivex1* w = f.w.get();
    f.clickTab(listtest::Documents);
    platform::KeyedTree* tree = w->TreeView3;
    const QString text = f.file("d/read me.txt");
    testsupport::writeFile(text, "Hello");
    ASSERT_TRUE(ListWindow::drop(tree, ListWindow::emptySpace(tree), {text, f.file("d/b.Pdf"), f.file("d/c.png")}));
    ASSERT_EQ(tree->Count(), 2);
    ListWindow::doubleClick(tree, tree->Item(1));
    EXPECT_EQ(w->TabStrip1->currentIndex(), listtest::Documents);
    EXPECT_EQ(w->windowTitle(), "Brevanto Lumivex 3.0 - " + text);

    f.dialogs->answers = {Answer::Yes};
    ListWindow::pressDelete(tree, tree->Item(2));
    EXPECT_EQ(f.dialogs->texts().last(), "Do You want to Delete - " + f.file("d/b.Pdf") + " ?");
    f.restart();
    ASSERT_EQ(f.w->TreeView3->Count(), 1);
    EXPECT_EQ(f.w->TreeView3->Item(1)->TagText, text);
}

TEST(PlayListWindow, APathHoldingALineEndIsRefusedAndNothingStoredChanges)
{
    ListWindow f;
    Lumivex1* w = f.w.get();
    platform::KeyedTree* tree = w->TreeView1;
    const QString good = f.media("clips/Sea.avi"), split = f.media("clips/Two\nlines.avi");
    const QString refusal = "A File whose Name holds a Line End cannot be kept in a List - ";
    ASSERT_TRUE(ListWindow::drop(tree, ListWindow::pointOf(tree, tree->Item(1)), {split, good}));
    EXPECT_EQ(f.dialogs->texts(), QStringList{refusal + split});
    ASSERT_EQ(tree->Count(), 2);
    EXPECT_EQ(tree->Item(2)->TagText, good);
    f.clickTab(listtest::Pictures);
    EXPECT_EQ(readFile(f.file("VideoListDtl.PLS")), ("My Video PlayList|#|" + good + "\r\n").toUtf8());

    // The document list: a drop of only such a name leaves the list unchanged.
    f.clickTab(listtest::Documents);
    platform::KeyedTree* docs = w->TreeView3;
    const QString note = f.file("d/read\nme.txt");
    testsupport::writeFile(note, "Hello");
    ASSERT_TRUE(ListWindow::drop(docs, ListWindow::emptySpace(docs), {note}));
    EXPECT_EQ(f.dialogs->texts().last(), refusal + note);
    EXPECT_EQ(docs->Count(), 0);
    EXPECT_FALSE(w->fDocumentListChanged);
}
