// The command dispatcher: busy guard and pointer, every id, the run-time tool
// categories, the save prompt, tool windows, browsers and the commands with
// steps of their own.
#include "FakeToolWindow.h"
#include "ShellTestWindow.h"
#include "window/ToolTable.h"
#include "window/ToolWindows.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace shelltest;
using Dispatcher = ShellTest;

namespace {
void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
} // namespace

TEST_F(Dispatcher, BusyGuardAndPointer)
{
    // While busy, a click does nothing and the pointer is left alone.
    w.setCursor(Qt::CrossCursor);
    gs.fBusy = true;
    w.click("ID_mnuOpenFile");
    gs.fBusy = false;
    EXPECT_TRUE(w.calls.isEmpty());
    EXPECT_EQ(w.cursor().shape(), Qt::CrossCursor);
    w.unsetCursor();

    // A command runs under the hourglass, and the pointer comes back.
    bool hourglassDuring = false;
    w.onCall = [&](const QString&) { hourglassDuring = w.hourglass(); };
    w.click("ID_mnuOpenFile");
    EXPECT_EQ(w.calls, QStringList{"OpenFileRoutine"});
    EXPECT_TRUE(hourglassDuring);
    EXPECT_TRUE(w.pointerIsDefault());

    // A failing command restores the pointer too, and the next one still runs.
    w.onCall = [](const QString&) { throw std::runtime_error("failed"); };
    w.click("ID_mnuDeleteFile");
    EXPECT_TRUE(w.pointerIsDefault());
    w.onCall = nullptr;
    w.click("ID_UpFolder");
    EXPECT_EQ(w.calls.last(), "MoveUpFolder");

    // An id that nothing names, in no run-time category, does nothing.
    platform::Tool* odd = w.ToolBarComp1->Add(QStringLiteral("ID_NoSuchCommand"));
    odd->setCategory(QStringLiteral("Other"));
    w.calls.clear();
    w.ToolBarComp1_ToolClick(odd);
    EXPECT_TRUE(w.calls.isEmpty());
    EXPECT_TRUE(w.pointerIsDefault());

    // A click that reaches a command still going (as "ID_Stop" reaches a
    // thumbnail run) leaves the outer command its hourglass.
    bool hourglassAfterInner = false;
    w.calls.clear();
    w.onCall = [&](const QString&) {
        if (w.calls.size() == 1) {
            w.click("ID_UpFolder");
            hourglassAfterInner = w.hourglass();
        }
    };
    w.click("ID_mnuOpenFile");
    EXPECT_EQ(w.calls, (QStringList{"OpenFileRoutine", "MoveUpFolder"}));
    EXPECT_TRUE(hourglassAfterInner);
    EXPECT_TRUE(w.pointerIsDefault());
}

TEST_F(Dispatcher, EveryToolIdIsHandledOrDocumented)
{
    // Tools the dispatcher leaves to the category test, which does nothing for them.
    const QStringList notDispatched = {
        "ID_mnuFile", "ID_mnuEdit", "ID_mnuView", "ID_mnuUtilities", "ID_mnuHelp", "ID_mnuPaste", "ID_mnuCut",
        "ID_FilterBtn", "ID_ViewImage", "ID_mnuViewDropDownMenu", "ID_mnuFileFilterDropDown",
        "ID_mnuImageViewDropDown", "ID_mnuVidViewDropDown", "ID_Separator", "ID_Separator2", "ID_FilterName",
        "ID_Date", "ID_Time", "ID_VidMax", "ID_Reduce"};
    for (const tooltable::ToolDef& d : tooltable::tools()) {
        const QString id = QString::fromLatin1(d.id);
        EXPECT_NE(Lumivex1::IsDispatchedCommand(id), notDispatched.contains(id)) << d.id;
    }
    // These are recognised and do nothing.
    for (const char* id : {"ID_Select", "ID_mnuSelectFiles", "ID_ViewBtn", "ID_mnuRunSlideShow",
                           "ID_mnuUtilitiesSetComputer"})
        EXPECT_TRUE(Lumivex1::IdleCommandIds().contains(QString::fromLatin1(id))) << id;
    EXPECT_FALSE(Lumivex1::IsDispatchedCommand("ID_EnterURL"));
    EXPECT_FALSE(Lumivex1::IsDispatchedCommand("id_mnuopenfile")) << "ids compare case-sensitively";

    // The recognised ids that do nothing, and the ones not dispatched, call nothing.
    for (const QString& id : Lumivex1::IdleCommandIds() + notDispatched)
        if (platform::Tool* t = w.ToolBarComp1->Item(id))
            w.ToolBarComp1_ToolClick(t);
    EXPECT_TRUE(w.calls.isEmpty()) << w.calls.join(", ").toStdString();
    EXPECT_TRUE(w.pointerIsDefault());
}

TEST_F(Dispatcher, CommandsReachTheirProcedures)
{
    gs.cCurrentFile = QStringLiteral("/data/shown file.jpg");
    // The commands that hand a file on give the current one; both ids of a pair run the same command.
    const QList<QPair<QString, QStringList>> table = {
        {"ID_mnuSaveFileAs", {"SaveFileAs /data/shown file.jpg"}},
        {"ID_mnuConvertFiles", {"ConvertFile /data/shown file.jpg"}},
        {"ID_Find", {"FindFileRoutine"}},
        {"ID_mnuFindFiles", {"FindFileRoutine"}},
        {"ID_mnuCreateFavoriteList", {"AddPictureToFavorites"}},
        {"ID_PicFavorites", {"AddPictureToFavorites"}},
        {"ID_mnuImageReset", {"RestoreOriginalPicture", "ResizeImage"}},
    };
    for (const auto& [id, calls] : table) {
        w.calls.clear();
        w.click(id);
        EXPECT_EQ(w.calls, calls) << id.toStdString();
    }

    // Screen capture: into the picture control, then the Pictures tab with the picture shown.
    auto* image = new QWidget(w.TabPanel[3]);
    image->setObjectName("Image1");
    image->hide();
    w.calls.clear();
    w.click("ID_mnuFileCapture");
    EXPECT_EQ(w.calls, QStringList{"CapturePicture 50 0 2000 2000"});
    EXPECT_EQ(w.TabStrip1->currentIndex(), 2);
    EXPECT_FALSE(image->isHidden());

    // Go back to the previous tab: the Videos tab.
    w.click("ID_mnuFileBackPrevious");
    EXPECT_EQ(w.TabStrip1->currentIndex(), 0);

    // Save Image saves a scanned picture as the current file, and forgets it was scanned.
    w.fTwainPicture = true;
    gs.fInternetPicture = true;
    w.calls.clear();
    w.click("ID_SaveImage");
    EXPECT_EQ(w.calls, QStringList{"SaveFileAs /data/shown file.jpg"});
    EXPECT_FALSE(w.fTwainPicture);
    EXPECT_TRUE(gs.fInternetPicture);
    // Nothing scanned or from the internet: the selected viewed picture.
    gs.fInternetPicture = false;
    w.calls.clear();
    QListWidget* pictures = w.viewedList(3);
    pictures->addItems({"/v/one.png", "/v/two.png"});
    pictures->setCurrentRow(1);
    w.click("ID_SaveImage");
    EXPECT_EQ(w.calls, QStringList{"SaveFileAs /v/two.png"});
}

TEST_F(Dispatcher, PlayerCommands)
{
    const QString still = QDir(gs.cProgramFolder).filePath("a.bmp");

    // Snap Picture shows the frame only when it was written, even with an old one there.
    testsupport::writeFile(still, "old");
    w.click("ID_PicBtn");
    w.stillWritten = true;
    w.click("ID_PicBtn");
    EXPECT_EQ(w.calls, (QStringList{"SaveStillBitmap " + still, "SaveStillBitmap " + still, "DisplayFile " + still}));

    // Save/Convert follows the player mode; View gives 1 when the tool is down after the click, 2 when up.
    w.calls.clear();
    gs.cPlayerMode = QStringLiteral("1");
    w.click("ID_VideoSave");
    gs.cPlayerMode = QStringLiteral("0");
    w.click("ID_VideoSave");
    w.click("ID_ViewVideos");
    w.click("ID_ViewVideos");
    EXPECT_EQ(w.calls, (QStringList{"SaveMusicClip", "SaveVideoClip", "SetVideoWindowMode 1", "SetVideoWindowMode 2"}));
}

TEST_F(Dispatcher, FilterAndViewListTools)
{
    // A filter tool applies its filter and moves the combo, trailing blank and all.
    const QString misc = QStringLiteral("Miscellaneous 1 bit (MAC,IMG,MSP,ICA,CAL) ");
    ASSERT_NE(w.ToolBarComp1->Item(misc), nullptr);
    EXPECT_EQ(w.ToolBarComp1->Item(misc)->Category(), "FilterList");
    w.click(misc);
    EXPECT_EQ(w.nFilterRow, 30);
    EXPECT_EQ(w.CMBFILTER->currentIndex(), 30);
    EXPECT_EQ(w.CMBFILTER->currentText(), misc);

    // A view-list tool opens the viewed entry its caption names, with fBusy set meanwhile.
    QListWidget* pictures = w.viewedList(3);
    QListWidget* documents = w.viewedList(6);
    pictures->addItems({"/p/a.jpg", "/p/b.jpg"});
    documents->addItems({"/d/notes.txt"});
    auto viewTool = [&](const QString& path) {
        platform::Tool* t = w.ToolBarComp1->Item(path);
        if (!t) {
            t = w.ToolBarComp1->Add(path, platform::ToolType::TwoState);
            t->setCategory("MenuViewList");
            t->setCaption(" " + path + " ");
        }
        return t;
    };
    bool busyDuring = false;
    w.onCall = [&](const QString&) { busyDuring = gs.fBusy; };
    gs.fInternetLoading = true;
    w.ToolBarComp1_ToolClick(viewTool("/p/b.jpg"));
    EXPECT_EQ(w.calls, QStringList{"DisplayFile /p/b.jpg"});
    EXPECT_EQ(pictures->currentRow(), 1);
    EXPECT_FALSE(gs.fInternetLoading);
    EXPECT_TRUE(busyDuring);
    EXPECT_FALSE(gs.fBusy);

    w.calls.clear();
    w.ToolBarComp1_ToolClick(viewTool("/d/notes.txt"));
    EXPECT_EQ(w.calls, QStringList{"DisplayFile /d/notes.txt"});
    EXPECT_EQ(documents->currentRow(), 0);

    // An entry in neither list opens nothing.
    w.calls.clear();
    w.ToolBarComp1_ToolClick(viewTool("/p/gone.jpg"));
    EXPECT_TRUE(w.calls.isEmpty());
    EXPECT_FALSE(gs.fBusy);
}

TEST_F(Dispatcher, SavePromptBeforePrintAndEdit)
{
    toolwindows::ScopedWindow print("PrntPict1", [] { return new FakeToolWindow(&gs.fPrntPictOpen); });
    toolwindows::ScopedWindow edit("EdtImage1", [] { return new FakeToolWindow(&gs.fEdtImageOpen); });
    gs.cCurrentPicture = QStringLiteral("/pics/Beach 01.jpg");
    const QString prompt = QStringLiteral("Do you want to Save the Current Picture - /pics/Beach 01.jpg ? ");

    // Print Image, Yes, and the save is cancelled: the picture stays marked changed.
    w.fPictureChanged = true;
    s.dialogs->answers = {platform::Answer::Yes};
    w.click("ID_PrintImage");
    ASSERT_EQ(s.dialogs->messages.size(), 1);
    EXPECT_EQ(s.dialogs->messages[0].text, prompt);
    EXPECT_EQ(s.dialogs->messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(w.calls, QStringList{"SaveFileAs /pics/Beach 01.jpg"});
    EXPECT_TRUE(w.fPictureChanged);
    EXPECT_TRUE(gs.fPrntPictOpen);

    // A save that works clears it (the save does that itself).
    toolwindows::unload("PrntPict1");
    flushDeletes();
    w.saveSucceeds = true;
    s.dialogs->answers = {platform::Answer::Yes};
    w.click("ID_PrintImage");
    EXPECT_FALSE(w.fPictureChanged);
    w.saveSucceeds = false;

    // Edit Image after No: nothing saved, the flag stays, the editor gets the selected picture.
    QListWidget* pictures = w.viewedList(3);
    pictures->addItems({"/pics/a.jpg", "/pics/Beach 01.jpg"});
    pictures->setCurrentRow(1);
    w.fPictureChanged = true;
    w.calls.clear();
    s.dialogs->messages.clear();
    s.dialogs->answers = {platform::Answer::No};
    w.click("ID_EditImage");
    EXPECT_EQ(s.dialogs->texts(), QStringList{prompt});
    EXPECT_TRUE(w.calls.isEmpty());
    EXPECT_TRUE(w.fPictureChanged);
    EXPECT_EQ(gs.cEditFile, "/pics/Beach 01.jpg");
    EXPECT_TRUE(gs.fEdtImageOpen);

    // An unchanged picture: no question.
    w.fPictureChanged = false;
    s.dialogs->messages.clear();
    w.click("ID_PrintImage");
    EXPECT_TRUE(s.dialogs->messages.isEmpty());
}

TEST_F(Dispatcher, ToolWindowsOpenFocusAndModal)
{
    FakeToolWindow::made = 0;
    {
        toolwindows::ScopedWindow about("About1", [] { return new FakeToolWindow(&gs.fAboutOpen); });
        w.click("ID_mnuHelpAbout");
        EXPECT_EQ(FakeToolWindow::made, 1);
        EXPECT_TRUE(gs.fAboutOpen);
        QWidget* first = toolwindows::existing("About1");
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->parentWidget(), nullptr) << "tool windows have no owner";

        // Open already: brought to the front, not made again.
        first->hide();
        w.click("ID_mnuHelpAbout");
        EXPECT_EQ(FakeToolWindow::made, 1);
        EXPECT_TRUE(first->isVisible());

        // Closed (unloaded) with its flag left set: the next command loads a new one.
        first->close();
        flushDeletes();
        gs.fAboutOpen = true;
        w.click("ID_mnuHelpAbout");
        EXPECT_EQ(FakeToolWindow::made, 2);
    }

    // Rename is modal; the command returns once the window closed.
    {
        FakeToolWindow* made = nullptr;
        toolwindows::ScopedWindow rename("Rename1", [&] { return made = new FakeToolWindow(nullptr, true); });
        w.click("ID_mnuRenameFile");
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(made->modalWhenShown);
        EXPECT_FALSE(made->isVisible());
    }

    // A modal dialog that only hides itself is unloaded once it returns.
    {
        QPointer<QDialog> made;
        toolwindows::ScopedWindow rename("Rename1", [&] {
            made = new QDialog;
            QTimer::singleShot(0, made.data(), &QDialog::reject);
            return made.data();
        });
        w.click("ID_mnuRenameFile");
        flushDeletes();
        EXPECT_TRUE(made.isNull());
        EXPECT_EQ(toolwindows::existing("Rename1"), nullptr);
    }

    // A window whose code is not there yet: nothing happens.
    toolwindows::ScopedWindow none("GetURL1", nullptr);
    w.click("ID_mnuOpenFilelnterent");
    EXPECT_TRUE(w.pointerIsDefault());
}

TEST_F(Dispatcher, BrowserCommands)
{
    w.fakeBrowser(1);
    w.fakeBrowser(2);

    w.fRichTextShown = false;
    for (const char* id : {"ID_TxtBack", "ID_TxtForward", "ID_TxtPrint", "ID_TxtSave", "ID_TxtProperties"})
        w.click(id);
    EXPECT_EQ(w.browserLog, (QStringList{"WebBrowser1 GoBack", "WebBrowser1 GoForward", "WebBrowser1 ExecWB 6 0",
                                         "WebBrowser1 ExecWB 4 0", "WebBrowser1 ExecWB 10 0"}));

    // With the text view shown, the browser commands leave the browser alone.
    w.browserLog.clear();
    w.fRichTextShown = true;
    const QString file = s.folder.file("notes.txt");
    testsupport::writeFile(file, "abc");
    w.richTextFile = file;
    for (const char* id : {"ID_TxtBack", "ID_TxtForward", "ID_TxtSave", "ID_TxtProperties"})
        w.click(id);
    EXPECT_TRUE(w.browserLog.isEmpty());
    ASSERT_EQ(s.dialogs->messages.size(), 1);
    EXPECT_TRUE(s.dialogs->messages[0].text.startsWith("File: " + file + "\n\nSize:  3 Bytes \n"));

    for (const char* id : {"ID_IntBack", "ID_IntForward", "ID_IntHome", "ID_IntStop", "ID_IntRefresh",
                           "ID_IntPrint", "ID_IntSave", "ID_IntProperties"})
        w.click(id);
    EXPECT_EQ(w.browserLog,
              (QStringList{"WebBrowser2 GoBack", "WebBrowser2 GoForward", "WebBrowser2 GoHome", "WebBrowser2 Stop",
                           "WebBrowser2 Refresh", "WebBrowser2 ExecWB 6 0", "WebBrowser2 ExecWB 4 0",
                           "WebBrowser2 ExecWB 10 0"}));

    // The favourites are reloaded from scratch.
    gs.cDragMarker = QStringLiteral("A");
    w.TreeView4->Add(0, 0, "k", "Old favourite", 1);
    w.click("ID_IntFavorites");
    EXPECT_EQ(gs.cDragMarker, "");
    EXPECT_EQ(w.TreeView4->Count(), 0);
}
