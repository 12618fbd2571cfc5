#include "lists/SetPlayNew1.h"

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

SetPlayNew1::SetPlayNew1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetPlayNew1"));
    setWindowTitle(QStringLiteral("Create New Play List"));
    setModal(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* lay = new QVBoxLayout(Frame1);
    Label1 = new QLabel(QStringLiteral("Enter New Play List Name"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter New Play List Name"));
    Text1->setMinimumWidth(260);
    OKBtn = new QPushButton(QStringLiteral("OK"), Frame1);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Click OK to Create the New Play List"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), Frame1);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setToolTip(QStringLiteral("Click Cancel to Close the Create New Play List Window"));
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

    connect(OKBtn, &QPushButton::clicked, this, &SetPlayNew1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &SetPlayNew1::CancelBtn_Click);
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

void SetPlayNew1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void SetPlayNew1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
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
    if (Text1->text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("You must Enter the Name for the New Play List of Music or Multimedia Files"));
        Text1->setFocus();
        return;
    }
    gs.cNewPlayListName = Text1->text();
    accept();
}

void SetPlayNew1::CancelBtn_Click()
{
    gs.fPlayListCancel = true;
    reject();
}
