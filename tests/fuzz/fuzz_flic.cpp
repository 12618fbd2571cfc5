// FLIC animations (FLC and FLI) through the picture reader: every frame, and
// the second page alone.
#include "FuzzSupport.h"
#include "platform/pictures/PictureCodec.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startMediaApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    // Each read has its own result: the frames of the first are gone before
    // the second starts, as in the program.
    {
        platform::PictureData all;
        platform::readPictureBytes(bytes, QStringLiteral("FLC"), 1, -1, &all);
    }
    platform::PictureData second;
    platform::readPictureBytes(bytes, QStringLiteral("FLI"), 2, 1, &second);
    return 0;
}
