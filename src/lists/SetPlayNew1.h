#pragma once
// "Create New Play List": the modal window that asks for the name of a new
// play list. Its answer is the shared cNewPlayListName (the name as typed,
// "" when none was given) and fPlayListCancel (Cancel was pressed).
#include "shared/NewNameDialog.h"

class SetPlayNew1 : public NewNameDialog {
    Q_OBJECT
public:
    explicit SetPlayNew1(QWidget* parent = nullptr);

    // Shows the window modal and returns when it was closed.
    static void showModal(QWidget* parent);

    void Form_Load();
    void Form_Activate() override;
    void OKBtn_Click() override;
    void CancelBtn_Click() override;
};
