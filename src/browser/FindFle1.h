#pragma once
// "Enter File to Locate": the modal window in which the user picks the kind
// of file the search looks for, or types a pattern.
#include <QDialog>
#include <QString>
#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace platform {
class ToolBarComp;
}

namespace browser {

struct FindChoice {
    const char* caption;
    const char* toolTip;
    const char* pattern; // empty for the typed pattern
    int filterRow;       // the FileFilterTable row whose filter tool is checked
};

constexpr int kFindChoiceCount = 34;
constexpr int kTypedChoice = 33;
const std::array<FindChoice, kFindChoiceCount>& findChoices();

} // namespace browser

class FindFle1 : public QDialog {
    Q_OBJECT
public:
    // The toolbar's "ID_Find" tool is released when the window unloads.
    FindFle1(QWidget* parent, platform::ToolBarComp* toolbar);
    ~FindFle1() override;

    QLabel* Label1 = nullptr;
    QFrame* Frame1 = nullptr;
    std::array<QRadioButton*, browser::kFindChoiceCount> RDSELECT{};
    QLineEdit* Text1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    // The chosen option's index.
    int nFindChoice = 0;
    // The answer: set by OK, cleared by loading and by Cancel.
    bool fSearchRunning = false;
    QString cFindPattern;
    int nFindFilterRow = 0;

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void RDSELECT_Click(int index);
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

    void done(int result) override;
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    platform::ToolBarComp* m_toolbar;
    bool m_unloaded = false;
};
