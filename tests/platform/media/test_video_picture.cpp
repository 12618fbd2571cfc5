// The pictures of a playing video made on the processor: each layout the
// engine hands on comes out in its own colours, rows padded as engines pad
// them, and what cannot be read gives no picture.
#include "platform/media/VideoPicture.h"

#include <QColor>
#include <QImage>
#include <QVector>
#include <string>
#include <gtest/gtest.h>

extern "C" {
#include <libswscale/swscale.h>
}

using namespace platform;

namespace {

constexpr int kW = 64, kH = 48;
const QColor kQuarters[4] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(20, 40, 210), QColor(235, 225, 60)};

QColor colourAt(int x, int y) { return kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)]; }

// How RGB was made YUV: the range and the matrix (its red and blue weights).
struct Coding {
    ColourRange range = ColourRange::Limited;
    ColourMatrix matrix = ColourMatrix::Bt601;
};

struct Yuv {
    int y, u, v;
};

double redWeight(Coding coding)
{
    return coding.matrix == ColourMatrix::Bt709 ? 0.2126 : coding.matrix == ColourMatrix::Bt2020 ? 0.2627 : 0.299;
}
double blueWeight(Coding coding)
{
    return coding.matrix == ColourMatrix::Bt709 ? 0.0722 : coding.matrix == ColourMatrix::Bt2020 ? 0.0593 : 0.114;
}

// The textbook conversion, in floating point, rounded to 8-bit samples.
Yuv yuvOf(const QColor& c, Coding coding = {})
{
    const double kr = redWeight(coding), kb = blueWeight(coding);
    const double luma = kr * c.red() + (1 - kr - kb) * c.green() + kb * c.blue();
    const double pb = (c.blue() - luma) / (2 * (1 - kb)), pr = (c.red() - luma) / (2 * (1 - kr));
    if (coding.range == ColourRange::Full)
        return {qRound(luma), qRound(128 + pb), qRound(128 + pr)};
    return {qRound(16 + luma * 219 / 255), qRound(128 + pb * 224 / 255), qRound(128 + pr * 224 / 255)};
}

// The colour the rounded samples stand for: the textbook's way back.
QColor rgbOf(Yuv yuv, Coding coding)
{
    const double kr = redWeight(coding), kb = blueWeight(coding);
    const bool full = coding.range == ColourRange::Full;
    const double luma = full ? yuv.y : (yuv.y - 16) * 255.0 / 219;
    const double pb = (yuv.u - 128) * (full ? 1.0 : 255.0 / 224), pr = (yuv.v - 128) * (full ? 1.0 : 255.0 / 224);
    const double r = luma + 2 * (1 - kr) * pr, b = luma + 2 * (1 - kb) * pb;
    const double g = (luma - kr * r - kb * b) / (1 - kr - kb);
    return QColor(qBound(0, qRound(r), 255), qBound(0, qRound(g), 255), qBound(0, qRound(b), 255));
}

// The planes of one picture, rows padded past the picture's width.
struct Planes {
    QVector<QByteArray> bytes;
    QVector<int> strides;
    PixelLayout layout;
    Coding coding;

    VideoPlanes view() const
    {
        VideoPlanes p;
        p.layout = layout;
        p.range = coding.range;
        p.matrix = coding.matrix;
        p.size = QSize(kW, kH);
        for (int i = 0; i < bytes.size(); ++i) {
            p.data[i] = reinterpret_cast<const uchar*>(bytes[i].constData());
            p.bytesPerLine[i] = strides[i];
        }
        return p;
    }
    void add(int stride, int rows)
    {
        bytes << QByteArray(stride * rows, char(0x5A)); // padding that would show as a colour
        strides << stride;
    }
    void set(int plane, int x, int y, int value) { bytes[plane][y * strides[plane] + x] = char(value); }
};

Planes planar(PixelLayout layout, int chromaWidth, int chromaHeight, Coding coding = {})
{
    Planes p{{}, {}, layout, coding};
    p.add(kW + 16, kH);
    p.add(chromaWidth + 8, chromaHeight);
    p.add(chromaWidth + 8, chromaHeight);
    const int sx = kW / chromaWidth, sy = kH / chromaHeight;
    const bool vFirst = layout == PixelLayout::Yv12;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            p.set(0, x, y, yuvOf(colourAt(x, y), coding).y);
    for (int y = 0; y < chromaHeight; ++y)
        for (int x = 0; x < chromaWidth; ++x) {
            const Yuv c = yuvOf(colourAt(x * sx, y * sy), coding);
            p.set(vFirst ? 2 : 1, x, y, c.u);
            p.set(vFirst ? 1 : 2, x, y, c.v);
        }
    return p;
}

Planes semiPlanar(PixelLayout layout, Coding coding = {})
{
    Planes p{{}, {}, layout, coding};
    p.add(kW + 16, kH);
    p.add(kW + 16, kH / 2);
    const bool vFirst = layout == PixelLayout::Nv21;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            p.set(0, x, y, yuvOf(colourAt(x, y), coding).y);
    for (int y = 0; y < kH / 2; ++y)
        for (int x = 0; x < kW / 2; ++x) {
            const Yuv c = yuvOf(colourAt(x * 2, y * 2), coding);
            p.set(1, 2 * x + vFirst, y, c.u);
            p.set(1, 2 * x + !vFirst, y, c.v);
        }
    return p;
}

Planes packed(PixelLayout layout, Coding coding = {})
{
    Planes p{{}, {}, layout, coding};
    p.add(kW * 2 + 12, kH);
    const bool lumaFirst = layout == PixelLayout::Yuyv;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; x += 2) {
            const Yuv c = yuvOf(colourAt(x, y), coding);
            const int at = x * 2;
            p.set(0, at + !lumaFirst, y, c.y);
            p.set(0, at + 2 + !lumaFirst, y, yuvOf(colourAt(x + 1, y), coding).y);
            p.set(0, at + lumaFirst, y, c.u);
            p.set(0, at + 2 + lumaFirst, y, c.v);
        }
    return p;
}

// The picture as FFmpeg makes it RGB: a context of its own, set up as
// ffmpeg's scaler sets one up for a frame of that range and matrix (the
// full-range planar frames in the "J" layout that holds JPEG's range).
QImage ffmpegRgb(const Planes& planes)
{
    const bool full = planes.coding.range == ColourRange::Full;
    AVPixelFormat from = AV_PIX_FMT_NONE;
    if (planes.layout == PixelLayout::Yuv420p)
        from = full ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
    else if (planes.layout == PixelLayout::Nv12)
        from = AV_PIX_FMT_NV12;
    else if (planes.layout == PixelLayout::Yuyv)
        from = AV_PIX_FMT_YUYV422;
    const int space = planes.coding.matrix == ColourMatrix::Bt709    ? SWS_CS_ITU709
                      : planes.coding.matrix == ColourMatrix::Bt2020 ? SWS_CS_BT2020
                                                                     : SWS_CS_ITU601;
    SwsContext* sws =
        sws_getContext(kW, kH, from, kW, kH, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!sws)
        return {};
    sws_setColorspaceDetails(sws, sws_getCoefficients(space), full, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                             1 << 16, 1 << 16);
    QImage image(kW + 64, kH + 1, QImage::Format_RGB32); // room for swscale's vector code
    const VideoPlanes p = planes.view();
    const uint8_t* source[4] = {p.data[0], p.data[1], p.data[2], p.data[3]};
    uint8_t* target[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    const int rows = sws_scale(sws, source, p.bytesPerLine, 0, kH, target, targetStride);
    sws_freeContext(sws);
    return rows == kH ? image.copy(0, 0, kW, kH) : QImage();
}

// Each quarter as in the reference, within 2 levels, and near (within 4) the
// colour its samples stand for by the textbook.
void expectAsFfmpeg(const QImage& image, const Planes& planes, const std::string& what)
{
    const QImage reference = ffmpegRgb(planes);
    ASSERT_EQ(image.size(), reference.size()) << what;
    for (int q = 0; q < 4; ++q) {
        const QPoint at(kW / 4 + (q % 2) * kW / 2, kH / 4 + (q / 2) * kH / 2);
        const QColor got = image.pixelColor(at), want = reference.pixelColor(at);
        const QColor exact = rgbOf(yuvOf(kQuarters[q], planes.coding), planes.coding);
        EXPECT_NEAR(got.red(), want.red(), 2) << what << " quarter " << q;
        EXPECT_NEAR(got.green(), want.green(), 2) << what << " quarter " << q;
        EXPECT_NEAR(got.blue(), want.blue(), 2) << what << " quarter " << q;
        EXPECT_NEAR(got.red(), exact.red(), 4) << what << " quarter " << q << " by the textbook";
        EXPECT_NEAR(got.green(), exact.green(), 4) << what << " quarter " << q << " by the textbook";
        EXPECT_NEAR(got.blue(), exact.blue(), 4) << what << " quarter " << q << " by the textbook";
    }
}

void expectQuarters(const QImage& image, const std::string& what)
{
    ASSERT_EQ(image.size(), QSize(kW, kH)) << what;
    for (int q = 0; q < 4; ++q) {
        const QPoint at(kW / 4 + (q % 2) * kW / 2, kH / 4 + (q / 2) * kH / 2);
        const QColor got = image.pixelColor(at), want = kQuarters[q];
        EXPECT_NEAR(got.red(), want.red(), 8) << what << " quarter " << q;
        EXPECT_NEAR(got.green(), want.green(), 8) << what << " quarter " << q;
        EXPECT_NEAR(got.blue(), want.blue(), 8) << what << " quarter " << q;
        EXPECT_EQ(got.alpha(), 255) << what;
    }
}

} // namespace

TEST(VideoPictures, EveryYuvLayoutComesOutInItsOwnColours)
{
    VideoPictureConverter converter;
    const struct {
        const char* name;
        Planes planes;
    } cases[] = {
        {"YUV 4:2:0", planar(PixelLayout::Yuv420p, kW / 2, kH / 2)},
        {"YV12", planar(PixelLayout::Yv12, kW / 2, kH / 2)},
        {"YUV 4:2:2", planar(PixelLayout::Yuv422p, kW / 2, kH)},
        {"NV12", semiPlanar(PixelLayout::Nv12)},
        {"NV21", semiPlanar(PixelLayout::Nv21)},
        {"YUYV", packed(PixelLayout::Yuyv)},
        {"UYVY", packed(PixelLayout::Uyvy)},
    };
    for (const auto& c : cases) // one converter for all: sizes and layouts change between frames
        expectQuarters(converter.convert(c.planes.view()), c.name);
}

// Cameras and screen recorders write full-range YUV, high-definition video
// is made with the BT.709 matrix and UHD with BT.2020: each frame is read
// with its own, one converter following the changes from frame to frame.
TEST(VideoPictures, EachFrameIsReadWithItsOwnRangeAndMatrix)
{
    VideoPictureConverter converter;
    const ColourRange ranges[] = {ColourRange::Limited, ColourRange::Full};
    const ColourMatrix matrices[] = {ColourMatrix::Bt601, ColourMatrix::Bt709, ColourMatrix::Bt2020};
    for (const ColourMatrix matrix : matrices)
        for (const ColourRange range : ranges) {
            const Coding coding{range, matrix};
            const std::string name = std::string(range == ColourRange::Full ? "full" : "limited") + " range, BT." +
                                     (matrix == ColourMatrix::Bt601   ? "601"
                                      : matrix == ColourMatrix::Bt709 ? "709"
                                                                      : "2020");
            const Planes cases[] = {planar(PixelLayout::Yuv420p, kW / 2, kH / 2, coding),
                                    semiPlanar(PixelLayout::Nv12, coding), packed(PixelLayout::Yuyv, coding)};
            const char* layouts[] = {", YUV 4:2:0", ", NV12", ", YUYV"};
            for (int i = 0; i < 3; ++i)
                expectAsFfmpeg(converter.convert(cases[i].view()), cases[i], name + layouts[i]);
            // Made smaller on the way, as a large frame is for the screen.
            const QImage half = converter.convert(cases[0].view(), QSize(kW / 2, kH / 2));
            expectAsFfmpeg(half.scaled(kW, kH), cases[0], name + ", made smaller");
        }
}

TEST(VideoPictures, RgbLayoutsKeepTheirBytesAndTheirAlpha)
{
    VideoPictureConverter converter;
    const QColor colour(200, 100, 50, 128);
    // Bytes in memory order, with padding after each row.
    QByteArray rgba((kW * 4 + 8) * kH, 0), bgrx((kW * 4 + 8) * kH, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int at = y * (kW * 4 + 8) + x * 4;
            const char px[4] = {char(colour.red()), char(colour.green()), char(colour.blue()), char(colour.alpha())};
            const char bx[4] = {char(colour.blue()), char(colour.green()), char(colour.red()), char(7)};
            std::copy(px, px + 4, rgba.data() + at);
            std::copy(bx, bx + 4, bgrx.data() + at);
        }
    VideoPlanes p;
    p.size = QSize(kW, kH);
    p.bytesPerLine[0] = kW * 4 + 8;

    p.layout = PixelLayout::Rgba8888;
    p.data[0] = reinterpret_cast<const uchar*>(rgba.constData());
    const QImage withAlpha = converter.convert(p);
    ASSERT_TRUE(withAlpha.hasAlphaChannel());
    EXPECT_EQ(withAlpha.pixelColor(kW - 1, kH - 1), colour);

    p.layout = PixelLayout::Bgrx8888;
    p.data[0] = reinterpret_cast<const uchar*>(bgrx.constData());
    const QImage opaque = converter.convert(p);
    EXPECT_FALSE(opaque.hasAlphaChannel());
    EXPECT_EQ(opaque.pixelColor(3, 5), QColor(colour.red(), colour.green(), colour.blue()));
}

TEST(VideoPictures, WhatCannotBeReadGivesNoPicture)
{
    VideoPictureConverter converter;
    Planes planes = planar(PixelLayout::Yuv420p, kW / 2, kH / 2);
    VideoPlanes p = planes.view();
    p.layout = PixelLayout::Unknown;
    EXPECT_TRUE(converter.convert(p).isNull()) << "a layout the converter does not know";
    p = planes.view();
    p.data[2] = nullptr;
    EXPECT_TRUE(converter.convert(p).isNull()) << "a plane missing";
    p = planes.view();
    p.size = QSize();
    EXPECT_TRUE(converter.convert(p).isNull()) << "no size";
    EXPECT_FALSE(converter.convert(planes.view()).isNull()) << "the whole picture still converts";
}
