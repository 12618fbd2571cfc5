// The picture reader for every format it reads but FLIC and ANI (those have
// targets of their own): the first byte picks the format, the rest is the
// file. Each input is read whole, its second page alone, its facts without
// the pixels, and scaled in the decoder as the thumbnails and the first
// paint read it.
#include "FuzzSupport.h"
#include "platform/PictureCodec.h"

#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Each of the four reads of an input may take ImageMagick's time
    // (kMagickReadMs): an input past 20 seconds is a hang, whatever the run
    // asks (a time-out given on the command line comes last and wins).
    static std::vector<char*> args(*argv, *argv + *argc);
    static char timeout[] = "-timeout=20";
    args.insert(args.begin() + 1, timeout);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    fuzz::startMediaApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QString ext = QString::fromLatin1(fuzz::kPictureFormats[data[0] % std::size(fuzz::kPictureFormats)]);
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    {
        platform::PictureData whole;
        platform::readPictureBytes(bytes, ext, 1, -1, &whole);
    }
    {
        platform::PictureData second;
        platform::readPictureBytes(bytes, ext, 2, 1, &second);
    }
    const QString path = fuzz::writeScratch(("picture." + ext.toLatin1()).constData(), data + 1, size - 1);
    platform::PictureInfo info;
    platform::readPictureInfo(path, 1, &info);
    QImage scaled;
    platform::readScaledPicture(path, QSize(96, 64), &scaled);
    return 0;
}
