// Animated cursors (ANI) through the picture reader: every step, and the
// second step alone.
#include "FuzzSupport.h"
#include "platform/pictures/PictureCodec.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    platform::PictureData d;
    platform::readPictureBytes(bytes, QStringLiteral("ANI"), 1, -1, &d);
    platform::readPictureBytes(bytes, QStringLiteral("ANI"), 2, 1, &d);
    return 0;
}
