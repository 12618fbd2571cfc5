#pragma once
// The media plug-in (Qt Multimedia on GStreamer), as the players and the CD
// player's sound output reach it: the back end is chosen before anything in
// the process looks at Qt Multimedia, and the plug-in is loaded with the
// first file or sound.
#include <QString>
#include <QtGlobal>

namespace platform {

// The plug-in's exported function `symbol`, the plug-in loaded on the first
// call; nullptr when it cannot be, and mediaEngineError() says so and why.
QFunctionPointer mediaEngineFunction(const char* symbol);
QString mediaEngineError();

// For the end of a program, once its windows have saved what they hold and
// gone. A player still inside the media engine (a file it was asked to close
// and has not let go of, or one that never lets go) runs threads of the
// engine's that the libraries' static destructors would pull the ground
// from under: the process then ends here, at once, with `code`. Returns
// when no player is left, and the program ends as usual.
void leaveBesideMediaEngine(int code);

} // namespace platform
