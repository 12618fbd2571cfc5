// The browser panel as the main window drives it: current file, file tools,
// open, caption, viewed-pictures list, Esc, folder changes from other windows.
#include "BrowserFixture.h"

#include <sys/stat.h>

#include <QListWidget>

TEST_F(BrowserFixture, SelectingAnItemSetsTheCurrentFileAndTheFileTools)
{
    file("notes.TXT");
    file("archive.zip");
    mkdir("Plain Folder");
    mkdir("Trip.JPG");
    w->setFileListFolder(data.path());
    ASSERT_TRUE(allFileTools(false));

    select("notes.TXT");
    EXPECT_EQ(gs.cCurrentFile, path("notes.TXT"));
    EXPECT_EQ(gs.cCurrentExt, "TXT");
    EXPECT_TRUE(allFileTools(true));

    select("archive.zip");
    EXPECT_EQ(gs.cCurrentFile, path("archive.zip")) << "an unknown extension keeps the path";
    EXPECT_EQ(gs.cCurrentExt, "ZIP");
    EXPECT_TRUE(allFileTools(false));

    select("Plain Folder");
    EXPECT_EQ(gs.cCurrentFile, "") << "no extension: no current file";
    EXPECT_TRUE(allFileTools(false));

    select("Trip.JPG");
    EXPECT_EQ(gs.cCurrentFile, path("Trip.JPG")) << "a folder named like a picture counts by its name";
    EXPECT_TRUE(allFileTools(true));

}

TEST_F(BrowserFixture, OpeningAnItemSetsTheCaptionAndSkipsWhatIsNotAFile)
{
    picture("a.png");
    picture(".hidden.png");
    mkdir("Sub");
    w->PTxShList1->setShowHidden(true);
    w->setFileListFolder(data.path());
    gs.nPicturePage = 4;
    gs.fInternetLoading = true;

    select("a.png");
    w->PTxShList1_Open();
    EXPECT_EQ(gs.nPicturePage, 1);
    EXPECT_FALSE(gs.fInternetLoading);
    EXPECT_EQ(w->displayed, QStringList{path("a.png")});
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - " + path("a.png"));

    select(".hidden.png");
    w->PTxShList1_Open();
    EXPECT_EQ(w->displayed.size(), 1) << "a hidden file is not displayed";
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - " + path(".hidden.png"));

    select("Sub");
    w->PTxShList1_Open();
    EXPECT_EQ(w->displayed.size(), 1) << "nor is a folder";
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - " + path("Sub")) << "folders get the caption too";

    // A double-click is the default action that opens the file.
    w->PTxShList1->openIndex(select("a.png"));
    EXPECT_EQ(w->displayed, (QStringList{path("a.png"), path("a.png")}));
    EXPECT_TRUE(w->IsNotAFile(path("*.png"))) << "a mask is a name, never a pattern";
}

TEST_F(BrowserFixture, TreeSelectionSetsCaptionResumeIndexAndShowsTheFolder)
{
    file("A/one.txt");
    file("B/two.txt");
    w->PTxShTree1->Refresh();
    platform::ShellTreeItem* root = w->PTxShTree1->Items().Item(0);
    ASSERT_TRUE(root->setExpanded(true));
    ASSERT_EQ(treeNames(), (QStringList{root->Name(), "A", "B"}));

    w->PTxShTree1->selectItem(treeItem("B"));
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - B") << "the tree names the folder by its display name";
    EXPECT_EQ(w->search().nSearchResumeIndex, 2);
    EXPECT_EQ(listNames(), QStringList{"two.txt"});

    // The list going elsewhere moves the tree and the resume index with it;
    // the caption stays with what was shown last.
    w->setFileListFolder(path("A"));
    EXPECT_EQ(w->search().nSearchResumeIndex, 1);
    EXPECT_EQ(w->PTxShTree1->SelectedFolder(), path("A"));
    EXPECT_EQ(w->windowTitle(), kProgramTitle + " - B");
}

TEST_F(BrowserFixture, PictureListIsBuiltOnceFromTheShownPicturesInDisplayOrder)
{
    picture("b.jpg");
    file("a.txt");
    picture("c.PNG");
    mkdir("d.gif");
    w->List3->clear();
    w->setFileListFolder(data.path());
    ASSERT_EQ(w->List3->count(), 2) << "the folder change rebuilt the list";
    EXPECT_EQ(w->List3->item(0)->text(), path("b.jpg"));
    EXPECT_EQ(w->List3->item(1)->text(), path("c.PNG"));
    EXPECT_EQ(w->List3->currentRow(), 0);
    EXPECT_EQ(w->loaded, QStringList{path("b.jpg")}) << "the first picture is shown";

    picture("a0.bmp");
    w->RefreshFileList();
    EXPECT_EQ(w->List3->count(), 2) << "a filled list is left alone";
}

TEST_F(BrowserFixture, PictureListTakesPlainFilesAndLinksToThemOnly)
{
    picture("a.jpg");
    picture(".hidden.jpg");
    ASSERT_TRUE(QFile::link(path("a.jpg"), path("b link.jpg")));
    ASSERT_TRUE(QFile::link(path("gone.jpg"), path("c dangling.jpg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("d pipe.jpg")).constData(), 0600), 0);
    mkdir("e folder.jpg");
    picture("sub/f.jpg");
    ASSERT_TRUE(QFile::link(path("sub"), path("g folder link.jpg")));
    w->PTxShList1->setShowHidden(true);
    w->List3->clear();
    w->setFileListFolder(data.path());
    ASSERT_GE(w->PTxShList1->Count(), 7);
    QStringList listed;
    for (int i = 0; i < w->List3->count(); ++i)
        listed << QFileInfo(w->List3->item(i)->text()).fileName();
    EXPECT_EQ(listed, (QStringList{"a.jpg", "b link.jpg"}));
}

TEST_F(BrowserFixture, FolderSetFromAnotherWindowGivesTheUsualReactions)
{
    picture("Other/x.png");
    file("Other/y.txt");
    w->List3->clear();
    w->setFileListFolder(path("Other"));
    EXPECT_EQ(w->fileListFolder(), path("Other"));
    EXPECT_EQ(w->PTxShList1->Count(), 2);
    EXPECT_EQ(w->List3->count(), 1);
    EXPECT_EQ(w->PTxShTree1->SelectedFolder(), path("Other"));

    EXPECT_TRUE(w->SelectFileListItem(path("Other/y.txt")));
    EXPECT_EQ(w->FileListSelectedPath().value_or(""), path("Other/y.txt"));
    EXPECT_EQ(gs.cCurrentFile, path("Other/y.txt"));

    // A folder that is not there changes nothing.
    w->setFileListFolder(path("Gone"));
    EXPECT_EQ(w->fileListFolder(), path("Other"));
}

TEST_F(BrowserFixture, FilesAreDraggedOutAsUriList)
{
    file("a.txt");
    file("b.txt");
    w->setFileListFolder(data.path());
    QAbstractItemModel* model = w->PTxShList1->currentView()->model();
    std::unique_ptr<QMimeData> mime(model->mimeData({model->index(0, 0), model->index(1, 0)}));
    ASSERT_TRUE(mime);
    EXPECT_TRUE(mime->hasFormat("text/uri-list"));
    ASSERT_EQ(mime->urls().size(), 2);
    EXPECT_EQ(mime->urls().at(0).toLocalFile(), path("a.txt"));
}

TEST_F(BrowserFixture, LastFolderAndFilterAreKeptAtClose)
{
    file("Keep/k.txt");
    gs.fSaveLastFolder = true;
    w->setFileListFolder(path("Keep"));
    w->CMBFILTER->setCurrentIndex(31);
    w->Form_Unload();
    EXPECT_EQ(gs.cLastFolder, path("Keep"));
    EXPECT_EQ(gs.nFilterIndex, 31);
}
