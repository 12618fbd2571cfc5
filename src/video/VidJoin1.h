#pragma once
// "Join Video Files": writes one file that plays a list of similar video
// files one after another. One modeless instance; the join runs on the media
// component's worker and its steps show in the status line.
#include <QDialog>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace platform {
class MediaConverter;
}

class VidJoin1 : public QDialog {
    Q_OBJECT
public:
    explicit VidJoin1(QWidget* parent = nullptr);
    ~VidJoin1() override;

    QListWidget* List1 = nullptr; // the files to join, in order
    QLineEdit* Text1 = nullptr;   // the destination file
    QLabel* Label1[2] = {};
    QLabel* lblstatus = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* OpenDBtn = nullptr;
    QToolButton* UpBtn = nullptr;
    QToolButton* DownBtn = nullptr;
    QToolButton* DeleteBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    QFrame* Frame1 = nullptr;
    platform::MediaConverter* ltmmConvertCtrl2 = nullptr; // runs the join

    bool running() const;

    // The low 16 bits of value shifted left by count (0..15), as a signed
    // 16-bit number; 0 for another count.
    static std::int16_t SafeLeftShift(std::int32_t& value, std::int32_t& count);
    // The whole part of value / 2^count (count 0..31), its low 16 bits as a
    // signed 16-bit number; 0 for another count or a value out of range.
    static std::int16_t SafeRightShift(double& value, std::int32_t& count);

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();
    void OpenBtn_Click();
    void OpenDBtn_Click();
    void UpBtn_Click();
    void DownBtn_Click();
    void DeleteBtn_Click();

signals:
    // The window unloaded: the main window releases its "ID_Join" tool.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void JoinVideoFiles();
    void runEnded(bool ok);
    void showStatus(const QString& text);
    void setInputsEnabled(bool on);
    void swapWithSelected(int step);
    bool m_unloaded = false;
    bool m_closing = false;
};
