// The pictures Create Video turns into frames, read through the picture
// reader fitted to a frame, and the size their headers tell. The first byte
// picks the type (the file's extension), the rest is the file.
#include "FuzzSupport.h"
#include "platform/media/FrameEncoder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startMediaApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const char* name = fuzz::kStillPictureNames[data[0] % std::size(fuzz::kStillPictureNames)];
    const QString path = fuzz::writeScratch(name, data + 1, size - 1);
    (void)platform::StillPicture::sizeOf(path);
    const platform::StillPicture p = platform::StillPicture::read(path, QSize(640, 480));
    (void)p.size();
    return 0;
}
