// The file list and the folder tree as a user drives them: mouse clicks,
// keys, rubber bands and the View menu's looks on the real views.
#include "BrowserFixture.h"
#include "platform/shell/ShellCombo.h"

#include <QFileIconProvider>
#include <QFontMetrics>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTreeView>

namespace {

class ListMouse : public BrowserFixture {
protected:
    void SetUp() override
    {
        BrowserFixture::SetUp();
        w->resize(1000, 700);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    QAbstractItemView* view() const { return w->PTxShList1->currentView(); }
    int row(const QString& name) const
    {
        for (int i = 0; i < w->PTxShList1->Count(); ++i)
            if (w->PTxShList1->Item(i)->Name() == name)
                return i;
        ADD_FAILURE() << "no item " << name.toStdString();
        return -1;
    }
    QPoint centre(const QString& name) const
    {
        view()->scrollTo(view()->model()->index(row(name), 0));
        return view()->visualRect(view()->model()->index(row(name), 0)).center();
    }
    void click(const QString& name, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, mods, centre(name));
    }
    // Press, release, the second press that the system reports as a double-click, release.
    void doubleClick(const QString& name)
    {
        const QPoint at = centre(name);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, at);
    }
};

} // namespace

TEST_F(ListMouse, AClickAKeyACtrlClickAndARubberBandEachMakeTheFileTheCurrentOne)
{
    file("a.txt");
    file("b.txt");
    file("c.zip");
    file("d.txt");
    w->setFileListFolder(data.path());
    w->SetDetailsView(); // one row per item, so a rubber band is easy to draw
    ASSERT_EQ(listNames(), (QStringList{"a.txt", "b.txt", "c.zip", "d.txt"}));
    ASSERT_TRUE(allFileTools(false));

    click("b.txt");
    EXPECT_EQ(gs.cCurrentFile, path("b.txt")) << "a single click";
    EXPECT_TRUE(allFileTools(true));

    click("c.zip");
    EXPECT_EQ(gs.cCurrentFile, path("c.zip"));
    EXPECT_TRUE(allFileTools(false)) << "an unknown type switches the file tools off";

    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(gs.cCurrentFile, path("d.txt")) << "a key move";
    EXPECT_TRUE(allFileTools(true));

    click("a.txt", Qt::ControlModifier);
    EXPECT_EQ(gs.cCurrentFile, path("a.txt")) << "a Ctrl-click adds the file and makes it the current one";
    EXPECT_EQ(view()->selectionModel()->selectedRows().size(), 2);

    // Press below the last row and drag up to b.txt: b, c and d are taken.
    click("a.txt");
    const QPoint below = view()->visualRect(view()->model()->index(row("d.txt"), 0)).bottomLeft() + QPoint(20, 40);
    QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseMove(view()->viewport(), centre("b.txt"));
    QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, centre("b.txt"));
    EXPECT_EQ(view()->selectionModel()->selectedRows().size(), 3);
    EXPECT_EQ(gs.cCurrentFile, path("b.txt")) << "a rubber band";
    EXPECT_TRUE(allFileTools(true));
}

TEST_F(ListMouse, ADoubleClickOpensTheFileTheClickSelected)
{
    file("one.txt");
    file("two.txt");
    w->setFileListFolder(data.path());
    click("one.txt");
    doubleClick("two.txt");
    EXPECT_EQ(w->displayed, QStringList{path("two.txt")});
    EXPECT_EQ(gs.cCurrentFile, path("two.txt"));
}

TEST_F(ListMouse, TheFilterInUseStaysCheckedWhenItsMenuEntryIsClickedAgain)
{
    platform::Tool* drop = w->ToolBarComp1->Item("ID_mnuFileFilterDropDown");
    ASSERT_TRUE(drop && drop->menu());
    auto pick = [&](const QString& name) {
        QAction* entry = w->ToolBarComp1->Item(name)->action();
        drop->menu()->popup(w->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(drop->menu()));
        QTest::mouseClick(drop->menu(), Qt::LeftButton, {}, drop->menu()->actionGeometry(entry).center());
    };
    pick("Text Files (TXT,RTF,INI,WRI,LST,HTM,HTML)");
    EXPECT_EQ(w->CMBFILTER->currentIndex(), 34);
    platform::Tool* text = w->ToolBarComp1->Item("Text Files (TXT,RTF,INI,WRI,LST,HTM,HTML)");
    EXPECT_EQ(text->State(), 1);

    pick("Text Files (TXT,RTF,INI,WRI,LST,HTM,HTML)");
    EXPECT_EQ(w->CMBFILTER->currentIndex(), 34);
    EXPECT_EQ(text->State(), 1) << "the filter stays in use, so its entry stays checked";
    EXPECT_TRUE(text->action()->isChecked());
}

TEST_F(ListMouse, F5ReadsTheFolderAndTheTreeAgainAndTheListFollowsOtherProgramsByItself)
{
    file("a.txt");
    mkdir("Old");
    w->setFileListFolder(data.path());
    platform::ShellTreeItem* root = w->PTxShTree1->Items().Item(0);
    ASSERT_TRUE(root->setExpanded(true));
    const QString rootName = root->Name();
    ASSERT_EQ(treeNames(), (QStringList{rootName, "Old"}));

    // Another program makes a file and a folder; F5 in the list shows both, in the tree too.
    file("b.txt");
    mkdir("New Folder");
    QTest::keyClick(view(), Qt::Key_F5);
    EXPECT_EQ(listNames(), (QStringList{"New Folder", "Old", "a.txt", "b.txt"}));
    EXPECT_EQ(treeNames(), (QStringList{rootName, "New Folder", "Old"}));

    // F5 in the tree does the same.
    mkdir("Second");
    QTest::keyClick(w->PTxShTree1, Qt::Key_F5);
    EXPECT_EQ(treeNames(), (QStringList{rootName, "New Folder", "Old", "Second"}));
    EXPECT_EQ(listNames(), (QStringList{"New Folder", "Old", "Second", "a.txt", "b.txt"}));

    // The list follows the folder by itself.
    file("c.txt");
    EXPECT_TRUE(QTest::qWaitFor([&] { return listNames().contains("c.txt"); }, 5000)) << "a new file";
    QFile::remove(path("a.txt"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !listNames().contains("a.txt"); }, 5000)) << "a removed file";
}

TEST_F(ListMouse, NamesShowWholeWhereTheyFitAndAreCutOnlyAtTheItemsWidthInEveryLook)
{
    mkdir("media");
    file("grad.png");
    file("summer holiday at the sea.jpg");
    file("x.bmp"); // the last name is the shortest
    gs.fBoldFonts = true; // the list's names are painted bold
    w->SetWindowColors();
    w->setFileListFolder(data.path());
    ASSERT_EQ(listNames(), (QStringList{"media", "grad.png", "summer holiday at the sea.jpg", "x.bmp"}));
    platform::Tool* drop = w->ToolBarComp1->Item("ID_mnuViewDropDownMenu");
    ASSERT_TRUE(drop && drop->menu());
    auto pick = [&](const char* look) {
        QAction* entry = w->ToolBarComp1->Item(QString::fromLatin1(look))->action();
        drop->menu()->popup(w->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(drop->menu()));
        QTest::mouseClick(drop->menu(), Qt::LeftButton, {}, drop->menu()->actionGeometry(entry).center());
    };
    const QString longName = "summer holiday at the sea.jpg";
    // Each look in turn, the icon looks again after the list look.
    for (const char* look : {"ID_SmallIcons", "ID_LargeIcons", "ID_ListIcons", "ID_SmallIcons", "ID_LargeIcons"}) {
        pick(look);
        auto* list = qobject_cast<QListView*>(view());
        ASSERT_NE(list, nullptr) << look;
        QCoreApplication::processEvents();
        // What the list paints, read back from its painting.
        const QStringList texts = testsupport::paintedTexts(list->viewport());
        const QString painted = texts.join(QLatin1Char('|'));
        for (const QString name : {"media", "grad.png", "x.bmp"})
            EXPECT_TRUE(texts.contains(name)) << look << ": " << painted.toStdString();
        const QRect longItem = list->visualRect(list->model()->index(row(longName), 0));
        if (QString(look) == "ID_ListIcons") {
            // The list look's column is as wide as the widest name.
            EXPECT_TRUE(texts.contains(longName)) << painted.toStdString();
            continue;
        }
        // In the icon looks an item fills its place in the grid, and a long
        // name is cut (or wrapped, in large icons) at that width, not before.
        EXPECT_EQ(longItem.width(), list->gridSize().width()) << look;
        const bool large = QString(look) == "ID_LargeIcons";
        const QFontMetrics metrics(list->font());
        for (const QString& piece : texts)
            if (longName.startsWith(piece.left(6)))
                EXPECT_LE(metrics.horizontalAdvance(piece), list->gridSize().width()) << look << ": " << piece.toStdString();
        if (large)
            EXPECT_TRUE(texts.contains("summer") && painted.contains("|holiday")) << painted.toStdString();
        else
            EXPECT_TRUE(painted.contains("summer holiday")) << look << ": " << painted.toStdString();
    }
}

// Folders another program makes while the window is open show in the folder
// tree as the user comes to them: when a folder is opened again, when the
// list opens them, and when the list sees them come in the folder it shows.
TEST_F(ListMouse, TheTreeShowsFoldersMadeOnDiskWhenItReachesThem)
{
    mkdir("A/A1");
    mkdir("Other");
    w->setFileListFolder(path("Other"));
    QTreeView* tree = w->PTxShTree1;
    const QString rootName = w->PTxShTree1->Items().Item(0)->Name();
    ASSERT_EQ(treeNames(), (QStringList{rootName, "A", "Other"}));
    const auto drawn = [tree] {
        QCoreApplication::processEvents();
        return testsupport::paintedTexts(tree->viewport());
    };

    // Closed and opened again with the keys, the root shows the new folder.
    mkdir("B");
    QTest::keyClick(tree, Qt::Key_Left); // from Other to the root
    QTest::keyClick(tree, Qt::Key_Left); // closes it
    ASSERT_EQ(treeNames(), QStringList{rootName});
    QTest::keyClick(tree, Qt::Key_Right);
    EXPECT_EQ(treeNames(), (QStringList{rootName, "A", "B", "Other"}));
    EXPECT_TRUE(drawn().contains("B")) << drawn().join('|').toStdString();

    // A folder made inside an open one, opened from the list: the tree and
    // the folder combo name it.
    QTest::keyClick(tree, Qt::Key_Down); // A
    QTest::keyClick(tree, Qt::Key_Right); // opens A
    ASSERT_EQ(treeNames(), (QStringList{rootName, "A", "A1", "B", "Other"}));
    w->setFileListFolder(data.path());
    mkdir("A/Fresh");
    doubleClick("A");
    ASSERT_EQ(w->PTxShList1->FolderPath(), path("A"));
    doubleClick("Fresh");
    ASSERT_EQ(w->PTxShList1->FolderPath(), path("A/Fresh"));
    ASSERT_NE(w->PTxShTree1->SelectedItem(), nullptr);
    EXPECT_EQ(w->PTxShTree1->SelectedItem()->Name(), "Fresh");
    EXPECT_EQ(treeNames(), (QStringList{rootName, "A", "A1", "Fresh", "B", "Other"}));
    EXPECT_EQ(w->PTxShCombo1->currentText().trimmed(), "Fresh");
    EXPECT_TRUE(drawn().contains("Fresh")) << drawn().join('|').toStdString();

    // A folder made in the folder the list shows comes into the tree with it.
    w->setFileListFolder(path("A"));
    mkdir("A/Third");
    EXPECT_TRUE(QTest::qWaitFor([&] { return listNames().contains("Third"); }, 5000));
    EXPECT_EQ(treeNames(), (QStringList{rootName, "A", "A1", "Fresh", "Third", "B", "Other"}));
}

namespace {

// The part of the image that differs from its first pixel (the background),
// cut to its bounds.
QImage inked(const QImage& image)
{
    const QColor back = image.pixelColor(0, 0);
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != back)
                bounds |= QRect(x, y, 1, 1);
    return image.copy(bounds);
}

} // namespace

// Each file shows the icon of its type from the desktop's icon theme: a
// picture, a song, a video and a text each their own, none the blank page.
TEST_F(ListMouse, EachFileShowsTheIconOfItsType)
{
    picture("a picture.png");
    file("a song.mp3", "ID3");
    file("a video.avi", "RIFF");
    file("a text.txt", "text");
    w->setFileListFolder(data.path());
    w->SetLargeIconsView();
    QCoreApplication::processEvents();
    auto* list = qobject_cast<QListView*>(view());
    ASSERT_NE(list, nullptr);
    const QImage shown = list->viewport()->grab().toImage();
    const QSize iconSize = list->iconSize();
    // The icon stands at the top of its item's place, the name below it.
    const auto iconOf = [&](const QString& name) {
        const QRect place = list->visualRect(list->model()->index(row(name), 0));
        return inked(shown.copy(QRect(place.left(), place.top(), place.width(), iconSize.height() + 2)));
    };
    // The blank page every file showed before: Qt's own file icon, drawn
    // without an icon theme.
    QImage blank(iconSize + QSize(8, 8), QImage::Format_ARGB32);
    blank.fill(shown.pixelColor(0, 0));
    {
        const QString theme = QIcon::themeName();
        QIcon::setThemeName(QStringLiteral("hicolor"));
        QPainter p(&blank);
        QFileIconProvider().icon(QFileIconProvider::File).paint(&p, QRect(QPoint(4, 4), iconSize));
        QIcon::setThemeName(theme);
    }
    const QImage page = inked(blank.convertToFormat(shown.format()));
    const QStringList files{"a picture.png", "a song.mp3", "a video.avi", "a text.txt"};
    QList<QImage> icons;
    for (const QString& name : files) {
        icons << iconOf(name);
        EXPECT_FALSE(icons.last().isNull()) << name.toStdString() << " shows no icon";
        EXPECT_NE(icons.last(), page) << name.toStdString() << " shows the blank page";
    }
    for (int i = 0; i < icons.size(); ++i)
        for (int j = i + 1; j < icons.size(); ++j)
            EXPECT_NE(icons[i], icons[j]) << files[i].toStdString() << " and " << files[j].toStdString();
}
