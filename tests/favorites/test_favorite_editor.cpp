// The favourite list editor and its new-list window, used as a user does.
#include "FavoritesFixture.h"

#include "shell/Settings.h"

#include <QAbstractItemView>
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

TEST_F(Favorites, NewWithTheNameOfAnExistingListOpensItAndOkKeepsItsEntries)
{
    writeFile(listFile("Alpha"), "/a.jpg\r\n");
    const QByteArray holiday = "/photos/beach 1.jpg\r\n/b.png\r\n";
    writeFile(listFile("Holiday"), holiday);
    auto ed = openEditor(folder.path());
    ASSERT_EQ(texts(ed->List1), QStringList{"/a.jpg"});

    // New, a name that exists in another letter case, OK: that list, whole.
    answerNewList({"HOLIDAY"});
    QTest::mouseClick(ed->NewBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List2), (QStringList{"Alpha", "Holiday"})) << "no second name";
    EXPECT_EQ(ed->List2->currentRow(), 1);
    EXPECT_EQ(texts(ed->List1), (QStringList{"/photos/beach 1.jpg", "/b.png"}));
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("Holiday")), holiday);
    EXPECT_EQ(listFiles(), (QStringList{"Alpha.FLST", "Holiday.FLST"}));

    // An existing empty list stays as it is; entries added to a list opened
    // by New join its own file.
    writeFile(listFile("Empty"), "");
    auto again = openEditor(folder.path());
    answerNewList({"empty"});
    QTest::mouseClick(again->NewBtn, Qt::LeftButton);
    EXPECT_EQ(again->List1->count(), 0);
    answerNewList({"holiday"});
    QTest::mouseClick(again->NewBtn, Qt::LeftButton);
    testsupport::dropFiles(again->List1->viewport(), {5, 5}, {"/new.png"});
    QTest::mouseClick(again->OKBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("Holiday")), holiday + "/new.png\r\n");
    EXPECT_EQ(readFile(listFile("Empty")), "");
    EXPECT_EQ(listFiles(), (QStringList{"Alpha.FLST", "Empty.FLST", "Holiday.FLST"}));
}

TEST_F(Favorites, AnEntryWrittenInWindows1252NamesItsFileAndIsSavedInUtf8)
{
    // The file's own name holds a euro sign, curly quotes and a dash.
    const QString pic = file(QString::fromUtf8("pics/\u20AC 5 \u201Cs\u201D \u2013 a.jpg"));
    QByteArray pic1252 = pic.toUtf8();
    pic1252.replace("\xE2\x82\xAC", "\x80").replace("\xE2\x80\x9C", "\x93").replace("\xE2\x80\x9D", "\x94");
    pic1252.replace("\xE2\x80\x93", "\x96");
    writeFile(listFile("Shop"), pic1252 + "\r\n");
    auto ed = openEditor(folder.path());
    ASSERT_EQ(texts(ed->List1), QStringList{pic});
    EXPECT_TRUE(QFileInfo::exists(ed->List1->item(0)->text())) << "the entry names its file";
    clickRow(ed->List1, 0);
    QTest::mouseClick(ed->DownBtn, Qt::LeftButton); // the last one: nothing moves
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("Shop")), pic.toUtf8() + "\r\n");
}

TEST_F(Favorites, APathHoldingALineEndIsRefusedWhereItWouldEnterTheList)
{
    const QString pics = folder.file("pics");
    const QString good = file("pics/a.jpg");
    const QString split = file("pics/two\nlines.jpg");
    const QString back = file("pics/back\rlines.png");
    writeFile(listFile("Mix"), "/keep.jpg\r\n");
    auto ed = openEditor(pics);
    const QString refusal = "A File whose Name holds a Line End cannot be kept in a List - ";

    // Dropped: refused with the message; the others still go in.
    ASSERT_TRUE(testsupport::dropFiles(ed->List1->viewport(), {5, 5}, {split, good}));
    EXPECT_EQ(dialogs->texts(), QStringList{refusal + split});
    EXPECT_EQ(texts(ed->List1), (QStringList{"/keep.jpg", good}));
    // Added from the file list, and by add all.
    clickShellItem(ed->PTxShList1, "two\nlines.jpg");
    QTest::mouseClick(ed->RightBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->texts().last(), refusal + split);
    QTest::mouseClick(ed->AllBtn, Qt::LeftButton);
    EXPECT_EQ(texts(ed->List1), (QStringList{"/keep.jpg", good, good}));
    EXPECT_EQ(dialogs->texts().mid(2), (QStringList{refusal + back, refusal + split}));
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("Mix")), ("/keep.jpg\r\n" + good + "\r\n" + good + "\r\n").toUtf8());

    // A drop of nothing but such names changes nothing stored.
    auto again = openEditor(pics);
    testsupport::dropFiles(again->List1->viewport(), {5, 5}, {split});
    EXPECT_FALSE(again->fFavListChanged);
}

TEST_F(Favorites, TheFileListShowsNamesWholeWhereTheyFitInEveryIconLook)
{
    const QString pics = folder.file("pics");
    QDir().mkpath(folder.file("pics/ab")); // a short first name
    QDir().mkpath(folder.file("pics/media"));
    file("pics/grad.png");
    file("pics/summer holiday at the sea.jpg");
    file("pics/x.bmp"); // a short last name
    writeFile(listFile("One"), "");
    gs.fBoldFonts = true; // the names are painted bold
    const std::unique_ptr<void, void (*)(void*)> plainAgain(&gs, [](void*) { gs.fBoldFonts = false; });
    auto ed = openEditor(pics);
    platform::ShellList* shell = ed->PTxShList1;
    ASSERT_EQ(shell->Count(), 5);
    ASSERT_EQ(shell->ViewStyle(), 2);
    // Each look in turn, and the list look again after the icon looks.
    for (const int look : {2, 0, 1, 2}) {
        shell->setViewStyle(look);
        QAbstractItemView* view = shell->currentView();
        QCoreApplication::processEvents();
        // What the view paints, read back from its painting.
        const QStringList texts = testsupport::paintedTexts(view->viewport());
        const QString painted = texts.join(QLatin1Char('|'));
        for (const QString name : {"ab", "media", "grad.png", "x.bmp"})
            EXPECT_TRUE(texts.contains(name)) << "look " << look << ": " << painted.toStdString();
        // A long name is cut (or wrapped, in large icons) at the item's width,
        // not before; the list look makes its column as wide as the widest name.
        if (look == 2)
            EXPECT_TRUE(texts.contains("summer holiday at the sea.jpg")) << painted.toStdString();
        else
            EXPECT_TRUE(painted.contains(look == 0 ? "summer" : "summer holiday")) << look << painted.toStdString();
    }
}

TEST_F(Favorites, OkWritesTheListTheUserEmptiedByRemovingItsEntries)
{
    writeFile(listFile("A"), "/a.jpg\r\n/b.jpg\r\n");
    // Removing the entries one by one empties the list.
    auto ed = openEditor(folder.path());
    for (int i = 0; i < 2; ++i) {
        clickRow(ed->List1, 0);
        QTest::mouseClick(ed->LefttBtn, Qt::LeftButton);
    }
    QTest::mouseClick(ed->OKBtn, Qt::LeftButton);
    EXPECT_EQ(readFile(listFile("A")), "");
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
