#pragma once
// Pixel memory for large pictures. Touching fresh memory one 4 kB page at a
// time costs more than decoding a photo or running most effects on it, so
// large pixel buffers are aligned to 2 MB and offered to the kernel for huge
// pages, which it fills 512 times fewer at a time.
#include <QImage>
#include <QSize>

#include <cstddef>

namespace platform {

// Buffers from this size on take huge pages; smaller ones use the heap as usual.
constexpr size_t kLargePixelsFrom = size_t(4) << 20;

// bytes of pixel memory (null when there is none); std::free gives it back.
unsigned char* allocatePixels(size_t bytes);

// A picture of the size and format in such memory when it is large, an
// ordinary one otherwise; null when there is no memory for it. Its pixels
// are not cleared.
QImage largePicture(QSize size, QImage::Format format);

} // namespace platform
