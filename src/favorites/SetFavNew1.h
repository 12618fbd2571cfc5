#pragma once
// "Create New Favorite List": the modal window that asks the favourite list
// editor for the name of a new list. Its answer goes to the editor's
// cNewFavListName (the name as typed) and fFavListCancel.
#include "shared/NewNameDialog.h"

class SetFavList1;

class SetFavNew1 : public NewNameDialog {
    Q_OBJECT
public:
    explicit SetFavNew1(SetFavList1* editor);

    void Form_Load();
    void Form_Activate() override;
    void OKBtn_Click() override;
    void CancelBtn_Click() override;

private:
    SetFavList1* m_editor;
};
