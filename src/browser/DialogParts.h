#pragma once
// What the small dialogs of the browser share: the panel with OK, Cancel and
// Help under it, and the help key.
#include <QString>

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

// Sends F1 to the window, the help key the help system answers.
void sendHelpKey(QWidget* window);

} // namespace browser
