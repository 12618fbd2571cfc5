// The TIFF reader (libtiff through TiffReader.h): each input is a file,
// read as the program reads a TIFF: the header of its first page, every
// page whole, the second page alone, parts of the first at their own size
// and scaled, from memory and from a file, and its thumbnail.
#include "FuzzSupport.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/TiffReader.h"

#include <algorithm>

namespace {

// Pages of more pixels than this, together, have their headers read alone:
// the work of their decodes is bounded by the readers' limits
// (PictureLimits.h, which the tests hold the reader to), not by anything a
// fuzzer finds; and a file of more pages than kPagesDecoded is read no
// further than its first.
constexpr qint64 kPixelsDecoded = 16 * 1000 * 1000;
constexpr int kPagesDecoded = 16;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace platform;
    const TiffInput memory{{}, fuzz::bytesOf(data, size)};
    TiffPage first;
    if (readTiffPage(memory, 1, &first) != 0)
        return 0;
    const int w = first.size.width(), h = first.size.height();
    qint64 pixels = qint64(w) * h;
    const int pages = std::min(first.facts.pageCount, kPagesDecoded);
    for (int p = 2; p <= pages && pixels <= kPixelsDecoded; ++p) {
        TiffPage page;
        if (readTiffPage(memory, p, &page) == 0)
            pixels += qint64(page.size.width()) * page.size.height();
    }
    if (pixels > kPixelsDecoded)
        return 0;
    if (first.facts.pageCount <= kPagesDecoded) {
        PictureData all;
        readTiff(memory, 1, -1, &all);
    }
    PictureData second;
    readTiff(memory, 2, 1, &second);
    const QRect whole(0, 0, w, h);
    QImage img;
    readTiffPart(memory, 1, whole, whole.size(), &img);
    readTiffPart(memory, 1, QRect(w / 3, h / 3, w / 2 + 1, h / 2 + 1), QSize(std::max(1, w / 5), std::max(1, h / 5)),
                 &img);
    const QString path = fuzz::writeScratch("picture.tif", data, size);
    readTiffPart(TiffInput{path, {}}, 1, whole, QSize(std::max(1, w / 7), std::max(1, h / 3)), &img);
    readTiffScaled(TiffInput{path, {}}, QSize(96, 64), &img);
    return 0;
}
