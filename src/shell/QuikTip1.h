#pragma once
// "Quick Tip of the Day": one tip at random from TIPHELP.TXT in the program
// folder, another on request, and the choice to show no tips at start-up.
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

class QuikTip1 : public QWidget {
    Q_OBJECT
public:
    static const QString kTipsFile;
    static const QString kMsgTipsError;
    static const QString kMissingFileText;

    // Gives the open window the focus, else loads and shows it (modeless).
    static void open(QWidget* parent = nullptr);
    // Shows the window, loading it when needed, and brings it up without
    // taking the focus from the window the user is in (the main window's
    // activation does this while the tips are on).
    static void showTip(QWidget* parent = nullptr);
    static QuikTip1* current();

    // Reads the tips; false (after its message) when the file is missing or
    // cannot be read.
    bool LoadTips(const QString& sFile);

    // ---- handlers
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_KeyPress(int keyAscii);
    void OKBtn_Click();
    void NextTipBtn_Click();

    // ---- controls
    QWidget* Frame1 = nullptr;
    QWidget* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblTipText = nullptr;
    QCheckBox* chkLoadTipsAtStartup = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* NextTipBtn = nullptr;

    // The tips in file order, and the 1-based number of the one shown.
    const QStringList& tipList() const { return TipList; }
    int currentTip() const { return nCurrentTip; }

    ~QuikTip1() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit QuikTip1(QWidget* parent);
    static QuikTip1* load(QWidget* parent);
    void buildWindow();
    void PickRandomTip();
    void ShowCurrentTip();

    QStringList TipList;
    int nCurrentTip = 0;
    bool m_unloaded = false;
};
