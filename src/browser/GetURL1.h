#pragma once
// "Select Multimedia from the Internet": a list of web addresses of pictures
// and media files, kept in "PictList.INI" in the program folder. The user
// types or picks an address and opens it; the list is read when the window
// loads and written when it unloads. One modeless instance.
#include <QDialog>
#include <QString>
#include <functional>

class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;

class GetURL1 : public QDialog {
    Q_OBJECT
public:
    // Shows a file (or an address) in the viewer its kind calls for.
    using DisplayFileFn = std::function<void(const QString& address)>;

    GetURL1(const QString& programFolder, DisplayFileFn displayFile, QWidget* parent = nullptr);
    ~GetURL1() override;

    // The command: brings the open window to the front, else loads and shows one.
    static GetURL1* open(const QString& programFolder, DisplayFileFn displayFile);
    // The open window, or nullptr.
    static GetURL1* instance();

    static inline const QString kListFile = QStringLiteral("PictList.INI");

    QFrame* Frame1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* OpenBtn = nullptr;
    QPushButton* UpBtn = nullptr;
    QPushButton* DownBtn = nullptr;
    QPushButton* DeleteBtn = nullptr;
    QPushButton* ExitBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    // True when the whole file was read (false, and an empty list, when it is missing).
    bool LoadURLList();
    // True when the list was written.
    bool SaveURLList();

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    // Enter (13) opens the address shown when the focus is on it.
    void Form_KeyPress(int keyAscii);
    void List1_Click();
    void List1_DblClick();
    void OpenBtn_Click();
    void UpBtn_Click();
    void DownBtn_Click();
    void DeleteBtn_Click();
    void HelpBtn_Click();
    void ExitBtn_Click();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString listPath() const;
    void swapEntries(int a, int b);

    QString m_programFolder;
    DisplayFileFn m_displayFile;
    bool m_unloaded = false;
};
