#pragma once
// TIFF sample pictures, written by libtiff into the tests' temporary
// folders in every kind a TIFF can be: RGB, RGB with alpha, gray (min-is-
// black and min-is-white), palette, CMYK and YCbCr; 1 to 16 bits a sample;
// uncompressed, LZW, Deflate, PackBits, JPEG and CCITT fax coded; in strips
// or tiles, samples side by side or in planes of their own.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <tiffio.h>

namespace tiffsamples {

enum class Colour { Rgb, Rgba, Gray, GrayAlpha, MinIsWhite, Palette, Cmyk, YCbCr };

// How a picture is stored.
struct Kind {
    Colour colour = Colour::Rgb;
    int bits = 8;                        // a sample
    uint16_t compression = COMPRESSION_NONE;
    bool tiled = false;                  // 64 x 64 tiles, else strips of rowsPerStrip rows
    bool planes = false;                 // each sample in a plane of its own
    int rowsPerStrip = 16;
    uint16_t predictor = 1;              // 2: LZW and Deflate code horizontal differences
    uint16_t orientation = ORIENTATION_TOPLEFT;
    float resolution = 0;                // dots a unit; 0 = none given
    uint16_t unit = RESUNIT_INCH;
};

// The palette a palette kind of that many bits is stored with: the
// pattern's colours first, then greys.
inline std::vector<QRgb> palette(int bits)
{
    std::vector<QRgb> colours{qRgb(200, 30, 30), qRgb(30, 160, 30), qRgb(30, 30, 200), qRgb(220, 220, 40),
                              qRgb(255, 255, 255), qRgb(0, 0, 0)};
    colours.resize(size_t(1) << bits, qRgb(0, 0, 0));
    for (size_t i = 6; i < colours.size(); ++i)
        colours[i] = qRgb(int(i * 255 / colours.size()), int(i * 97 % 256), 128);
    return colours;
}

inline int samplesOf(const Kind& k)
{
    switch (k.colour) {
    case Colour::Rgb:
    case Colour::YCbCr: return 3;
    case Colour::Rgba:
    case Colour::Cmyk: return 4;
    case Colour::GrayAlpha: return 2;
    default: return 1;
    }
}

// The samples of one pixel, at full scale (0 .. 2^bits - 1).
inline std::vector<int> samplesOfPixel(QRgb p, const Kind& k)
{
    const int top = (1 << k.bits) - 1;
    const auto scale = [top](int v) { return (v * top + 127) / 255; };
    const int gray = qGray(p);
    switch (k.colour) {
    case Colour::Rgb:
    case Colour::YCbCr: return {scale(qRed(p)), scale(qGreen(p)), scale(qBlue(p))};
    case Colour::Rgba: return {scale(qRed(p)), scale(qGreen(p)), scale(qBlue(p)), scale(qAlpha(p))};
    case Colour::Gray: return {scale(gray)};
    case Colour::GrayAlpha: return {scale(gray), scale(qAlpha(p))};
    case Colour::MinIsWhite: return {scale(255 - gray)};
    case Colour::Cmyk: {
        const int k0 = 255 - std::max({qRed(p), qGreen(p), qBlue(p)});
        return {scale(255 - qRed(p) - k0), scale(255 - qGreen(p) - k0), scale(255 - qBlue(p) - k0), scale(k0)};
    }
    case Colour::Palette: {
        const std::vector<QRgb> colours = palette(k.bits);
        int best = 0, bestDistance = INT_MAX;
        for (size_t i = 0; i < colours.size(); ++i) {
            const QRgb c = colours[i];
            const int d = std::abs(qRed(c) - qRed(p)) + std::abs(qGreen(c) - qGreen(p)) + std::abs(qBlue(c) - qBlue(p));
            if (d < bestDistance) {
                best = int(i);
                bestDistance = d;
            }
        }
        return {best};
    }
    }
    return {};
}

// One plane of the page: rows of `perPixel` samples a pixel (every sample
// when they lie side by side, one in a plane), packed as TIFF packs them.
struct Plane {
    std::vector<uint8_t> bytes;
    qsizetype rowBytes = 0;
};

inline std::vector<Plane> planesOf(const QImage& image, const Kind& k)
{
    const int samples = samplesOf(k), perPixel = k.planes ? 1 : samples;
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<Plane> planes(size_t(k.planes ? samples : 1));
    for (Plane& plane : planes) {
        plane.rowBytes = (qsizetype(img.width()) * perPixel * k.bits + 7) / 8;
        plane.bytes.assign(size_t(plane.rowBytes * img.height()), 0);
    }
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const std::vector<int> values = samplesOfPixel(img.pixel(x, y), k);
            for (int s = 0; s < samples; ++s) {
                Plane& plane = planes[size_t(k.planes ? s : 0)];
                uint8_t* row = plane.bytes.data() + plane.rowBytes * y;
                const qsizetype at = qsizetype(x) * perPixel + (k.planes ? 0 : s);
                if (k.bits == 16) {
                    const uint16_t v = uint16_t(values[size_t(s)]);
                    std::memcpy(row + at * 2, &v, 2);
                } else if (k.bits == 8) {
                    row[at] = uint8_t(values[size_t(s)]);
                } else {
                    const qsizetype bit = at * k.bits;
                    row[bit / 8] |= uint8_t(values[size_t(s)] << (8 - k.bits - bit % 8));
                }
            }
        }
    return planes;
}

inline void setTags(TIFF* tif, const QImage& img, const Kind& k, int page, int pages)
{
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(img.width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(img.height()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(k.bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samplesOf(k)));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, k.planes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, k.compression);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, k.orientation);
    if (k.predictor != 1)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, k.predictor);
    if (pages > 1) {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pages));
    }
    if (k.resolution > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, k.resolution);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, k.resolution);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, k.unit);
    }
    static const uint16_t unassociated[] = {EXTRASAMPLE_UNASSALPHA};
    switch (k.colour) {
    case Colour::Rgb: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB); break;
    case Colour::Rgba:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, unassociated);
        break;
    case Colour::GrayAlpha:
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, unassociated);
        [[fallthrough]];
    case Colour::Gray: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK); break;
    case Colour::MinIsWhite: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE); break;
    case Colour::Cmyk:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
        TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
        break;
    case Colour::YCbCr:
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 90);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB); // RGB handed in, YCbCr written
        break;
    case Colour::Palette: {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        std::vector<uint16_t> r, g, b;
        for (QRgb c : palette(k.bits)) {
            r.push_back(uint16_t(qRed(c) * 257));
            g.push_back(uint16_t(qGreen(c) * 257));
            b.push_back(uint16_t(qBlue(c) * 257));
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
        break;
    }
    }
    if (k.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, uint32_t(64));
        TIFFSetField(tif, TIFFTAG_TILELENGTH, uint32_t(64));
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(k.rowsPerStrip));
    }
}

// Writes one page's planes in strips or tiles; false when libtiff refused.
inline bool writePlanes(TIFF* tif, const QImage& img, const Kind& k, std::vector<Plane>& planes)
{
    for (size_t s = 0; s < planes.size(); ++s) {
        Plane& plane = planes[s];
        if (!k.tiled) {
            for (int y = 0; y < img.height(); y += k.rowsPerStrip) {
                const int rows = std::min(k.rowsPerStrip, img.height() - y);
                if (TIFFWriteEncodedStrip(tif, TIFFComputeStrip(tif, uint32_t(y), uint16_t(s)),
                                          plane.bytes.data() + plane.rowBytes * y, plane.rowBytes * rows) < 0)
                    return false;
            }
            continue;
        }
        const qsizetype tileRow = (qsizetype(64) * (k.planes ? 1 : samplesOf(k)) * k.bits + 7) / 8;
        std::vector<uint8_t> tile(size_t(tileRow * 64));
        for (int ty = 0; ty < img.height(); ty += 64)
            for (int tx = 0; tx < img.width(); tx += 64) {
                std::fill(tile.begin(), tile.end(), 0);
                const qsizetype from = qsizetype(tx) * tileRow / 64;
                const qsizetype n = std::min(tileRow, plane.rowBytes - from);
                for (int y = 0; y < 64 && ty + y < img.height(); ++y)
                    std::memcpy(tile.data() + tileRow * y, plane.bytes.data() + plane.rowBytes * (ty + y) + from,
                                size_t(n));
                if (TIFFWriteTile(tif, tile.data(), uint32_t(tx), uint32_t(ty), 0, uint16_t(s)) < 0)
                    return false;
            }
    }
    return true;
}

// Writes the pages into a TIFF of that kind; false when libtiff refused.
inline bool write(const QString& path, const std::vector<QImage>& pages, const Kind& kind)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return false;
    bool ok = true;
    for (size_t i = 0; ok && i < pages.size(); ++i) {
        setTags(tif, pages[i], kind, int(i), int(pages.size()));
        std::vector<Plane> planes = planesOf(pages[i], kind);
        ok = writePlanes(tif, pages[i], kind, planes) && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

} // namespace tiffsamples
