#pragma once
// core/: what every room stands on: loading our plug-ins and the large
// libraries on first use, the program's table of error numbers, and reading
// an open file at a place.
//
// The parts of the program that need very large libraries (the web engine,
// the media engine) are plug-in libraries of ours, loaded the first time they
// are needed rather than when the program starts. They stand next to the
// executable ("liblumivex_web.so" beside "Tessamor").
#include <QString>
#include <QtGlobal>

namespace platform {

// The exported function `symbol` of the plug-in `name` ("lumivex_web"); the
// plug-in is loaded on the first call. nullptr when it cannot be loaded or
// lacks the function; plugInError() then says why.
QFunctionPointer plugInFunction(const char* name, const char* symbol);
QString plugInError(const char* name);
// Whether the plug-in has been loaded in this process.
bool plugInLoaded(const char* name);

} // namespace platform
