#include "platform/controls/KeyAscii.h"

#include <QKeyEvent>

namespace platform {

int keyAscii(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    const QString t = event->text();
    return t.isEmpty() ? 0 : int(t.at(0).unicode());
}

} // namespace platform
