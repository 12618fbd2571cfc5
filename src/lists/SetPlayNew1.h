#pragma once
// "Create New Play List": the modal window that asks for the name of a new
// play list. Its answer is the shared cNewPlayListName (the name as typed,
// "" when none was given) and fPlayListCancel (Cancel was pressed).
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class SetPlayNew1 : public QDialog {
    Q_OBJECT
public:
    explicit SetPlayNew1(QWidget* parent = nullptr);

    // Shows the window modal and returns when it was closed.
    static void showModal(QWidget* parent);

    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void Form_Load();
    void Form_Activate();
    void OKBtn_Click();
    void CancelBtn_Click();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
