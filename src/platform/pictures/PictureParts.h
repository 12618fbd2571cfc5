#pragma once
// Large JPEG and PNG pictures read in parts: what their headers tell without
// decoding the pixels, and any part of the picture decoded straight at the
// size it is shown (JPEG scaled in the decoder's DCT, PNG row by row through
// libpng), so that a picture is shown without decoding it whole and one too
// large to hold whole can still be shown scaled. Safe to call from worker
// threads.
#include "platform/pictures/PictureCodec.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace platform {

// A file whose first picture can be decoded in parts: a JPEG or PNG with one
// picture in direct colour or gray (no palette), stored upright and, for PNG,
// not interlaced. Its facts are those a whole decode would give.
struct PartialPicture {
    QString path;
    bool jpeg = false;
    PictureInfo info; // as readPictureInfo reports it
};

// True and *out filled when the file is such a picture.
bool openPartialPicture(const QString& path, PartialPicture* out);

// The part `source` of the picture (in its own pixels) scaled to `size` (at
// most the part's own size). Returns 0 or an imaging error code. A damaged
// PNG whose damage lies within the part gives an error and, when rows before
// the damage were decoded, *out of the full size with those rows, the rest
// transparent.
int readPicturePart(const PartialPicture& picture, const QRect& source, const QSize& size, QImage* out);

// Whether a picture of this size can be held whole in memory.
bool fitsInMemory(const QSize& size);

} // namespace platform
