#pragma once
// "About the Brevanto Lumivex": the program, its version and maker, a link to
// the maker's web site shown on the Internet tab, and the system information
// tool.
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

class About1 : public QWidget {
    Q_OBJECT
public:
    // The maker's web site: the link's text and the address it opens.
    static const QString kMakerAddress;
    static const QString kMsgNoSysInfo;

    // Gives the open box the focus, else loads and shows it (modeless).
    // openAddress: shows a web address on the Internet tab (the link).
    static void open(QWidget* parent = nullptr, std::function<void(const QString&)> openAddress = {});
    static About1* current();

    // The system-information programs looked for on the PATH, first found is
    // started. Programs may be names or full paths.
    static QStringList& sysInfoPrograms();
    // The full path of the first of `programs` that can be run, else "".
    static QString FindSysInfoProgram(const QStringList& programs);

    void StartSysInfo();

    // ---- handlers
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_KeyPress(int keyAscii);
    void OKBtn_Click();
    void SysBtn_Click();
    void Label1_Click(int index);

    // ---- controls
    QLabel* picIcon = nullptr;
    QWidget* Frame1 = nullptr;
    QLabel* Label1[4] = {};
    QPushButton* OKBtn = nullptr;
    QPushButton* SysBtn = nullptr;

    ~About1() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit About1(QWidget* parent);
    void buildWindow();
    bool m_unloaded = false;
    std::function<void(const QString&)> m_openAddress;
};
