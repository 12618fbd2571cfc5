#pragma once
class QWidget;

namespace platform {

// Shows a window (restored when minimized), raised and active.
void bringToFront(QWidget* w);

// Places a window not yet shown where it leaves its owner's menu and tool
// bars clear: its frame's top below them, centred across the owner, inside
// the work area of the owner's screen.
void placeBelowBars(QWidget* w, const QWidget* owner);

} // namespace platform
