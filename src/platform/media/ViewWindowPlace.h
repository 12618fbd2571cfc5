#pragma once
// Where the play control's own video window opens, and the other windows
// that open over the program's window (the picture's pan window). Every
// rectangle is on the screen, in the desktop's coordinates; "outer" ones
// take in the window manager's frame (the caption above, the borders around).
#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

struct ViewWindowScene {
    QRect available;     // the screen's area for windows (no panels, no docks)
    QRect program;       // the program's window, outer
    QRect area;          // the video area the pictures leave, in the program's window
    QList<QRect> tools;  // the program's menu bar, tool bars and tab bars: kept in sight
    QMargins frame;      // the window manager's frame around a window's inside
    QRect left;          // outer, where the user left the window; null before that
    QSize least{80, 60}; // the smallest inside the window takes
};

// The inside (the widget's geometry) the window opens with. Where the user
// left it, else beside the program's window where the screen has room for
// at least 320 x 240, else over the video area, its caption below the tools.
// Whatever the choice, the whole window, frame included, stands on the
// available area: moved back onto it, and made smaller where it is larger.
QRect placeViewWindow(const ViewWindowScene& scene);

// The inside (the widget's geometry) a window opens with whose frame is
// wanted where `scene.area` is: there, or moved down below the tools where
// it would cover one, and whatever the choice onto the available area.
QRect placeOverTheArea(const ViewWindowScene& scene);

// The window manager's frame around a shown window (none without one, or
// before the window manager has framed it).
QMargins frameOf(const QWidget* window);

// The frame a window manager is likely to give a window of the owner's
// before it has framed it: the owner's caption, else one as tall as the
// style draws it, and the owner's borders, at least as wide as the style
// draws them (the owner may fill the screen without any).
QMargins frameLike(const QWidget* owner);

// Where the window shows its menu bar, tool bars and tab bars, those that
// show, on the screen; those inside `except` are left out.
QList<QRect> toolsOf(const QWidget* window, const QWidget* except = nullptr);

// An outer rectangle made no larger than `room` and moved into it.
QRect fitInto(const QRect& outer, const QRect& room);

} // namespace platform
