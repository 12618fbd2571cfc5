#pragma once
// "Rename Image File": renames the current file within its folder; the user
// types the new name, the file keeps its extension.
#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class Rename1 : public QDialog {
    Q_OBJECT
public:
    // fileListChanged: called when a file was renamed or the name was taken,
    // so the file list is read again.
    explicit Rename1(QWidget* parent = nullptr, std::function<void()> fileListChanged = {});

    // The "Rename File" command: the dialog, modal, for cCurrentFile.
    static void showModal(QWidget* parent, std::function<void()> fileListChanged);

    // A typed name that cannot name a file in the folder: blank, ".", "..",
    // or holding a separator or a NUL.
    static bool isRefusedName(const QString& typed);

    QLabel* Label1[3] = {};
    QLineEdit* Text1[2] = {};
    QFrame* Frame1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    void Form_Load();
    void Form_Activate();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refreshFileList();

    std::function<void()> m_fileListChanged;
    bool m_firstActivation = false;
};
