#pragma once
// What may become an entry of a list file. Every list file holds one entry
// per line, so a path that holds a line end (Linux names may hold LF or CR)
// would come back as two entries, or lose its list: such a path is refused
// where it would enter a list, with a message, and nothing stored changes.
#include <QString>
#include <QStringList>

namespace lists {

bool holdsLineEnd(const QString& path);

// The message that refuses the path.
QString lineEndRefusal(const QString& path);

// False (after the message) when the path holds a line end.
bool acceptListEntry(const QString& path);

// The paths that may enter a list, in order; each other one is refused with
// the message.
QStringList acceptListEntries(const QStringList& paths);

} // namespace lists
