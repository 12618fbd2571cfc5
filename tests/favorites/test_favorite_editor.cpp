// The favourite list editor and its new-list window, used as a user does.
#include "FavoritesFixture.h"

#include "shell/Settings.h"

#include <QComboBox>

using favtest::Favorites;
using platform::Answer;
using testsupport::readFile;
using testsupport::writeFile;

TEST_F(Favorites, ANewListIsFilledAndWrittenOnOk)
{
    const QString pics = folder.file("pics");
    const QString a = file("pics/a.jpg"), b = file("pics/b.png"), c = file("pics/c.mp3");
    file("pics/notes.xyz");
    answerNewList({"   ", "Holiday"}); // a blank name is refused first
    auto ed = openEditor(pics);
    EXPECT_TRUE(gs.fSetFavListOpen);
    ASSERT_EQ(dialogs->texts(),
              QStringList{"You must Enter the Name for the New Favorite List of Pictures or Multimedia Files"});
    EXPECT_EQ(texts(ed->List2), QStringList{"Holiday"});
    EXPECT_EQ(ed->cFavListPath, folder.file("FavoriteLists/Holiday"));
    EXPECT_TRUE(ed->fFavListChanged);
    EXPECT_EQ(ed->CMBFILTER->currentText(), "All MultiMedia Files");
    EXPECT_EQ(ed->PTxShList1->FolderPath(), pics);
    ASSERT_NE(ed->PTxShList1->SelectedItem(), nullptr) << "the first item is selected at the first activation";

    // Add selected: the selection moves on to the next item.
    clickShellItem(ed->PTxShList1, "b.png");
    QTest::mouseClick(ed->RightBtn, Qt::LeftButton);
    EXPECT_EQ(ed->PTxShList1->SelectedItem()->Name(), "c.mp3");
    QTest::mouseClick(ed->RightBtn, Qt::LeftButton);
    clickShellItem(ed->PTxShList1, "a.jpg");
    QTest::mouseClick(ed->RightBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List1), (QStringList{b, c, a}));
    EXPECT_EQ(ed->List1->toolTip(), a);

    // Up and Down move the selected entry; at the ends they do nothing.
    clickRow(ed->List1, 2);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(ed->UpBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List1), (QStringList{a, b, c}));
    clickRow(ed->List1, 2);
    QTest::mouseClick(ed->DownBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List1), (QStringList{a, b, c}));

    // An unsupported file is refused with the message.
    ed->CMBFILTER->setFocus();
    QTest::keyClick(ed->CMBFILTER, Qt::Key_End);
    EXPECT_EQ(ed->PTxShList1->Filter(), "*.*");
    clickShellItem(ed->PTxShList1, "notes.xyz");
    QTest::mouseClick(ed->RightBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->texts().last(), "You must select a supported Picture or Multimedia File");
    EXPECT_EQ(ed->List1->count(), 3);

    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("Holiday")), (a + "\r\n" + b + "\r\n" + c + "\r\n").toUtf8());
    EXPECT_FALSE(ed->isVisible());
    EXPECT_FALSE(gs.fSetFavListOpen);
}

TEST_F(Favorites, DropsAndAddAllTakeTheFilterInForce)
{
    writeFile(listFile("Mix"), "/keep.jpg\r\n");
    const QString pics = folder.file("pics");
    const QString a = file("pics/a.jpg"), g = file("pics/g.gif");
    file("pics/n.xyz");
    const QString dotted = folder.file("album.2004");
    QDir().mkpath(dotted);
    auto ed = openEditor(folder.path());
    ASSERT_EQ(ed->cFavListPath, folder.file("FavoriteLists/Mix"));
    EXPECT_FALSE(ed->fFavListChanged);

    // A dropped file of any type is added as it is; a folder adds its files
    // under the filter in force (GIF is in no pattern but "*.*"); a folder
    // whose name looks like a file's counts as one.
    const QString odd = file("odd.xyz");
    ASSERT_TRUE(testsupport::dropFiles(ed->List1->viewport(), {5, 5}, {odd, pics, dotted}));
    EXPECT_EQ(texts(ed->List1), (QStringList{"/keep.jpg", odd, a, dotted}));
    EXPECT_EQ(ed->List1->currentRow(), 0);
    EXPECT_EQ(ed->List1->toolTip(), "/keep.jpg");
    EXPECT_EQ(ed->PTxShList1->FolderPath(), pics);
    EXPECT_TRUE(ed->fFavListChanged);

    ed->CMBFILTER->setFocus();
    QTest::keyClick(ed->CMBFILTER, Qt::Key_End); // "All Files (*.*)"
    QTest::mouseClick(ed->ClearBtn, Qt::LeftButton);
    QTest::mouseClick(ed->AllBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List1), (QStringList{a, g})) << "supported files only";

    // Remove takes the selected entry and selects the one before.
    clickRow(ed->List1, 1);
    QTest::mouseClick(ed->LefttBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List1), QStringList{a});
    EXPECT_EQ(ed->List1->currentRow(), 0);
    QTest::mouseClick(ed->GoUpBtn, Qt::LeftButton);
    EXPECT_EQ(ed->PTxShList1->FolderPath(), folder.path());
    QTest::mouseClick(ed->CancelBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("Mix")), "/keep.jpg\r\n") << "Cancel drops the changes";
}

TEST_F(Favorites, SwitchingListsSavesAndDeletingIsFinal)
{
    writeFile(listFile("Alpha"), "/p/1.jpg\r\n/p/2.jpg\r\n");
    writeFile(listFile("Beta"), "/p/3.jpg\r\n");
    writeFile(listFile("Gamma"), "/p/4.jpg\r\n");
    auto ed = openEditor(folder.path());
    EXPECT_EQ(texts(ed->List1), (QStringList{"/p/1.jpg", "/p/2.jpg"}));

    // Clear, then another list: the emptied list is written.
    QTest::mouseClick(ed->ClearBtn, Qt::LeftButton);
    clickRow(ed->List2, 1);
    EXPECT_EQ(readFile(listFile("Alpha")), "");
    EXPECT_EQ(texts(ed->List1), QStringList{"/p/3.jpg"});

    // Delete asks; No keeps the list.
    dialogs->answers = {Answer::No};
    QTest::mouseClick(ed->DeleteBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->texts(), QStringList{"Are you sure you want to Delete - Beta"});
    EXPECT_TRUE(QFile::exists(listFile("Beta")));
    // Yes after an edit: the file goes and never comes back.
    QTest::mouseClick(ed->ClearBtn, Qt::LeftButton);
    dialogs->answers = {Answer::Yes};
    QTest::mouseClick(ed->DeleteBtn, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(listFile("Beta")));
    EXPECT_EQ(texts(ed->List2), (QStringList{"Alpha", "Gamma"}));
    EXPECT_EQ(ed->List2->currentRow(), -1);
    EXPECT_TRUE(ed->cFavListPath.isEmpty());
    clickRow(ed->List2, 1);
    EXPECT_FALSE(QFile::exists(listFile("Beta")));
    EXPECT_EQ(texts(ed->List1), QStringList{"/p/4.jpg"});
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(listFile("Beta")));
    EXPECT_EQ(readFile(listFile("Gamma")), "/p/4.jpg\r\n");

    // With one list left after a deletion, it is chosen.
    auto again = openEditor(folder.path());
    dialogs->answers = {Answer::Yes};
    QTest::mouseClick(again->DeleteBtn, Qt::LeftButton);
    EXPECT_EQ(texts(again->List2), QStringList{"Gamma"});
    EXPECT_EQ(again->cFavListPath, folder.file("FavoriteLists/Gamma"));
}

TEST_F(Favorites, WithoutACurrentListNothingIsWritten)
{
    const QString pic = file("pics/a.jpg");
    answerNewList({QString()});
    auto ed = openEditor(folder.path());
    EXPECT_EQ(ed->List2->count(), 0);
    EXPECT_TRUE(ed->cFavListPath.isEmpty());
    testsupport::dropFiles(ed->List1->viewport(), {5, 5}, {pic});
    ASSERT_EQ(ed->List1->count(), 1);

    // New writes nothing for the entries without a list; names that would
    // reach outside the folder are refused.
    answerNewList({"../evil", "a\\b", "..", "  Trip "});
    QTest::mouseClick(ed->NewBtn, Qt::LeftButton);
    const QString refusal = "A Favorite List Name cannot hold / or \\ and cannot be . or ..";
    EXPECT_EQ(dialogs->texts(), (QStringList{refusal, refusal, refusal}));
    EXPECT_EQ(texts(ed->List2), QStringList{"  Trip "});
    EXPECT_TRUE(listFiles().isEmpty());
    EXPECT_FALSE(QFile::exists(folder.file(".FLST")));
    EXPECT_FALSE(QFile::exists(folder.file("evil.FLST")));
    EXPECT_EQ(ed->List1->count(), 0);

    // The new list is written at its first OK, even empty.
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(listFiles(), QStringList{"  Trip .FLST"});
    EXPECT_EQ(readFile(listFile("  Trip ")), "");
}

TEST_F(Favorites, ANameInAnotherCaseUsesTheExistingFile)
{
    writeFile(listFile("Holiday"), "/old.jpg\r\n");
    auto ed = openEditor(folder.path());
    answerNewList({"HOLIDAY"});
    QTest::mouseClick(ed->NewBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List2), (QStringList{"Holiday", "HOLIDAY"}));
    testsupport::dropFiles(ed->List1->viewport(), {5, 5}, {"/new.png"});
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(listFiles(), QStringList{"Holiday.FLST"});
    EXPECT_EQ(readFile(listFile("Holiday")), "/new.png\r\n");
}

TEST_F(Favorites, TheDefaultSchemePaintsListsLight)
{
    settings::setDefaultColors(gs); // lists: system colour 23, the info text colour
    writeFile(listFile("One"), "");
    auto ed = openEditor(folder.path());
    const QImage shot = ed->List1->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() - 8), QApplication::palette().color(QPalette::ToolTipBase));
    gs = SharedState();
}

TEST_F(Favorites, AListThatCannotBeWrittenStaysMarkedChanged)
{
    writeFile(listFile("A"), "/a.jpg\r\n");
    auto ed = openEditor(folder.path());
    QTest::mouseClick(ed->ClearBtn, Qt::LeftButton);
    QFile::remove(listFile("A"));
    QDir().mkpath(listFile("A")); // a folder where the file was: the write fails
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_TRUE(ed->fFavListChanged);
    EXPECT_TRUE(QFileInfo(listFile("A")).isDir());
}
