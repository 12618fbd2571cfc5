#pragma once
// FFmpeg, SANE and libcdio are loaded with the first command that needs
// them, not when the program starts. Every command that calls them asks one
// of these first: when the libraries cannot be loaded it says so with the
// message and does nothing, instead of calling a function that is not there.
#include <QString>

namespace platform {

// FFmpeg (video and sound files, clips, animations, joins).
bool mediaLibrariesLoaded(QString* error = nullptr);
// SANE (scanners) and libcdio (sound CDs).
bool deviceLibrariesLoaded(QString* error = nullptr);

} // namespace platform
