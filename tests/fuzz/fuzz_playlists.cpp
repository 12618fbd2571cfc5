// The players' play-list files: M3U and M3U8 (a path or address a line) and
// ASX (the href of each <ref>), read from a file of each kind.
#include "FuzzSupport.h"
#include "platform/media/MediaPlayList.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const char* name : {"list.m3u", "list.M3U8", "list.asx"})
        platform::readMediaPlayList(fuzz::writeScratch(name, data, size));
    return 0;
}
