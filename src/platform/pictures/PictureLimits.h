#pragma once
// The limits every picture reader holds to: the readers here and those of the
// ImageMagick plug-in (src/plugins/magick) alike.
#include "platform/pictures/PictureCodec.h"

#include <QSize>
#include <QtGlobal>

namespace platform {

// Whether a 32-bit picture of this size is past what a reader may hold.
inline bool tooLarge(const QSize& size)
{
    if (!size.isValid())
        return false;
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    return bytes > qint64(kAllocationLimitMb) * 1024 * 1024;
}

// All the frames one read holds together may take no more than this: a
// small file can declare hundreds of full-screen frames.
constexpr qint64 kMaxFramesBytes = qint64(kAllocationLimitMb) * 1024 * 1024;

// A time or resolution read from a file, as an int in [low, high]; NaN gives low.
inline int clampToInt(double v, int low, int high)
{
    if (!(v >= low))
        return low;
    return v >= high ? high : int(v);
}

// The widest and highest picture ImageMagick makes or writes here: its
// width and height limits, as Debian's policy sets them ("16KP"). The
// plug-in holds ImageMagick to them wherever its policy says nothing; a
// policy that says less lowers them (magickSideLimits, MagickPolicy.h).
constexpr int kMagickMaxSide = 16000;

// The longest one read through ImageMagick may work, all its work
// (decoding, turning, scaling) together: a last guard against work that no
// size checked before it bounds, far past the largest picture it reads (a
// few seconds; under a minute on a quarter of one core). Past it the read
// is given up as a failure.
constexpr int kMagickReadGuardMs = 10 * 60 * 1000;

// TIFF pages, read through libtiff (TiffReader.h), are bounded by what their
// headers declare, checked before libtiff decodes anything: a side past
// kTiffMaxSide is an invalid width or height; a page of more pixels than
// kTiffMaxPixels, or one of whose strips or tiles decoded (or a row of it
// in 32-bit pixels) takes more than kTiffMaxChunkBytes, is too large.
// Within them a page is shown however large, scaled when it cannot be held
// whole; its work is bounded by its pixels, and its memory by a few strips
// or tiles at a time.
constexpr int kTiffMaxSide = 1000000;
constexpr qint64 kTiffMaxPixels = qint64(1) << 30;
constexpr qint64 kTiffMaxChunkBytes = qint64(256) * 1024 * 1024;

// The longest frame delay taken from a file: an hour.
constexpr int kMaxDelayMs = 3600 * 1000;

// Where a picture of size fits within box, never enlarged (size itself when it fits).
inline QSize fitWithin(const QSize& size, const QSize& box)
{
    if (size.width() <= box.width() && size.height() <= box.height())
        return size;
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

} // namespace platform
