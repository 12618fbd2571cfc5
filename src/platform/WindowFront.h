#pragma once
class QWidget;

namespace platform {

// Shows a window (restored when minimized), raised and active.
void bringToFront(QWidget* w);

} // namespace platform
