#include "platform/PictureParts.h"

#include "platform/ImagingCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <png.h>
#include <zlib.h>
#include <vector>

namespace platform {
namespace {

constexpr int kHeadBytes = 64;

// The pixel formats whose stored depth the format alone tells (a palette's
// depth depends on its size, known only once it is decoded).
bool directColour(QImage::Format f)
{
    return f != QImage::Format_Invalid && f != QImage::Format_Mono && f != QImage::Format_MonoLSB &&
           f != QImage::Format_Indexed8;
}

// ---------------------------------------------------------------- PNG through libpng

struct PngFile {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngFile()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file)
            std::fclose(file);
    }
};

[[noreturn]] void pngError(png_structp png, png_const_charp)
{
    std::longjmp(png_jmpbuf(png), 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Opens the file and reads its header; false when it is no PNG libpng reads.
bool openPng(const QString& path, PngFile* f)
{
    f->file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f->file)
        return false;
    f->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!f->png)
        return false;
    f->info = png_create_info_struct(f->png);
    if (!f->info)
        return false;
    if (setjmp(png_jmpbuf(f->png)))
        return false;
    png_init_io(f->png, f->file);
    png_read_info(f->png, f->info);
    return true;
}

// Rows of the part are read one by one and summed into boxes: each pixel of
// the result is the mean of the source pixels that fall in it.
int readPngPart(const QString& path, const QRect& source, const QSize& size, QImage* out)
{
    PngFile f;
    if (!openPng(path, &f))
        return err::FileRead;
    // Made before the jump point below, so that a jump back never skips them.
    QImage result;
    std::vector<png_byte> row;
    std::vector<quint32> sums(size_t(size.width()) * 4, 0), counts(size_t(size.width()), 0);
    std::vector<int> to(size_t(source.width()));
    for (int c = 0; c < source.width(); ++c)
        to[size_t(c)] = int(qint64(c) * size.width() / source.width());
    const bool alpha = png_get_valid(f.png, f.info, PNG_INFO_tRNS) ||
                       (png_get_color_type(f.png, f.info) & PNG_COLOR_MASK_ALPHA);
    result = QImage(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (result.isNull())
        return err::NoMemory;
    if (setjmp(png_jmpbuf(f.png)))
        return err::FileRead; // a damaged file: nothing is changed
    png_set_expand(f.png);
    png_set_strip_16(f.png);
    png_set_gray_to_rgb(f.png);
    png_set_bgr(f.png); // B, G, R, A in memory: a 32-bit ARGB pixel on little-endian machines
    png_set_filler(f.png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(f.png, f.info);
    row.resize(png_get_rowbytes(f.png, f.info));
    int outRow = 0;
    for (int y = 0; y <= source.bottom(); ++y) {
        png_read_row(f.png, row.data(), nullptr);
        if (y < source.top())
            continue;
        const png_byte* px = row.data() + size_t(source.x()) * 4;
        for (int c = 0; c < source.width(); ++c, px += 4) {
            quint32* s = &sums[size_t(to[size_t(c)]) * 4];
            s[0] += px[0];
            s[1] += px[1];
            s[2] += px[2];
            s[3] += px[3];
            ++counts[size_t(to[size_t(c)])];
        }
        // The last source row of this result row: its boxes are emptied into it.
        const int rowEnd = int(qint64(outRow + 1) * source.height() / size.height());
        if (y - source.top() + 1 < rowEnd)
            continue;
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(outRow));
        for (int x = 0; x < size.width(); ++x) {
            const quint32 n = std::max<quint32>(1, counts[size_t(x)]);
            const quint32* s = &sums[size_t(x) * 4];
            line[x] = qRgba(int(s[2] / n), int(s[1] / n), int(s[0] / n), int(s[3] / n));
        }
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        if (++outRow >= size.height())
            break;
    }
    *out = std::move(result);
    return 0;
}

// Whether a PNG can be read in parts, and its resolution as Qt's reader takes
// it (a pHYs chunk in pixels per metre; 0 when there is none).
bool pngFacts(const QString& path, int* dpmX, int* dpmY)
{
    PngFile f;
    if (!openPng(path, &f))
        return false;
    if (png_get_interlace_type(f.png, f.info) != PNG_INTERLACE_NONE)
        return false;
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    const bool known = png_get_pHYs(f.png, f.info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER;
    *dpmX = known ? int(x) : 0;
    *dpmY = known ? int(y) : 0;
    return true;
}

} // namespace

bool pngChunksIntact(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
        return false;
    std::vector<char> buffer(size_t(1) << 20);
    for (;;) {
        const QByteArray head = file.read(8);
        if (head.size() != 8)
            return false;
        const auto* h = reinterpret_cast<const uchar*>(head.constData());
        const quint32 length = qFromBigEndian<quint32>(h);
        if (length > 0x7fffffffu)
            return false;
        uLong crc = crc32(0, h + 4, 4);
        for (quint32 left = length; left > 0;) {
            const qint64 n = file.read(buffer.data(), std::min<qint64>(left, qint64(buffer.size())));
            if (n <= 0)
                return false;
            crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), uInt(n));
            left -= quint32(n);
        }
        const QByteArray stored = file.read(4);
        if (stored.size() != 4)
            return false;
        if (qFromBigEndian<quint32>(stored.constData()) != quint32(crc))
            return false;
        if (head.mid(4, 4) == "IEND")
            return true;
    }
}

bool fitsInMemory(const QSize& size)
{
    return qint64(size.width()) * size.height() * 4 <= qint64(kAllocationLimitMb) * 1024 * 1024;
}

bool openPartialPicture(const QString& path, PartialPicture* out)
{
    setUpImageReaders();
    // Only where Qt's readers would read the file whole too, so that the facts agree.
    const QString ext = QFileInfo(path).suffix().toUpper();
    const int extFormat = formatForExtension(ext);
    if (extFormat != 0 && decoderFor(ext) != Decoder::Qt)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.peek(kHeadBytes);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray kind = reader.format();
    const bool jpeg = kind == "jpeg", png = kind == "png";
    const QSize size = reader.size();
    const QImage::Format pixels = reader.imageFormat();
    if ((!jpeg && !png) || !size.isValid() || size.isEmpty() || !directColour(pixels) ||
        reader.transformation() != QImageIOHandler::TransformationNone)
        return false;
    PartialPicture p;
    p.path = path;
    p.jpeg = jpeg;
    // Dots per metre as Qt's readers set them; the default when the file holds none.
    const QImage blank(1, 1, pixels);
    int dpmX = blank.dotsPerMeterX(), dpmY = blank.dotsPerMeterY();
    if (jpeg) {
        // The first pixel alone: the decoder reads the header's resolution and stops.
        file.seek(0);
        QImageReader first(&file, "jpeg");
        first.setClipRect(QRect(0, 0, 1, 1));
        const QImage corner = first.read();
        if (corner.isNull())
            return false;
        dpmX = corner.dotsPerMeterX();
        dpmY = corner.dotsPerMeterY();
    } else {
        file.close();
        int x = 0, y = 0;
        if (!pngFacts(path, &x, &y))
            return false;
        dpmX = x > 0 ? x : dpmX;
        dpmY = y > 0 ? y : dpmY;
    }
    PictureData facts;
    facts.bits = bitsOfImage(blank);
    facts.format = formatFromHeader(extFormat, head);
    facts.pageCount = 1;
    facts.firstPage = 1;
    facts.xRes = int(dpmX * 0.0254 + 0.5);
    facts.yRes = int(dpmY * 0.0254 + 0.5);
    p.info = infoOfSize(size, facts, QFileInfo(path).size());
    *out = std::move(p);
    return true;
}

int readPicturePart(const PartialPicture& picture, const QRect& source, const QSize& size, QImage* out)
{
    const QRect whole(0, 0, picture.info.width, picture.info.height);
    const QRect part = source.intersected(whole);
    if (part.isEmpty() || size.isEmpty())
        return err::InvalidParameter;
    const QSize target = size.boundedTo(part.size());
    if (!picture.jpeg)
        return readPngPart(picture.path, part, target, out);
    QImageReader reader(picture.path, "jpeg");
    if (part != whole)
        reader.setClipRect(part);
    if (target != part.size())
        reader.setScaledSize(target);
    QImage img = reader.read();
    if (img.isNull())
        return reader.error() == QImageReader::FileNotFoundError ? err::FileNotFound : err::FileRead;
    *out = std::move(img);
    return 0;
}

} // namespace platform
