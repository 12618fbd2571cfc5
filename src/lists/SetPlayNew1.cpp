#include "lists/SetPlayNew1.h"

#include "shared/DialogColors.h"
#include "shared/SharedState.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SetPlayNew1::SetPlayNew1(QWidget* parent)
    : NewNameDialog(parent, {QStringLiteral("SetPlayNew1"), QStringLiteral("Create New Play List"),
                             QStringLiteral("Enter New Play List Name"), QStringLiteral("Enter New Play List Name"),
                             QStringLiteral("Click OK to Create the New Play List"),
                             QStringLiteral("Click Cancel to Close the Create New Play List Window")})
{
    Form_Load();
}

void SetPlayNew1::showModal(QWidget* parent)
{
    SetPlayNew1 dialog(parent);
    dialog.exec();
}

void SetPlayNew1::Form_Load()
{
    gs.cNewPlayListName.clear();
    gs.fPlayListCancel = false;
}

void SetPlayNew1::Form_Activate()
{
    using dialogcolors::Kind;
    dialogcolors::Paint plain = dialogcolors::conventionPaint(Kind::Window);
    plain.washEnd.reset();
    dialogcolors::Paint label = dialogcolors::conventionPaint(Kind::Label);
    label.back = gs.nSelectBackColor;
    dialogcolors::Paint button = dialogcolors::conventionPaint(Kind::Button);
    button.washEnd.reset();
    dialogcolors::applyDialogColors(
        this, {{this, plain}, {Frame1, plain}, {Label1, label}, {OKBtn, button}, {CancelBtn, button}});
    Text1->setFocus();
}

void SetPlayNew1::OKBtn_Click()
{
    const QString typed =
        typedName(QStringLiteral("You must Enter the Name for the New Play List of Music or Multimedia Files"));
    if (typed.isEmpty())
        return;
    gs.cNewPlayListName = typed;
    accept();
}

void SetPlayNew1::CancelBtn_Click()
{
    gs.fPlayListCancel = true;
    reject();
}
