#pragma once
// TIFF pictures read through libtiff: what a page's header tells without
// decoding its pixels; any part of a page decoded at the size it is shown
// from the strips or tiles it covers; whole pages; and the first page fitted
// within a box, reduced as it is read, for a thumbnail. The pixels come
// through libtiff's RGBA interface, which takes every photometric and
// compression libtiff knows (palette, gray, RGB, CMYK, YCbCr, CIE Lab; 1 to
// 16 bits a sample; LZW, Deflate, PackBits, JPEG, CCITT ...), on as many
// threads as the work is worth, each reading the file through a handle of
// its own. Pages are bounded before any work by the limits of
// PictureLimits.h. libtiff's messages stay with the read that caused them:
// none is printed. Safe to call from any thread.
#include "platform/pictures/PictureCodec.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <stop_token>

namespace platform {

// Where a TIFF is read from: the file of that name, or, when there is no
// name, the bytes (which outlive the read).
struct TiffInput {
    QString path;
    QByteArray bytes;
};

// A page as its header tells it, nothing decoded.
struct TiffPage {
    QSize size;          // as stored
    int orientation = 1; // the orientation tag (1 = upright ... 8), not applied to the pixels
    // Stored bits per pixel, the palette's colours, the format code (LZW and
    // CCITT told apart), the file's pages, the page read (a page past the
    // end falls back to the first) and the resolution (0 = none given), as
    // a whole read reports them; no frames.
    PictureData facts;
};

// The header of the page (1 = the first). 0, or an imaging error code:
// FileNotFound, FileOpen, InvalidFormat (no TIFF, or a damaged header),
// SubTypeNotSupported (samples libtiff's RGBA interface does not take),
// InvalidSize or NoMemory (a page past the limits).
int readTiffPage(const TiffInput& input, int page, TiffPage* out);

// The part `source` of the page (in its stored pixels) scaled to `size` (at
// most the part's own size): the pixels as stored, the orientation tag not
// applied, as ImageMagick showed them. 0, an error of readTiffPage, or
// FileRead for damage met in the part: then, when rows before the damage
// were decoded, *out holds them at the full size, the rest transparent.
// A stop asked ends it with Failure.
int readTiffPart(const TiffInput& input, int page, const QRect& source, const QSize& size, QImage* out,
                 std::stop_token stop = {});

// Whole pages, as readPicture reads them (pages: 1, or -1 = all from page
// on); the frames are held to kMaxFramesBytes. Damage anywhere fails the read.
int readTiff(const TiffInput& input, int page, int pages, PictureData* out, std::stop_token stop = {});

// The first page fitted within box (never enlarged), reduced as it is read,
// then turned as its orientation tag says.
int readTiffScaled(const TiffInput& input, const QSize& box, QImage* out, std::stop_token stop = {});

} // namespace platform
