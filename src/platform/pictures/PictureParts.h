#pragma once
// Large JPEG, PNG and TIFF pictures read in parts: what their headers tell
// without decoding the pixels, and any part of the picture decoded straight
// at the size it is shown (JPEG scaled in the decoder's DCT, PNG row by row
// through libpng, TIFF from the strips or tiles the part covers through
// libtiff), so that a picture is shown without decoding it whole and one too
// large to hold whole can still be shown scaled. Safe to call from worker
// threads.
#include "platform/pictures/PictureCodec.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace platform {

// A file whose picture can be decoded in parts: a JPEG or PNG with one
// picture in direct colour or gray (no palette), stored upright and, for PNG,
// not interlaced; or a page of a TIFF (named so), of any kind libtiff reads.
// Its facts are those a whole decode would give.
struct PartialPicture {
    enum class Kind { Jpeg, Png, Tiff };
    QString path;
    Kind kind = Kind::Jpeg;
    int page = 1;     // the TIFF's page read (1 = the first)
    PictureInfo info; // as readPictureInfo reports it
};

// True and *out filled when the file is such a picture. page: the TIFF's
// page (1 = the first; one past the end falls back to the first).
bool openPartialPicture(const QString& path, PartialPicture* out, int page = 1);

// The part `source` of the picture (in its own pixels) scaled to `size` (at
// most the part's own size). Returns 0 or an imaging error code. A damaged
// PNG or TIFF whose damage lies within the part gives an error and, when rows
// before the damage were decoded, *out of the full size with those rows, the
// rest transparent.
int readPicturePart(const PartialPicture& picture, const QRect& source, const QSize& size, QImage* out);

// Whether a picture of this size can be held whole in memory.
bool fitsInMemory(const QSize& size);

} // namespace platform
