// The commands that act on the current file as a file.
#include "shell/Lumivex1.h"

bool Lumivex1::SaveFileAs(const QString&) { return false; }
