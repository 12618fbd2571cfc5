#pragma once
// Renaming a file without ever replacing another one.
#include <QString>

namespace platform {

// Moves from to to (same file system) unless to exists; 0 on success, else
// the errno of the failure (EEXIST when to exists). Never leaves a partial file.
int renameNoReplace(const QString& from, const QString& to);

} // namespace platform
