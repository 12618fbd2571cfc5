#pragma once
// What the small dialogs of the browser share: the panel with OK, Cancel and
// Help under it, the colour scheme (the window and its labels in the
// selection colours, the panel washed to nSelectWashEnd, entry fields in the
// entry colours, buttons washed in the button colours) and the help key.
#include <QList>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace browser {

struct DialogButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
};

// Lays out the panel with the three buttons under it ("OKBtn", "CancelBtn",
// "HelpBtn", with their tool tips); OK is the default button, so Enter
// anywhere in the window runs it.
DialogButtons layOutDialog(QWidget* window, QWidget* frame, const QString& okTip, const QString& cancelTip,
                           const QString& helpTip);

void applyDialogColors(QWidget* window, QWidget* frame, const QList<QLabel*>& labels,
                       const QList<QLineEdit*>& entries, const QList<QPushButton*>& buttons);

// Sends F1 to the window, the help key the help system answers.
void sendHelpKey(QWidget* window);

} // namespace browser
