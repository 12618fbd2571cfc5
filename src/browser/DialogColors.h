#pragma once
// The colour scheme of the small dialogs of the browser: the window and its
// labels in the selection colours, the panel washed to nSelectWashEnd, entry
// fields in the entry colours and buttons washed in the button colours.
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace browser {

void applyDialogColors(QWidget* window, QWidget* frame, const QList<QLabel*>& labels,
                       const QList<QLineEdit*>& entries, const QList<QPushButton*>& buttons);

// Sends F1 to the window, the help key the help system answers.
void sendHelpKey(QWidget* window);

} // namespace browser
