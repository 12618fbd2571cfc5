#include "favorites/SetFavNew1.h"

#include "favorites/SetFavList1.h"
#include "lists/FavoriteLists.h"
#include "shared/DialogColors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

SetFavNew1::SetFavNew1(SetFavList1* editor)
    : NewNameDialog(editor,
                    {QStringLiteral("SetFavNew1"), QStringLiteral("Create New Favorite List"),
                     QStringLiteral("Enter New Favorite List Name"), QStringLiteral("Enter Name of New Favorite List"),
                     QStringLiteral("Click OK to Create the New Favorite List"),
                     QStringLiteral("Click Cancel to Close the Create New Favorite List Window")}),
      m_editor(editor)
{
    Form_Load();
}

void SetFavNew1::Form_Load()
{
    m_editor->cNewFavListName.clear();
    m_editor->fFavListCancel = false;
}

void SetFavNew1::Form_Activate()
{
    using dialogcolors::Kind;
    dialogcolors::Paint window = dialogcolors::conventionPaint(Kind::Window);
    window.washEnd.reset();
    dialogcolors::Paint label = dialogcolors::conventionPaint(Kind::Label);
    label.back = gs.nSelectBackColor;
    // Cancel's wash runs the other way.
    dialogcolors::Paint cancel = dialogcolors::conventionPaint(Kind::Button);
    std::swap(*cancel.back, *cancel.washEnd);
    dialogcolors::applyDialogColors(this, {{this, window}, {Label1, label}, {CancelBtn, cancel}});
    Text1->setFocus();
}

void SetFavNew1::OKBtn_Click()
{
    const QString typed =
        typedName(QStringLiteral("You must Enter the Name for the New Favorite List of Pictures or Multimedia Files"));
    if (typed.isEmpty())
        return;
    if (lists::isRefusedFavoriteListName(typed)) {
        MsgBox(QStringLiteral("A Favorite List Name cannot hold / or \\ and cannot be . or .."));
        Text1->setFocus();
        return;
    }
    m_editor->cNewFavListName = typed;
    accept();
}

void SetFavNew1::CancelBtn_Click()
{
    m_editor->fFavListCancel = true;
    reject();
}
