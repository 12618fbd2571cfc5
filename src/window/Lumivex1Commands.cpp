// The command dispatcher: every menu item and tool button of the main window
// reaches its command here, by the tool's id.
#include "window/Lumivex1.h"

#include "platform/controls/Dialogs.h"
#include "platform/text/RichTextBox.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "shell/HelpWindow.h"
#include "shell/SetOptn1.h"
#include "window/ToolWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPointer>
#include <QPrinter>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace {

// Runs one step; a failing step is passed over and the command goes on.
template <class F> void attempt(F&& step)
{
    try {
        step();
    } catch (...) {
    }
}

// The hourglass for the duration of a command; the pointer the window had
// before comes back at the end, whatever the command did.
class CommandCursor {
public:
    explicit CommandCursor(QWidget* w) : m_window(w), m_old(w->cursor())
    {
        w->setCursor(Qt::WaitCursor);
    }
    ~CommandCursor()
    {
        if (!m_window || m_dismissed)
            return;
        if (m_old.shape() == Qt::ArrowCursor)
            m_window->unsetCursor();
        else
            m_window->setCursor(m_old);
    }
    CommandCursor(const CommandCursor&) = delete;
    CommandCursor& operator=(const CommandCursor&) = delete;
    void dismiss() { m_dismissed = true; }

private:
    QPointer<QWidget> m_window;
    QCursor m_old;
    bool m_dismissed = false;
};

const QString kSavePrompt = QStringLiteral("Do you want to Save the Current Picture - ");

QString selectedEntry(const QListWidget* list)
{
    if (!list || list->currentRow() < 0 || !list->currentItem())
        return {};
    return list->currentItem()->text();
}

} // namespace

// ---------------------------------------------------------------- entry

void Lumivex1::ToolBarComp1_ToolClick(platform::Tool* tool)
{
    if (gs.fBusy || !tool)
        return;
    CommandCursor cursor(this);
    const QString id = tool->Id();
    const auto it = commandTable().constFind(id);
    if (it != commandTable().constEnd()) {
        if (id == QLatin1String("ID_mnuExit"))
            cursor.dismiss(); // the window is being unloaded
        attempt([&] { it.value()(*this, *tool); });
        return;
    }
    attempt([&] { RunCategoryCommand(*tool); });
}

bool Lumivex1::IsDispatchedCommand(const QString& id) { return commandTable().contains(id); }

const QStringList& Lumivex1::IdleCommandIds()
{
    static const QStringList ids = {
        QStringLiteral("ID_Select"),           QStringLiteral("ID_ViewBtn"),
        QStringLiteral("ID_mnuSelectFiles"),   QStringLiteral("ID_mnuRunSlideShow"),
        QStringLiteral("ID_mnuCreateSlideShow"), QStringLiteral("ID_mnuRunSlideShowonCurrentFolder"),
        QStringLiteral("ID_mnuUtilitiesSetComputer"),
    };
    return ids;
}

const QHash<QString, Lumivex1::CommandFn>& Lumivex1::commandTable()
{
    using T = platform::Tool;
    static const QHash<QString, CommandFn> table = [] {
        QHash<QString, CommandFn> t;
        auto add = [&t](std::initializer_list<const char*> ids, CommandFn fn) {
            for (const char* id : ids)
                t.insert(QString::fromLatin1(id), fn);
        };
        // Files.
        add({"ID_mnuOpenFile"}, [](Lumivex1& w, T&) { w.OpenFileRoutine(); });
        add({"ID_mnuOpenFilelnterent"}, [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("GetURL1")); });
        add({"ID_mnuOpenOLE"}, [](Lumivex1& w, T&) { w.OpenFileWithApplication(); });
        add({"ID_mnuCloseFile"}, [](Lumivex1& w, T&) { w.CloseCurrentFile(); });
        add({"ID_mnuSaveFileAs"}, [](Lumivex1& w, T&) { w.SaveFileAs(gs.cCurrentFile); });
        add({"ID_mnuRenameFile"}, [](Lumivex1& w, T&) { w.ShowToolWindowModal(QStringLiteral("Rename1")); });
        add({"ID_mnuDeleteFile"}, [](Lumivex1& w, T&) { w.DeleteCurrentFile(); });
        add({"ID_mnuConvertFiles"}, [](Lumivex1& w, T&) { w.ConvertFile(gs.cCurrentFile); });
        add({"ID_mnuProperties"}, [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("ProPert1")); });
        add({"ID_mnuPrintFiles", "ID_Print"},
            [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("PrntPict1")); });
        add({"ID_mnuSetUpPrinter"}, [](Lumivex1& w, T&) { platform::dialogs().printerSetup(w.Printer()); });
        add({"ID_mnuExit"}, [](Lumivex1& w, T&) { w.close(); });
        add({"ID_mnuFileCreateNewFolder"}, [](Lumivex1& w, T&) { w.CreateNewFolder(); });
        add({"ID_mnuFileBackPrevious"}, [](Lumivex1& w, T&) { w.ShowPreviousTab(); });
        add({"ID_mnuFileCapture"}, [](Lumivex1& w, T&) {
            attempt([&] { w.CapturePicture(50, 0, 2000, 2000); });
            attempt([&] { w.TabStrip1->setCurrentIndex(2); });
            if (QWidget* image = w.control("Image1"))
                image->setVisible(true);
        });
        add({"ID_mnuTwainAcquirePicture"}, [](Lumivex1& w, T&) { w.TwainAcquirePicture(); });
        add({"ID_mnuTwainSelectSource"}, [](Lumivex1& w, T&) { w.TwainSelectSource(); });

        // Browsing.
        add({"ID_Find", "ID_mnuFindFiles"}, [](Lumivex1& w, T&) { w.FindFileRoutine(); });
        add({"ID_FindNext", "ID_mnuFindNextFolderwithFiles"}, [](Lumivex1& w, T&) { w.FindNext(); });
        add({"ID_Collapse", "ID_mnuCollapseExplorerTreeList"}, [](Lumivex1& w, T&) { w.CollapseFolderTree(); });
        add({"ID_UpFolder"}, [](Lumivex1& w, T&) { w.MoveUpFolder(); });
        add({"ID_LargeIcons"}, [](Lumivex1& w, T&) { w.SetLargeIconsView(); });
        add({"ID_SmallIcons"}, [](Lumivex1& w, T&) { w.SetSmallIconsView(); });
        add({"ID_ListIcons"}, [](Lumivex1& w, T&) { w.SetListIconsView(); });
        add({"ID_Details"}, [](Lumivex1& w, T&) { w.SetDetailsView(); });
        add({"ID_ThumbNails"}, [](Lumivex1& w, T&) {
            gs.fThumbsLoading = false;
            attempt([&] { w.ToggleThumbnails(); });
            gs.fThumbsLoading = true;
        });
        add({"ID_Stop"}, [](Lumivex1& w, T&) { w.ToggleThumbnails(); });
        add({"ID_ToggleBtn"}, [](Lumivex1& w, T&) { w.ToggleTabToolBars(); });

        // Lists.
        add({"ID_mnuSelectFavoriteList"},
            [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("SelFavorites1")); });
        add({"ID_mnuCreateandChangeFavoriteLists"},
            [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("SetFavList1")); });
        add({"ID_mnuCreateFavoriteList", "ID_PicFavorites"}, [](Lumivex1& w, T&) { w.AddPictureToFavorites(); });
        add({"ID_VidPlyLstBtn"}, [](Lumivex1& w, T&) { w.CreateNewPlayList(); });

        // Pictures.
        add({"ID_Back"}, [](Lumivex1& w, T&) { w.ShowPreviousPicture(); });
        add({"ID_Forward"}, [](Lumivex1& w, T&) { w.ShowNextPicture(); });
        add({"ID_ViewFitImage"}, [](Lumivex1& w, T&) { w.FitImageToWindow(); });
        add({"ID_ViewNormal"}, [](Lumivex1& w, T&) { w.ViewNormalSize(); });
        add({"ID_ViewPan"}, [](Lumivex1& w, T&) { w.TogglePanWindow(); });
        add({"ID_ViewSnap"}, [](Lumivex1& w, T&) { w.SnapImageToWindow(); });
        add({"ID_ViewStretch"}, [](Lumivex1& w, T&) { w.StretchImageToWindow(); });
        add({"ID_ViewZoom"}, [](Lumivex1& w, T&) { w.ZoomImage(); });
        add({"ID_ViewMagnify"}, [](Lumivex1& w, T&) { w.ToggleMagnifier(); });
        add({"ID_Resize"}, [](Lumivex1& w, T&) { w.ResizePicture(); });
        add({"ID_mnuRemoveRed-Eye"}, [](Lumivex1& w, T&) { w.StartRedEyeRemoval(); });
        add({"ID_mnuBrightness"}, [](Lumivex1& w, T&) { w.ChangeBrightness(); });
        add({"ID_mnuContrast"}, [](Lumivex1& w, T&) { w.ChangeContrast(); });
        add({"ID_mnuImageReset"}, [](Lumivex1& w, T&) {
            attempt([&] { w.RestoreOriginalPicture(); });
            w.ResizeImage();
        });
        add({"ID_PrintImage"}, [](Lumivex1& w, T&) {
            // A save the user cancels, or that fails, leaves the picture marked changed.
            attempt([&] { w.OfferToSavePicture(); });
            if (w.PictureDecodesWhole(gs.cCurrentFile))
                w.OpenToolWindow(QStringLiteral("PrntPict1"));
        });
        // The editors open on the picture chosen, once it could be decoded whole.
        static constexpr auto openEditor = [](Lumivex1& w, T& tool, const QString& window) {
            attempt([&] { w.OfferToSavePicture(); });
            gs.cEditFile = selectedEntry(w.control<QListWidget>("List3"));
            if (w.PictureDecodesWhole(gs.cEditFile)) {
                w.OpenToolWindow(window);
                return;
            }
            BusyGuard busy; // no window: the tool is not left pressed
            tool.setState(0);
        };
        add({"ID_EditImage"}, [](Lumivex1& w, T& tool) { openEditor(w, tool, QStringLiteral("EdtImage1")); });
        add({"ID_EditColors"}, [](Lumivex1& w, T& tool) { openEditor(w, tool, QStringLiteral("EdtColors1")); });
        add({"ID_SaveImage"}, [](Lumivex1& w, T&) { w.SaveImageCommand(); });
        add({"ID_mnuCopy"}, [](Lumivex1& w, T&) { w.CopyCommand(); });

        // Players.
        add({"ID_ViewVideos"}, [](Lumivex1& w, T& tool) { w.SetVideoWindowMode(tool.State() != 0 ? 1 : 2); });
        add({"ID_PicBtn"}, [](Lumivex1& w, T&) { w.SnapPicture(); });
        add({"ID_VideoSave"}, [](Lumivex1& w, T&) {
            bool ok = false;
            const int mode = gs.cPlayerMode.trimmed().toInt(&ok);
            if (ok && mode == 0)
                attempt([&] { w.SaveVideoClip(); });
            if (ok && mode == 1)
                w.SaveMusicClip();
        });
        add({"ID_Join"}, [](Lumivex1& w, T&) { w.ShowToolWindowModeless(QStringLiteral("VidJoin1")); });
        add({"ID_VidEdit"}, [](Lumivex1& w, T&) { w.ShowToolWindowModeless(QStringLiteral("CreatAn1")); });
        add({"ID_AudioReplace"}, [](Lumivex1& w, T&) { w.ShowToolWindowModeless(QStringLiteral("AudRepl1")); });
        add({"ID_VidProp"}, [](Lumivex1& w, T&) { w.ShowToolWindowModeless(QStringLiteral("VidProp1")); });

        // Documents.
        add({"ID_TxtBack"}, [](Lumivex1& w, T&) {
            if (!w.fRichTextShown)
                w.WebBrowser1->GoBack();
        });
        add({"ID_TxtForward"}, [](Lumivex1& w, T&) {
            if (!w.fRichTextShown)
                w.WebBrowser1->GoForward();
        });
        add({"ID_TxtPrint"}, [](Lumivex1& w, T&) {
            if (w.fRichTextShown) {
                // The selected text when there is a selection, else all of it.
                if (w.Text1)
                    w.Text1->SelPrint(w.Printer());
            } else {
                w.BrowserCommand(w.WebBrowser1.get(), platform::kBrowserPrint);
            }
        });
        add({"ID_TxtSave"}, [](Lumivex1& w, T&) {
            if (!w.fRichTextShown)
                w.BrowserCommand(w.WebBrowser1.get(), platform::kBrowserSaveAs);
        });
        add({"ID_TxtProperties"}, [](Lumivex1& w, T&) {
            if (w.fRichTextShown)
                w.ShowFileProperties(w.RichTextFileName());
            else
                w.BrowserCommand(w.WebBrowser1.get(), platform::kBrowserProperties);
        });

        // Internet.
        add({"ID_IntBack"}, [](Lumivex1& w, T&) { w.WebBrowser2->GoBack(); });
        add({"ID_IntForward"}, [](Lumivex1& w, T&) { w.WebBrowser2->GoForward(); });
        add({"ID_IntHome"}, [](Lumivex1& w, T&) { w.WebBrowser2->GoHome(); });
        add({"ID_IntStop"}, [](Lumivex1& w, T&) { w.WebBrowser2->Stop(); });
        add({"ID_IntRefresh"}, [](Lumivex1& w, T&) { w.WebBrowser2->Refresh(); });
        add({"ID_IntPrint"}, [](Lumivex1& w, T&) { w.BrowserCommand(w.WebBrowser2.get(), platform::kBrowserPrint); });
        add({"ID_IntSave"}, [](Lumivex1& w, T&) { w.BrowserCommand(w.WebBrowser2.get(), platform::kBrowserSaveAs); });
        add({"ID_IntProperties"},
            [](Lumivex1& w, T&) { w.BrowserCommand(w.WebBrowser2.get(), platform::kBrowserProperties); });
        add({"ID_IntFavorites"}, [](Lumivex1& w, T&) {
            gs.cDragMarker.clear();
            attempt([&] { w.TreeView4->Clear(); });
            w.LoadInternetFavorites();
        });
        add({"ID_IntAddFavorite"}, [](Lumivex1& w, T&) { w.AddInternetFavorite(); });
        add({"ID_IntVisited"}, [](Lumivex1& w, T&) { w.ToggleURLBar(); });
        add({"ID_IntURLEnter", "ID_IntGo"}, [](Lumivex1& w, T&) { w.OpenTypedAddress(); });

        // Settings and help.
        add({"ID_SetClrBtn", "ID_mnuSetOrbanthOptions"}, [](Lumivex1& w, T&) { w.ShowOptionsPage(2); });
        add({"ID_mnuSetColorsforOrbanth"}, [](Lumivex1& w, T&) { w.ShowOptionsPage(1); });
        add({"ID_HelpOpen", "ID_mnuHelpTableofContents"}, [](Lumivex1& w, T&) { w.ShowHelpContents(); });
        add({"ID_mnuHelpSearch"}, [](Lumivex1& w, T&) { w.ShowHelpSearch(); });
        add({"ID_mnuViewQuickTips"}, [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("QuikTip1")); });
        add({"ID_mnuHelpAbout"}, [](Lumivex1& w, T&) { w.OpenToolWindow(QStringLiteral("About1")); });
        add({"ID_PlayHelp"}, [](Lumivex1& w, T&) {
            QWidget* focus = nullptr;
            if (w.TabSelected(1))
                focus = w.control("MediaPlayer1");
            if (w.TabSelected(2))
                focus = w.TreeView2;
            w.ContextHelp(focus, false);
        });
        add({"ID_HelpImage"}, [](Lumivex1& w, T&) {
            QWidget* image = w.control("Image1");
            w.ContextHelp(w.TabSelected(3) && image && !image->isHidden() ? image : nullptr, true);
        });
        add({"ID_TxtHelp"}, [](Lumivex1& w, T&) { w.ContextHelp(w.TabSelected(5) ? w.TreeView3 : nullptr, false); });
        add({"ID_IntHelp"}, [](Lumivex1& w, T&) { w.ContextHelp(w.WebBrowser2->view(), false); });

        // Recognised, and nothing to do.
        for (const QString& id : IdleCommandIds())
            t.insert(id, [](Lumivex1&, T&) {});
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------- run-time tools

void Lumivex1::RunCategoryCommand(platform::Tool& tool)
{
    if (tool.Category() == QLatin1String("FilterList")) {
        attempt([&] { ApplyFileFilter(tool.Caption()); });
        CMBFILTER->setCurrentIndex(qint16(nFilterRow));
        // A click on the filter in use flips its tool; it stays the one in use.
        if (nFilterRow >= 0 && nFilterRow < tables::kFilterCount)
            setToolStateQuietly(FileFilterTable.names[nFilterRow], 1);
    }
    if (tool.Category() == QLatin1String("MenuViewList")) {
        BusyGuard busy;
        auto* list3 = control<QListWidget>("List3");
        auto* list6 = control<QListWidget>("List6");
        const int count3 = list3 ? list3->count() : 0;
        const int count6 = list6 ? list6->count() : 0;
        const int last = std::max(count3 - 1, 0) + std::max(count6 - 1, 0);
        const QString wanted = tool.Caption().trimmed();
        // An index past the end of a list holds no entry and matches nothing.
        for (int i = 0; i <= last; ++i) {
            if (i < count3 && list3->item(i)->text().trimmed() == wanted) {
                list3->setCurrentRow(i);
                gs.fInternetLoading = false;
                attempt([&] { DisplayFile(list3->item(i)->text()); });
                break;
            }
            if (i < count6 && list6->item(i)->text().trimmed() == wanted) {
                list6->setCurrentRow(i);
                attempt([&] { DisplayFile(list6->item(i)->text()); });
                break;
            }
        }
    }
}

// ---------------------------------------------------------------- recurring steps

void Lumivex1::OpenToolWindow(const QString& name) { toolwindows::open(name); }
void Lumivex1::ShowToolWindowModeless(const QString& name) { toolwindows::showModeless(name); }
void Lumivex1::ShowToolWindowModal(const QString& name)
{
    toolwindows::showModal(name);
    // A window that only hid itself is unloaded, so the next command loads it afresh.
    toolwindows::unload(name);
}

void Lumivex1::ShowOptionsPage(int page)
{
    toolwindows::showModal(QStringLiteral("SetOptn1"), page);
    toolwindows::unload(QStringLiteral("SetOptn1"));
}

void Lumivex1::OfferToSavePicture()
{
    if (!fPictureChanged)
        return;
    const platform::Answer a = platform::dialogs().message(
        kProgramTitle, kSavePrompt + gs.cCurrentPicture + QStringLiteral(" ? "), platform::Buttons::YesNo,
        platform::Icon::Question);
    if (a == platform::Answer::Yes)
        SaveFileAs(gs.cCurrentPicture); // clears fPictureChanged only when it saved
}

void Lumivex1::ContextHelp(QWidget* focus, bool bothHelpTools)
{
    platform::Tool* contents = ToolBarComp1->Item(QStringLiteral("ID_mnuHelpTableofContents"));
    platform::Tool* search = bothHelpTools ? ToolBarComp1->Item(QStringLiteral("ID_mnuHelpSearch")) : nullptr;
    if (contents)
        contents->setEnabled(false);
    if (search)
        search->setEnabled(false);
    if (focus)
        focus->setFocus();
    attempt([&] { help::SendF1(this); });
    if (contents)
        contents->setEnabled(true);
    if (search)
        search->setEnabled(true);
}

void Lumivex1::BrowserCommand(platform::WebBrowser* browser, int command)
{
    if (!browser)
        return;
    if (command == platform::kBrowserPrint)
        if (QWidget* v = browser->view())
            v->setFocus();
    browser->ExecWB(command, platform::kBrowserDoDefault);
}

// ---------------------------------------------------------------- commands with steps

void Lumivex1::OpenTypedAddress()
{
    platform::Tool* combo = ToolBarComp1->Item(QStringLiteral("ID_IntURLEnter"));
    if (!combo)
        return;
    const QString address = combo->ComboText().trimmed();
    if (address.isEmpty())
        return;
    gs.cCurrentURL = address;
    if (IsMediaFile(gs.cCurrentURL)) {
        attempt([&] { LoadMediaFile(gs.cCurrentURL); });
        AddVisitedURL(gs.cCurrentURL);
    } else {
        WebBrowser2->Navigate2(gs.cCurrentURL);
    }
}

void Lumivex1::SaveImageCommand()
{
    if (fTwainPicture) {
        attempt([&] { SaveFileAs(gs.cCurrentFile); });
        fTwainPicture = false;
        return;
    }
    if (gs.fInternetPicture) {
        attempt([&] { SaveFileAs(gs.cCurrentFile); });
        gs.fInternetPicture = false;
        return;
    }
    auto* list3 = control<QListWidget>("List3");
    if (list3 && list3->count() > 0 && list3->currentItem())
        SaveFileAs(list3->currentItem()->text());
}

void Lumivex1::CopyCommand()
{
    attempt([&] {
        if (TabSelected(3) && PictureBitmapBits() > 0)
            CopyPictureToClipboard();
    });
    auto* text = control<QTextEdit>("Text1");
    if (TabSelected(5) && text && !text->isHidden()) {
        // The selection goes to the clipboard as plain text.
        const QString selection = text->textCursor().selection().toPlainText();
        if (!text->toPlainText().trimmed().isEmpty())
            QApplication::clipboard()->setText(selection);
    }
}

void Lumivex1::SnapPicture()
{
    const QString still = QDir(gs.cProgramFolder).filePath(QStringLiteral("a.bmp"));
    // The frame is shown only when it was written: an old still is never passed off as new.
    if (SaveStillBitmap(still))
        DisplayFile(still);
}

QPrinter* Lumivex1::Printer()
{
    if (!m_printer)
        m_printer = std::make_shared<QPrinter>();
    return m_printer.get();
}

// ---------------------------------------------------------------- help

namespace {
// The help window reports its own troubles; anything else is shown here.
void runHelp(Lumivex1* owner, void (*show)(QWidget*))
{
    try {
        show(owner);
    } catch (const std::exception& e) {
        platform::dialogs().message(kProgramTitle, QString::fromLocal8Bit(e.what()), platform::Buttons::Ok,
                                    platform::Icon::None);
    }
}
} // namespace

void Lumivex1::ShowHelpContents() { runHelp(this, &help::ShowContents); }
void Lumivex1::ShowHelpSearch() { runHelp(this, &help::ShowSearch); }

SetOptn1* Lumivex1::OptionsWindow()
{
    SetOptn1* d = SetOptn1::instance(this, nTwipsPerCmX, nTwipsPerCmY);
    connect(d, &SetOptn1::optionsApplied, this, &Lumivex1::OptionsApplied, Qt::UniqueConnection);
    return d;
}

void Lumivex1::OptionsApplied()
{
    CHKMUSICLOOP->setChecked(gs.fMusicLoop);
    nVideoPlayCount = gs.fVideoLoop ? 0 : 1;
    SetWindowColors();
}
