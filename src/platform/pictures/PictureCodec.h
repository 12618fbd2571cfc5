#pragma once
// pictures/: reading, writing, measuring and changing picture files, away
// from any window. libpng and Qt's image readers do the formats they read,
// libtiff reads TIFF; ImageMagick (Magick++, in a plug-in of ours) does the
// rest.
//
// Reading and writing picture files, without a window. Qt's readers take the
// formats they read well (JPEG, PNG, BMP, GIF, ICO, CUR, XPM, PBM); libtiff
// reads TIFF (TiffReader.h); Magick++ takes the rest, and writes TIFF,
// through a memory blob with the coder named from the extension; FLC goes
// through FFmpeg's FLIC decoder and ANI through its icon frames. Every function returns 0 or an imaging error code (ImagingCodes.h)
// and leaves its output untouched on failure.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <chrono>
#include <functional>
#include <stop_token>

namespace platform {

// A picture as read: its pages or animation frames.
struct PictureData {
    QList<QImage> frames;
    QList<int> delays;   // milliseconds per frame
    int bits = 0;        // stored bits per pixel (1, 4, 8, 24, 32)
    int paletteSize = 0; // colours of the stored palette, 0 = direct colour
    int format = 0;      // file format code, told apart by the header (Exif JPEG, RLE bitmap, LZW TIFF)
    int pageCount = 0;   // pages or frames the file holds
    int firstPage = 1;   // the page frames[0] came from
    int xRes = 0, yRes = 0;
};

// A file's picture data without its pixels, as the picture properties show it.
struct PictureInfo {
    int width = 0, height = 0, bits = 0, format = 0;
    int pageCount = 0, page = 1;
    qint64 sizeDisk = 0;
    qint64 sizeMem = 0;  // bytes of the bitmap, rows aligned to 4 bytes
    qint64 colors = 0;   // palette entries, or 2^bits (at most 2^24) for direct colour
    int xRes = 0, yRes = 0; // dots per inch; 96 when the file holds none
};

// A step of one read's work, as the reader tells it to the read's control.
enum class ReadStep {
    Measuring, // the decoder reads what the file declares: its pages and their sizes
    Waiting,   // the read waits for memory that the reads beside it hold (told as the wait begins)
    Decoding,  // the decoder is at work on the pixels: told as it begins, and at each of its reports of progress
};

// What the caller of one read gives it beside what it reads. ImageMagick's
// reads (the readers' and readScaledPicture's alike) hold to it; TIFF's
// reads hold to its stop, between one strip or tile and the next; Qt's
// readers read on, their files bounded by their sizes alone.
struct ReadControl {
    // Asked from another thread: the read is not wanted any more, and ends
    // at its next step with Failure.
    std::stop_token stop;
    // Told each step of the read's work, on the thread at it (ImageMagick's
    // own threads as well, several at once); the read goes on once it returns.
    std::function<void(ReadStep)> progress;
    // When the read's time began: the last guard on its time
    // (kMagickReadGuardMs, PictureLimits.h) counts from here.
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

enum class Decoder { None, Qt, Tiff, Magick, Flic, Ani };
Decoder decoderFor(const QString& upperExt);
// Whether ImageMagick reads the file: a format of its own, or a TIFF whose
// samples libtiff's RGBA interface does not take (floating point, 32 bits
// a sample), which it reads as it once read every TIFF.
bool readThroughMagick(const QString& path);

// The format code of a file by its extension (0 when unknown).
int formatForExtension(const QString& upperExt);
// The usual extension of a format code ("" when unknown).
QString extensionForFormat(int format);

// Stored bits per pixel of a decoded picture.
int bitsOfImage(const QImage& image);

// page: 1 = the first; a page past the end of the file falls back to page 1.
// pages: 1 = that page alone, -1 = every page or frame from it on.
int readPicture(const QString& path, int page, int pages, PictureData* out, const ReadControl& control = {});
// The bytes of the whole file, kAllocationLimitMb at most: 0, or
// FileNotFound, FileOpen, NoMemory (a larger file) or FileRead (also for a
// file cut short as it is read).
int readWholeFile(const QString& path, QByteArray* bytes);
// The same for bytes already in memory; ext chooses the reader ("" = let Qt
// recognise the data).
int readPictureBytes(const QByteArray& bytes, const QString& upperExt, int page, int pages, PictureData* out,
                     const ReadControl& control = {});
// The information of one page, read from the file (the one reader of a
// file's picture facts).
int readPictureInfo(const QString& path, int page, PictureInfo* out);
// The information of one page as the file's header tells it, its pixels
// never decoded: ImageMagick's formats are pinged (the facts are those its
// decode finds in a picture whose pixels are what its header says; a raw
// fax, which holds no header, tells its height once decoded); the others
// are read as readPictureInfo reads them.
int readPictureHeader(const QString& path, int page, PictureInfo* out, const ReadControl& control = {});
// The same for the bytes of an ImageMagick format in memory, read as the
// extension tells (sizeDisk: the file's length; their own when negative).
int readPictureHeaderBytes(const QByteArray& bytes, const QString& upperExt, int page, PictureInfo* out,
                           const ReadControl& control = {}, qint64 sizeDisk = -1);
// The same for the file open as fd (an ImageMagick format): pinged from its
// first kHeaderReadBytes, or from all of it when its coder needs more.
int readPictureHeaderFile(int fd, const QString& upperExt, int page, PictureInfo* out, const ReadControl& control = {});
// What is read of a file for its header before the whole of it.
constexpr qint64 kHeaderReadBytes = qint64(4) << 20;
// The information of a picture as read (sizeDisk: the file's bytes).
PictureInfo infoOf(const PictureData& data, qint64 sizeDisk);
// The same for a picture of this size with these facts (its frames unused).
PictureInfo infoOfSize(const QSize& size, const PictureData& facts, qint64 sizeDisk);
// The format code of a file read as the format the extension names, told
// apart further by its first bytes (Exif JPEG, RLE bitmap ...).
int formatFromHeader(int format, const QByteArray& head);

// Writable formats and those that hold several pages.
bool formatWritable(int format);
bool formatMultiPage(int format);

// Encodes pages (all of them when multiPage and the format holds pages, else
// the first). bits 0 = as the picture is. quality: compression factor 1..99
// (JPEG quality 100 - quality).
int encodePicture(const QList<QImage>& pages, int format, int bits, int quality, bool multiPage, QByteArray* out);

// Writes the file through a temporary file in its folder that is renamed
// over the target only when everything was written. append: the pages are
// added after the pages the file already holds. When the file system
// refused the file, *fileError gets the program's error number of its
// reason (ErrorNumbers.h: 61 for a full disk), else 0.
int writePicture(const QString& path, const QList<QImage>& pages, int format, int bits, int quality, bool multiPage,
                 bool append = false, int* fileError = nullptr);

// Copies a file byte for byte the same way (temporary file, then rename).
// Returns 0, or a system error number of ErrorNumbers.h.
int copyFileSafely(const QString& source, const QString& target);

// The first page of the file fitted within box (never enlarged), keeping the
// aspect ratio and the EXIF orientation (a TIFF's orientation tag): scaled
// in the decoder where Qt reads the format, as it is read for TIFF, by
// Magick++ otherwise. Safe to call from worker threads.
int readScaledPicture(const QString& path, const QSize& box, QImage* out, const ReadControl& control = {});

// Every read through ImageMagick is bounded by the sizes its file declares,
// checked before the work, and by its control's stop and
// abandonPictureReads, never by the machine's speed; one still at work
// kMagickReadGuardMs (PictureLimits.h) after its control's start, on the
// steady clock, is given up with Failure.
//
// Abandons the reads through ImageMagick going on now, wherever they run
// (they fail with Failure at their next step), so that closing the program
// never waits for one; the reads started after it go on as ever.
void abandonPictureReads();

// Qt refuses pictures above this many megabytes; raised for large photos.
constexpr int kAllocationLimitMb = 1024;
// Whether a picture of this size may be made and written: within
// ImageMagick's width and height limits and the readers' memory limit. It
// never loads ImageMagick (MagickPolicy.h tells its limits).
bool withinImagingLimits(int width, int height);
// 0 when ImageMagick reads a page of this size, else what it refuses it
// with before any work: InvalidSize past its width or height limit,
// NoMemory for more pixels than its pixel cache holds. It loads ImageMagick.
int magickPageRefusal(const QSize& size);
void setUpImageReaders();
// Makes Magick++ ready, once per process.
void ensureMagick();

} // namespace platform
