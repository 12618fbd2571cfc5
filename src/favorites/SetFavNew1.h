#pragma once
// "Create New Favorite List": the modal window that asks the favourite list
// editor for the name of a new list. Its answer goes to the editor's
// cNewFavListName (the name as typed) and fFavListCancel.
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class SetFavList1;

class SetFavNew1 : public QDialog {
    Q_OBJECT
public:
    explicit SetFavNew1(SetFavList1* editor);

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

private:
    SetFavList1* m_editor;
};
