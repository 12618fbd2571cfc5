#include "browser/DialogParts.h"

#include "shell/HelpWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser {

DialogButtons layOutDialog(QWidget* window, QWidget* frame, const QString& okTip, const QString& cancelTip,
                           const QString& helpTip)
{
    DialogButtons b;
    const auto make = [window](const char* name, const char* caption, const QString& tip) {
        auto* button = new QPushButton(QString::fromLatin1(caption), window);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        button->setAutoDefault(false);
        return button;
    };
    b.ok = make("OKBtn", "OK", okTip);
    b.cancel = make("CancelBtn", "Cancel", cancelTip);
    b.help = make("HelpBtn", "Help", helpTip);
    b.ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(b.ok);
    row->addWidget(b.cancel);
    row->addWidget(b.help);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(frame);
    layout->addLayout(row);
    return b;
}

void sendHelpKey(QWidget* window) { help::SendF1(window); }

} // namespace browser
