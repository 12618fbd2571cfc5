#include "platform/pictures/PictureMemory.h"

#include <cstdlib>
#include <sys/mman.h>

namespace platform {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

void freePixels(void* pixels) { std::free(pixels); }

} // namespace

unsigned char* allocatePixels(size_t bytes)
{
    if (bytes < kLargePixelsFrom)
        return static_cast<unsigned char*>(std::malloc(bytes));
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p)
        ::madvise(p, rounded, MADV_HUGEPAGE); // advice only: without it the pages stay small
    return static_cast<unsigned char*>(p);
}

QImage largePicture(QSize size, QImage::Format format)
{
    if (size.isEmpty())
        return {};
    const qsizetype stride = (qsizetype(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32 * 4;
    const size_t bytes = size_t(stride) * size_t(size.height());
    if (bytes < kLargePixelsFrom)
        return QImage(size, format);
    unsigned char* pixels = allocatePixels(bytes);
    if (!pixels)
        return {};
    return QImage(pixels, size.width(), size.height(), stride, format, &freePixels, pixels);
}

} // namespace platform
