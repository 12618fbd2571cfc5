#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureMemory.h"
#include "platform/core/LibraryLoad.h"
#include "platform/pictures/MagickCodec.h"
#include "platform/pictures/MagickPolicy.h"
#include "platform/pictures/PictureLimits.h"

#include "platform/core/ErrorNumbers.h"
#include "platform/core/ReadAt.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureOps.h"
#include "platform/pictures/PictureParts.h"
#include "platform/pictures/TiffReader.h"
#include "platform/text/TextFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>

#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace platform {
namespace {

// ---------------------------------------------------------------- tables

struct FormatRow {
    const char* ext;
    int format;
    Decoder decoder;
    const char* coder; // Qt format or Magick coder
};

const FormatRow kFormats[] = {
    {"JPG", fmt::Jpeg, Decoder::Qt, "jpeg"},    {"JPE", fmt::Jpeg, Decoder::Qt, "jpeg"},
    {"JPEG", fmt::Jpeg, Decoder::Qt, "jpeg"},   {"PNG", fmt::Png, Decoder::Qt, "png"},
    {"BMP", fmt::Bmp, Decoder::Qt, "bmp"},      {"GIF", fmt::Gif, Decoder::Qt, "gif"},
    {"ICO", fmt::Ico, Decoder::Qt, "ico"},      {"CUR", fmt::Cur, Decoder::Qt, "cur"},
    {"XPM", fmt::Xpm, Decoder::Qt, "xpm"},      {"PBM", fmt::Pbm, Decoder::Qt, "pbm"},
    {"TIFF", fmt::Tif, Decoder::Tiff, ""},      {"TIF", fmt::Tif, Decoder::Tiff, ""},
    {"MPT", fmt::Tif, Decoder::Tiff, ""},       {"PCX", fmt::Pcx, Decoder::Magick, "PCX"},
    {"DCX", fmt::Dcx, Decoder::Magick, "DCX"},  {"PCD", fmt::Pcd, Decoder::Magick, "PCD"},
    {"FAX", fmt::FaxGroup3, Decoder::Magick, "FAX"},  {"CUT", fmt::Cut, Decoder::Magick, "CUT"},
    {"PSD", fmt::Psd, Decoder::Magick, "PSD"},  {"TGA", fmt::Tga, Decoder::Magick, "TGA"},
    {"RAS", fmt::Ras, Decoder::Magick, "SUN"},  {"WPG", fmt::Wpg, Decoder::Magick, "WPG"},
    {"PCT", fmt::Pct, Decoder::Magick, "PICT"}, {"XWD", fmt::Xwd, Decoder::Magick, "XWD"},
    {"SGI", fmt::Sgi, Decoder::Magick, "SGI"},  {"CAL", fmt::Cal, Decoder::Magick, "CALS"},
    {"MAC", fmt::Mac, Decoder::Magick, "MAC"},  {"WMF", fmt::Wmf, Decoder::Magick, "WMF"},
    {"EPS", fmt::Eps, Decoder::Magick, "EPS"},  {"JBG", fmt::Jbg, Decoder::Magick, "JBIG"},
    {"FLC", fmt::Flc, Decoder::Flic, ""},       {"FLI", fmt::Fli, Decoder::Flic, ""},
    {"ANI", fmt::Ani, Decoder::Ani, ""},
    // Known, but there is no reader for them here.
    {"CMP", fmt::Cmp, Decoder::None, ""},       {"AWD", fmt::Awd, Decoder::None, ""},
    {"FPX", fmt::Fpx, Decoder::None, ""},       {"EMF", fmt::Emf, Decoder::None, ""},
    {"IFF", fmt::Iff, Decoder::None, ""},       {"CLP", fmt::Clp, Decoder::None, ""},
    {"ICA", fmt::Ica, Decoder::None, ""},       {"IMG", fmt::Img, Decoder::None, ""},
    {"MSP", fmt::Msp, Decoder::None, ""},
};

const FormatRow* rowForExt(const QString& ext)
{
    for (const FormatRow& r : kFormats)
        if (ext == QLatin1String(r.ext))
            return &r;
    return nullptr;
}

// TIFF pages whose samples libtiff's RGBA interface does not take (floating
// point, 32 bits a sample) are read by ImageMagick, as every TIFF once was.
constexpr FormatRow kTiffThroughMagick{"TIF", fmt::Tif, Decoder::Magick, "TIFF"};

// The row ImageMagick reads a file of the extension by, if it reads it.
const FormatRow* magickRowFor(const QString& ext)
{
    const FormatRow* row = rowForExt(ext);
    if (row && row->decoder == Decoder::Tiff)
        return &kTiffThroughMagick;
    return row && row->decoder == Decoder::Magick ? row : nullptr;
}

struct WriterRow {
    int format;
    const char* coder; // "" = Qt's JPEG writer
    const char* ext;
    bool multiPage;
};

const WriterRow kWriters[] = {
    {fmt::Jpeg, "", "JPG", false},     {fmt::Png, "PNG", "PNG", false},   {fmt::Bmp, "BMP3", "BMP", false},
    {fmt::Tif, "TIFF", "TIF", true},   {fmt::Pcx, "PCX", "PCX", false},   {fmt::Dcx, "DCX", "DCX", true},
    {fmt::Pcd, "PCD", "PCD", false},   {fmt::Fax, "FAX", "FAX", false},   {fmt::Xpm, "XPM", "XPM", false},
    {fmt::Pbm, "PBM", "PBM", false},   {fmt::Psd, "PSD", "PSD", false},   {fmt::Tga, "TGA", "TGA", false},
    {fmt::Ras, "SUN", "RAS", false},   {fmt::Pct, "PICT", "PCT", false},  {fmt::Xwd, "XWD", "XWD", false},
    {fmt::Sgi, "SGI", "SGI", false},   {fmt::Cal, "CALS", "CAL", false},  {fmt::Ico, "ICO", "ICO", false},
    {fmt::Cur, "CUR", "CUR", false},   {fmt::Jbg, "JBIG", "JBG", false},  {fmt::FaxGroup3, "FAX", "FAX", false},
    {fmt::Cals, "CALS", "CAL", false},
};

const WriterRow* writerFor(int format)
{
    for (const WriterRow& w : kWriters)
        if (w.format == format)
            return &w;
    return nullptr;
}

// The format code of what was read: the extension's code, told apart further
// by the header (head: the file's first bytes) or by the compression
// ImageMagick found (Other when Qt read it).
int refinedFormat(int format, const QByteArray& head, MagickCompression compression)
{
    switch (format) {
    case fmt::Jpeg: {
        // A JFIF marker (APP0) makes it JFIF; an Exif APP1 without one makes it Exif.
        const bool jfif = head.size() > 10 && head.mid(6, 4) == "JFIF";
        const qsizetype exif = head.indexOf("Exif");
        return !jfif && exif >= 0 && exif < 16 ? fmt::ExifJpeg : fmt::Jpeg;
    }
    case fmt::Bmp: {
        const int compression = head.size() >= 34 ? int(quint8(head[30])) : 0;
        return compression == 1 || compression == 2 ? fmt::BmpRle : fmt::Bmp;
    }
    case fmt::Tif:
        if (compression == MagickCompression::Lzw)
            return fmt::TifLzw;
        if (compression == MagickCompression::Fax)
            return fmt::TifCcitt;
        return fmt::Tif;
    case fmt::Pbm:
        if (head.size() >= 2 && head[0] == 'P') {
            switch (head[1]) {
            case '1': return fmt::PbmAscii;
            case '2': return fmt::PgmAscii;
            case '3': return fmt::PpmAscii;
            case '5': return fmt::Pgm;
            case '6': return fmt::Ppm;
            default: break;
            }
        }
        return fmt::Pbm;
    default: return format;
    }
}

constexpr int kHeadBytes = 64;

// ---------------------------------------------------------------- Qt

int qtError(QImageReader::ImageReaderError e)
{
    switch (e) {
    case QImageReader::FileNotFoundError: return err::FileNotFound;
    case QImageReader::DeviceError: return err::FileRead;
    default: return err::InvalidFormat;
    }
}

qint64 frameBytes(const QSize& size) { return size.isValid() ? qint64(size.width()) * size.height() * 4 : 0; }

// A frame delay in milliseconds, rounded: at least 1, at most an hour.
int delayMs(double ms) { return clampToInt(ms + 0.5, 1, kMaxDelayMs); }

quint32 le32(const char* p)
{
    return quint32(uchar(p[0])) | quint32(uchar(p[1])) << 8 | quint32(uchar(p[2])) << 16 | quint32(uchar(p[3])) << 24;
}

quint16 le16(const char* p) { return quint16(uchar(p[0]) | uchar(p[1]) << 8); }

// True when a BMP's header promises more pixel data than the file holds
// (uncompressed rows only; damaged RLE data is the decoder's to find). Qt's
// reader would return such a picture as read, its missing rows undefined
// (and would first make room for all of them: gigabytes for a small file).
bool bmpShorterThanDeclared(const QByteArray& head, qint64 fileSize)
{
    if (head.size() < 30 || !head.startsWith("BM"))
        return false;
    const char* h = head.constData();
    const qint64 offset = le32(h + 10);
    const quint32 headerSize = le32(h + 14);
    qint64 width = 0, height = 0, bits = 0, compression = 0;
    if (headerSize == 12) {
        width = le16(h + 18);
        height = le16(h + 20);
        bits = le16(h + 24);
    } else if (headerSize >= 40 && head.size() >= 34) {
        width = qint32(le32(h + 18));
        height = qint32(le32(h + 22));
        bits = le16(h + 28);
        compression = le32(h + 30);
    } else {
        return false;
    }
    if (width <= 0 || height == 0 || bits <= 0 || bits > 32 || (compression != 0 && compression != 3 && compression != 6))
        return false;
    // Some writers leave out the padding of the last row: that much may be missing.
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    return offset + rowBytes * (std::abs(height) - 1) + (width * bits + 7) / 8 > fileSize;
}

// format: the extension's format code.
int readWithQt(QImageReader& reader, int format, int page, int pages, PictureData* out)
{
    const QByteArray head = reader.device() ? reader.device()->peek(kHeadBytes) : QByteArray();
    if (!reader.canRead())
        return reader.error() == QImageReader::FileNotFoundError ? err::FileNotFound : err::InvalidFormat;
    if (reader.format() == "bmp" && reader.device() && bmpShorterThanDeclared(head, reader.device()->size()))
        return err::FileRead;
    const QSize size = reader.size();
    if (tooLarge(size))
        return err::NoMemory;
    int count = reader.imageCount();
    if (count < 1)
        count = 1;
    if (page < 1 || page > count)
        page = 1;
    // Every frame of an animation is a whole picture of its screen size.
    if (pages == -1 && frameBytes(size) * (count - page + 1) > kMaxFramesBytes)
        return err::NoMemory;
    PictureData d;
    d.pageCount = count;
    d.firstPage = page;
    qint64 held = 0;
    for (int i = 1; i <= count; ++i) {
        QImage img;
        // A photo decodes into memory that takes huge pages (the JPEG reader
        // fills a picture of its own size and format that it is handed).
        if (count == 1 && reader.format() == "jpeg" && !reader.scaledSize().isValid() &&
            (reader.imageFormat() == QImage::Format_RGB32 || reader.imageFormat() == QImage::Format_Grayscale8))
            img = largePicture(size, reader.imageFormat());
        if (!reader.read(&img)) {
            if (i < page || d.frames.isEmpty())
                return qtError(reader.error());
            break; // a damaged later frame ends the animation there
        }
        if (i < page)
            continue;
        held += img.sizeInBytes();
        if (held > kMaxFramesBytes)
            return err::NoMemory; // never a part of the frames as if it were all
        d.frames << img;
        d.delays << std::max(0, reader.nextImageDelay());
        if (pages != -1 || !reader.canRead())
            break;
    }
    if (d.frames.isEmpty())
        return err::InvalidFormat;
    const QImage& first = d.frames.first();
    d.bits = bitsOfImage(first);
    d.paletteSize = first.format() == QImage::Format_Indexed8 ? int(first.colorCount()) : 0;
    d.format = refinedFormat(format, head, MagickCompression::Other);
    d.xRes = int(first.dotsPerMeterX() * 0.0254 + 0.5);
    d.yRes = int(first.dotsPerMeterY() * 0.0254 + 0.5);
    *out = std::move(d);
    return 0;
}

// ---------------------------------------------------------------- ImageMagick

// The stop of the reads started since abandonPictureReads was last called.
std::mutex g_abandonLock;
std::stop_source g_abandon;

MagickBounds boundsOfARead(const ReadControl& control)
{
    MagickBounds b;
    b.control = &control;
    b.deadline = control.started + std::chrono::milliseconds(kMagickReadGuardMs);
    const std::lock_guard lock(g_abandonLock);
    b.abandoned = g_abandon.get_token();
    return b;
}

// The most pixels a WordPerfect bitmap may have, and the most once
// ImageMagick's reader has turned it by the angle its record gives. Its
// reader fills a bitmap's pixels, and turns them (a resampling of every
// pixel, a quarter of a second a million pixels), without stopping when
// asked; past ImageMagick's memory it does so on its disk. A file of a few
// dozen bytes can declare 16000 x 4000 pixels, and 183 bytes a bitmap of
// 16000 x 1 turned by 10 degrees: 44 million pixels.
constexpr qint64 kMaxWpgPixels = 16000000;
constexpr qint64 kMaxTurnedWpgPixels = 4000000;

// Whether a WordPerfect (level 1) picture holds a bitmap past those limits;
// its records are walked as ImageMagick's reader walks them.
bool wpgTooLarge(const QByteArray& bytes)
{
    const qint64 n = bytes.size();
    const char* b = bytes.constData();
    if (n < 16 || std::memcmp(b, "\xFFWPC", 4) != 0 || uchar(b[9]) != 0x16 || le16(b + 10) != 1)
        return false;
    qint64 pos = le32(b + 4);
    while (pos >= 0 && pos + 2 <= n) {
        const uchar type = uchar(b[pos]);
        qint64 length = uchar(b[pos + 1]);
        qint64 data = pos + 2;
        if (length == 0xFF) { // a longer length: 16 bits, or 31 when its top bit is set
            if (data + 2 > n)
                break;
            length = le16(b + data);
            data += 2;
            if (length >= 0x8000) {
                if (data + 2 > n)
                    break;
                length = (length & 0x7FFF) << 16 | le16(b + data);
                data += 2;
            }
        }
        // The reader makes room for eight rows of the depth given, up to
        // 65535 bits a pixel: a row of a few thousand pixels is 100 MB.
        if (type == 0x0B && data + 6 <= n &&
            (qint64(le16(b + data)) * le16(b + data + 2) > kMaxWpgPixels || le16(b + data + 4) > 24))
            return true;
        if (type == 0x14 && data + 16 <= n) { // a bitmap with a turn
            if (le16(b + data + 14) > 24)
                return true;
            const int degrees = le16(b + data) & 0x0FFF;
            const double w = le16(b + data + 10), h = le16(b + data + 12);
            const double a = degrees * M_PI / 180.0;
            const double c = std::abs(std::cos(a)), s = std::abs(std::sin(a));
            if (w * h > double(kMaxWpgPixels) ||
                (degrees % 90 != 0 && (w * c + h * s + 2) * (w * s + h * c + 2) > double(kMaxTurnedWpgPixels)))
                return true;
        }
        pos = data + length;
    }
    return false;
}

// ImageMagick's functions for bytes of row's format, or nullptr and what
// refuses them before ImageMagick is given them (*refusal).
const MagickFunctions* magickFor(const QByteArray& bytes, const FormatRow& row, int* refusal)
{
    if (bytes.isEmpty())
        *refusal = err::InvalidFormat;
    else if (row.format == fmt::Wpg && wpgTooLarge(bytes))
        *refusal = err::NoMemory;
    else if (const MagickFunctions* magick = magickFunctions())
        return magick;
    else
        *refusal = err::FormatNotAvailable;
    return nullptr;
}

int readDcxPages(const QByteArray& bytes, int page, int pages, PictureData* out, const ReadControl& control);

int readWithMagick(const QByteArray& bytes, const FormatRow& row, int page, int pages, PictureData* out,
                   const ReadControl& control)
{
    if (row.format == fmt::Dcx)
        return readDcxPages(bytes, page, pages, out, control);
    int refusal = 0;
    const MagickFunctions* magick = magickFor(bytes, row, &refusal);
    if (!magick)
        return refusal;
    // A Photoshop file's layers are not pages: its first image is the whole picture.
    PictureData d;
    MagickCompression compression = MagickCompression::Other;
    if (const int r = magick->read(bytes, row.coder, row.format == fmt::Psd, page, pages, &d, &compression,
                                   boundsOfARead(control)))
        return r;
    d.format = refinedFormat(row.format, bytes.left(kHeadBytes), compression);
    *out = std::move(d);
    return 0;
}

int readMagickScaled(const QByteArray& bytes, const FormatRow& row, const QSize& box, QImage* out,
                     const ReadControl& control)
{
    int refusal = 0;
    const MagickFunctions* magick = magickFor(bytes, row, &refusal);
    return magick ? magick->readScaled(bytes, row.coder, box, out, boundsOfARead(control)) : refusal;
}

// ---------------------------------------------------------------- headers

// The bits a PCX page stores, as its header tells them (the bits of a plane
// times its planes), and the colours of its palette: ImageMagick's ping
// stops before it reads the planes. Left as they are for a header too short.
void pcxBits(const QByteArray& head, int* bits, int* paletteSize)
{
    if (head.size() < 66)
        return;
    const int stored = int(uchar(head[3])) * int(uchar(head[65]));
    *paletteSize = 0;
    if (stored >= 24) {
        *bits = stored >= 32 ? 32 : 24;
        return;
    }
    // A black-and-white page; else a palette of 4, 16 or 256 colours.
    *bits = stored <= 1 ? 1 : stored <= 4 ? 4 : 8;
    if (stored > 1)
        *paletteSize = 1 << std::min(stored, 8);
}

// Where the pages of a multi-page PCX file (DCX) begin: its table after its
// magic number, up to the first 0 (at most 1023 pages).
QList<qint64> dcxPages(const QByteArray& bytes)
{
    QList<qint64> pages;
    if (bytes.size() < 8 || le32(bytes.constData()) != 987654321u)
        return pages;
    for (qint64 at = 4; at + 4 <= bytes.size() && pages.size() < 1023; at += 4) {
        const quint32 offset = le32(bytes.constData() + at);
        if (offset == 0)
            break;
        pages << qint64(offset);
    }
    return pages;
}

// The pages of a DCX from page on (pages: 1, or -1 = all from page on):
// each the PCX picture its table points at, read as such. ImageMagick's
// reader of DCX files reads them from their first page on, whatever page
// it is asked for.
int readDcxPages(const QByteArray& bytes, int page, int pages, PictureData* out, const ReadControl& control)
{
    const QList<qint64> offsets = dcxPages(bytes);
    const FormatRow* pcx = rowForExt(QStringLiteral("PCX"));
    if (offsets.isEmpty() || !pcx)
        return err::InvalidFormat;
    const int count = int(offsets.size());
    if (page < 1 || page > count)
        page = 1;
    PictureData d;
    qint64 held = 0;
    for (int p = page; p <= (pages == -1 ? count : page); ++p) {
        const qint64 at = offsets.at(p - 1), end = p < count ? offsets.at(p) : bytes.size();
        if (at < 8 || at >= bytes.size() || end <= at || end > bytes.size())
            return err::InvalidFormat;
        PictureData one;
        const QByteArray pageBytes = QByteArray::fromRawData(bytes.constData() + at, end - at);
        if (const int r = readWithMagick(pageBytes, *pcx, 1, 1, &one, control))
            return r;
        held += one.frames.first().sizeInBytes();
        if (held > kMaxFramesBytes)
            return err::NoMemory;
        if (d.frames.isEmpty()) {
            d = one;
            d.frames.clear();
            d.delays.clear();
        }
        d.frames << one.frames.first();
        d.delays << 0;
    }
    d.format = fmt::Dcx;
    d.pageCount = count;
    d.firstPage = page;
    *out = std::move(d);
    return 0;
}

// The facts of a black-and-white page that ImageMagick pings by decoding
// it (its CALS and JBIG coders hand the pixels to their decoders at once):
// a CALS raster tells its size and density in the records of its header,
// a one-plane JBIG its size in its first 20 bytes (read at 300 dots per
// inch, as ImageMagick reads it). False when the header does not tell them.
bool bilevelHeader(const QByteArray& bytes, int format, MagickFacts* out)
{
    MagickFacts f;
    f.bits = 1;
    if (format == fmt::Cal) {
        unsigned long width = 0, height = 0, density = 0;
        for (qsizetype at = 0; at < 16 * 128 && at + 128 <= bytes.size(); at += 128) {
            const QByteArray record = bytes.mid(at, 128);
            if (record.left(8).toLower() == "rpelcnt:")
                std::sscanf(record.constData() + 8, "%lu,%lu", &width, &height);
            else if (record.left(8).toLower() == "rdensty:")
                std::sscanf(record.constData() + 8, "%lu", &density);
        }
        f.width = width;
        f.height = height;
        f.xRes = f.yRes = clampToInt(double(density), 0, 1000000);
        f.compression = MagickCompression::Fax;
    } else if (format == fmt::Jbg && bytes.size() >= 20 && bytes[2] == 1) {
        const auto be32 = [&](int at) { return qFromBigEndian<quint32>(bytes.constData() + at); };
        f.width = be32(4);
        f.height = be32(8);
        f.xRes = f.yRes = 300;
    }
    if (f.width == 0 || f.height == 0)
        return false;
    *out = f;
    return true;
}

// The facts of a page of bytes read as row's format, from its header alone
// (see readPictureHeaderBytes).
int pingMagick(const QByteArray& bytes, const FormatRow& row, int page, PictureInfo* out, const ReadControl& control,
               qint64 sizeDisk)
{
    int refusal = 0;
    const MagickFunctions* magick = magickFor(bytes, row, &refusal);
    if (!magick)
        return refusal;
    // A DCX's page is pinged as the PCX it holds; a TIFF's pages are
    // counted by a ping of them all (ImageMagick's TIFF coder reads their
    // directories alone); the other formats hold one page here.
    QByteArray pageBytes = bytes;
    const char* coder = row.coder;
    const bool everyPage = row.format == fmt::Tif;
    int pages = 1;
    if (row.format == fmt::Dcx) {
        const QList<qint64> offsets = dcxPages(bytes);
        pages = std::max<int>(1, int(offsets.size()));
        if (page < 1 || page > pages)
            page = 1;
        const qint64 at = offsets.value(page - 1, 0);
        if (at >= bytes.size())
            return err::InvalidFormat;
        pageBytes = QByteArray::fromRawData(bytes.constData() + at, bytes.size() - at);
        coder = "PCX";
    }
    QList<MagickFacts> facts;
    MagickFacts bilevel;
    if (bilevelHeader(bytes, row.format, &bilevel)) {
        if (magick->pageRefusal(bilevel.width, bilevel.height) == err::InvalidSize)
            return err::InvalidSize;
        facts << bilevel;
    } else if (const int r = magick->ping(pageBytes, coder, everyPage, &facts, boundsOfARead(control))) {
        return r;
    }
    if (facts.isEmpty())
        return err::InvalidFormat;
    if (everyPage)
        pages = int(facts.size());
    if (page < 1 || page > pages)
        page = 1;
    const MagickFacts& f = everyPage ? facts.at(page - 1) : facts.first();
    if (f.width == 0 || f.height == 0)
        return err::InvalidFormat;
    PictureData d;
    d.bits = f.bits;
    d.paletteSize = f.paletteSize;
    if (row.format == fmt::Pcx || row.format == fmt::Dcx)
        pcxBits(pageBytes.left(128), &d.bits, &d.paletteSize);
    if (row.format == fmt::Wmf) { // a metafile is drawn over transparency
        d.bits = 32;
        d.paletteSize = 0;
    }
    d.format = refinedFormat(row.format, bytes.left(kHeadBytes), f.compression);
    d.pageCount = pages;
    d.firstPage = page;
    d.xRes = f.xRes;
    d.yRes = f.yRes;
    *out = infoOfSize(QSize(int(f.width), int(f.height)), d, sizeDisk);
    return 0;
}

// ---------------------------------------------------------------- FLIC

struct MemoryReader {
    const QByteArray* data;
    qint64 pos = 0;
};

int memRead(void* opaque, uint8_t* buf, int size)
{
    auto* r = static_cast<MemoryReader*>(opaque);
    const qint64 left = r->data->size() - r->pos;
    if (left <= 0)
        return AVERROR_EOF;
    const int n = int(std::min<qint64>(left, size));
    std::memcpy(buf, r->data->constData() + r->pos, size_t(n));
    r->pos += n;
    return n;
}

int64_t memSeek(void* opaque, int64_t offset, int whence)
{
    auto* r = static_cast<MemoryReader*>(opaque);
    const qint64 size = r->data->size();
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return size;
    case SEEK_SET: r->pos = offset; break;
    case SEEK_CUR: r->pos += offset; break;
    case SEEK_END: r->pos = size + offset; break;
    default: return -1;
    }
    r->pos = std::clamp<qint64>(r->pos, 0, size);
    return r->pos;
}

struct FlicDecoder {
    AVIOContext* io = nullptr;
    AVFormatContext* fmt = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* sws = nullptr;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    ~FlicDecoder()
    {
        sws_freeContext(sws);
        av_frame_free(&frame);
        av_packet_free(&pkt);
        avcodec_free_context(&codec);
        if (fmt)
            avformat_close_input(&fmt);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }
};

// The file with every chunk after the header cut to the bytes that follow
// it: the demuxer makes room for as many bytes as a chunk claims, so a small
// file whose chunk claims gigabytes would have it reserve them in vain.
QByteArray flicWithHonestChunks(const QByteArray& bytes)
{
    QByteArray fixed = bytes;
    const qint64 n = fixed.size();
    qint64 pos = 128;
    while (pos + 6 <= n) {
        const qint64 size = le32(fixed.constData() + pos);
        if (size < 6)
            break; // the demuxer stops here as well
        if (size > n - pos) {
            const quint32 cut = quint32(n - pos);
            for (int i = 0; i < 4; ++i)
                fixed[pos + i] = char(cut >> (8 * i) & 0xFF);
            break;
        }
        pos += size;
    }
    return fixed;
}

// Opens the demuxer over the reader's bytes and the decoder of its picture
// stream; 0, or the error.
int openFlic(FlicDecoder& dec, MemoryReader* reader, int* streamIndex)
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(4096));
    dec.io = avio_alloc_context(buffer, 4096, 0, reader, memRead, nullptr, memSeek);
    dec.fmt = avformat_alloc_context();
    if (!dec.io || !dec.fmt)
        return err::NoMemory;
    dec.fmt->pb = dec.io;
    dec.fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    const AVInputFormat* flic = av_find_input_format("flic");
    if (!flic || avformat_open_input(&dec.fmt, nullptr, flic, nullptr) < 0) {
        dec.fmt = nullptr; // freed by the failed open
        return err::InvalidFormat;
    }
    *streamIndex = -1;
    for (unsigned i = 0; i < dec.fmt->nb_streams; ++i)
        if (dec.fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            *streamIndex = int(i);
    if (*streamIndex < 0)
        return err::InvalidFormat;
    const AVStream* st = dec.fmt->streams[*streamIndex];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec)
        return err::FormatNotAvailable;
    dec.codec = avcodec_alloc_context3(codec);
    if (!dec.codec || avcodec_parameters_to_context(dec.codec, st->codecpar) < 0 ||
        avcodec_open2(dec.codec, codec, nullptr) < 0)
        return err::InvalidFormat;
    if (tooLarge(QSize(dec.codec->width, dec.codec->height)))
        return err::NoMemory;
    return 0;
}

// The frames decoded so far as 32-bit pictures with their delays; all frames
// together are held to the cap on a picture's frames.
struct FlicFrames {
    QList<QImage> frames;
    QList<int> delays;
    qint64 bytesHeld = 0;
    bool failed = false;

    void take(FlicDecoder& dec, const AVStream* st, int defaultDelay)
    {
        while (!failed && avcodec_receive_frame(dec.codec, dec.frame) == 0) {
            const int w = dec.frame->width, h = dec.frame->height;
            QImage img(w, h, QImage::Format_RGB32);
            dec.sws = img.isNull() ? dec.sws
                                   : sws_getCachedContext(dec.sws, w, h, AVPixelFormat(dec.frame->format), w, h,
                                                          AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
            if (img.isNull() || !dec.sws) {
                failed = true;
                return;
            }
            uint8_t* dst[4] = {img.bits(), nullptr, nullptr, nullptr};
            int dstStride[4] = {int(img.bytesPerLine()), 0, 0, 0};
            sws_scale(dec.sws, dec.frame->data, dec.frame->linesize, 0, h, dst, dstStride);
            frames << img;
            int delay = defaultDelay;
            if (dec.frame->pkt_duration > 0)
                delay = delayMs(double(dec.frame->pkt_duration) * av_q2d(st->time_base) * 1000);
            delays << delay;
            bytesHeld += img.sizeInBytes();
            if (bytesHeld > kMaxFramesBytes)
                failed = true;
        }
    }
};

int readFlic(const QByteArray& file, int page, int pages, PictureData* out)
{
    if (file.size() < 128)
        return err::InvalidFormat;
    if (!mediaLibrariesLoaded())
        return err::InvalidFormat;
    const QByteArray bytes = flicWithHonestChunks(file);
    MemoryReader reader{&bytes};
    FlicDecoder dec;
    if (!dec.pkt || !dec.frame)
        return err::NoMemory;
    int streamIndex = -1;
    if (const int r = openFlic(dec, &reader, &streamIndex))
        return r;
    const AVStream* st = dec.fmt->streams[streamIndex];
    int defaultDelay = 67;
    if (st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0)
        defaultDelay = delayMs(1000.0 * st->avg_frame_rate.den / st->avg_frame_rate.num);
    else if (st->r_frame_rate.num > 0 && st->r_frame_rate.den > 0)
        defaultDelay = delayMs(1000.0 * st->r_frame_rate.den / st->r_frame_rate.num);

    FlicFrames got;
    while (!got.failed && av_read_frame(dec.fmt, dec.pkt) >= 0) {
        if (dec.pkt->stream_index == streamIndex && avcodec_send_packet(dec.codec, dec.pkt) >= 0)
            got.take(dec, st, defaultDelay);
        av_packet_unref(dec.pkt);
    }
    if (!got.failed) {
        avcodec_send_packet(dec.codec, nullptr);
        got.take(dec, st, defaultDelay);
    }
    if (got.frames.isEmpty())
        return got.failed ? err::NoMemory : err::InvalidFormat;

    PictureData d;
    d.pageCount = int(got.frames.size());
    if (page < 1 || page > d.pageCount)
        page = 1;
    d.firstPage = page;
    d.frames = got.frames.mid(page - 1, pages == -1 ? -1 : 1);
    d.delays = got.delays.mid(page - 1, pages == -1 ? -1 : 1);
    d.bits = 8;
    *out = std::move(d);
    return 0;
}

// ---------------------------------------------------------------- ANI

int readAni(const QByteArray& bytes, int page, int pages, PictureData* out)
{
    const qint64 n = bytes.size();
    const char* b = bytes.constData();
    if (n < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "ACON", 4) != 0)
        return err::InvalidFormat;
    QList<QByteArray> icons;
    QList<quint32> rates, sequence;
    quint32 defaultRate = 6; // jiffies (1/60 s)
    bool flagSequence = false;

    // Walks the chunks of [begin, end), descending into LIST chunks.
    std::function<bool(qint64, qint64, int)> walk = [&](qint64 pos, qint64 end, int depth) -> bool {
        while (pos + 8 <= end) {
            const char* id = b + pos;
            const quint32 size = le32(b + pos + 4);
            const qint64 data = pos + 8;
            if (qint64(size) > end - data)
                return false;
            if (std::memcmp(id, "LIST", 4) == 0 && size >= 4 && depth < 2) {
                if (!walk(data + 4, data + size, depth + 1))
                    return false;
            } else if (std::memcmp(id, "anih", 4) == 0 && size >= 36) {
                defaultRate = le32(b + data + 28);
                flagSequence = (le32(b + data + 32) & 2) != 0;
            } else if (std::memcmp(id, "rate", 4) == 0) {
                for (quint32 i = 0; i + 4 <= size; i += 4)
                    rates << le32(b + data + i);
            } else if (std::memcmp(id, "seq ", 4) == 0) {
                for (quint32 i = 0; i + 4 <= size; i += 4)
                    sequence << le32(b + data + i);
            } else if (std::memcmp(id, "icon", 4) == 0) {
                icons << bytes.mid(data, size);
            }
            pos = data + size + (size & 1);
        }
        return true;
    };
    if (!walk(12, std::min<qint64>(n, 8 + qint64(le32(b + 4))), 0) || icons.isEmpty())
        return err::InvalidFormat;

    QList<QImage> images;
    for (const QByteArray& icon : icons) {
        QBuffer buf;
        buf.setData(icon);
        buf.open(QIODevice::ReadOnly);
        QImageReader r(&buf);
        QImage img;
        if (!r.read(&img))
            return err::InvalidFormat;
        images << img.convertToFormat(QImage::Format_ARGB32);
    }
    // Steps: the sequence when there is one, else every frame once.
    QList<int> steps;
    if (flagSequence && !sequence.isEmpty()) {
        for (quint32 s : sequence)
            if (s < quint32(images.size()))
                steps << int(s);
    }
    if (steps.isEmpty())
        for (int i = 0; i < images.size(); ++i)
            steps << i;
    PictureData d;
    d.pageCount = int(steps.size());
    if (page < 1 || page > d.pageCount)
        page = 1;
    d.firstPage = page;
    for (int s = page - 1; s < steps.size(); ++s) {
        d.frames << images.at(steps.at(s));
        const quint32 jiffies = s < rates.size() ? rates.at(s) : defaultRate;
        d.delays << clampToInt(double(std::max<qint64>(1, jiffies) * 1000 / 60), 1, kMaxDelayMs);
        if (pages != -1)
            break;
    }
    d.bits = 32;
    *out = std::move(d);
    return 0;
}

} // namespace

// ---------------------------------------------------------------- public

void setUpImageReaders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (QImageReader::allocationLimit() < kAllocationLimitMb)
            QImageReader::setAllocationLimit(kAllocationLimitMb);
    });
}

void abandonPictureReads()
{
    const std::lock_guard lock(g_abandonLock);
    g_abandon.request_stop();
    g_abandon = std::stop_source();
}

bool withinImagingLimits(int width, int height)
{
    if (width < 1 || height < 1)
        return false;
    // Its policy and environment as read from its files; once it is loaded,
    // its own limits where they are lower (they may have been lowered since
    // it started), never higher: the plug-in sets its limits whatever the
    // environment asked for.
    const QSize policy = magickSideLimits();
    quint64 maxWidth = quint64(policy.width()), maxHeight = quint64(policy.height());
    if (magickLoaded())
        if (const MagickFunctions* magick = magickFunctions()) {
            quint64 width = maxWidth, height = maxHeight;
            magick->sizeLimits(&width, &height);
            maxWidth = std::min(maxWidth, width);
            maxHeight = std::min(maxHeight, height);
        }
    if (quint64(width) > maxWidth || quint64(height) > maxHeight)
        return false;
    return !tooLarge(QSize(width, height));
}

int magickPageRefusal(const QSize& size)
{
    const MagickFunctions* magick = magickFunctions();
    return magick ? magick->pageRefusal(quint64(size.width()), quint64(size.height())) : err::FormatNotAvailable;
}

Decoder decoderFor(const QString& upperExt)
{
    const FormatRow* r = rowForExt(upperExt);
    return r ? r->decoder : Decoder::None;
}

bool readThroughMagick(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    const Decoder decoder = decoderFor(ext);
    if (decoder != Decoder::Tiff)
        return decoder == Decoder::Magick;
    TiffPage first;
    return readTiffPage(TiffInput{path, {}}, 1, &first) == err::SubTypeNotSupported;
}

int formatForExtension(const QString& upperExt)
{
    const FormatRow* r = rowForExt(upperExt);
    return r ? r->format : 0;
}

QString extensionForFormat(int format)
{
    if (const WriterRow* w = writerFor(format))
        return QString::fromLatin1(w->ext);
    for (const FormatRow& r : kFormats)
        if (r.format == format)
            return QString::fromLatin1(r.ext);
    return {};
}

int bitsOfImage(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Invalid: return 0;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8: return image.colorCount() <= 2 ? 1 : image.colorCount() <= 16 ? 4 : 8;
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_Alpha8: return 8;
    default: return image.hasAlphaChannel() ? 32 : 24;
    }
}

int readPictureBytes(const QByteArray& bytes, const QString& upperExt, int page, int pages, PictureData* out,
                     const ReadControl& control)
{
    setUpImageReaders();
    if (bytes.isEmpty())
        return err::InvalidFormat;
    const FormatRow* row = rowForExt(upperExt);
    PictureData d;
    int r = err::InvalidFormat;
    if (!row || row->decoder == Decoder::Qt) {
        QBuffer buf;
        buf.setData(bytes);
        buf.open(QIODevice::ReadOnly);
        QImageReader reader(&buf, row ? QByteArray(row->coder) : QByteArray());
        reader.setDecideFormatFromContent(true);
        r = readWithQt(reader, row ? row->format : 0, page, pages, &d);
    } else if (row->decoder == Decoder::Tiff) {
        r = readTiff(TiffInput{{}, bytes}, page, pages, &d, control.stop);
        if (r == err::SubTypeNotSupported)
            r = readWithMagick(bytes, kTiffThroughMagick, page, pages, &d, control);
    } else if (row->decoder == Decoder::Magick) {
        r = readWithMagick(bytes, *row, page, pages, &d, control);
    } else if (row->decoder == Decoder::Flic) {
        r = readFlic(bytes, page, pages, &d);
        d.format = row->format;
    } else if (row->decoder == Decoder::Ani) {
        r = readAni(bytes, page, pages, &d);
        d.format = row->format;
    } else {
        r = err::FormatNotAvailable;
    }
    if (r != 0)
        return r;
    *out = std::move(d);
    return 0;
}

namespace {

int openError(const QFile& f)
{
    if (!f.exists())
        return err::FileNotFound;
    return f.error() == QFileDevice::PermissionsError ? err::FileOpen : err::FileRead;
}

} // namespace

int readWholeFile(const QString& path, QByteArray* bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return openError(f);
    if (f.size() > qint64(kAllocationLimitMb) * 1024 * 1024)
        return err::NoMemory;
    *bytes = f.readAll();
    return bytes->size() == f.size() ? 0 : err::FileRead;
}

int readPicture(const QString& path, int page, int pages, PictureData* out, const ReadControl& control)
{
    setUpImageReaders();
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        return err::FileNotFound;
    if (fi.size() == 0)
        return err::InvalidFormat;
    const QString ext = fi.suffix().toUpper();
    const FormatRow* row = rowForExt(ext);
    if (row && row->decoder == Decoder::None)
        return err::FormatNotAvailable;
    if (row && row->decoder == Decoder::Qt) {
        // Straight from the file: no second copy of the bytes in memory.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return openError(f);
        QImageReader reader(&f, QByteArray(row->coder));
        // What the data is decides among Qt's readers (a PNG named .jpg).
        reader.setDecideFormatFromContent(true);
        return readWithQt(reader, row->format, page, pages, out);
    }
    if (row && row->decoder == Decoder::Tiff) {
        const int r = readTiff(TiffInput{path, {}}, page, pages, out, control.stop);
        if (r != err::SubTypeNotSupported)
            return r;
    }
    QByteArray bytes;
    if (const int r = readWholeFile(path, &bytes))
        return r;
    return readPictureBytes(bytes, ext, page, pages, out, control);
}

int readScaledPicture(const QString& path, const QSize& box, QImage* out, const ReadControl& control)
{
    setUpImageReaders();
    const QFileInfo fi(path);
    if (!fi.isFile())
        return err::FileNotFound;
    const QString ext = fi.suffix().toUpper();
    const FormatRow* row = rowForExt(ext);
    if (!row || row->decoder == Decoder::None)
        return err::FormatNotAvailable;
    if (row->decoder == Decoder::Qt) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return openError(f);
        QImageReader reader(&f, QByteArray(row->coder));
        reader.setAutoTransform(true);
        reader.setDecideFormatFromContent(true);
        if (reader.format() == "bmp" && bmpShorterThanDeclared(f.peek(kHeadBytes), f.size()))
            return err::FileRead;
        // Only the JPEG reader decodes at a smaller size. The others decode
        // the whole picture and scale it after, a palette picture into a
        // dithered palette of its own: those are read whole and scaled here,
        // in full colour.
        const QSize size = reader.size();
        if (size.isValid() && reader.format() == "jpeg") {
            const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
            const QSize shown = turned ? size.transposed() : size;
            const QSize fit = fitWithin(shown, box);
            if (fit != shown)
                reader.setScaledSize(turned ? fit.transposed() : fit);
        }
        QImage img = reader.read();
        if (img.isNull())
            return qtError(reader.error());
        const QSize fit = fitWithin(img.size(), box);
        *out = fit == img.size() ? std::move(img) : ops::shrunk(img, fit);
        return 0;
    }
    if (row->decoder == Decoder::Tiff) {
        const int r = readTiffScaled(TiffInput{path, {}}, box, out, control.stop);
        if (r != err::SubTypeNotSupported)
            return r;
    }
    QByteArray bytes;
    if (const int r = readWholeFile(path, &bytes))
        return r;
    if (const FormatRow* magick = magickRowFor(ext))
        return readMagickScaled(bytes, *magick, box, out, control);
    // Animations: their first frame.
    PictureData d;
    if (const int r = readPictureBytes(bytes, ext, 1, 1, &d, control))
        return r;
    const QImage& first = d.frames.first();
    const QSize fit = fitWithin(first.size(), box);
    *out = fit == first.size() ? first : ops::shrunk(first, fit);
    return 0;
}

PictureInfo infoOf(const PictureData& d, qint64 sizeDisk)
{
    if (d.frames.isEmpty())
        return {};
    return infoOfSize(d.frames.first().size(), d, sizeDisk);
}

int formatFromHeader(int format, const QByteArray& head) { return refinedFormat(format, head, MagickCompression::Other); }

PictureInfo infoOfSize(const QSize& size, const PictureData& d, qint64 sizeDisk)
{
    PictureInfo info;
    info.width = size.width();
    info.height = size.height();
    info.bits = d.bits;
    info.format = d.format;
    info.pageCount = d.pageCount;
    info.page = d.firstPage;
    info.sizeDisk = sizeDisk;
    info.xRes = d.xRes > 0 ? d.xRes : 96;
    info.yRes = d.yRes > 0 ? d.yRes : 96;
    info.sizeMem = (qint64(info.width) * d.bits + 31) / 32 * 4 * info.height;
    info.colors = d.paletteSize > 0 ? d.paletteSize : qint64(1) << std::min(d.bits, 24);
    return info;
}

int readPictureInfo(const QString& path, int page, PictureInfo* out)
{
    // A JPEG or PNG in direct colour tells its facts in its header (one
    // page), as does a TIFF's page.
    PartialPicture partial;
    if (openPartialPicture(path, &partial, page)) {
        *out = partial.info;
        return 0;
    }
    // So do ImageMagick's formats; but a raw fax holds no header (its
    // height is where its decode ends), and ImageMagick tells a TIFF's
    // alpha only as it reads the pixels.
    const QString ext = QFileInfo(path).suffix().toUpper();
    const int format = formatForExtension(ext);
    if (decoderFor(ext) == Decoder::Magick && format != fmt::FaxGroup3 && format != fmt::Tif)
        return readPictureHeader(path, page, out);
    // Bits, palette and resolution are known only once the page is decoded.
    PictureData d;
    const int r = readPicture(path, page, 1, &d);
    if (r != 0)
        return r;
    *out = infoOf(d, QFileInfo(path).size());
    return 0;
}

int readPictureHeaderBytes(const QByteArray& bytes, const QString& upperExt, int page, PictureInfo* out,
                           const ReadControl& control, qint64 sizeDisk)
{
    const FormatRow* row = magickRowFor(upperExt);
    if (!row)
        return err::FormatNotAvailable;
    return pingMagick(bytes, *row, page, out, control, sizeDisk < 0 ? bytes.size() : sizeDisk);
}

int readPictureHeaderFile(int fd, const QString& upperExt, int page, PictureInfo* out, const ReadControl& control)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return err::FileRead;
    const qint64 size = st.st_size;
    if (size == 0)
        return err::InvalidFormat;
    // The coders find a page's facts in its first bytes; the whole file is
    // read only for one whose coder needs more of it. The bytes are read,
    // never mapped: a file cut short by another program while it is mapped
    // would end this one.
    for (qint64 length = std::min(size, kHeaderReadBytes);; length = size) {
        // Fewer bytes: an error, or the file was cut short since it was measured.
        QByteArray bytes(length, Qt::Uninitialized);
        if (readAt(fd, bytes.data(), length, 0) != length)
            return err::FileRead;
        const int r = readPictureHeaderBytes(bytes, upperExt, page, out, control, size);
        const bool refused = r == err::InvalidSize || r == err::NoMemory || control.stop.stop_requested();
        if (r == 0 || refused || length == size)
            return r;
    }
}

int readPictureHeader(const QString& path, int page, PictureInfo* out, const ReadControl& control)
{
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        return err::FileNotFound;
    const QString ext = fi.suffix().toUpper();
    if (!readThroughMagick(path))
        return readPictureInfo(path, page, out);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return openError(f);
    return readPictureHeaderFile(f.handle(), ext, page, out, control);
}

bool formatWritable(int format) { return writerFor(format) != nullptr; }

bool formatMultiPage(int format)
{
    const WriterRow* w = writerFor(format);
    return w && w->multiPage;
}

int encodePicture(const QList<QImage>& pages, int format, int bits, int quality, bool multiPage, QByteArray* out)
{
    if (pages.isEmpty() || pages.first().isNull())
        return err::InvalidBitmap;
    if (format == fmt::Gif)
        return err::LzwNotSupported;
    const WriterRow* w = writerFor(format);
    if (!w)
        return err::FormatNotAvailable;
    if (bits != 0 && bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return err::InvalidBitsPerPixel;
    if (quality < 1 || quality > 99)
        quality = std::clamp(quality, 1, 99);
    const QImage& first = pages.first();

    if (format == fmt::Jpeg) {
        QImage img = first;
        if (bits == 8 || (bits == 0 && first.format() == QImage::Format_Grayscale8))
            img = first.convertToFormat(QImage::Format_Grayscale8);
        else if (img.hasAlphaChannel() || img.format() != QImage::Format_RGB32)
            img = first.convertToFormat(QImage::Format_RGB32);
        QBuffer buf(out);
        out->clear();
        buf.open(QIODevice::WriteOnly);
        QImageWriter writer(&buf, "jpeg");
        writer.setQuality(100 - quality);
        return writer.write(img) ? 0 : err::FileWrite;
    }

    const bool many = multiPage && w->multiPage && pages.size() > 1;
    QList<QImage> written;
    QList<int> writtenBits;
    for (const QImage& page : pages) {
        if (page.isNull())
            return err::InvalidBitmap;
        // ImageMagick asserts rather than throws on a picture past its limits.
        if (!withinImagingLimits(page.width(), page.height()))
            return err::NoMemory;
        written << page;
        writtenBits << (bits == 0 ? bitsOfImage(page) : bits);
        if (!many)
            break;
    }
    const MagickFunctions* magick = magickFunctions();
    if (!magick)
        return err::FormatNotAvailable;
    MagickWrite how;
    how.coder = w->coder;
    how.tiff = format == fmt::Tif;
    how.group4 = bits == 1;
    how.bilevel = format == fmt::Fax || format == fmt::FaxGroup3 || format == fmt::Cal || format == fmt::Cals ||
                  format == fmt::Pbm || format == fmt::Jbg;
    return magick->encode(written, writtenBits, how, out);
}

int writePicture(const QString& path, const QList<QImage>& pages, int format, int bits, int quality, bool multiPage,
                 bool append, int* fileError)
{
    if (fileError)
        *fileError = 0;
    if (path.trimmed().isEmpty())
        return err::InvalidFileName;
    const QFileInfo fi(path);
    if (fi.isDir())
        return err::InvalidFileName;
    if (!fi.absoluteDir().exists())
        return err::FileOpen;
    QList<QImage> all = pages;
    if (append && fi.exists()) {
        if (!formatMultiPage(format))
            return err::FormatNotAvailable;
        PictureData old;
        const int r = readPicture(path, 1, -1, &old);
        if (r != 0)
            return r;
        all = old.frames + pages;
        multiPage = true;
    }
    QByteArray data;
    const int r = encodePicture(all, format, bits, quality, multiPage, &data);
    if (r != 0)
        return r;
    SafeFile out(path);
    const bool opened = out.open();
    if (opened && out.write(data) && out.commit())
        return 0;
    if (fileError)
        *fileError = out.errorNumber();
    return opened ? err::FileWrite : err::FileOpen;
}

int copyFileSafely(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return in.exists() ? errorNumberFromFileError(in.error()) : int(ErrFileNotFound);
    SafeFile out(target);
    if (!out.open())
        return out.errorNumber();
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return errorNumberFromFileError(in.error());
        if (!out.write(chunk))
            return out.errorNumber();
    }
    if (in.error() != QFileDevice::NoError)
        return errorNumberFromFileError(in.error());
    if (!out.commit())
        return out.errorNumber();
    return 0;
}

} // namespace platform
