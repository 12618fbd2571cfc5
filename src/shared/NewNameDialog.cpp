#include "shared/NewNameDialog.h"

#include "shared/MessageBox.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NewNameDialog::NewNameDialog(QWidget* parent, const Texts& t) : QDialog(parent)
{
    setObjectName(t.objectName);
    setWindowTitle(t.title);
    setModal(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* lay = new QVBoxLayout(Frame1);
    Label1 = new QLabel(t.label, Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(t.textTip);
    Text1->setMinimumWidth(260);
    OKBtn = new QPushButton(QStringLiteral("OK"), Frame1);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(t.okTip);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), Frame1);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setToolTip(t.cancelTip);
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

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtn_Click(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtn_Click(); });
}

QString NewNameDialog::typedName(const QString& missingMessage)
{
    const QString typed = Text1->text();
    if (!typed.trimmed().isEmpty())
        return typed;
    MsgBox(missingMessage);
    Text1->setFocus();
    return {};
}

void NewNameDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void NewNameDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}
