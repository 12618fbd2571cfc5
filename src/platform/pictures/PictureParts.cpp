#include "platform/pictures/PictureParts.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureLimits.h"
#include "platform/pictures/RowBoxes.h"
#include "platform/pictures/TiffReader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>
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

// Rows of the part are read one by one; at its own size each row is copied,
// else summed into boxes. A part that reaches the last row reads the file
// on to its end, so that damage after the pixels (a cut file, a checksum)
// is found too. Damage met on the way gives the rows decoded before it, the
// rest transparent, with the error.
int readPngPart(const QString& path, const QRect& source, const QSize& size, QImage* out)
{
    PngFile f;
    if (!openPng(path, &f))
        return err::FileRead;
    // Made before the jump point below, so that a jump back never skips them;
    // what changes after it and is read after a jump back is volatile.
    QImage result;
    std::vector<png_byte> row;
    RowBoxes boxes(source.width(), size.width());
    const bool alpha = png_get_valid(f.png, f.info, PNG_INFO_tRNS) ||
                       (png_get_color_type(f.png, f.info) & PNG_COLOR_MASK_ALPHA);
    result = QImage(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (result.isNull())
        return err::NoMemory;
    volatile int rowsDone = 0;
    if (setjmp(png_jmpbuf(f.png))) {
        if (rowsDone == 0)
            return err::FileRead; // a damaged file: nothing is changed
        QImage decoded = result.convertToFormat(QImage::Format_ARGB32);
        for (int y = rowsDone; y < decoded.height(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(decoded.scanLine(y)), decoded.width(), QRgb(0));
        *out = std::move(decoded);
        return err::FileRead;
    }
    png_set_expand(f.png);
    png_set_strip_16(f.png);
    png_set_gray_to_rgb(f.png);
    png_set_bgr(f.png); // B, G, R, A in memory: a 32-bit ARGB pixel on little-endian machines
    png_set_filler(f.png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(f.png, f.info);
    row.resize(png_get_rowbytes(f.png, f.info));
    int outRow = 0;
    for (int y = 0; y <= source.bottom() && outRow < size.height(); ++y) {
        png_read_row(f.png, row.data(), nullptr);
        if (y < source.top())
            continue;
        const png_byte* px = row.data() + size_t(source.x()) * 4;
        if (size == source.size()) {
            std::memcpy(result.scanLine(outRow), px, size_t(size.width()) * 4);
        } else {
            boxes.add(px);
            // The last source row of this result row: its boxes are emptied into it.
            if (y - source.top() + 1 < int(qint64(outRow + 1) * source.height() / size.height()))
                continue;
            boxes.take(reinterpret_cast<QRgb*>(result.scanLine(outRow)));
        }
        rowsDone = ++outRow;
    }
    if (source.bottom() == int(png_get_image_height(f.png, f.info)) - 1)
        png_read_end(f.png, nullptr);
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

bool fitsInMemory(const QSize& size) { return !tooLarge(size); }

// A page of a TIFF: its header's facts.
bool openTiff(const QString& path, int page, PartialPicture* out)
{
    TiffPage tiff;
    if (readTiffPage(TiffInput{path, {}}, page, &tiff) != 0)
        return false;
    PartialPicture p;
    p.path = path;
    p.kind = PartialPicture::Kind::Tiff;
    p.page = tiff.facts.firstPage;
    p.info = infoOfSize(tiff.size, tiff.facts, QFileInfo(path).size());
    *out = std::move(p);
    return true;
}

bool openPartialPicture(const QString& path, PartialPicture* out, int page)
{
    setUpImageReaders();
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (decoderFor(ext) == Decoder::Tiff)
        return openTiff(path, page, out);
    // Only where Qt's readers would read the file whole too, so that the facts agree.
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
    p.kind = jpeg ? PartialPicture::Kind::Jpeg : PartialPicture::Kind::Png;
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
    if (picture.kind == PartialPicture::Kind::Tiff)
        return readTiffPart(TiffInput{picture.path, {}}, picture.page, part, target, out);
    if (picture.kind == PartialPicture::Kind::Png)
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
