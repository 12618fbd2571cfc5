#include "platform/pictures/PictureEffects.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/MagickCodec.h"
#include "platform/pictures/ParallelRows.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureMemory.h"

#include <QColorSpace>
#include <QList>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <numbers>
#include <type_traits>
#include <vector>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the effects read 32-bit pixels as blue, green, red, alpha bytes");

namespace platform::effects {
namespace {

using Lut = std::array<uchar, 256>;

uchar clampByte(int v) { return uchar(std::clamp(v, 0, 255)); }
uchar roundByte(double v) { return uchar(std::clamp(v + 0.5, 0.0, 255.0)); }

// ---------------------------------------------------------------- kinds of picture

bool isPalette(const QImage& image)
{
    const QImage::Format f = image.format();
    return f == QImage::Format_Indexed8 || f == QImage::Format_Mono || f == QImage::Format_MonoLSB;
}

bool isWorkKind(const QImage& image)
{
    const QImage::Format f = image.format();
    return f == QImage::Format_Grayscale8 || f == QImage::Format_RGB32 || f == QImage::Format_ARGB32;
}

QImage::Format workFormatOf(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16)
        return QImage::Format_Grayscale8;
    return image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

// The picture as gray, RGB32 or ARGB32 (shared with it when it is one already).
int workKind(const QImage& image, QImage* out)
{
    if (isWorkKind(image)) {
        *out = image;
        return 0;
    }
    QImage c = image.convertToFormat(workFormatOf(image));
    if (c.isNull())
        return err::NoMemory;
    *out = c;
    return 0;
}

int bytesPerPixel(const QImage& image) { return image.format() == QImage::Format_Grayscale8 ? 1 : 4; }

// ---------------------------------------------------------------- pixel memory

// Large pictures take their pixels from here. Fresh pages cost far more to
// touch the first time than the effects cost to compute, so while anyone
// asks for it (SpareMemory) the buffer of the last large picture given up is
// kept for the next result: a slider that previews step after step works in
// memory already touched.
class SpareBuffer {
public:
    static SpareBuffer& instance()
    {
        static SpareBuffer spare;
        return spare;
    }
    uchar* take(size_t bytes)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_buffer && m_bytes >= bytes && m_bytes - bytes <= m_bytes / 4) {
                uchar* p = m_buffer;
                m_buffer = nullptr;
                return p;
            }
        }
        return allocatePixels(bytes);
    }
    void give(uchar* p, size_t bytes)
    {
        uchar* old = p;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_users > 0) {
                old = m_buffer;
                m_buffer = p;
                m_bytes = bytes;
            }
        }
        std::free(old);
    }
    void use(int delta)
    {
        uchar* old = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_users += delta;
            if (m_users == 0)
                std::swap(old, m_buffer);
        }
        std::free(old);
    }

private:
    std::mutex m_mutex;
    uchar* m_buffer = nullptr;
    size_t m_bytes = 0;
    int m_users = 0;
};

struct Pixels {
    uchar* data;
    size_t bytes;
};

void givePixelsBack(void* info)
{
    auto* pixels = static_cast<Pixels*>(info);
    SpareBuffer::instance().give(pixels->data, pixels->bytes);
    delete pixels;
}

constexpr size_t kSpareFrom = kLargePixelsFrom; // smaller pictures use the ordinary heap

QImage newPicture(QSize size, QImage::Format format)
{
    const qsizetype stride = ((qsizetype(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32) * 4;
    const size_t bytes = size_t(stride) * size_t(std::max(0, size.height()));
    if (bytes < kSpareFrom || size.isEmpty())
        return QImage(size, format);
    auto* pixels = new (std::nothrow) Pixels{SpareBuffer::instance().take(bytes), bytes};
    if (!pixels || !pixels->data) {
        if (pixels)
            std::free(pixels->data);
        delete pixels;
        return {};
    }
    return QImage(pixels->data, size.width(), size.height(), stride, format, &givePixelsBack, pixels);
}

// A new picture of the size and format, with the resolution of `like`.
QImage blankLike(const QImage& like, QSize size, QImage::Format format)
{
    QImage out = newPicture(size, format);
    if (out.isNull())
        return out;
    out.setDotsPerMeterX(like.dotsPerMeterX());
    out.setDotsPerMeterY(like.dotsPerMeterY());
    if (format == like.format())
        out.setColorSpace(like.colorSpace());
    return out;
}

// Raw rows, taken on the calling thread so workers never detach.
struct Rows {
    const uchar* src;
    uchar* dst;
    qsizetype srcStride, dstStride;
};

// Runs fn(srcRow, dstRow, y) over the rows of a gray or direct-colour
// picture: in place when nothing else shares it, else into a new picture.
template <class Fn> int mapRows(QImage& image, Fn fn)
{
    QImage out;
    uchar* dst = nullptr;
    if (image.isDetached()) {
        dst = image.bits();
    } else {
        out = blankLike(image, image.size(), image.format());
        if (out.isNull())
            return err::NoMemory;
        dst = out.bits();
    }
    const qsizetype dstStride = out.isNull() ? image.bytesPerLine() : out.bytesPerLine();
    const Rows r{image.constBits(), dst, image.bytesPerLine(), dstStride};
    parallelRows(image.height(), image.width(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            fn(r.src + y * r.srcStride, r.dst + y * r.dstStride, y);
    });
    if (!out.isNull())
        image = out;
    return 0;
}

// Brings a picture that is neither palette nor work kind to the work kind,
// so that the per-pixel changes below can act on it.
template <class Fn> int onWorkKind(QImage& image, Fn change)
{
    if (isWorkKind(image))
        return change(image);
    QImage work;
    if (const int r = workKind(image, &work))
        return r;
    if (const int r = change(work))
        return r;
    image = work;
    return 0;
}

// ---------------------------------------------------------------- colour tables

// The same table on red, green and blue; alpha stays.
int applyLut(QImage& image, const Lut& lut)
{
    if (image.isNull())
        return err::InvalidBitmap;
    if (isPalette(image)) {
        QList<QRgb> table = image.colorTable();
        for (QRgb& c : table)
            c = qRgba(lut[qRed(c)], lut[qGreen(c)], lut[qBlue(c)], qAlpha(c));
        image.setColorTable(table);
        return 0;
    }
    return onWorkKind(image, [&](QImage& img) {
        const int w = img.width();
        if (img.format() == QImage::Format_Grayscale8)
            return mapRows(img, [&](const uchar* s, uchar* d, int) {
                for (int x = 0; x < w; ++x)
                    d[x] = lut[s[x]];
            });
        return mapRows(img, [&](const uchar* s, uchar* d, int) {
            for (int x = 0; x < w * 4; x += 4) {
                d[x] = lut[s[x]];
                d[x + 1] = lut[s[x + 1]];
                d[x + 2] = lut[s[x + 2]];
                d[x + 3] = s[x + 3];
            }
        });
    });
}

// fn(r, g, b) changes one colour; gray pictures stay as they are.
template <class Fn> int applyRgb(QImage& image, Fn fn)
{
    if (image.isNull())
        return err::InvalidBitmap;
    if (isPalette(image)) {
        QList<QRgb> table = image.colorTable();
        for (QRgb& c : table) {
            int r = qRed(c), g = qGreen(c), b = qBlue(c);
            fn(r, g, b);
            c = qRgba(r, g, b, qAlpha(c));
        }
        image.setColorTable(table);
        return 0;
    }
    if (image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16)
        return 0;
    return onWorkKind(image, [&](QImage& img) {
        const int w = img.width();
        return mapRows(img, [&](const uchar* s, uchar* d, int) {
            for (int x = 0; x < w * 4; x += 4) {
                int b = s[x], g = s[x + 1], r = s[x + 2];
                fn(r, g, b);
                d[x] = uchar(b);
                d[x + 1] = uchar(g);
                d[x + 2] = uchar(r);
                d[x + 3] = s[x + 3];
            }
        });
    });
}

// Counts of the channel values (red, green and blue together) of a picture.
std::array<qint64, 256> histogram(const QImage& image)
{
    std::array<qint64, 256> h{};
    QImage work;
    if (workKind(image, &work) != 0)
        return h;
    const int bpp = bytesPerPixel(work), channels = bpp == 1 ? 1 : 3, w = work.width();
    std::vector<std::array<qint64, 256>> parts(size_t(threadCount()) + 1);
    std::atomic<int> next{0};
    parallelRows(work.height(), w, [&](int y0, int y1) {
        std::array<qint64, 256>& mine = parts[size_t(next++)];
        for (int y = y0; y < y1; ++y) {
            const uchar* s = work.constScanLine(y);
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < channels; ++c)
                    ++mine[s[x * bpp + c]];
        }
    });
    for (const auto& part : parts)
        for (int v = 0; v < 256; ++v)
            h[size_t(v)] += part[size_t(v)];
    return h;
}

int luma(int r, int g, int b) { return (r * 77 + g * 150 + b * 29 + 128) >> 8; }

} // namespace

// ---------------------------------------------------------------- colours

namespace {

// The formulas of the colour changes, each used alone and in the colour
// editor's single-pass rebuild.
Lut intensityLut(int change)
{
    Lut lut;
    const double factor = (1000.0 + change) / 1000.0;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = roundByte(v * factor);
    return lut;
}

Lut contrastLut(int change)
{
    Lut lut;
    const double factor = change > 0 ? 1000.0 / std::max(1, 1000 - change) : (1000.0 + change) / 1000.0;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = roundByte((v - 127.5) * factor + 127.5);
    return lut;
}

Lut gammaLut(int hundredths)
{
    Lut lut;
    const double exponent = 100.0 / hundredths;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = roundByte(255.0 * std::pow(v / 255.0, exponent));
    return lut;
}

// Towards (or away from) the value that equalises the histogram.
Lut histoLut(const std::array<qint64, 256>& h, int change)
{
    qint64 total = 0, below = 0, lowest = -1;
    for (qint64 n : h)
        total += n;
    Lut lut;
    for (int v = 0; v < 256; ++v) {
        below += h[size_t(v)];
        if (lowest < 0 && below > 0)
            lowest = below;
        // The equalising value: the share of the picture at or below v.
        const double equal = total > lowest ? 255.0 * double(below - lowest) / double(total - lowest) : v;
        lut[size_t(v)] = roundByte(v + (std::max(0.0, equal) - v) * change / 1000.0);
    }
    return lut;
}

Lut identityLut()
{
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = uchar(v);
    return lut;
}

// outer after inner.
Lut compose(const Lut& outer, const Lut& inner)
{
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = outer[inner[size_t(v)]];
    return lut;
}

// A turn about the gray axis, in 4096ths; each row sums to 4096 exactly, so
// grays stay as they are.
struct HueTurn {
    int diag = 4096, off1 = 0, off2 = 0;
    explicit HueTurn(int degrees)
    {
        const double a = degrees * std::numbers::pi / 180.0;
        const double c = std::cos(a), s = std::sin(a) * std::sqrt(1.0 / 3.0), t = (1.0 - c) / 3.0;
        off1 = int(std::lround((t - s) * 4096));
        off2 = int(std::lround((t + s) * 4096));
        diag = 4096 - off1 - off2;
    }
    void operator()(int& r, int& g, int& b) const
    {
        const int nr = diag * r + off1 * g + off2 * b;
        const int ng = off2 * r + diag * g + off1 * b;
        const int nb = off1 * r + off2 * g + diag * b;
        r = clampByte((nr + 2048) >> 12);
        g = clampByte((ng + 2048) >> 12);
        b = clampByte((nb + 2048) >> 12);
    }
};

// Each channel moved from the pixel's gray by factor / 1000 (1000 + change).
struct SaturationChange {
    int factor;
    void operator()(int& r, int& g, int& b) const
    {
        // gray + (v - gray) * factor / 1000, in millionths: fits 32 bits.
        const int grayPart = (r * 299 + g * 587 + b * 114) * (1000 - factor);
        const auto one = [&](int v) {
            const double x = (grayPart + v * 1000 * factor) * 1e-6 + 0.5;
            return x <= 0 ? 0 : x >= 255 ? 255 : int(x);
        };
        r = one(r);
        g = one(g);
        b = one(b);
    }
};

bool isChange(int change) { return change >= -1000 && change <= 1000; }

} // namespace

int intensity(QImage& image, int change)
{
    if (!isChange(change))
        return err::InvalidParameter;
    return change == 0 ? 0 : applyLut(image, intensityLut(change));
}

int contrast(QImage& image, int change)
{
    if (!isChange(change))
        return err::InvalidParameter;
    return change == 0 ? 0 : applyLut(image, contrastLut(change));
}

int histoContrast(QImage& image, int change)
{
    if (!isChange(change))
        return err::InvalidParameter;
    if (change == 0)
        return 0;
    if (image.isNull())
        return err::InvalidBitmap;
    QImage counted = image;
    if (isPalette(image) && (counted = image.convertToFormat(workFormatOf(image))).isNull())
        return err::NoMemory;
    return applyLut(image, histoLut(histogram(counted), change));
}

int hue(QImage& image, int degrees)
{
    return degrees % 360 == 0 ? 0 : applyRgb(image, HueTurn(degrees));
}

int saturation(QImage& image, int change)
{
    if (!isChange(change))
        return err::InvalidParameter;
    return change == 0 ? 0 : applyRgb(image, SaturationChange{1000 + change});
}

int gammaCorrect(QImage& image, int hundredths)
{
    if (hundredths < 1 || hundredths > 10000)
        return err::InvalidParameter;
    return hundredths == 100 ? 0 : applyLut(image, gammaLut(hundredths));
}

namespace {

// The adjustments one after another, each on the result of the one before.
int adjustInTurn(QImage& image, const ColourAdjustments& a)
{
    QImage work = image;
    const std::pair<const std::optional<int>*, int (*)(QImage&, int)> steps[] = {
        {&a.contrast, &contrast}, {&a.intensity, &intensity},   {&a.histoContrast, &histoContrast},
        {&a.hue, &hue},           {&a.saturation, &saturation}, {&a.gamma, &gammaCorrect}};
    for (const auto& [value, apply] : steps)
        if (*value)
            if (const int r = apply(work, **value))
                return r;
    image = work;
    return 0;
}

} // namespace

int adjustColours(QImage& image, const ColourAdjustments& a)
{
    if (image.isNull())
        return err::InvalidBitmap;
    for (const std::optional<int>* v : {&a.contrast, &a.intensity, &a.histoContrast, &a.saturation})
        if (*v && !isChange(**v))
            return err::InvalidParameter;
    if (a.gamma && (*a.gamma < 1 || *a.gamma > 10000))
        return err::InvalidParameter;
    if (!isWorkKind(image) || image.format() == QImage::Format_Grayscale8)
        return adjustInTurn(image, a);
    // Direct colour: the channel tables merged, the rest per pixel, one pass.
    Lut before = identityLut();
    if (a.contrast && *a.contrast != 0)
        before = contrastLut(*a.contrast);
    if (a.intensity && *a.intensity != 0)
        before = compose(intensityLut(*a.intensity), before);
    if (a.histoContrast && *a.histoContrast != 0) {
        // The histogram of the picture as the tables so far leave it.
        const std::array<qint64, 256> original = histogram(image);
        std::array<qint64, 256> changed{};
        for (int v = 0; v < 256; ++v)
            changed[before[size_t(v)]] += original[size_t(v)];
        before = compose(histoLut(changed, *a.histoContrast), before);
    }
    const bool turn = a.hue && *a.hue % 360 != 0, saturate = a.saturation && *a.saturation != 0;
    const HueTurn hueTurn(turn ? *a.hue : 0);
    const SaturationChange saturationChange{1000 + (saturate ? *a.saturation : 0)};
    const Lut after = a.gamma && *a.gamma != 100 ? gammaLut(*a.gamma) : identityLut();
    const int w = image.width();
    return mapRows(image, [&](const uchar* s, uchar* d, int) {
        for (int x = 0; x < w * 4; x += 4) {
            int b = before[s[x]], g = before[s[x + 1]], r = before[s[x + 2]];
            if (turn)
                hueTurn(r, g, b);
            if (saturate)
                saturationChange(r, g, b);
            d[x] = after[size_t(b)];
            d[x + 1] = after[size_t(g)];
            d[x + 2] = after[size_t(r)];
            d[x + 3] = s[x + 3];
        }
    });
}

int posterize(QImage& image, int levels)
{
    if (levels < 2 || levels > 256)
        return err::InvalidParameter;
    if (levels == 256)
        return 0;
    Lut lut;
    const int steps = levels - 1;
    for (int v = 0; v < 256; ++v) {
        const int level = (v * steps * 2 + 255) / 510; // nearest level
        lut[size_t(v)] = uchar((level * 255 * 2 + steps) / (steps * 2));
    }
    return applyLut(image, lut);
}

int stretchIntensity(QImage& image)
{
    if (image.isNull())
        return err::InvalidBitmap;
    QImage counted = image;
    if (isPalette(image) && (counted = image.convertToFormat(workFormatOf(image))).isNull())
        return err::NoMemory;
    const std::array<qint64, 256> h = histogram(counted);
    int lo = 0, hi = 255;
    while (lo < 255 && h[size_t(lo)] == 0)
        ++lo;
    while (hi > 0 && h[size_t(hi)] == 0)
        --hi;
    if (hi <= lo || (lo == 0 && hi == 255))
        return 0;
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = roundByte((v - lo) * 255.0 / (hi - lo));
    return applyLut(image, lut);
}

int invert(QImage& image)
{
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[size_t(v)] = uchar(255 - v);
    return applyLut(image, lut);
}

// ---------------------------------------------------------------- neighbourhoods

namespace {

// Makes a new picture of the work kind from the old one: fn(src, band)
// fills rows band.first..band.end of the result (band.row(y) is a row of
// it). The old picture is replaced only at the end.
struct Band {
    uchar* bits;
    qsizetype stride;
    int first, end;
    uchar* row(int y) const { return bits + y * stride; }
};

template <class Fn> int intoNew(QImage& image, Fn fn)
{
    if (image.isNull())
        return err::InvalidBitmap;
    QImage src;
    if (const int r = workKind(image, &src))
        return r;
    QImage out = blankLike(src, src.size(), src.format());
    if (out.isNull())
        return err::NoMemory;
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(src.height(), qint64(src.width()) * 9,
                 [&](int y0, int y1) { fn(static_cast<const QImage&>(src), Band{bits, stride, y0, y1}); });
    image = out;
    return 0;
}

// Three rows around y, each with one pixel repeated at either end, so that
// row[-bpp] and row[n] can be read.
class Padded3 {
public:
    explicit Padded3(const QImage& src) : m_src(src), m_bpp(bytesPerPixel(src)), m_n(src.width() * m_bpp)
    {
        m_buf.resize(size_t(3 * (m_n + 2 * m_bpp)));
    }
    void load(int y)
    {
        for (int i = 0; i < 3; ++i) {
            const int sy = std::clamp(y - 1 + i, 0, m_src.height() - 1);
            const uchar* s = m_src.constScanLine(sy);
            uchar* p = m_buf.data() + size_t(i * (m_n + 2 * m_bpp));
            std::memcpy(p + m_bpp, s, size_t(m_n));
            std::memcpy(p, s, size_t(m_bpp));
            std::memcpy(p + m_bpp + m_n, s + m_n - m_bpp, size_t(m_bpp));
        }
    }
    const uchar* row(int i) const { return m_buf.data() + size_t(i * (m_n + 2 * m_bpp) + m_bpp); }
    int bpp() const { return m_bpp; }
    int bytes() const { return m_n; }

private:
    const QImage& m_src;
    int m_bpp, m_n;
    std::vector<uchar> m_buf;
};

// The alpha bytes (or the fixed 0xFF of RGB32) of the row come back from the source.
void keepAlpha(const uchar* src, uchar* dst, int bytes, int bpp)
{
    if (bpp == 4)
        for (int x = 3; x < bytes; x += 4)
            dst[x] = src[x];
}

// Every byte of a row through a 3 x 3 neighbourhood: fn(bpp, top, mid,
// bottom) with the three rows at the byte and bpp a compile-time constant
// (std::integral_constant), so that the loops run on vectors.
template <int Bpp, class Fn> void rows3x3(const QImage& src, const Band& band, Fn& fn)
{
    Padded3 rows(src);
    const int n = rows.bytes();
    for (int y = band.first; y < band.end; ++y) {
        rows.load(y);
        const uchar* __restrict t = rows.row(0);
        const uchar* __restrict m = rows.row(1);
        const uchar* __restrict b = rows.row(2);
        uchar* __restrict dst = band.row(y);
        for (int i = 0; i < n; ++i)
            dst[i] = fn(std::integral_constant<int, Bpp>{}, t + i, m + i, b + i);
        keepAlpha(m, dst, n, Bpp);
    }
}

template <class Fn> int per3x3(QImage& image, Fn fn)
{
    return intoNew(image, [&](const QImage& src, const Band& band) {
        if (bytesPerPixel(src) == 4)
            rows3x3<4>(src, band, fn);
        else
            rows3x3<1>(src, band, fn);
    });
}

// The 3 x 3 median of every byte: sorted columns, then the middle of the
// largest low, the middle middle and the smallest high.
int median3(QImage& image)
{
    return intoNew(image, [](const QImage& src, const Band& band) {
        Padded3 rows(src);
        const int n = rows.bytes(), bpp = rows.bpp();
        std::vector<uchar> lo(size_t(n + 2 * bpp)), mid(lo.size()), hi(lo.size());
        for (int y = band.first; y < band.end; ++y) {
            rows.load(y);
            const uchar *t = rows.row(0) - bpp, *m = rows.row(1) - bpp, *b = rows.row(2) - bpp;
            for (int i = 0; i < n + 2 * bpp; ++i) {
                const uchar a = std::min(t[i], m[i]), c = std::max(t[i], m[i]);
                lo[size_t(i)] = std::min(a, b[i]);
                hi[size_t(i)] = std::max(c, b[i]);
                mid[size_t(i)] = std::max(a, std::min(c, b[i]));
            }
            uchar* dst = band.row(y);
            for (int i = 0; i < n; ++i) {
                const size_t l = size_t(i), c = size_t(i + bpp), r = size_t(i + 2 * bpp);
                const uchar maxLo = std::max({lo[l], lo[c], lo[r]});
                const uchar minHi = std::min({hi[l], hi[c], hi[r]});
                const uchar midMid = std::max(std::min(mid[l], mid[c]), std::min(std::max(mid[l], mid[c]), mid[r]));
                dst[i] = std::max(std::min(maxLo, midMid), std::min(std::max(maxLo, midMid), minHi));
            }
            keepAlpha(rows.row(1), dst, n, bpp);
        }
    });
}

// Larger medians: one running histogram per channel along each row.
void medianRow(const QImage& src, uchar* dst, int y, int size)
{
    const int lo = -(size / 2), hi = size - 1 + lo, rank = (size * size - 1) / 2;
    const int w = src.width(), h = src.height(), bpp = bytesPerPixel(src), channels = bpp == 1 ? 1 : 3;
    std::vector<const uchar*> rows(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i)
        rows[size_t(i)] = src.constScanLine(std::clamp(y + lo + i, 0, h - 1));
    const auto at = [&](int x) { return std::clamp(x, 0, w - 1) * bpp; };
    for (int c = 0; c < channels; ++c) {
        std::array<int, 256> hist{};
        for (const uchar* r : rows)
            for (int dx = lo; dx <= hi; ++dx)
                ++hist[r[at(dx) + c]];
        int m = 0, below = 0;
        while (below + hist[size_t(m)] <= rank)
            below += hist[size_t(m++)];
        dst[c] = uchar(m);
        for (int x = 1; x < w; ++x) {
            const int out = at(x - 1 + lo) + c, in = at(x + hi) + c;
            for (const uchar* r : rows) {
                const uchar o = r[out], i = r[in];
                --hist[o];
                below -= o < m;
                ++hist[i];
                below += i < m;
            }
            while (below > rank)
                below -= hist[size_t(--m)];
            while (below + hist[size_t(m)] <= rank)
                below += hist[size_t(m++)];
            dst[x * bpp + c] = uchar(m);
        }
    }
    keepAlpha(src.constScanLine(y), dst, w * bpp, bpp);
}

int medianRunning(QImage& image, int size)
{
    return intoNew(image, [size](const QImage& src, const Band& band) {
        for (int y = band.first; y < band.end; ++y)
            medianRow(src, band.row(y), y, size);
    });
}

} // namespace

int mosaic(QImage& image, int tile)
{
    if (tile < 1)
        return err::InvalidParameter;
    if (tile == 1)
        return 0;
    if (image.isNull())
        return err::InvalidBitmap;
    QImage src;
    if (const int r = workKind(image, &src))
        return r;
    QImage out = blankLike(src, src.size(), src.format());
    if (out.isNull())
        return err::NoMemory;
    const int w = src.width(), h = src.height(), bpp = bytesPerPixel(src);
    const int channels = bpp == 1 ? 1 : 3;
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    const int tileRows = (h + tile - 1) / tile;
    parallelRows(tileRows, qint64(w) * tile, [&](int t0, int t1) {
        for (int ty = t0; ty < t1; ++ty) {
            const int y0 = ty * tile, y1 = std::min(h, y0 + tile);
            for (int x0 = 0; x0 < w; x0 += tile) {
                const int x1 = std::min(w, x0 + tile);
                const qint64 count = qint64(y1 - y0) * (x1 - x0);
                std::array<qint64, 3> sum{};
                for (int y = y0; y < y1; ++y) {
                    const uchar* s = src.constScanLine(y);
                    for (int x = x0; x < x1; ++x)
                        for (int c = 0; c < channels; ++c)
                            sum[size_t(c)] += s[x * bpp + c];
                }
                std::array<uchar, 3> avg{};
                for (int c = 0; c < channels; ++c)
                    avg[size_t(c)] = uchar((sum[size_t(c)] + count / 2) / count);
                for (int y = y0; y < y1; ++y) {
                    const uchar* s = src.constScanLine(y);
                    uchar* d = bits + y * stride;
                    for (int x = x0; x < x1; ++x) {
                        for (int c = 0; c < channels; ++c)
                            d[x * bpp + c] = avg[size_t(c)];
                        if (bpp == 4)
                            d[x * 4 + 3] = s[x * 4 + 3];
                    }
                }
            }
        }
    });
    image = out;
    return 0;
}

int median(QImage& image, int size)
{
    if (size < 1 || size > 255)
        return err::InvalidParameter;
    if (size == 1)
        return 0;
    if (size == 3)
        return median3(image);
    return medianRunning(image, size);
}

int sharpen(QImage& image, int amount)
{
    if (amount < -1000 || amount > 1000)
        return err::InvalidParameter;
    if (amount == 0)
        return 0;
    // v + a (v - blur), a in thousandths: up to 4 when sharpening, down to -1
    // (the blur itself); in 65536ths of the sixteenfold difference.
    const int k = int(std::lround((amount > 0 ? amount * 4 : amount) * 65536.0 / 16000.0));
    return per3x3(image, [k](auto bpp, const uchar* t, const uchar* m, const uchar* b) {
        constexpr int B = decltype(bpp)::value;
        const int blur16 = t[-B] + 2 * t[0] + t[B] + 2 * (m[-B] + 2 * m[0] + m[B]) + b[-B] + 2 * b[0] + b[B];
        return clampByte(m[0] + ((k * (16 * m[0] - blur16) + 32768) >> 16));
    });
}

int addNoise(QImage& image, int range, int channel, quint64 seed)
{
    if (range < 0 || range > 1000 || channel < 0 || channel > 3)
        return err::InvalidParameter;
    if (range == 0)
        return 0;
    if (image.isNull())
        return err::InvalidBitmap;
    const int amp = range * 255 / 2000, span = 2 * amp + 1;
    QImage work;
    if (const int r = workKind(image, &work))
        return r;
    const int w = work.width(), bpp = bytesPerPixel(work);
    // Channel bytes to change: blue 0, green 1, red 2 (gray has one).
    const int first = bpp == 1 ? 0 : channel == 0 ? 0 : 3 - channel;
    const int last = bpp == 1 ? 0 : channel == 0 ? 2 : first;
    const int result = mapRows(work, [&](const uchar* s, uchar* d, int y) {
        if (s != d)
            std::memcpy(d, s, size_t(w * bpp));
        for (int x = 0; x < w; ++x) {
            // splitmix64 of the seed and the pixel's place: the same noise on any number of cores.
            quint64 z = seed + (quint64(y) * quint64(w) + quint64(x) + 1) * 0x9E3779B97F4A7C15ull;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            for (int c = first; c <= last; ++c) {
                const int delta = int((((z >> (16 * c)) & 0xFFFF) * quint64(span)) >> 16) - amp;
                d[x * bpp + c] = clampByte(d[x * bpp + c] + delta);
            }
        }
    });
    if (result == 0)
        image = work;
    return result;
}

int emboss(QImage& image, int direction, int depth)
{
    if (direction < 0 || direction > 7 || depth < 0 || depth > 1000)
        return err::InvalidParameter;
    static constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    const int dx = kDx[direction], dy = kDy[direction];
    const int k = depth * 65536 / 250; // depth / 250 in 65536ths
    return per3x3(image, [=](auto bpp, const uchar* t, const uchar* m, const uchar* b) {
        constexpr int B = decltype(bpp)::value;
        const uchar* toward = dy < 0 ? t : dy > 0 ? b : m;
        const uchar* away = dy < 0 ? b : dy > 0 ? t : m;
        const int diff = toward[dx * B] - away[-dx * B];
        return clampByte(128 + ((diff * k + 32768) >> 16));
    });
}

int spatialFilter(QImage& image, int code)
{
    using K = std::array<int, 9>;
    K k;
    switch (code) {
    case 22: k = {-1, -2, -1, 0, 0, 0, 1, 2, 1}; break;
    case 23: k = {-1, 0, 1, -2, 0, 2, -1, 0, 1}; break;
    case 24: k = {-1, -1, -1, 0, 0, 0, 1, 1, 1}; break;
    case 25: k = {-1, 0, 1, -1, 0, 1, -1, 0, 1}; break;
    case 27: k = {0, -1, 0, 0, 1, 0, 0, 0, 0}; break;
    case 28: k = {0, 0, 0, -1, 1, 0, 0, 0, 0}; break;
    default: return err::InvalidParameter;
    }
    return per3x3(image, [k](auto bpp, const uchar* t, const uchar* m, const uchar* b) {
        constexpr int B = decltype(bpp)::value;
        const int sum = k[0] * t[-B] + k[1] * t[0] + k[2] * t[B] + k[3] * m[-B] + k[4] * m[0] + k[5] * m[B] +
                        k[6] * b[-B] + k[7] * b[0] + k[8] * b[B];
        return uchar(std::min(std::abs(sum), 255));
    });
}

// ---------------------------------------------------------------- geometry

namespace {

// The picture for a change of geometry: gray, palette (with its table) and
// direct colour keep their format; one-bit pictures become 8-bit palette.
int geometryKind(const QImage& image, QImage* out)
{
    const QImage::Format f = image.format();
    if (f == QImage::Format_Indexed8 || isWorkKind(image)) {
        *out = image;
        return 0;
    }
    QImage c = image.convertToFormat(f == QImage::Format_Mono || f == QImage::Format_MonoLSB
                                         ? QImage::Format_Indexed8
                                         : workFormatOf(image));
    if (c.isNull())
        return err::NoMemory;
    *out = c;
    return 0;
}

// Turns by 90 (quarter 1), 180 (2) or 270 (3) degrees clockwise, exactly.
int rotateQuarters(QImage& image, int quarters)
{
    QImage src;
    if (const int r = geometryKind(image, &src))
        return r;
    const int w = src.width(), h = src.height();
    const QSize size = quarters == 2 ? src.size() : QSize(h, w);
    if (size != src.size() && !withinImagingLimits(size.width(), size.height()))
        return err::NoMemory;
    QImage out = blankLike(src, size, src.format());
    if (out.isNull())
        return err::NoMemory;
    out.setColorTable(src.colorTable());
    const int bpp = src.depth() / 8;
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    const auto turn = [&]<class Pixel>(int y0, int y1, Pixel) {
        // In blocks of 32 x 32, so the columns read stay in the cache.
        for (int by = y0; by < y1; by += 32)
            for (int bx = 0; bx < size.width(); bx += 32)
                for (int oy = by; oy < std::min(y1, by + 32); ++oy) {
                    auto* d = reinterpret_cast<Pixel*>(bits + oy * stride);
                    for (int ox = bx; ox < std::min(size.width(), bx + 32); ++ox) {
                        // The source pixel that lands at (ox, oy).
                        const int sx = quarters == 1 ? oy : quarters == 2 ? w - 1 - ox : w - 1 - oy;
                        const int sy = quarters == 1 ? h - 1 - ox : quarters == 2 ? h - 1 - oy : ox;
                        d[ox] = reinterpret_cast<const Pixel*>(src.constScanLine(sy))[sx];
                    }
                }
    };
    parallelRows(size.height(), size.width(), [&](int y0, int y1) {
        if (bpp == 4)
            turn(y0, y1, quint32{});
        else
            turn(y0, y1, uchar{});
    });
    image = out;
    return 0;
}

// One row of a free rotation: (fx, fy) in 32.32 steps through the source.
template <int Bpp>
void rotateRow(const QImage& src, uchar* d, qint64 fx, qint64 fy, qint64 cosF, qint64 sinF, const uchar* back)
{
    const int w = src.width(), h = src.height();
    const uchar* bits = src.constBits();
    const qsizetype stride = src.bytesPerLine();
    for (int x = 0; x < w; ++x, fx += cosF, fy -= sinF) {
        const qint64 x0 = fx >> 32, y0 = fy >> 32;
        const int tx = int((fx >> 24) & 0xFF), ty = int((fy >> 24) & 0xFF);
        const uchar *p00, *p10, *p01, *p11;
        if (quint64(x0) < quint64(w - 1) && quint64(y0) < quint64(h - 1)) {
            // Inside: the four neighbours straight from the rows.
            p00 = bits + y0 * stride + x0 * Bpp;
            p10 = p00 + Bpp;
            p01 = p00 + stride;
            p11 = p01 + Bpp;
        } else {
            // At the edges: what lies outside is the fill colour.
            const auto at = [&](qint64 sx, qint64 sy) {
                return sx < 0 || sy < 0 || sx >= w || sy >= h ? back : bits + sy * stride + sx * Bpp;
            };
            p00 = at(x0, y0);
            p10 = at(x0 + 1, y0);
            p01 = at(x0, y0 + 1);
            p11 = at(x0 + 1, y0 + 1);
        }
        for (int c = 0; c < Bpp; ++c) {
            const int top = p00[c] * (256 - tx) + p10[c] * tx;
            const int bottom = p01[c] * (256 - tx) + p11[c] * tx;
            d[x * Bpp + c] = uchar((top * (256 - ty) + bottom * ty + 32768) >> 16);
        }
    }
}

// Any other angle: the same size, turned about the centre, bilinear, the
// corners in the fill colour.
int rotateFree(QImage& image, double degrees, QRgb fill)
{
    QImage src;
    if (const int r = workKind(image, &src))
        return r;
    const int w = src.width(), h = src.height(), bpp = bytesPerPixel(src);
    QImage out = blankLike(src, src.size(), src.format());
    if (out.isNull())
        return err::NoMemory;
    std::array<uchar, 4> back{uchar(qBlue(fill)), uchar(qGreen(fill)), uchar(qRed(fill)), 0xFF};
    if (bpp == 1)
        back[0] = uchar(luma(qRed(fill), qGreen(fill), qBlue(fill)));
    const double a = degrees * std::numbers::pi / 180.0;
    // 32.32 steps through the source for each step right in the result.
    constexpr double kOne = 4294967296.0;
    const qint64 cosF = std::llround(std::cos(a) * kOne), sinF = std::llround(std::sin(a) * kOne);
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(h, qint64(w) * 4, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const double dx0 = 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            const qint64 fx = std::llround((w / 2.0 + dx0 * std::cos(a) + dy * std::sin(a) - 0.5) * kOne);
            const qint64 fy = std::llround((h / 2.0 - dx0 * std::sin(a) + dy * std::cos(a) - 0.5) * kOne);
            if (bpp == 4)
                rotateRow<4>(src, bits + y * stride, fx, fy, cosF, sinF, back.data());
            else
                rotateRow<1>(src, bits + y * stride, fx, fy, cosF, sinF, back.data());
        }
    });
    image = out;
    return 0;
}

} // namespace

int rotate(QImage& image, int hundredths, QRgb fill)
{
    if (image.isNull())
        return err::InvalidBitmap;
    const int angle = ((hundredths % 36000) + 36000) % 36000;
    if (angle == 0)
        return 0;
    if (angle % 9000 == 0)
        return rotateQuarters(image, angle / 9000);
    return rotateFree(image, angle / 100.0, fill);
}

namespace {

// The picture in the form the geometric effects take, and a blank picture of
// its size, format and palette to write into; 0, or the error.
int sameSizeTarget(const QImage& image, QImage* src, QImage* out)
{
    if (image.isNull())
        return err::InvalidBitmap;
    if (const int r = geometryKind(image, src))
        return r;
    *out = blankLike(*src, src->size(), src->format());
    if (out->isNull())
        return err::NoMemory;
    out->setColorTable(src->colorTable());
    return 0;
}

} // namespace

int flip(QImage& image)
{
    QImage src, out;
    if (const int r = sameSizeTarget(image, &src, &out))
        return r;
    const int h = src.height();
    const size_t bytes = size_t(src.width()) * size_t(src.depth() / 8);
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(h, src.width(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            std::memcpy(bits + y * stride, src.constScanLine(h - 1 - y), bytes);
    });
    image = out;
    return 0;
}

int reverse(QImage& image)
{
    QImage src, out;
    if (const int r = sameSizeTarget(image, &src, &out))
        return r;
    const int w = src.width(), bpp = src.depth() / 8;
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(src.height(), w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = bits + y * stride;
            for (int x = 0; x < w; ++x)
                std::memcpy(d + x * bpp, s + (w - 1 - x) * bpp, size_t(bpp));
        }
    });
    image = out;
    return 0;
}

// ---------------------------------------------------------------- changes of kind

namespace {

// Gray values of a picture, 8 bits a pixel.
int grayOf(const QImage& image, QImage* out)
{
    QImage src;
    if (const int r = workKind(image, &src))
        return r;
    if (src.format() == QImage::Format_Grayscale8) {
        *out = src;
        return 0;
    }
    QImage gray = blankLike(src, src.size(), QImage::Format_Grayscale8);
    if (gray.isNull())
        return err::NoMemory;
    const int w = src.width();
    uchar* bits = gray.bits();
    const qsizetype stride = gray.bytesPerLine();
    parallelRows(src.height(), w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = bits + y * stride;
            for (int x = 0; x < w; ++x)
                d[x] = uchar(luma(s[x * 4 + 2], s[x * 4 + 1], s[x * 4]));
        }
    });
    *out = gray;
    return 0;
}

} // namespace

int grayscale(QImage& image, int bits)
{
    if (image.isNull())
        return err::InvalidBitmap;
    if (bits != 8)
        return err::InvalidBitsPerPixel;
    QImage gray;
    if (const int r = grayOf(image, &gray))
        return r;
    image = gray;
    return 0;
}

int halftone(QImage& image, int angle)
{
    if (image.isNull())
        return err::InvalidBitmap;
    QImage gray;
    if (const int r = grayOf(image, &gray))
        return r;
    QImage out = blankLike(gray, gray.size(), QImage::Format_Mono);
    if (out.isNull())
        return err::NoMemory;
    out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    // A dot screen of period 6 pixels; the threshold of each place comes
    // from a table of the dot's shape over one period.
    constexpr int kPeriod = 6, kSteps = 1024;
    static const std::array<float, kSteps> wave = [] {
        std::array<float, kSteps> t{};
        for (int i = 0; i < kSteps; ++i)
            t[size_t(i)] = float(std::cos(2 * std::numbers::pi * i / kSteps));
        return t;
    }();
    const double a = angle * std::numbers::pi / 180.0;
    const double ca = std::cos(a) * kSteps / kPeriod, sa = std::sin(a) * kSteps / kPeriod;
    const int w = gray.width();
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(gray.height(), w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const uchar* s = gray.constScanLine(y);
            uchar* d = bits + y * stride;
            std::memset(d, 0, size_t(stride));
            for (int x = 0; x < w; ++x) {
                const auto u = qint64(std::floor(x * ca + y * sa)), v = qint64(std::floor(y * ca - x * sa));
                const float spot = wave[size_t(u & (kSteps - 1))] + wave[size_t(v & (kSteps - 1))];
                const float threshold = 0.5f + 254.0f * (spot + 2.0f) / 4.0f;
                if (s[x] >= threshold)
                    d[x >> 3] |= uchar(0x80 >> (x & 7));
            }
        }
    });
    image = out;
    return 0;
}

namespace {

// A fixed palette: black and white, the 16 colours of the VGA, or a 6 x 6 x 6
// colour cube with 40 grays.
QList<QRgb> fixedPalette(int bits)
{
    if (bits == 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    if (bits == 4)
        return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    QList<QRgb> p;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p << qRgb(r * 51, g * 51, b * 51);
    for (int i = 1; i <= 40; ++i)
        p << qRgb(i * 255 / 41, i * 255 / 41, i * 255 / 41);
    return p;
}

// A palette fitted to the picture by ImageMagick, from a small copy of it.
int fittedPalette(const QImage& src, int colours, QList<QRgb>* out)
{
    const QImage small = (src.width() > 256 || src.height() > 256 ? src.scaled(256, 256, Qt::KeepAspectRatio)
                                                                  : src)
                             .convertToFormat(QImage::Format_RGB32);
    if (small.isNull())
        return err::NoMemory;
    // ImageMagick asserts rather than throws on a picture past its limits.
    if (!withinImagingLimits(small.width(), small.height()))
        return err::NoMemory;
    const MagickFunctions* magick = magickFunctions();
    return magick ? magick->fitPalette(small, colours, out) : err::Failure;
}

// The nearest palette entry for each colour, 6 bits a channel.
std::vector<uchar> nearestTable(const QList<QRgb>& palette)
{
    std::vector<uchar> table(size_t(1) << 18);
    parallelRows(64, 64 * 64 * palette.size(), [&](int r0, int r1) {
        for (int r = r0; r < r1; ++r)
            for (int g = 0; g < 64; ++g)
                for (int b = 0; b < 64; ++b) {
                    const int cr = r * 4 + 2, cg = g * 4 + 2, cb = b * 4 + 2;
                    int best = 0, bestDistance = INT_MAX;
                    for (int i = 0; i < palette.size(); ++i) {
                        const QRgb p = palette.at(i);
                        const int dr = qRed(p) - cr, dg = qGreen(p) - cg, db = qBlue(p) - cb;
                        const int distance = dr * dr * 3 + dg * dg * 4 + db * db * 2;
                        if (distance < bestDistance) {
                            bestDistance = distance;
                            best = i;
                        }
                    }
                    table[size_t((r << 12) | (g << 6) | b)] = uchar(best);
                }
    });
    return table;
}

int nearestIndex(const std::vector<uchar>& table, int r, int g, int b)
{
    return table[size_t(((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2))];
}

// Maps every pixel to the palette; with dither the error of each pixel goes
// on to its neighbours to the right and below (7, 3, 5, 1 sixteenths).
void mapToPalette(const QImage& src, QImage& out, const QList<QRgb>& palette, bool dither)
{
    const std::vector<uchar> table = nearestTable(palette);
    const int w = src.width(), h = src.height();
    uchar* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    if (!dither) {
        parallelRows(h, w, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) {
                const uchar* s = src.constScanLine(y);
                for (int x = 0; x < w; ++x)
                    bits[y * stride + x] = uchar(nearestIndex(table, s[x * 4 + 2], s[x * 4 + 1], s[x * 4]));
            }
        });
        return;
    }
    std::vector<int> here(size_t(w + 2) * 3), next(here.size());
    for (int y = 0; y < h; ++y) {
        const uchar* s = src.constScanLine(y);
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < w; ++x) {
            std::array<int, 3> want{};
            for (int c = 0; c < 3; ++c)
                want[size_t(c)] = std::clamp(s[x * 4 + 2 - c] + here[size_t(x + 1) * 3 + size_t(c)] / 16, 0, 255);
            const int index = nearestIndex(table, want[0], want[1], want[2]);
            bits[y * stride + x] = uchar(index);
            const QRgb got = palette.at(index);
            const std::array<int, 3> have{qRed(got), qGreen(got), qBlue(got)};
            for (int c = 0; c < 3; ++c) {
                const int e = want[size_t(c)] - have[size_t(c)];
                here[size_t(x + 2) * 3 + size_t(c)] += e * 7;
                next[size_t(x) * 3 + size_t(c)] += e * 3;
                next[size_t(x + 1) * 3 + size_t(c)] += e * 5;
                next[size_t(x + 2) * 3 + size_t(c)] += e;
            }
        }
        std::swap(here, next);
    }
}

} // namespace

int colorRes(QImage& image, int bits, int palette, int dither)
{
    if (image.isNull())
        return err::InvalidBitmap;
    if (bits == 24 || bits == 32) {
        QImage c = image.convertToFormat(bits == 24 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
        if (c.isNull())
            return err::NoMemory;
        image = c;
        return 0;
    }
    if (bits != 1 && bits != 4 && bits != 8)
        return err::InvalidBitsPerPixel;
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    if (src.isNull())
        return err::NoMemory;
    QList<QRgb> colours;
    if (palette == 1 || bits == 1) {
        colours = fixedPalette(bits);
    } else if (const int r = fittedPalette(src, 1 << bits, &colours)) {
        return r;
    }
    QImage out = blankLike(image, image.size(), QImage::Format_Indexed8);
    if (out.isNull())
        return err::NoMemory;
    out.setColorTable(colours);
    mapToPalette(src, out, colours, dither != 0);
    image = out;
    return 0;
}

SpareMemory::SpareMemory() { SpareBuffer::instance().use(1); }
SpareMemory::~SpareMemory() { SpareBuffer::instance().use(-1); }

} // namespace platform::effects
