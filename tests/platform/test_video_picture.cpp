// The pictures of a playing video made on the processor: each layout the
// engine hands on comes out in its own colours, rows padded as engines pad
// them, and what cannot be read gives no picture.
#include "platform/VideoPicture.h"

#include <QColor>
#include <QImage>
#include <QVector>
#include <gtest/gtest.h>

using namespace platform;

namespace {

constexpr int kW = 64, kH = 48;
const QColor kQuarters[4] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(20, 40, 210), QColor(235, 225, 60)};

QColor colourAt(int x, int y) { return kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)]; }

// Studio-range BT.601, the conversion's default for pictures of this size.
int lumaOf(const QColor& c) { return qRound(16 + 0.257 * c.red() + 0.504 * c.green() + 0.098 * c.blue()); }
int blueDiffOf(const QColor& c) { return qRound(128 - 0.148 * c.red() - 0.291 * c.green() + 0.439 * c.blue()); }
int redDiffOf(const QColor& c) { return qRound(128 + 0.439 * c.red() - 0.368 * c.green() - 0.071 * c.blue()); }

// The planes of one picture, rows padded past the picture's width.
struct Planes {
    QVector<QByteArray> bytes;
    QVector<int> strides;
    PixelLayout layout;

    VideoPlanes view() const
    {
        VideoPlanes p;
        p.layout = layout;
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

Planes planar(PixelLayout layout, int chromaWidth, int chromaHeight)
{
    Planes p{{}, {}, layout};
    p.add(kW + 16, kH);
    p.add(chromaWidth + 8, chromaHeight);
    p.add(chromaWidth + 8, chromaHeight);
    const int sx = kW / chromaWidth, sy = kH / chromaHeight;
    const bool vFirst = layout == PixelLayout::Yv12;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            p.set(0, x, y, lumaOf(colourAt(x, y)));
    for (int y = 0; y < chromaHeight; ++y)
        for (int x = 0; x < chromaWidth; ++x) {
            const QColor c = colourAt(x * sx, y * sy);
            p.set(vFirst ? 2 : 1, x, y, blueDiffOf(c));
            p.set(vFirst ? 1 : 2, x, y, redDiffOf(c));
        }
    return p;
}

Planes semiPlanar(PixelLayout layout)
{
    Planes p{{}, {}, layout};
    p.add(kW + 16, kH);
    p.add(kW + 16, kH / 2);
    const bool vFirst = layout == PixelLayout::Nv21;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            p.set(0, x, y, lumaOf(colourAt(x, y)));
    for (int y = 0; y < kH / 2; ++y)
        for (int x = 0; x < kW / 2; ++x) {
            const QColor c = colourAt(x * 2, y * 2);
            p.set(1, 2 * x + vFirst, y, blueDiffOf(c));
            p.set(1, 2 * x + !vFirst, y, redDiffOf(c));
        }
    return p;
}

Planes packed(PixelLayout layout)
{
    Planes p{{}, {}, layout};
    p.add(kW * 2 + 12, kH);
    const bool lumaFirst = layout == PixelLayout::Yuyv;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; x += 2) {
            const QColor c = colourAt(x, y);
            const int at = x * 2;
            p.set(0, at + !lumaFirst, y, lumaOf(c));
            p.set(0, at + 2 + !lumaFirst, y, lumaOf(colourAt(x + 1, y)));
            p.set(0, at + lumaFirst, y, blueDiffOf(c));
            p.set(0, at + 2 + lumaFirst, y, redDiffOf(c));
        }
    return p;
}

void expectQuarters(const QImage& image, const char* what)
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
