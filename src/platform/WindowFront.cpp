#include "platform/WindowFront.h"

#include <QWidget>

namespace platform {

void bringToFront(QWidget* w)
{
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

} // namespace platform
