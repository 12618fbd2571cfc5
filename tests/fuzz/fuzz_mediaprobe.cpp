// Media files through FFmpeg as the video properties read them (the probe of
// tags and stream facts) and as the video join checks its inputs (two files
// compared), from a file in memory (/dev/shm where the system has it).
#include "FuzzSupport.h"
#include "platform/media/MediaJoin.h"
#include "platform/media/MediaProbe.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startMediaApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // No extension: FFmpeg tells the format from the bytes alone.
    const QString path = fuzz::writeScratch("media", data, size);
    platform::probeMedia(path);
    QString error;
    std::vector<platform::MediaInfo> infos;
    platform::VerifyInputFiles({path, path}, &error, &infos);
    return 0;
}
