// Filters, the typed mask, view styles, up one folder and collapsing the tree.
#include "BrowserFixture.h"
#include "ThumbTestSupport.h"
#include "platform/controls/ImageList.h"
#include "platform/shell/FileMask.h"
#include "shared/Tables.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

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

// The user's hands on the filter combo: the window on the screen and the
// active one, so that keys reach the widget that has the focus.
class FilterCombo : public BrowserFixture {
protected:
    void SetUp() override
    {
        BrowserFixture::SetUp();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        ASSERT_TRUE(focus.activate(w.get()));
    }
    // A click into the combo's text, then the keys that select all of it.
    QWidget* clickIntoTheText()
    {
        QLineEdit* text = w->CMBFILTER->lineEdit();
        QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
        QWidget* focused = QApplication::focusWidget();
        EXPECT_TRUE(focused == w->CMBFILTER || focused == text) << "the click gave the combo the focus";
        if (focused)
            QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
        return focused;
    }
    // Opens the drop-down with its key and clicks the filter in it.
    void pickInTheDropDown(int row)
    {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        QTest::keyClick(focused, Qt::Key_F4);
        QAbstractItemView* list = w->CMBFILTER->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); })) << "the drop-down opened";
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        const QPoint at = list->visualRect(index).center();
        QTest::mouseMove(list->viewport(), at);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); })) << "the pick closed it";
    }
    testsupport::InProcessFocus focus;
};

TEST_F(FilterCombo, TypedMaskFiltersTheListOnlyOnEnter)
{
    file("a.gif");
    picture("b.png");
    file("noext");
    w->setFileListFolder(data.path());
    w->CMBFILTER->setCurrentIndex(15); // PNG
    ASSERT_EQ(listNames(), QStringList{"b.png"});
    const int index = gs.nFilterIndex;

    QWidget* focused = clickIntoTheText();
    ASSERT_TRUE(focused);
    QTest::keyClicks(focused, QStringLiteral("*.GIF"));
    EXPECT_EQ(w->CMBFILTER->currentText(), "*.GIF") << "the typed mask replaced the filter's name";
    EXPECT_EQ(listNames(), QStringList{"b.png"}) << "typing alone does nothing";
    QTest::keyClick(focused, Qt::Key_Return);
    EXPECT_EQ(listNames(), QStringList{"a.gif"});
    EXPECT_EQ(w->PTxShList1->Filter(), "*.GIF");
    EXPECT_EQ(w->nFilterRow, 15) << "the named filter stays the last one applied";
    EXPECT_EQ(gs.nFilterIndex, index);

    // The keypad's Enter too; "*.*" shows the files without a dot as well.
    focused = clickIntoTheText();
    ASSERT_TRUE(focused);
    QTest::keyClicks(focused, QStringLiteral("*.*"));
    QTest::keyClick(focused, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(listNames(), (QStringList{"a.gif", "b.png", "noext"}));
    EXPECT_EQ(w->nFilterRow, 15);
}

TEST_F(FilterCombo, PickingTheFilterItShowsAppliesIt)
{
    picture("a.jpg");
    picture("b.png");
    file("c.txt");
    w->setFileListFolder(data.path());
    ASSERT_EQ(w->CMBFILTER->currentIndex(), 35); // "All Files (*.*)"

    // A search leaves the list showing what it looked for; the combo still
    // shows "All Files (*.*)", and picking it shows every file again.
    w->FindNext();
    ASSERT_EQ(listNames(), QStringList{"a.jpg"});
    ASSERT_EQ(w->CMBFILTER->currentIndex(), 35);
    clickIntoTheText();
    pickInTheDropDown(35);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(listNames(), (QStringList{"a.jpg", "b.png", "c.txt"}));
    EXPECT_EQ(w->PTxShList1->Filter(), tables::filterPattern(35));

    // The same after a typed mask.
    QWidget* focused = clickIntoTheText();
    ASSERT_TRUE(focused);
    QTest::keyClicks(focused, QStringLiteral("*.png"));
    QTest::keyClick(focused, Qt::Key_Return);
    ASSERT_EQ(listNames(), QStringList{"b.png"});
    pickInTheDropDown(35);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(listNames(), (QStringList{"a.jpg", "b.png", "c.txt"}));
    EXPECT_EQ(w->CMBFILTER->currentText(), w->CMBFILTER->itemText(35)) << "the combo names the filter again";

    // Another filter, picked the same way.
    pickInTheDropDown(15); // PNG
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(listNames(), QStringList{"b.png"});
    EXPECT_EQ(w->nFilterRow, 15);
    EXPECT_EQ(gs.nFilterIndex, 15);
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
