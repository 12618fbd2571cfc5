// What a new user sees first in the main window: legible default list
// colours, the File menu's access key, the check at the file list's view
// style, the caption of a page without a title, the tools' tips, and the
// Documents tab printing the selected text.
#include "ScriptedDialogs.h"
#include "ShellTestWindow.h"
#include "platform/text/RichTextBox.h"
#include "platform/shell/ShellList.h"
#include "platform/controls/ToolBarComp.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPdfDocument>
#include <QPrinter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

using namespace shelltest;
using testsupport::ProgramFolder;

namespace {

// Relative luminance of a colour, as the eye weighs its channels.
double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// How far apart two colours lie in lightness: 1 for equal ones, 21 for black on white.
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct MainWindow {
    ProgramFolder folder;
    platform::ScopedDialogs dialogs;
    Lumivex1 w{QStringList{}};
    MainWindow()
    {
        w.resize(900, 650);
        w.show();
        w.finishStartUp();
    }
};

QMenu* menuOf(QWidget& w, const char* menuId) { return w.findChild<QMenu*>(QString::fromLatin1(menuId) + "_Menu"); }

void clickMenuItem(QMenu* menu, QAction* item)
{
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

} // namespace

TEST(FirstLook, DefaultListColoursAreLegible)
{
    MainWindow m;
    EXPECT_EQ(gs.nListBackColor, 0x80000017u) << "the stored value stays the system colour";
    for (const char* name : {"PTxShTree1", "PTxShList1", "PTxShCombo1", "CMBFILTER", "TreeView1", "TreeView2",
                             "TreeView3", "TreeView4"}) {
        auto* c = m.w.findChild<QWidget*>(name);
        ASSERT_NE(c, nullptr) << name;
        const bool combo = qobject_cast<QComboBox*>(c) != nullptr;
        const QColor back = c->palette().color(combo ? QPalette::Button : QPalette::Base);
        const QColor text = c->palette().color(combo ? QPalette::ButtonText : QPalette::Text);
        EXPECT_GE(contrast(back, text), 4.5) << name << ": " << text.name().toStdString() << " on "
                                             << back.name().toStdString();
        EXPECT_GT(back.lightness(), 160) << name << " is painted light";
    }
    // What the folder tree paints in its empty part is that light colour.
    QWidget* tree = m.w.findChild<QWidget*>("PTxShTree1");
    auto* view = tree->findChild<QAbstractItemView*>();
    QWidget* surface = view ? view->viewport() : tree;
    const QImage shot = surface->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QColor painted = shot.pixelColor(shot.width() - 3, shot.height() - 3);
    EXPECT_GE(contrast(painted, platform::resolveOleColor(gs.nListForeColor)), 4.5) << painted.name().toStdString();
}

TEST(FirstLook, OpenFileHasItsAccessKey)
{
    Shell s;
    TestWindow& w = s.w();
    w.show();
    QAction* open = w.ToolBarComp1->Item("ID_mnuOpenFile")->action();
    EXPECT_EQ(open->text(), "&Open File");
    EXPECT_EQ(w.ToolBarComp1->Item("ID_mnuOpenFile")->Caption(), "&Open File");
    // Alt+F, O: the File menu opens and O chooses its first entry.
    QMenu* file = menuOf(w, "ID_mnuFile");
    ASSERT_NE(file, nullptr);
    file->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    w.calls.clear();
    QTest::keyClick(file, Qt::Key_O);
    EXPECT_EQ(w.calls.filter("Open"), QStringList{"OpenFileRoutine"});
    // A run-time caption holding "&" is shown as it is.
    platform::Tool* t = w.ToolBarComp1->Add("/pics/Tom & Jerry.jpg", platform::ToolType::TwoState);
    t->setCaption("/pics/Tom & Jerry.jpg");
    EXPECT_EQ(t->action()->text(), "/pics/Tom && Jerry.jpg");
}

TEST(FirstLook, ViewMenuChecksTheStyleInUse)
{
    ProgramFolder folder;
    testsupport::writeFile(folder.file("Options.INI"), "0 100 8000 10500 0 2 0 115 115 2 40 2 5000 500 9 0\r\n\r\n" +
                                                           folder.path().toUtf8() + "\r\n0 1 0 0 0 0 1 1 1 0 0 1\r\n");
    platform::ScopedDialogs dialogs;
    Lumivex1 w({});
    w.show();
    w.finishStartUp();
    const QStringList ids = {"ID_LargeIcons", "ID_SmallIcons", "ID_ListIcons", "ID_Details"};
    auto checked = [&] {
        QStringList on;
        for (const QString& id : ids)
            if (w.ToolBarComp1->Item(id)->action()->isChecked())
                on << id;
        return on;
    };
    EXPECT_EQ(checked(), QStringList{"ID_ListIcons"}) << "the stored style is checked at start";
    QMenu* view = menuOf(w, "ID_mnuViewDropDownMenu");
    ASSERT_NE(view, nullptr);
    clickMenuItem(view, w.ToolBarComp1->Item("ID_Details")->action());
    EXPECT_EQ(w.PTxShList1->ViewStyle(), 3);
    EXPECT_EQ(checked(), QStringList{"ID_Details"});
    // Choosing the style in use again keeps its check.
    clickMenuItem(view, w.ToolBarComp1->Item("ID_Details")->action());
    EXPECT_EQ(w.PTxShList1->ViewStyle(), 3);
    EXPECT_EQ(checked(), QStringList{"ID_Details"});
    clickMenuItem(view, w.ToolBarComp1->Item("ID_LargeIcons")->action());
    EXPECT_EQ(checked(), QStringList{"ID_LargeIcons"});
    EXPECT_EQ(w.PTxShList1->ViewStyle(), 0);
}

TEST(FirstLook, InternetCaptionWithoutPageTitle)
{
    Shell s;
    TestWindow& w = s.w();
    w.show();
    FakeBrowser* web = w.fakeBrowser(2);
    w.fInternetTabShown = true;
    web->url = "http://example.org/plain.txt";
    web->title = "";
    QTabBar* tabs = w.TabStrip1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(5).center());
    ASSERT_EQ(w.TabStrip1->currentIndex(), 5);
    EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0 - http://example.org/plain.txt");
    // A page with neither title nor address leaves the program's title alone.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    web->url.clear();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(5).center());
    EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0");
    web->title = "A Page";
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(5).center());
    EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0 - A Page");
}

TEST(FirstLook, ToolTipsOfPictureViewSaveAndFileTools)
{
    Shell s;
    TestWindow& w = s.w();
    const QList<std::pair<const char*, const char*>> tips = {
        {"ID_ViewFitImage", "Fit Image to Window"},
        {"ID_ViewNormal", "View Picture as Normal Size"},
        {"ID_ViewStretch", "Stretch Picture into Window Frame"},
        {"ID_ViewSnap", "Snap Picture into Frame Size"},
        {"ID_ViewZoom", "Zoom in on Image"},
        {"ID_ViewPan", "Pan View of image"},
        {"ID_ViewMagnify", "Magnify Areas of Picture"},
        {"ID_SaveImage", "Save Picture"},
        {"ID_VideoSave", "Save Video Clip"},
        {"ID_mnuOpenOLE", "Open Picture or File with another Program as specified by Windows Explorer"},
        {"ID_mnuSaveFileAs", "Save File with a different Name or Folder Location"},
        {"ID_mnuDeleteFile", "Delete Highlighted File"},
        {"ID_VidPlyLstBtn", "Create or Edit Play List"},
    };
    for (const auto& [id, tip] : tips)
        EXPECT_EQ(w.ToolBarComp1->Item(id)->action()->toolTip(), QString::fromLatin1(tip)) << id;
    // The buttons on the tool bars show them.
    QToolBar* pictures = w.ToolBarComp1->toolBar(3);
    auto* save = qobject_cast<QToolButton*>(pictures->widgetForAction(w.ToolBarComp1->Item("ID_SaveImage")->action()));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->toolTip(), "Save Picture");
    // Every button of the tool bars shows its tool's tip, and none is without one.
    int buttons = 0;
    for (int n = 2; n <= 7; ++n) {
        QToolBar* bar = w.ToolBarComp1->toolBar(n);
        ASSERT_NE(bar, nullptr) << n;
        for (QAction* a : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
            if (!button || a->isSeparator())
                continue;
            const QString id = button->defaultAction() ? button->defaultAction()->objectName() : a->objectName();
            platform::Tool* tool = w.ToolBarComp1->Item(id);
            ASSERT_NE(tool, nullptr) << "a button of tool bar " << n << " without its tool";
            EXPECT_FALSE(button->toolTip().isEmpty()) << id.toStdString();
            EXPECT_EQ(button->toolTip(), tool->action()->toolTip()) << id.toStdString();
            ++buttons;
        }
    }
    EXPECT_GE(buttons, 50);
}

TEST(FirstLook, PrintPagePrintsTheSelectedText)
{
    MainWindow m;
    Lumivex1& w = m.w;
    const QString text = m.folder.file("notes.txt");
    testsupport::writeFile(text, "FIRSTLINE alpha\r\nSECONDLINE beta\r\n");
    w.DisplayFile(text);
    ASSERT_TRUE(w.fRichTextShown);
    ASSERT_EQ(w.TabStrip1->currentIndex(), 4);
    const QString pdf = m.folder.file("printed.pdf");
    w.Printer()->setOutputFormat(QPrinter::PdfFormat);
    w.Printer()->setOutputFileName(pdf);
    auto printed = [&] {
        QPdfDocument doc(nullptr);
        if (doc.load(pdf) != QPdfDocument::Error::None)
            return QString();
        return doc.getAllText(0).text();
    };
    QToolBar* bar = w.ToolBarComp1->toolBar(5);
    QWidget* print = bar->widgetForAction(w.ToolBarComp1->Item("ID_TxtPrint")->action());
    ASSERT_NE(print, nullptr);

    // The second line selected with the keyboard: only it is printed.
    QTest::mouseClick(w.Text1->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    QTest::keyClick(w.Text1, Qt::Key_Down);
    QTest::keyClick(w.Text1, Qt::Key_Home);
    QTest::keyClick(w.Text1, Qt::Key_End, Qt::ShiftModifier);
    ASSERT_EQ(w.Text1->textCursor().selectedText(), "SECONDLINE beta");
    QTest::mouseClick(print, Qt::LeftButton);
    QString out = printed();
    EXPECT_TRUE(out.contains("SECONDLINE")) << out.toStdString();
    EXPECT_FALSE(out.contains("FIRSTLINE")) << out.toStdString();

    // Nothing selected: the whole text.
    QFile::remove(pdf);
    QTest::keyClick(w.Text1, Qt::Key_Home);
    ASSERT_FALSE(w.Text1->textCursor().hasSelection());
    QTest::mouseClick(print, Qt::LeftButton);
    out = printed();
    EXPECT_TRUE(out.contains("FIRSTLINE") && out.contains("SECONDLINE")) << out.toStdString();
}

TEST(FirstLook, DoubleClickedFileLoadsUnderTheHourglass)
{
    MainWindow m;
    Lumivex1& w = m.w;
    const QString dir = m.folder.file("files");
    QDir().mkpath(dir);
    testsupport::writeFile(dir + "/notes.txt", "some text\r\n");
    testsupport::writeFile(dir + "/readme.txt", "other text\r\n");
    w.PTxShList1->setFilter("*.*");
    ASSERT_TRUE(w.PTxShList1->setFolderPath(dir));
    ASSERT_EQ(w.PTxShList1->Count(), 2);

    // What the pointer is while the loader fills the viewer.
    QList<Qt::CursorShape> during;
    QObject::connect(w.Text1, &QTextEdit::textChanged, &w, [&] { during << w.cursor().shape(); });
    auto doubleClick = [&](const QString& name) {
        QAbstractItemView* view = w.PTxShList1->currentView();
        const QModelIndexList found =
            view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchStartsWith);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        view->scrollTo(found.first());
        const QPoint at = view->visualRect(found.first()).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    };

    for (const char* name : {"notes", "readme"}) {
        during.clear();
        doubleClick(name);
        EXPECT_EQ(w.windowTitle(), "Brevanto Lumivex 3.0 - " + dir + "/" + name + ".txt");
        EXPECT_EQ(w.TabStrip1->currentIndex(), 4) << "the text is shown";
        ASSERT_FALSE(during.isEmpty()) << name;
        for (Qt::CursorShape shape : during)
            EXPECT_EQ(shape, Qt::WaitCursor) << name;
        EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "and taken down when the text is shown";
    }
}
