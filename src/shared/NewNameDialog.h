#pragma once
// The small modal window that asks for the name of a new list: a label, the
// name box, OK and Cancel. Each kind of list gives its texts and decides what
// OK and Cancel do with the name.
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class NewNameDialog : public QDialog {
    Q_OBJECT
public:
    struct Texts {
        QString objectName, title, label, textTip, okTip, cancelTip;
    };
    NewNameDialog(QWidget* parent, const Texts& texts);

    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    virtual void Form_Activate() = 0;
    virtual void OKBtn_Click() = 0;
    virtual void CancelBtn_Click() = 0;

protected:
    // The name as typed, or "" after telling the user that one is needed.
    QString typedName(const QString& missingMessage);

    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
