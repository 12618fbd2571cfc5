#pragma once
// Play list files the players take as one source: M3U (a path or address on
// each line; lines starting with "#" are remarks) and ASX (the href of each
// <ref> in order). Relative paths are taken from the list's own folder;
// Windows "\" separators are read as "/".
#include <QString>
#include <QStringList>

namespace platform {

// True when the file's extension names a play list (M3U, M3U8, ASX).
bool isMediaPlayList(const QString& path);

// The entries of the play list, in order: full local paths or addresses.
// Empty when the file cannot be read or names nothing.
QStringList readMediaPlayList(const QString& path);

} // namespace platform
