#pragma once
// The icons of file types, from the desktop's icon theme through the
// freedesktop names of each file's type (its MIME type's icon, else the
// generic icon of its kind: "image-x-generic", "audio-x-generic" ...), as Qt's
// MIME database tells them from the file's name.
#include <QIcon>
#include <QString>

namespace platform {

// Where the desktop names no icon theme (Qt then stands in with "hicolor",
// which holds no icons of file types), the program takes Adwaita, the theme
// a Debian desktop has, when it is installed. A theme the desktop names is
// kept.
void useDesktopIconTheme();

// The icon of the type of a file of that name; `fallback` where the theme
// has none for it. On the window's thread only, as every icon.
QIcon fileTypeIcon(const QString& fileName, const QIcon& fallback);

} // namespace platform
