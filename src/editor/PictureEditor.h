#pragma once
// What the two picture editor windows share: the unedited picture, the
// working copy and the hidden snapshot in three picture controls over one
// EditSession, and the commands Apply, Save, Undo, Restore, Cancel and Help,
// the "+" and "-" keys of the sliders, the double-click that switches a
// picture between stretched and normal painting, and the window's life from
// load to unload. Each window adds its own effects and sliders.
#include "editor/EditSession.h"
#include "platform/imaging/LeadDlg.h"
#include "platform/pictures/PictureEffects.h"

#include <QHash>
#include <QWidget>
#include <functional>

#include "shared/DialogColors.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace platform {
class Lead;
}

namespace editor {

// What an editor touches outside its own window.
struct EditorHost {
    // The main view's picture control takes a copy of the picture.
    std::function<void(const QImage&)> showInMainView;
    // The main view shows its replaced picture afresh.
    std::function<void()> resetMainView;
    // The main view's picture is marked changed (true) or saved (false).
    std::function<void(bool)> setPictureChanged;
    // The editor's tool in the main window is shown pressed (1) or released (0).
    std::function<void(int)> setToolState;
};

class PictureEditor : public QWidget {
    Q_OBJECT
public:
    ~PictureEditor() override;

    const EditSession& session() const { return m_session; }
    bool fImageEdited() const { return m_session.edited(); }
    bool fOriginalStretched() const { return m_originalStretched; }
    bool fCurrentStretched() const { return m_currentStretched; }
    bool fFormLoading() const { return m_formLoading; }

    // Controls both editors have.
    platform::Lead* Image1 = nullptr; // the picture as loaded
    platform::Lead* Image2 = nullptr; // the working copy
    platform::Lead* Image3 = nullptr; // the snapshot (hidden)
    QLabel* Label1[4] = {};           // "Original", "Current", the picture's path, the group caption
    QPushButton* AcceptBtn[7] = {};
    QPushButton* ApplyBtn = nullptr;
    QPushButton* SaveBtn = nullptr;
    QPushButton* UndoBtn = nullptr;
    QPushButton* RestoreBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    platform::LeadDlg LEADDlg1;

    // Handlers.
    void ApplyBtn_Click();
    void SaveBtn_Click();
    virtual void UndoBtn_Click();
    void RestoreBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();
    void Image1_DblClick();
    void Image2_DblClick();
    // The "+" (43) and "-" (45) keys of a slider: one small step, refused at the ends.
    void ScrollBar_KeyPress(QScrollBar* bar, int keyAscii);
    void Form_Activate();

protected:
    // name: the window's name ("EdtImage1"); openFlag: its open flag in the shared state.
    PictureEditor(const QString& name, const QString& caption, EditorHost host, bool* openFlag);

    // The load steps both windows share, in their order; the caller sets
    // fFormLoading where its window does.
    void loadCommon();
    void LoadEditPictures(const QString& file);
    void BeginEditStep();
    void EndEditStep();

    // Runs an effect on the working copy and shows the result. False when
    // nothing was loaded (then nothing happens) or the effect failed (then
    // the failure is reported and the picture stays as it was).
    bool runEffect(const EditSession::Effect& effect, bool hourglass = false);
    // Brings the three picture controls up to date with the session.
    void showPictures();
    void reportFailure(const QString& source, int code);

    // A horizontal slider that reports a change when released, clicked or
    // set, with the "+" and "-" keys; named and tipped.
    QScrollBar* makeBar(const char* name, int min, int max, int smallChange, int largeChange, int value);
    QPushButton* makeButton(const char* name, const QString& caption, const QString& tip);
    // The layout both windows share around the window's own panel.
    void layOut(QWidget* panel);

    // The window's own slider reset (Restore runs it first).
    virtual void resetSliders() = 0;
    // The window's one-time set-up at the end of its first activation.
    virtual void firstActivation() {}
    // Controls painted otherwise than the scheme's convention.
    virtual QHash<const QWidget*, dialogcolors::Paint> paintOverrides() const { return {}; }

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Declared before the session, so it outlives the pictures.
    platform::effects::SpareMemory m_spare;
    EditSession m_session;
    EditorHost m_host;
    bool m_formLoading = false;
    bool fSaveMultiPage = false;

private:
    void Form_Unload();
    void toggleStretch(platform::Lead* picture, bool* stretched);

    QString m_name;
    bool* m_openFlag;
    bool m_originalStretched = true, m_currentStretched = true;
    bool m_unloaded = false;
};

} // namespace editor
