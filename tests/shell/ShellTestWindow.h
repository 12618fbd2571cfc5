#pragma once
// A main window whose procedures of other areas record their calls, on a
// temporary program folder with scripted dialogs.
#include "ScriptedDialogs.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QAction>
#include <QListWidget>
#include <gtest/gtest.h>
#include <QStringList>
#include <functional>
#include <memory>

namespace shelltest {

using FakeBrowser = RecordingBrowser;

class TestWindow : public Lumivex1 {
public:
    TestWindow() : Lumivex1(QStringList{}) {}

    QStringList calls;
    std::function<void(const QString&)> onCall; // runs inside each recorded call
    bool saveSucceeds = false;
    bool stillWritten = false;
    int bitmapBits = 0;
    std::optional<QString> playerFile, listPath;
    QString richTextFile;

    void rec(const QString& s)
    {
        calls << s;
        if (onCall)
            onCall(s);
    }

// Procedures that only record their call, with the file they get if any.
#define LUMIVEX_RECORD(name) void name() override { rec(#name); }
#define LUMIVEX_RECORD_FILE(name) void name(const QString& p) override { rec(#name " " + p); }
    // Files, scanner and the file list.
    LUMIVEX_RECORD_FILE(DisplayFile) LUMIVEX_RECORD_FILE(ConvertFile) LUMIVEX_RECORD_FILE(LoadMediaFile)
    LUMIVEX_RECORD(OpenFileRoutine) LUMIVEX_RECORD(OpenFileWithApplication) LUMIVEX_RECORD(CloseCurrentFile)
    LUMIVEX_RECORD(DeleteCurrentFile) LUMIVEX_RECORD(TwainAcquirePicture) LUMIVEX_RECORD(TwainSelectSource)
    LUMIVEX_RECORD(FindFileRoutine) LUMIVEX_RECORD(FindNext) LUMIVEX_RECORD(CollapseFolderTree)
    LUMIVEX_RECORD(MoveUpFolder) LUMIVEX_RECORD(SetLargeIconsView) LUMIVEX_RECORD(SetSmallIconsView)
    LUMIVEX_RECORD(SetListIconsView) LUMIVEX_RECORD(SetDetailsView)
    // The picture view.
    LUMIVEX_RECORD(ShowPreviousPicture) LUMIVEX_RECORD(ShowNextPicture) LUMIVEX_RECORD(FitImageToWindow)
    LUMIVEX_RECORD(ViewNormalSize) LUMIVEX_RECORD(TogglePanWindow) LUMIVEX_RECORD(SnapImageToWindow)
    LUMIVEX_RECORD(StretchImageToWindow) LUMIVEX_RECORD(ZoomImage) LUMIVEX_RECORD(ToggleMagnifier)
    LUMIVEX_RECORD(ResizePicture) LUMIVEX_RECORD(StartRedEyeRemoval) LUMIVEX_RECORD(ChangeBrightness)
    LUMIVEX_RECORD(ChangeContrast) LUMIVEX_RECORD(ResizeImage) LUMIVEX_RECORD(RestoreOriginalPicture)
    LUMIVEX_RECORD(CopyPictureToClipboard) LUMIVEX_RECORD(AddPictureToFavorites)
    // The players and lists.
    LUMIVEX_RECORD(SaveVideoClip) LUMIVEX_RECORD(SaveMusicClip) LUMIVEX_RECORD(CreateNewPlayList)
#undef LUMIVEX_RECORD
#undef LUMIVEX_RECORD_FILE

    bool SaveFileAs(const QString& p) override
    {
        rec("SaveFileAs " + p);
        if (saveSucceeds)
            fPictureChanged = false;
        return saveSucceeds;
    }
    void CapturePicture(int l, int t, int w, int h) override
    {
        rec(QStringLiteral("CapturePicture %1 %2 %3 %4").arg(l).arg(t).arg(w).arg(h));
    }
    bool SaveStillBitmap(const QString& p) override
    {
        rec("SaveStillBitmap " + p);
        if (stillWritten)
            testsupport::writeFile(p, "BM");
        return stillWritten;
    }
    void SetVideoWindowMode(int m) override { rec(QStringLiteral("SetVideoWindowMode %1").arg(m)); }
    std::optional<QString> FileListSelectedPath() override { return listPath; }
    int PictureBitmapBits() override { return bitmapBits; }
    std::optional<QString> PlayerFileName(int) override { return playerFile; }
    QString RichTextFileName() override { return richTextFile; }

    // Puts recording browsers in place of the real ones.
    QStringList browserLog;
    FakeBrowser* fakeBrowser(int n)
    {
        auto fake = std::make_unique<FakeBrowser>(&browserLog, QStringLiteral("WebBrowser%1").arg(n));
        FakeBrowser* raw = fake.get();
        (n == 1 ? WebBrowser1 : WebBrowser2) = std::move(fake);
        return raw;
    }

    // Clicks a tool as the user would (a two-state tool flips first); a tool
    // that is disabled or hidden gets the click event straight away.
    void click(const QString& id)
    {
        platform::Tool* t = ToolBarComp1->Item(id);
        ASSERT_NE(t, nullptr) << id.toStdString();
        if (t->action()->isEnabled())
            t->action()->trigger();
        else
            ToolBarComp1_ToolClick(t);
    }

    // The viewed-pictures (3) or documents (6) list, made when the window has none.
    QListWidget* viewedList(int n)
    {
        const QString name = QStringLiteral("List%1").arg(n);
        auto* l = findChild<QListWidget*>(name);
        if (!l) {
            l = new QListWidget(this);
            l->setObjectName(name);
            l->hide();
        }
        return l;
    }

    bool hourglass() const { return cursor().shape() == Qt::WaitCursor; }
    bool pointerIsDefault() const { return cursor().shape() == Qt::ArrowCursor; }
};

// A program folder, scripted dialogs and a main window, in that order.
struct Shell {
    testsupport::ProgramFolder folder;
    platform::ScopedDialogs dialogs;
    std::unique_ptr<TestWindow> window = std::make_unique<TestWindow>();
    Shell() { dialogs->messages.clear(); }
    TestWindow& w() { return *window; }
};

// A test on a fresh shell: `w` is its window, `s` the rest.
struct ShellTest : ::testing::Test, Shell {
    Shell& s = *this;
    TestWindow& w = Shell::w();
};

} // namespace shelltest
