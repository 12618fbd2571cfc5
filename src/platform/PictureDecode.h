#pragma once
// Reading picture files for thumbnails and file facts: QImageReader for the
// formats Qt reads (scaled in the decoder), Magick++ for the rest, always
// through a Blob with the coder taken from the extension.
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

// The Magick++ coder for an upper-case extension ("PCX", "SUN" for RAS), or
// "" when no coder reads it.
QString magickCoderForExtension(const QString& upperExt);

// True when Qt's own readers handle the extension here.
bool qtReadsExtension(const QString& upperExt);

// A picture of the file that fits within box (never enlarged), keeping the
// aspect ratio and the EXIF orientation. A null image on failure, with the
// reason in *error. Safe to call from worker threads.
QImage decodeScaled(const QString& path, const QSize& box, QString* error = nullptr);

// The image in the given bits per pixel: 32 ARGB, 24 RGB, 16 RGB565, 8 to 2
// a palette of 2^bits colours, 1 black and white.
QImage convertToBits(const QImage& image, int bits);

// What a file holds, as read from its header and pixels.
struct PictureFacts {
    int bits = 0;              // stored depth: 1, 4, 8, 16, 24 or 32
    qint64 colors = 0;         // palette entries, or 2^bits for direct colour
    int formatCode = 0;        // the program's file-format code (see formatCodeOf)
    int width = 0, height = 0; // pixels
    qint64 sizeDisk = 0;       // bytes of the file
    qint64 sizeMem = 0;        // bytes of the bitmap, rows aligned to 4 bytes
    int xRes = 0, yRes = 0;    // dots per inch
};

// Reads the facts of one page (1 = the first); false when the file cannot be
// read as a picture.
bool readPictureFacts(const QString& path, int page, PictureFacts* facts);

// Makes Magick++ ready once per process.
void ensureMagick();

} // namespace platform
