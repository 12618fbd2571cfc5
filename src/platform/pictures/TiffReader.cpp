#include "platform/pictures/TiffReader.h"

#include "platform/core/ReadAt.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/ParallelRows.h"
#include "platform/pictures/PictureLimits.h"
#include "platform/pictures/RowBoxes.h"

#include <QFile>
#include <QTransform>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "libtiff's RGBA pixels are read as red, green, blue, alpha bytes");

namespace platform {
namespace {

// ---------------------------------------------------------------- a handle on the input

// What one handle reads: the bytes in memory, or the file through pread at
// a place of its own, so that handles on one file read side by side.
struct Stream {
    const char* data = nullptr;
    int fd = -1;
    qint64 size = 0;
    qint64 pos = 0;
};

tmsize_t streamRead(thandle_t handle, void* buffer, tmsize_t n)
{
    auto* s = static_cast<Stream*>(handle);
    const qint64 want = std::clamp<qint64>(s->size - s->pos, 0, n);
    if (s->data) {
        std::memcpy(buffer, s->data + s->pos, size_t(want));
        s->pos += want;
        return tmsize_t(want);
    }
    const qint64 done = readAt(s->fd, static_cast<char*>(buffer), want, s->pos);
    s->pos += done;
    return tmsize_t(done);
}

tmsize_t streamWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t streamSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* s = static_cast<Stream*>(handle);
    const qint64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->size : -1;
    // A step back comes as its two's complement.
    const qint64 to = base + qint64(offset);
    if (base < 0 || to < 0)
        return toff_t(-1);
    s->pos = to;
    return toff_t(to);
}

int streamClose(thandle_t) { return 0; }

toff_t streamSize(thandle_t handle) { return toff_t(static_cast<Stream*>(handle)->size); }

// Bytes in memory are handed to libtiff as they are; a file is read.
int streamMap(thandle_t handle, void** base, toff_t* size)
{
    auto* s = static_cast<Stream*>(handle);
    if (!s->data)
        return 0;
    *base = const_cast<char*>(s->data);
    *size = toff_t(s->size);
    return 1;
}

void streamUnmap(thandle_t, void*, toff_t) {}

// libtiff's errors and warnings end here, each for the handle it is about:
// the read's failure tells of them.
int quietly(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// libtiff's handle on one page of the input.
class TiffFile {
public:
    TiffFile() = default;
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;
    ~TiffFile()
    {
        if (m_tif)
            TIFFClose(m_tif);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // 0, or the error of opening the input or reading its page's header.
    int open(const TiffInput& input, int page);
    // libtiff's buffer for a tile's raw bytes is rounded up in size, and an
    // uncompressed tile read through it (from a file, not from memory) is
    // then taken for damaged: such tiles are read into one of their size.
    void readTilesExactly();
    TIFF* tif() const { return m_tif; }
    int page() const { return m_page; }
    int pageCount() const { return m_pages; }

private:
    int openStream(const TiffInput& input);
    Stream m_stream;
    int m_fd = -1;
    std::vector<uint8_t> m_raw; // outlives m_tif
    TIFF* m_tif = nullptr;
    int m_page = 1, m_pages = 1;
};

void TiffFile::readTilesExactly()
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_COMPRESSION, &compression);
    const tmsize_t size = TIFFIsTiled(m_tif) ? TIFFTileSize(m_tif) : 0;
    if (m_stream.data || compression != COMPRESSION_NONE || size <= 0 || size > kTiffMaxChunkBytes)
        return;
    m_raw.resize(size_t(size));
    TIFFReadBufferSetup(m_tif, m_raw.data(), size);
}

int TiffFile::openStream(const TiffInput& input)
{
    if (input.path.isEmpty()) {
        m_stream.data = input.bytes.constData();
        m_stream.size = input.bytes.size();
        return 0;
    }
    m_fd = ::open(QFile::encodeName(input.path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return errno == ENOENT ? err::FileNotFound : err::FileOpen;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return err::FileRead;
    m_stream.fd = m_fd;
    m_stream.size = st.st_size;
    return 0;
}

int TiffFile::open(const TiffInput& input, int page)
{
    if (const int r = openStream(input))
        return r;
    if (m_stream.size < 8)
        return err::InvalidFormat;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return err::NoMemory;
    // Nothing libtiff makes room for at once may be larger than a strip or tile allowed.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kTiffMaxChunkBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietly, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietly, nullptr);
    m_tif = TIFFClientOpenExt("picture", "r", &m_stream, streamRead, streamWrite, streamSeek, streamClose, streamSize,
                              streamMap, streamUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!m_tif)
        return err::InvalidFormat;
    m_pages = int(std::clamp<tdir_t>(TIFFNumberOfDirectories(m_tif), 1, INT_MAX));
    m_page = page < 1 || page > m_pages ? 1 : page;
    if (m_page > 1 && !TIFFSetDirectory(m_tif, tdir_t(m_page - 1)))
        return err::InvalidFormat;
    return 0;
}

// ---------------------------------------------------------------- what a page declares

// How a page's pixels are decoded: in strips of rows, or in tiles.
struct Layout {
    int width = 0, height = 0;
    bool tiled = false;
    int chunkWidth = 0, chunkRows = 0; // a tile; a strip: the page's width, its rows
    bool alpha = false;
    // The alpha comes as stored, not premultiplied: libtiff hands on 8-bit
    // gray with unassociated alpha unchanged (and premultiplies it in colour).
    bool straightAlpha = false;
    // A strip's columns can be decoded apart from the rest of it (8-bit
    // samples side by side, whose skips libtiff counts in bytes).
    bool columnsFree = false;
    // A decode may start at any row (not raw subsampled YCbCr, whose rows
    // come in blocks from the start of a strip or tile).
    bool rowsFree = true;
    qint64 chunkBytes = 0; // a strip or tile decoded, every plane of it
};

// A decode of a few rows makes libtiff decode the strips or tiles they
// cross whole, or (a strip) from its start: rows are decoded this many
// pixels at a time, in whole rows of tiles, and a strip of many rows in no
// more than four decodes.
constexpr qint64 kPixelsADecode = 1024 * 1024;

// The columns decoded for a part: a strip's width, unless its columns can
// be decoded apart, or the tiles it crosses, whole (those at the right
// edge too, whose columns past the page are thrown away: libtiff mislays
// the rows of a tile cut there when its samples are not single bytes).
std::pair<int, int> decodedColumns(const Layout& l, int left, int right)
{
    if (l.tiled)
        return {left / l.chunkWidth * l.chunkWidth,
                int(std::min<qint64>(INT_MAX, (qint64(right) + l.chunkWidth - 1) / l.chunkWidth * l.chunkWidth))};
    return l.columnsFree ? std::pair(left, right) : std::pair(0, l.width);
}

// The most rows one decode asks for, `width` columns wide.
int rowsADecode(const Layout& l, int width)
{
    const int byPixels = int(std::max<qint64>(1, kPixelsADecode / std::max(1, width)));
    if (!l.rowsFree || l.tiled)
        return std::max(byPixels, l.chunkRows);
    return std::max(byPixels, (l.chunkRows + 3) / 4);
}

struct Tags {
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, compression = COMPRESSION_NONE;
    uint16_t planar = PLANARCONFIG_CONTIG, extra = 0, orientation = ORIENTATION_TOPLEFT;
    uint16_t firstExtra = EXTRASAMPLE_UNSPECIFIED; // what the first extra sample is
};

Tags readTags(TIFF* tif)
{
    Tags t;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &t.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &t.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &t.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &t.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &t.orientation);
    uint16_t* kinds = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &t.extra, &kinds);
    if (t.extra > 0 && kinds)
        t.firstExtra = kinds[0];
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &t.photometric)) {
        // As libtiff's RGBA interface takes a page that does not say.
        const bool fax = t.compression == COMPRESSION_CCITTFAX3 || t.compression == COMPRESSION_CCITTFAX4 ||
                         t.compression == COMPRESSION_CCITTRLE || t.compression == COMPRESSION_CCITTRLEW;
        t.photometric = t.samples - t.extra >= 3 ? PHOTOMETRIC_RGB
                        : fax                    ? PHOTOMETRIC_MINISWHITE
                                                 : PHOTOMETRIC_MINISBLACK;
    }
    return t;
}

// Stored bits per pixel as ImageMagick reported them: 1 black and white, 4
// or 8 a palette, 8 gray, 24 colour, 32 with alpha (any extra sample, or a
// fourth sample of RGB).
int storedBits(const Tags& t, int* paletteSize)
{
    *paletteSize = 0;
    if (t.extra > 0 || (t.photometric == PHOTOMETRIC_RGB && t.samples >= 4))
        return 32;
    if (t.photometric == PHOTOMETRIC_PALETTE) {
        *paletteSize = 1 << std::min<int>(t.bits, 16);
        return t.bits <= 1 ? 1 : t.bits <= 4 ? 4 : 8;
    }
    if (t.photometric == PHOTOMETRIC_MINISBLACK || t.photometric == PHOTOMETRIC_MINISWHITE)
        return t.bits <= 1 ? 1 : 8;
    return 24;
}

// The resolution in dots per inch (0 when the page gives none).
void readResolution(TIFF* tif, PictureData* facts)
{
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perInch = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    float x = 0, y = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x))
        facts->xRes = clampToInt(double(x) * perInch + 0.5, 0, 1000000);
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y))
        facts->yRes = clampToInt(double(y) * perInch + 0.5, 0, 1000000);
}

int formatOf(const Tags& t)
{
    switch (t.compression) {
    case COMPRESSION_LZW: return fmt::TifLzw;
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return fmt::TifCcitt;
    default: return fmt::Tif;
    }
}

// 0 when the page is within the limits, else the refusal.
int layoutRefusal(TIFF* tif, const Layout& l)
{
    if (l.width > kTiffMaxSide || l.height > kTiffMaxSide)
        return err::InvalidSize;
    if (qint64(l.width) * l.height > kTiffMaxPixels)
        return err::NoMemory;
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif, message))
        return err::SubTypeNotSupported;
    if (l.chunkBytes == 0 || l.chunkWidth < 1 || l.chunkRows < 1)
        return err::InvalidFormat;
    // What libtiff holds decoded at once, and the most 32-bit pixels one
    // decode of the whole width gives.
    const auto [left, right] = decodedColumns(l, 0, l.width);
    const qint64 columns = right - left;
    if (l.chunkBytes > kTiffMaxChunkBytes || columns * rowsADecode(l, int(columns)) * 4 > kTiffMaxChunkBytes)
        return err::NoMemory;
    return 0;
}

Layout layoutOf(TIFF* tif, const Tags& t)
{
    Layout l;
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    l.width = int(std::min<uint32_t>(width, INT_MAX));
    l.height = int(std::min<uint32_t>(height, INT_MAX));
    l.tiled = TIFFIsTiled(tif);
    uint32_t w = 0, rows = 0;
    if (l.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &rows);
    } else {
        w = width;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    }
    l.chunkWidth = int(std::min<uint32_t>(w, INT_MAX));
    l.chunkRows = int(std::clamp<uint32_t>(rows, 0, height));
    int palette = 0;
    l.alpha = storedBits(t, &palette) == 32;
    l.straightAlpha = (t.photometric == PHOTOMETRIC_MINISBLACK || t.photometric == PHOTOMETRIC_MINISWHITE) &&
                      t.planar == PLANARCONFIG_CONTIG && t.bits == 8 && t.samples == 2 &&
                      t.firstExtra == EXTRASAMPLE_UNASSALPHA;
    const uint64_t chunk = l.tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    l.chunkBytes = qint64(std::min<uint64_t>(chunk, uint64_t(1) << 62)) *
                   (t.planar == PLANARCONFIG_SEPARATE ? std::min<uint16_t>(t.samples, 4) : 1);
    const bool rawYCbCr = t.photometric == PHOTOMETRIC_YCBCR && t.compression != COMPRESSION_JPEG;
    l.rowsFree = !rawYCbCr;
    const bool oneSample = t.samples == 1 && (t.photometric == PHOTOMETRIC_MINISBLACK ||
                                              t.photometric == PHOTOMETRIC_MINISWHITE ||
                                              t.photometric == PHOTOMETRIC_PALETTE);
    const bool colour = t.photometric == PHOTOMETRIC_RGB || t.photometric == PHOTOMETRIC_SEPARATED ||
                        t.photometric == PHOTOMETRIC_CIELAB || (t.photometric == PHOTOMETRIC_YCBCR && !rawYCbCr);
    l.columnsFree = !l.tiled && t.bits == 8 && t.planar == PLANARCONFIG_CONTIG && (oneSample || colour);
    return l;
}

// The page's layout and facts, checked against the limits. 0 or the refusal.
int readFacts(const TiffFile& file, Layout* layout, TiffPage* page)
{
    TIFF* tif = file.tif();
    const Tags t = readTags(tif);
    const Layout l = layoutOf(tif, t);
    if (l.width < 1 || l.height < 1)
        return err::InvalidFormat;
    if (const int r = layoutRefusal(tif, l))
        return r;
    TiffPage p;
    p.size = QSize(l.width, l.height);
    p.orientation = t.orientation >= 1 && t.orientation <= 8 ? t.orientation : 1;
    p.facts.bits = storedBits(t, &p.facts.paletteSize);
    p.facts.format = formatOf(t);
    p.facts.pageCount = file.pageCount();
    p.facts.firstPage = file.page();
    readResolution(tif, &p.facts);
    if (layout)
        *layout = l;
    if (page)
        *page = std::move(p);
    return 0;
}

// ---------------------------------------------------------------- decoding

// libtiff's RGBA interface on one handle: the pixels as stored (the
// orientation tag is not applied), red, green, blue and alpha bytes with
// the alpha premultiplied, rows top down.
class PageDecoder {
public:
    explicit PageDecoder(TIFF* tif) : m_tif(tif) {}
    PageDecoder(const PageDecoder&) = delete;
    PageDecoder& operator=(const PageDecoder&) = delete;
    ~PageDecoder()
    {
        if (m_begun)
            TIFFRGBAImageEnd(&m_image);
    }
    bool begin(const Layout& l)
    {
        char message[1024] = "";
        // Stops at the first strip or tile that cannot be decoded.
        m_begun = TIFFRGBAImageBegin(&m_image, m_tif, 1, message) != 0;
        m_image.orientation = ORIENTATION_TOPLEFT;
        m_image.req_orientation = ORIENTATION_TOPLEFT;
        // Tiles are decoded whole, those at the right edge too (see decodedColumns).
        if (l.tiled)
            m_image.width = uint32_t(decodedColumns(l, 0, l.width).second);
        return m_begun;
    }
    // rows rows of width pixels from (left, top) into raster; false on damage.
    bool get(uint32_t* raster, int left, int top, int width, int rows)
    {
        m_image.col_offset = left;
        m_image.row_offset = top;
        return TIFFRGBAImageGet(&m_image, raster, uint32_t(width), uint32_t(rows)) != 0;
    }

private:
    TIFF* m_tif;
    TIFFRGBAImage m_image{};
    bool m_begun = false;
};

// Rows decoded, handed on: `rows` rows from row `top`, each from the part's
// first column, `stride` pixels apart.
using TakeRows = std::function<void(int top, int rows, const uint32_t* pixels, int stride)>;

// The decodes of a part's rows: a few strips or tiles at a time, `width`
// columns from `left` (see decodedColumns) into a raster of its own.
struct RowDecodes {
    PageDecoder& decoder;
    const Layout& l;
    int left, width;
    std::vector<uint32_t> raster;

    // Rows [from, to) into the raster; false on damage.
    bool get(int from, int to)
    {
        raster.resize(size_t(width) * size_t(to - from));
        return decoder.get(raster.data(), left, from, width, to - from);
    }
    // The first row a decode that holds row y starts at.
    int startFor(int y) const { return l.rowsFree ? y : y / l.chunkRows * l.chunkRows; }
};

// Damage met in the rows [y, end): they are decoded again a strip or row of
// tiles at a time, and those before the damage handed on. 0 when none is
// met this time, else FileRead, *damagedRow the first row not decoded.
int decodeUpToDamage(RowDecodes& d, int y, int end, int partLeft, const TakeRows& take, int* damagedRow)
{
    while (y < end) {
        const int from = d.startFor(y);
        const int to = std::min(d.l.height, y / d.l.chunkRows * d.l.chunkRows + d.l.chunkRows);
        if (!d.get(from, to)) {
            *damagedRow = y;
            return err::FileRead;
        }
        const int last = std::min(to, end);
        take(y, last - y, d.raster.data() + size_t(y - from) * size_t(d.width) + size_t(partLeft - d.left), d.width);
        y = last;
    }
    return 0;
}

// Decodes the rows of the part, top down, and hands them on. 0, Failure
// once a stop is asked, or FileRead when a strip or tile is damaged,
// *damagedRow the first row not decoded.
int decodeRows(PageDecoder& decoder, const Layout& l, const QRect& part, const TakeRows& take,
               const std::stop_token& stop, int* damagedRow)
{
    const auto [left, right] = decodedColumns(l, part.left(), part.right() + 1);
    RowDecodes d{decoder, l, left, right - left, {}};
    const int most = rowsADecode(l, d.width);
    for (int y = part.top(); y <= part.bottom();) {
        if (stop.stop_requested())
            return err::Failure;
        const int from = d.startFor(y);
        const int to = l.rowsFree ? std::min(part.bottom() + 1, from + most)
                                  : std::min(l.height, from + l.chunkRows);
        const int end = std::min(to, part.bottom() + 1);
        if (!d.get(from, to)) {
            if (const int r = decodeUpToDamage(d, y, end, part.left(), take, damagedRow))
                return r;
        } else {
            take(y, end - y, d.raster.data() + size_t(y - from) * size_t(d.width) + size_t(part.left() - left), d.width);
        }
        y = end;
    }
    return 0;
}

// libtiff's pixel (red in the low byte) as Qt's 32-bit one (blue there).
inline QRgb fromRgba(uint32_t p) { return (p & 0xff00ff00u) | (p & 0xffu) << 16 | (p >> 16 & 0xffu); }

// The rows [first, end) of a part's result, made from the source rows as
// they come: copied at the part's own size, else summed into boxes.
class RowSink {
public:
    RowSink(QImage& out, const QRect& part, int first, int end)
        : m_out(out), m_part(part), m_boxes(part.width(), out.width(), RowBoxes::Order::Rgba), m_row(first), m_end(end)
    {
    }
    // The first source row of a row of the result.
    static int sourceRow(const QRect& part, int height, int row)
    {
        return part.top() + int(qint64(row) * part.height() / height);
    }
    void take(int top, int rows, const uint32_t* pixels, int stride)
    {
        const bool same = m_out.size() == m_part.size();
        for (int i = 0; i < rows && m_row < m_end; ++i, pixels += stride) {
            auto* line = reinterpret_cast<QRgb*>(m_out.scanLine(m_row));
            if (same) {
                std::transform(pixels, pixels + m_part.width(), line, fromRgba);
                ++m_row;
                continue;
            }
            m_boxes.add(reinterpret_cast<const uchar*>(pixels));
            // The last source row of this row of the result: its boxes are emptied into it.
            if (top + i + 1 < sourceRow(m_part, m_out.height(), m_row + 1))
                continue;
            m_boxes.take(line);
            ++m_row;
        }
    }
    int rowsDone() const { return m_row; }

private:
    QImage& m_out;
    QRect m_part;
    RowBoxes m_boxes;
    int m_row, m_end;
};

// The rows [first, end) of the result, from a handle of their own. 0 or
// the error; *damaged: the first row of the result not made.
int decodeBand(const TiffInput& input, int page, const Layout& l, const QRect& part, QImage& result, int first,
               int end, const std::stop_token& stop, int* damaged)
{
    *damaged = first;
    TiffFile file;
    if (const int r = file.open(input, page))
        return r;
    file.readTilesExactly();
    PageDecoder decoder(file.tif());
    if (!decoder.begin(l))
        return err::InvalidFormat;
    RowSink sink(result, part, first, end);
    const int top = RowSink::sourceRow(part, result.height(), first);
    const QRect rows(part.left(), top, part.width(), RowSink::sourceRow(part, result.height(), end) - top);
    int damagedRow = 0;
    const int r = decodeRows(
        decoder, l, rows, [&](int y, int n, const uint32_t* px, int stride) { sink.take(y, n, px, stride); }, stop,
        &damagedRow);
    *damaged = sink.rowsDone();
    return r;
}

// Threads for a part: one for every million pixels its rows decode, as
// many as there are cores; one when a strip or tile is large (each thread
// holds one decoded).
constexpr qint64 kPixelsAThread = 1024 * 1024;
constexpr qint64 kLargeChunkBytes = 16 * 1024 * 1024;

int threadsFor(const Layout& l, const QRect& part)
{
    if (l.chunkBytes > kLargeChunkBytes)
        return 1;
    const auto [left, right] = decodedColumns(l, part.left(), part.right() + 1);
    const qint64 work = qint64(right - left) * part.height();
    return int(std::clamp<qint64>(work / kPixelsAThread, 1, threadCount()));
}

// The part of the page at size (at most the part's own), made by bands of
// its rows side by side.
int decodePart(const TiffInput& input, int page, const Layout& l, const QRect& part, const QSize& size, QImage* out,
               const std::stop_token& stop)
{
    const QImage::Format format = !l.alpha          ? QImage::Format_RGB32
                                  : l.straightAlpha ? QImage::Format_ARGB32
                                                    : QImage::Format_ARGB32_Premultiplied;
    QImage result(size, format);
    if (result.isNull())
        return err::NoMemory;
    std::atomic<int> error{0}, firstDamaged{size.height()};
    inBands(size.height(), threadsFor(l, part), [&](int first, int end) {
        int damaged = first;
        const int r = decodeBand(input, page, l, part, result, first, end, stop, &damaged);
        if (r == 0)
            return;
        int none = 0;
        error.compare_exchange_strong(none, r);
        for (int seen = firstDamaged.load(); damaged < seen && !firstDamaged.compare_exchange_weak(seen, damaged);) {
        }
    });
    if (stop.stop_requested())
        return err::Failure;
    if (error == 0) {
        *out = format == QImage::Format_ARGB32_Premultiplied ? result.convertToFormat(QImage::Format_ARGB32)
                                                             : std::move(result);
        return 0;
    }
    // Damaged: the rows before the damage, the rest transparent.
    if (error != err::FileRead || firstDamaged == 0)
        return error;
    QImage decoded = result.convertToFormat(QImage::Format_ARGB32);
    for (int y = firstDamaged; y < decoded.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(decoded.scanLine(y)), decoded.width(), QRgb(0));
    *out = std::move(decoded);
    return err::FileRead;
}

// The page opened, its layout and facts read and checked.
int openPage(const TiffInput& input, int page, TiffFile* file, Layout* layout, TiffPage* facts)
{
    if (const int r = file->open(input, page))
        return r;
    return readFacts(*file, layout, facts);
}

// A picture as the orientation tag says it is shown (1 = as stored).
QImage upright(const QImage& img, int orientation)
{
    switch (orientation) {
    case 2: return img.mirrored(true, false);
    case 3: return img.mirrored(true, true);
    case 4: return img.mirrored(false, true);
    case 5: return img.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6: return img.transformed(QTransform().rotate(90));
    case 7: return img.transformed(QTransform().rotate(270)).mirrored(true, false);
    case 8: return img.transformed(QTransform().rotate(270));
    default: return img;
    }
}

} // namespace

int readTiffPage(const TiffInput& input, int page, TiffPage* out)
{
    TiffFile file;
    TiffPage p;
    if (const int r = openPage(input, page, &file, nullptr, &p))
        return r;
    *out = std::move(p);
    return 0;
}

int readTiffPart(const TiffInput& input, int page, const QRect& source, const QSize& size, QImage* out,
                 std::stop_token stop)
{
    TiffFile file;
    Layout l;
    if (const int r = openPage(input, page, &file, &l, nullptr))
        return r;
    const QRect part = source.intersected(QRect(0, 0, l.width, l.height));
    if (part.isEmpty() || size.isEmpty())
        return err::InvalidParameter;
    return decodePart(input, file.page(), l, part, size.boundedTo(part.size()), out, stop);
}

int readTiff(const TiffInput& input, int page, int pages, PictureData* out, std::stop_token stop)
{
    TiffFile file;
    if (const int r = file.open(input, page))
        return r;
    const int last = pages == -1 ? file.pageCount() : file.page();
    PictureData d;
    qint64 held = 0;
    for (int p = file.page(); p <= last; ++p) {
        TiffFile pageFile;
        Layout l;
        TiffPage facts;
        if (const int r = openPage(input, p, &pageFile, &l, &facts))
            return r;
        held += qint64(l.width) * l.height * 4;
        if (tooLarge(facts.size) || held > kMaxFramesBytes)
            return err::NoMemory;
        QImage frame;
        if (const int r = decodePart(input, p, l, QRect(QPoint(), facts.size), facts.size, &frame, stop))
            return r;
        if (d.frames.isEmpty())
            d = facts.facts;
        d.frames << frame;
        d.delays << 0;
    }
    *out = std::move(d);
    return 0;
}

int readTiffScaled(const TiffInput& input, const QSize& box, QImage* out, std::stop_token stop)
{
    TiffFile file;
    Layout l;
    TiffPage p;
    if (const int r = openPage(input, 1, &file, &l, &p))
        return r;
    // Fitted as it is shown; decoded as it is stored, then turned.
    const bool turned = p.orientation >= 5;
    const QSize fit = fitWithin(turned ? p.size.transposed() : p.size, box);
    QImage img;
    if (const int r = decodePart(input, 1, l, QRect(QPoint(), p.size), turned ? fit.transposed() : fit, &img, stop))
        return r;
    *out = upright(img, p.orientation);
    return 0;
}

} // namespace platform
