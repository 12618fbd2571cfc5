#include "platform/controls/WindowFront.h"

#include <QMainWindow>
#include <QScreen>
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

void placeBelowBars(QWidget* w, const QWidget* owner)
{
    if (!w || !owner)
        return;
    const QWidget* top = owner->window();
    // The bars stand above the main window's central area; another window's
    // client area starts below its title bar.
    int below = top->mapToGlobal(QPoint(0, 0)).y();
    if (auto* main = qobject_cast<const QMainWindow*>(top); main && main->centralWidget())
        below = main->centralWidget()->mapToGlobal(QPoint(0, 0)).y();
    // The window's frame is taken to be as thick as the owner's.
    const QRect outer = top->frameGeometry(), inner = top->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    const QSize size = w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint();
    QRect place(QPoint(0, 0), size.grownBy(frame));
    place.moveTop(below + 4);
    place.moveLeft(outer.center().x() - place.width() / 2);
    if (const QScreen* screen = top->screen()) {
        const QRect area = screen->availableGeometry();
        if (place.right() > area.right())
            place.moveRight(area.right());
        if (place.left() < area.left())
            place.moveLeft(area.left());
        if (place.bottom() > area.bottom())
            place.moveBottom(area.bottom());
        if (place.top() < area.top())
            place.moveTop(area.top());
    }
    w->move(place.topLeft());
}

} // namespace platform
