#pragma once
class QKeyEvent;

namespace platform {

// The key code a key press stands for: 27 Esc, 13 Enter, 8 Backspace, 9 Tab,
// else the character typed (0 for keys that type nothing).
int keyAscii(const QKeyEvent* event);

} // namespace platform
