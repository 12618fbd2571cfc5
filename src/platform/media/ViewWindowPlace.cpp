#include "platform/media/ViewWindowPlace.h"

#include <QMenuBar>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QWidget>

#include <algorithm>

namespace platform {
namespace {

// Beside the program's window, on the side with more room, level with its
// top: up to 640 x 480 inside, as much as the screen leaves of that. Null
// when neither side has room for 320 x 240 inside.
QRect besideProgram(const ViewWindowScene& s)
{
    const QMargins& f = s.frame;
    const int across = f.left() + f.right(), down = f.top() + f.bottom();
    const int top = std::max(s.program.top(), s.available.top());
    const int height = std::min(480 + down, s.available.bottom() - top + 1);
    const int right = s.available.right() - s.program.right(), left = s.program.left() - s.available.left();
    const int room = std::max(right, left);
    if (height - down < 240 || room - across < 320)
        return {};
    const int width = std::min(640 + across, room);
    return QRect(right >= left ? s.program.right() + 1 : s.program.left() - width, top, width, height);
}

bool coversATool(const ViewWindowScene& s, const QRect& outer)
{
    return std::any_of(s.tools.begin(), s.tools.end(), [&](const QRect& t) { return t.intersects(outer); });
}

bool holdsTheLeast(const ViewWindowScene& s, const QRect& outer)
{
    const QRect inside = outer.marginsRemoved(s.frame);
    return inside.width() >= s.least.width() && inside.height() >= s.least.height();
}

// The video area's place, the frame and caption included, at least as large
// as the least window.
QRect areaPlace(const ViewWindowScene& s)
{
    return QRect(s.area.topLeft(), s.area.size().expandedTo(s.least.grownBy(s.frame)));
}

// Over the video area, below every tool. Null when the room there is too small.
QRect overTheArea(const ViewWindowScene& s)
{
    QRect room = s.available;
    for (const QRect& t : s.tools)
        room.setTop(std::max(room.top(), t.bottom() + 1));
    if (room.isEmpty())
        return {};
    const QRect outer = fitInto(areaPlace(s), room);
    return holdsTheLeast(s, outer) && !coversATool(s, outer) ? outer : QRect();
}

} // namespace

QRect fitInto(const QRect& outer, const QRect& room)
{
    const int width = std::min(outer.width(), room.width());
    const int height = std::min(outer.height(), room.height());
    const int x = std::clamp(outer.left(), room.left(), room.right() - width + 1);
    const int y = std::clamp(outer.top(), room.top(), room.bottom() - height + 1);
    return QRect(x, y, width, height);
}

QRect placeViewWindow(const ViewWindowScene& s)
{
    const QRect outer = s.left.isValid() ? s.left : besideProgram(s);
    return outer.isNull() ? placeOverTheArea(s) : fitInto(outer, s.available).marginsRemoved(s.frame);
}

QRect placeOverTheArea(const ViewWindowScene& s)
{
    QRect outer = overTheArea(s);
    if (outer.isNull())
        outer = areaPlace(s); // no room clear of the tools: on the screen all the same
    return fitInto(outer, s.available).marginsRemoved(s.frame);
}

QMargins frameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry(), inside = window->geometry();
    return QMargins(inside.left() - outer.left(), inside.top() - outer.top(), outer.right() - inside.right(),
                    outer.bottom() - inside.bottom());
}

QMargins frameLike(const QWidget* owner)
{
    const QMargins main = frameOf(owner);
    const int border = owner->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int caption = main.top() > 0 ? main.top() : owner->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border;
    return QMargins(std::max(border, main.left()), caption, std::max(border, main.right()),
                    std::max(border, main.bottom()));
}

QList<QRect> toolsOf(const QWidget* window, const QWidget* except)
{
    QList<QRect> tools;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        const bool tool = qobject_cast<const QMenuBar*>(w) || qobject_cast<const QToolBar*>(w) ||
                          qobject_cast<const QTabBar*>(w);
        if (tool && w->isVisible() && w->window() == window && !(except && except->isAncestorOf(w)))
            tools << QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    }
    return tools;
}

} // namespace platform
