#pragma once
// Moving files to the freedesktop trash.
#include <QString>

namespace platform {

// Moves the file to the trash; false (the file where it was) when it could
// not be moved there. *inTrash gets its place in the trash.
bool moveToTrash(const QString& path, QString* inTrash = nullptr);

} // namespace platform
