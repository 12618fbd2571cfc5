// Filters, the typed mask, view styles, up one folder and collapsing the tree.
#include "BrowserFixture.h"
#include "ThumbTestSupport.h"
#include "platform/controls/ImageList.h"
#include "platform/shell/FileMask.h"
#include "shared/Tables.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
QString toolCaption(Lumivex1& w, const char* id) { return w.ToolBarComp1->Item(QString::fromLatin1(id))->Caption(); }
bool toolVisible(Lumivex1& w, const char* id) { return w.ToolBarComp1->Item(QString::fromLatin1(id))->Visible(); }
} // namespace

TEST_F(BrowserFixture, NamedFilterSetsRowCaptionAndList)
{
    picture("a.jpg");
    picture("b.PNG");
    file("c.txt");
    w->setFileListFolder(data.path());

    w->CMBFILTER->setCurrentIndex(31); // "All Picture Files"
    EXPECT_EQ(w->nFilterRow, 31);
    EXPECT_EQ(gs.nFilterIndex, 31);
    EXPECT_EQ(toolCaption(*w, "ID_FilterName"), "All Picture Files");
    EXPECT_TRUE(toolVisible(*w, "ID_Separator2")) << "17 characters keep the separator";
    EXPECT_EQ(w->PTxShList1->Filter(), tables::filterPattern(31));
    EXPECT_EQ(listNames(), (QStringList{"a.jpg", "b.PNG"})) << "masks match in any letter case";

    w->CMBFILTER->setCurrentIndex(8); // longer than 20 characters
    EXPECT_FALSE(toolVisible(*w, "ID_Separator2"));
}

TEST_F(BrowserFixture, TypedMaskFiltersTheListOnlyOnEnter)
{
    file("a.gif");
    picture("b.png");
    file("noext");
    w->setFileListFolder(data.path());
    w->CMBFILTER->setCurrentIndex(15); // PNG
    ASSERT_EQ(listNames(), QStringList{"b.png"});
    const int index = gs.nFilterIndex;

    w->CMBFILTER->lineEdit()->setText("*.GIF");
    EXPECT_EQ(listNames(), QStringList{"b.png"}) << "typing alone does nothing";
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(w->CMBFILTER->lineEdit(), &enter);
    EXPECT_EQ(listNames(), QStringList{"a.gif"});
    EXPECT_EQ(w->PTxShList1->Filter(), "*.GIF");
    EXPECT_EQ(w->nFilterRow, 15) << "the named filter stays the last one applied";
    EXPECT_EQ(gs.nFilterIndex, index);

    // "*.*" shows the files without a dot too.
    int code = 13;
    w->CMBFILTER->lineEdit()->setText("*.*");
    w->CMBFILTER_KeyPress(code);
    EXPECT_EQ(listNames(), (QStringList{"a.gif", "b.png", "noext"}));
}

TEST_F(BrowserFixture, ViewStylesAreStoredAndLeaveTheThumbnails)
{
    const struct {
        void (Lumivex1::*command)();
        int style;
    } cases[] = {{&Lumivex1::SetDetailsView, 3},
                 {&Lumivex1::SetListIconsView, 2},
                 {&Lumivex1::SetSmallIconsView, 1},
                 {&Lumivex1::SetLargeIconsView, 0}};
    for (const auto& c : cases) {
        gs.fThumbView = true;
        (w.get()->*c.command)();
        EXPECT_EQ(w->PTxShList1->ViewStyle(), c.style);
        EXPECT_EQ(gs.nListViewStyle, c.style);
        EXPECT_FALSE(gs.fThumbView);
    }
}

TEST_F(BrowserFixture, MoveUpFolderShowsTheParentAndRereadsTheTree)
{
    file("Up/Down/x.txt");
    w->setFileListFolder(path("Up/Down"));
    w->thumbnails().cThumbFolder = path("Up/Down");
    mkdir("New Sibling");
    w->MoveUpFolder();
    EXPECT_EQ(w->fileListFolder(), path("Up"));
    EXPECT_TRUE(w->thumbnails().cThumbFolder.isEmpty());
    w->MoveUpFolder();
    EXPECT_EQ(w->fileListFolder(), data.path());
    EXPECT_NE(treeItem("New Sibling"), nullptr) << "the tree was read again";
}

TEST(FileMask, MatchesLikeTheFilterTable)
{
    const QStringList names = {"A.JPG", "a.jpgx", "noext", ".hidden.png", "b.tar.gz", "syslog", "a.log"};
    const QStringList patterns = {"*.JPG;*.JPE", "*.*", "*.GZ", "*LOG", "?.jpg", ""};
    for (const QString& p : patterns) {
        const platform::FileMask mask(p);
        for (const QString& n : names)
            EXPECT_EQ(mask.matches(n), tables::matchesMasks(n, tables::masksOf(p)))
                << p.toStdString() << " / " << n.toStdString();
    }
    EXPECT_TRUE(platform::globMatch("a*b?c", "AxxBzC"));
    EXPECT_FALSE(platform::globMatch("a*b?c", "AxxBC"));
}

TEST_F(BrowserFixture, FilterOrRefreshRebuildsShownThumbnailsUnlessSearching)
{
    picture("a.jpg");
    picture("b.png");
    w->setFileListFolder(data.path());
    gs.fThumbView = true;
    w->search().fSearchBusy = true;
    w->CMBFILTER->setCurrentIndex(15); // PNG, during a search
    ASSERT_TRUE(thumbtest::waitForThumbnailRun(*w));
    EXPECT_EQ(w->ImagList1->Count(), 0) << "no thumbnails while a search runs";

    w->search().fSearchBusy = false;
    w->CMBFILTER->setCurrentIndex(0); // JPEG
    ASSERT_TRUE(thumbtest::waitForThumbnailRun(*w));
    ASSERT_EQ(w->ImagList1->Count(), 1);
    EXPECT_EQ(w->ImagList1->Item(0).FilePath, path("a.jpg"));

    gs.fThumbView = true;
    w->ApplyFileFilter("Portable Network Graphics Format (PNG)");
    w->RefreshFileList();
    ASSERT_TRUE(thumbtest::waitForThumbnailRun(*w));
    ASSERT_EQ(w->ImagList1->Count(), 1);
    EXPECT_EQ(w->ImagList1->Item(0).FilePath, path("b.png"));
}
