#pragma once
// "Replace Audio in Video File": writes a new file with the pictures of one
// file and the sound of another. One modeless instance; the work runs on the
// media component's worker and its steps show in the caption.
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace platform {
class MediaConverter;
}

class AudRepl1 : public QDialog {
    Q_OBJECT
public:
    explicit AudRepl1(QWidget* parent = nullptr);
    ~AudRepl1() override;

    QLineEdit* Text1 = nullptr; // source video file
    QLineEdit* Text2 = nullptr; // source audio file
    QLineEdit* Text3 = nullptr; // destination file
    QLabel* Label1[3] = {};
    QToolButton* OpenSVBtn = nullptr;
    QToolButton* OpenSABtn = nullptr;
    QToolButton* OpenDVBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    QFrame* Frame1 = nullptr;
    platform::MediaConverter* DestCtrl = nullptr; // runs the replacement
    int nTimeOut = 0;

    bool running() const;

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OpenSVBtn_Click();
    void OpenSABtn_Click();
    void OpenDVBtn_Click();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ReplaceAudio();
    void runEnded(bool ok);
    void setInputsEnabled(bool on);
    bool m_unloaded = false;
    bool m_closing = false;
};
