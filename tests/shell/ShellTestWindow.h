#pragma once
// A main window whose procedures of other areas record their calls, on a
// temporary program folder with scripted dialogs.
#include "RecordingBrowser.h"
#include "TestSupport.h"
#include "platform/Dialogs.h"
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

    void DisplayFile(const QString& p) override { rec("DisplayFile " + p); }
    bool SaveFileAs(const QString& p) override
    {
        rec("SaveFileAs " + p);
        if (saveSucceeds)
            fPictureChanged = false;
        return saveSucceeds;
    }
    void OpenFileRoutine() override { rec("OpenFileRoutine"); }
    void OpenFileWithApplication() override { rec("OpenFileWithApplication"); }
    void CloseCurrentFile() override { rec("CloseCurrentFile"); }
    void DeleteCurrentFile() override { rec("DeleteCurrentFile"); }
    void ConvertFile(const QString& p) override { rec("ConvertFile " + p); }
    void TwainAcquirePicture() override { rec("TwainAcquirePicture"); }
    void TwainSelectSource() override { rec("TwainSelectSource"); }
    void FindFileRoutine() override { rec("FindFileRoutine"); }
    void FindNext() override { rec("FindNext"); }
    void CollapseFolderTree() override { rec("CollapseFolderTree"); }
    void MoveUpFolder() override { rec("MoveUpFolder"); }
    void SetLargeIconsView() override { rec("SetLargeIconsView"); }
    void SetSmallIconsView() override { rec("SetSmallIconsView"); }
    void SetListIconsView() override { rec("SetListIconsView"); }
    void SetDetailsView() override { rec("SetDetailsView"); }
    std::optional<QString> FileListSelectedPath() override { return listPath; }
    void ShowPreviousPicture() override { rec("ShowPreviousPicture"); }
    void ShowNextPicture() override { rec("ShowNextPicture"); }
    void FitImageToWindow() override { rec("FitImageToWindow"); }
    void ViewNormalSize() override { rec("ViewNormalSize"); }
    void TogglePanWindow() override { rec("TogglePanWindow"); }
    void SnapImageToWindow() override { rec("SnapImageToWindow"); }
    void StretchImageToWindow() override { rec("StretchImageToWindow"); }
    void ZoomImage() override { rec("ZoomImage"); }
    void ToggleMagnifier() override { rec("ToggleMagnifier"); }
    void ResizePicture() override { rec("ResizePicture"); }
    void StartRedEyeRemoval() override { rec("StartRedEyeRemoval"); }
    void ChangeBrightness() override { rec("ChangeBrightness"); }
    void ChangeContrast() override { rec("ChangeContrast"); }
    void ResizeImage() override { rec("ResizeImage"); }
    void RestoreOriginalPicture() override { rec("RestoreOriginalPicture"); }
    void CapturePicture(int l, int t, int w, int h) override
    {
        rec(QStringLiteral("CapturePicture %1 %2 %3 %4").arg(l).arg(t).arg(w).arg(h));
    }
    int PictureBitmapBits() override { return bitmapBits; }
    void CopyPictureToClipboard() override { rec("CopyPictureToClipboard"); }
    void LoadMediaFile(const QString& p) override { rec("LoadMediaFile " + p); }
    void SaveVideoClip() override { rec("SaveVideoClip"); }
    void SaveMusicClip() override { rec("SaveMusicClip"); }
    bool SaveStillBitmap(const QString& p) override
    {
        rec("SaveStillBitmap " + p);
        if (stillWritten)
            testsupport::writeFile(p, "BM");
        return stillWritten;
    }
    void SetVideoWindowMode(int m) override { rec(QStringLiteral("SetVideoWindowMode %1").arg(m)); }
    std::optional<QString> PlayerFileName(int) override { return playerFile; }
    QString RichTextFileName() override { return richTextFile; }
    void AddPictureToFavorites() override { rec("AddPictureToFavorites"); }
    void CreateNewPlayList() override { rec("CreateNewPlayList"); }

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

} // namespace shelltest
