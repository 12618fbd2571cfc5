#include "favorites/SetFavNew1.h"

#include "favorites/SetFavList1.h"
#include "lists/FavoriteLists.h"
#include "shared/DialogColors.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SetFavNew1::SetFavNew1(SetFavList1* editor) : QDialog(editor), m_editor(editor)
{
    setObjectName(QStringLiteral("SetFavNew1"));
    setWindowTitle(QStringLiteral("Create New Favorite List"));
    setModal(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* lay = new QVBoxLayout(Frame1);
    Label1 = new QLabel(QStringLiteral("Enter New Favorite List Name"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter Name of New Favorite List"));
    Text1->setMinimumWidth(260);
    OKBtn = new QPushButton(QStringLiteral("OK"), Frame1);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Click OK to Create the New Favorite List"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), Frame1);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setToolTip(QStringLiteral("Click Cancel to Close the Create New Favorite List Window"));
    CancelBtn->setAutoDefault(false);
    lay->addWidget(Label1);
    lay->addWidget(Text1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    lay->addLayout(row);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Frame1);

    connect(OKBtn, &QPushButton::clicked, this, &SetFavNew1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &SetFavNew1::CancelBtn_Click);
    Form_Load();
}

void SetFavNew1::Form_Load()
{
    m_editor->cNewFavListName.clear();
    m_editor->fFavListCancel = false;
}

void SetFavNew1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void SetFavNew1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
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
    const QString typed = Text1->text();
    if (typed.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("You must Enter the Name for the New Favorite List of Pictures or Multimedia Files"));
        Text1->setFocus();
        return;
    }
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
