#pragma once
// ImageMagick reads and writes the picture formats Qt does not, and fits
// palettes to pictures. It and the libraries it pulls in (MagickCore,
// MagickWand, Magick++, fftw3, lqr, lcms2, xml2, gomp ...) are not loaded
// when the program starts: every call of theirs is in a plug-in of ours
// ("liblumivex_magick.so" beside the executable), loaded with the first
// picture that needs it. Pictures Qt reads never load it.
//
// The plug-in fills the table below from this header, so both sides agree on
// every call; it needs nothing of the program but Qt.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <stop_token>

namespace platform {

struct PictureData;
struct ReadControl;

// The compression ImageMagick found in a file, as far as the file format
// codes tell it apart (TIFF with LZW, TIFF with CCITT fax coding).
enum class MagickCompression { Other, Lzw, Fax };

// How pages are written: the coder ("TIFF", "PCX", "SUN" ...) and what the
// format asks of them.
struct MagickWrite {
    const char* coder = "";
    bool tiff = false;    // TIFF: uncompressed, or Group 4 when group4
    bool group4 = false;
    bool bilevel = false; // the format holds black and white only
};

// What bounds one read beside the sizes checked before it: ImageMagick's
// coders may turn a file of a few hundred bytes into a picture of millions
// of pixels, and work on it for minutes. A read whose control asks it to
// stop, that is abandoned, or that is still at work past its last guard on
// time, ends at its next step (ImageMagick reports its progress often) and
// fails. Each step is told to the control as it comes.
struct MagickBounds {
    const ReadControl* control = nullptr;             // the caller's: its stop and its progress callback
    std::chrono::steady_clock::time_point deadline{}; // past it the read is given up
    std::stop_token abandoned;                        // asked to stop: every read going on is abandoned
};

// What a page's header tells of it without its pixels: its size, the bits
// a pixel stores and the colours of its palette (0 for direct colour), its
// resolution in dots per inch (0 when the file holds none), and its
// compression.
struct MagickFacts {
    quint64 width = 0, height = 0;
    int bits = 0, paletteSize = 0;
    int xRes = 0, yRes = 0;
    MagickCompression compression = MagickCompression::Other;
};

struct MagickFunctions {
    // Readies ImageMagick; called once, before anything else.
    void (*initialize)();
    // Reads the pages of bytes with the coder named (never asking the data
    // what it is) into out, as readPicture does (page: 1 = the first, a page
    // past the end falls back to 1; pages: 1, or -1 = all from page on);
    // firstOnly: the file's first image is the whole picture (Photoshop
    // layers are no pages). out->format is left for the caller. 0 or an
    // imaging error code: before any work, InvalidSize for a page wider or
    // higher than ImageMagick's limits, NoMemory for pages of more pixels
    // than its pixel cache holds; Failure for a read stopped, abandoned or
    // past its time.
    int (*read)(const QByteArray& bytes, const char* coder, bool firstOnly, int page, int pages, PictureData* out,
                MagickCompression* compression, const MagickBounds& bounds);
    // The facts of the data's first page (of every page when everyPage),
    // as the coder named finds them in its header, its pixels not decoded;
    // bounded as read is. 0 or an imaging error code: InvalidSize for a
    // page wider or higher than ImageMagick's limits (a picture too large
    // for its pixel cache is told all the same).
    int (*ping)(const QByteArray& bytes, const char* coder, bool everyPage, QList<MagickFacts>* out,
                const MagickBounds& bounds);
    // The first page fitted within box (never enlarged), turned as its
    // orientation says; bounded as read is.
    int (*readScaled)(const QByteArray& bytes, const char* coder, const QSize& box, QImage* out,
                      const MagickBounds& bounds);
    // Encodes the pages into one file (one page unless the coder holds
    // several); bits[i]: the stored bits per pixel of page i (1, 4, 8, 24, 32).
    int (*encode)(const QList<QImage>& pages, const QList<int>& bits, const MagickWrite& how, QByteArray* out);
    // 0 when read takes a page of this size, else what it refuses it with
    // before any work (InvalidSize, NoMemory).
    int (*pageRefusal)(quint64 width, quint64 height);
    // ImageMagick's width and height limits as it holds to them (the
    // smaller of its policy's and the program's, kMagickMaxSide).
    void (*sizeLimits)(quint64* width, quint64* height);
    // A palette of at most colours entries fitted to the picture.
    int (*fitPalette)(const QImage& picture, int colours, QList<QRgb>* out);
};

// The plug-in's functions, loaded and ImageMagick readied with the first
// call (from any thread); nullptr when the plug-in or ImageMagick cannot be
// loaded, and error then says why.
const MagickFunctions* magickFunctions(QString* error = nullptr);
// Whether ImageMagick has been loaded in this process.
bool magickLoaded();

} // namespace platform
