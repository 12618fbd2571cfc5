#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureEffects.h"

#include <Magick++.h>
#ifdef Intensity
#undef Intensity
#endif

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace platform;
namespace fx = platform::effects;

namespace {

// A photo-like picture: gradients with grain, so every value occurs.
QImage photo(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_ARGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(40));
            img.setPixel(x, y, qRgba((x * 255 / w + n) & 0xff, (y * 255 / h + n) & 0xff, ((x + y) * 3 + n) & 0xff,
                                     format == QImage::Format_ARGB32 ? 100 + n : 255));
        }
    return img.convertToFormat(format);
}

// A gray picture whose pixels are given row by row.
QImage grays(int w, int h, std::initializer_list<int> values)
{
    QImage img(w, h, QImage::Format_Grayscale8);
    auto it = values.begin();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.scanLine(y)[x] = uchar(*it++);
    return img;
}

int grayAt(const QImage& img, int x, int y) { return img.constScanLine(y)[x]; }

// A vertical step: v0 left of column `at`, v1 from it on.
QImage step(int w, int h, int at, int v0, int v1)
{
    QImage img(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.scanLine(y)[x] = uchar(x < at ? v0 : v1);
    return img;
}

// The median by sorting, with the edge pixels repeated outwards.
QImage bruteMedian(const QImage& src, int size)
{
    QImage out = src;
    const int lo = -(size / 2), hi = size - 1 + lo;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            for (int c = 0; c < 3; ++c) {
                std::vector<int> v;
                for (int dy = lo; dy <= hi; ++dy)
                    for (int dx = lo; dx <= hi; ++dx) {
                        const int sx = std::clamp(x + dx, 0, src.width() - 1);
                        const int sy = std::clamp(y + dy, 0, src.height() - 1);
                        v.push_back(src.constScanLine(sy)[sx * 4 + c]);
                    }
                std::sort(v.begin(), v.end());
                out.scanLine(y)[x * 4 + c] = uchar(v[(v.size() - 1) / 2]);
            }
    return out;
}

} // namespace

TEST(PictureEffects, NeutralValuesLeaveEveryKindOfPictureBitForBit)
{
    const QList<QImage> pictures = {photo(37, 23), photo(37, 23, QImage::Format_ARGB32),
                                    photo(37, 23, QImage::Format_Grayscale8),
                                    photo(37, 23).convertToFormat(QImage::Format_Indexed8)};
    const QList<std::pair<const char*, std::function<int(QImage&)>>> neutral = {
        {"intensity", [](QImage& p) { return fx::intensity(p, 0); }},
        {"contrast", [](QImage& p) { return fx::contrast(p, 0); }},
        {"histogram contrast", [](QImage& p) { return fx::histoContrast(p, 0); }},
        {"hue", [](QImage& p) { return fx::hue(p, 360); }},
        {"saturation", [](QImage& p) { return fx::saturation(p, 0); }},
        {"gamma", [](QImage& p) { return fx::gammaCorrect(p, 100); }},
        {"posterize", [](QImage& p) { return fx::posterize(p, 256); }},
        {"mosaic", [](QImage& p) { return fx::mosaic(p, 1); }},
        {"median", [](QImage& p) { return fx::median(p, 1); }},
        {"sharpen", [](QImage& p) { return fx::sharpen(p, 0); }},
        {"noise", [](QImage& p) { return fx::addNoise(p, 0, 0, 1); }},
        {"rotate", [](QImage& p) { return fx::rotate(p, -36000, qRgb(0, 0, 255)); }},
    };
    for (const QImage& original : pictures)
        for (const auto& [name, effect] : neutral) {
            QImage p = original;
            ASSERT_EQ(effect(p), 0) << name;
            EXPECT_EQ(p.format(), original.format()) << name;
            EXPECT_EQ(p, original) << name << " on format " << original.format();
        }
    // Hue and saturation have nothing to change on gray.
    QImage gray = pictures.at(2);
    ASSERT_EQ(fx::hue(gray, 90), 0);
    ASSERT_EQ(fx::saturation(gray, -1000), 0);
    EXPECT_EQ(gray, pictures.at(2));
}

TEST(PictureEffects, ColourTablesGiveTheirKnownValues)
{
    QImage ramp(256, 1, QImage::Format_Grayscale8);
    for (int v = 0; v < 256; ++v)
        ramp.scanLine(0)[v] = uchar(v);
    QImage two = ramp, three = ramp, gamma = ramp, inverted = ramp;
    ASSERT_EQ(fx::posterize(two, 2), 0);
    ASSERT_EQ(fx::posterize(three, 3), 0);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(grayAt(two, v, 0), v < 128 ? 0 : 255) << v;
        EXPECT_EQ(grayAt(three, v, 0), v < 64 ? 0 : v < 192 ? 128 : 255) << v;
    }
    ASSERT_EQ(fx::gammaCorrect(gamma, 150), 0);
    EXPECT_EQ(grayAt(gamma, 64, 0), 101); // 255 * (64 / 255) ^ (1 / 1.5) = 101.46
    EXPECT_EQ(grayAt(gamma, 255, 0), 255);
    ASSERT_EQ(fx::invert(inverted), 0);
    EXPECT_EQ(grayAt(inverted, 10, 0), 245);

    QImage narrow = grays(3, 1, {50, 100, 150});
    ASSERT_EQ(fx::stretchIntensity(narrow), 0);
    EXPECT_EQ(narrow, grays(3, 1, {0, 128, 255}));

    // A palette picture changes its palette alone.
    QImage palette = photo(20, 10).convertToFormat(QImage::Format_Indexed8);
    const QImage before = palette;
    ASSERT_EQ(fx::invert(palette), 0);
    EXPECT_EQ(palette.format(), QImage::Format_Indexed8);
    EXPECT_EQ(palette.pixelIndex(3, 4), before.pixelIndex(3, 4));
    EXPECT_EQ(palette.pixel(3, 4), (~before.pixel(3, 4) & 0x00FFFFFF) | 0xFF000000);
}

TEST(PictureEffects, HueAndSaturationTurnAndFadeColours)
{
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    QImage turned = red, faded = red;
    ASSERT_EQ(fx::hue(turned, 120), 0);
    EXPECT_EQ(turned.pixel(1, 1), qRgb(0, 255, 0));
    ASSERT_EQ(fx::saturation(faded, -1000), 0);
    EXPECT_EQ(faded.pixel(0, 0), qRgb(76, 76, 76));
    QImage alpha = photo(8, 8, QImage::Format_ARGB32);
    const QImage alphaBefore = alpha;
    ASSERT_EQ(fx::saturation(alpha, 500), 0);
    EXPECT_EQ(qAlpha(alpha.pixel(5, 5)), qAlpha(alphaBefore.pixel(5, 5)));
}

TEST(PictureEffects, MosaicTilesIncludingThePartlyCoveredEdges)
{
    // 5 x 3 with tiles of 2: three tiles across (the last one pixel wide), two down.
    QImage img = grays(5, 3, {0, 10, 20, 30, 40,   //
                              50, 60, 70, 80, 90,  //
                              100, 110, 120, 130, 140});
    ASSERT_EQ(fx::mosaic(img, 2), 0);
    EXPECT_EQ(img, grays(5, 3, {30, 30, 50, 50, 65,   //
                                30, 30, 50, 50, 65,   //
                                105, 105, 125, 125, 140}));
}

TEST(PictureEffects, MediansMatchTheSortedNeighbourhoodOnEveryCore)
{
    // Large enough to be split over the cores.
    const QImage src = photo(301, 257);
    for (int size : {3, 4, 5, 11}) {
        QImage out = src;
        ASSERT_EQ(fx::median(out, size), 0);
        EXPECT_EQ(out, bruteMedian(src, size)) << "size " << size;
    }
}

TEST(PictureEffects, SharpenAndBlurAreOneKernel)
{
    const QImage src = photo(40, 30);
    QImage blurred = src;
    ASSERT_EQ(fx::sharpen(blurred, -1000), 0);
    // The full blur is the 1-2-1 kernel in both directions, edges repeated.
    const auto at = [&](int x, int y, int c) {
        return int(src.constScanLine(std::clamp(y, 0, 29))[std::clamp(x, 0, 39) * 4 + c]);
    };
    for (int y : {0, 13, 29})
        for (int x : {0, 21, 39})
            for (int c = 0; c < 3; ++c) {
                const int sum = at(x - 1, y - 1, c) + 2 * at(x, y - 1, c) + at(x + 1, y - 1, c) +
                                2 * (at(x - 1, y, c) + 2 * at(x, y, c) + at(x + 1, y, c)) + at(x - 1, y + 1, c) +
                                2 * at(x, y + 1, c) + at(x + 1, y + 1, c);
                EXPECT_NEAR(blurred.constScanLine(y)[x * 4 + c], sum / 16.0, 0.51) << x << "," << y;
            }
    QImage flat(9, 9, QImage::Format_ARGB32);
    flat.fill(qRgba(90, 120, 200, 77));
    const QImage flatBefore = flat;
    ASSERT_EQ(fx::sharpen(flat, 1000), 0);
    EXPECT_EQ(flat, flatBefore);
    QImage edge = step(6, 3, 3, 100, 150);
    ASSERT_EQ(fx::sharpen(edge, 250), 0);
    EXPECT_LT(grayAt(edge, 2, 1), 100);
    EXPECT_GT(grayAt(edge, 3, 1), 150);
}

TEST(PictureEffects, NoiseIsBoundedAndRepeatsWithItsSeed)
{
    QImage mid(64, 48, QImage::Format_RGB32);
    mid.fill(qRgb(128, 128, 128));
    QImage a = mid, b = mid, c = mid, red = mid;
    ASSERT_EQ(fx::addNoise(a, 500, 0, 42), 0);
    ASSERT_EQ(fx::addNoise(b, 500, 0, 42), 0);
    ASSERT_EQ(fx::addNoise(c, 500, 0, 43), 0);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    int lowest = 255, highest = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int v : {qRed(a.pixel(x, y)), qGreen(a.pixel(x, y)), qBlue(a.pixel(x, y))}) {
                lowest = std::min(lowest, v);
                highest = std::max(highest, v);
            }
    EXPECT_EQ(lowest, 128 - 63);
    EXPECT_EQ(highest, 128 + 63);
    ASSERT_EQ(fx::addNoise(red, 1000, 1, 5), 0);
    bool redMoved = false;
    for (int x = 0; x < 64; ++x) {
        redMoved = redMoved || qRed(red.pixel(x, 7)) != 128;
        EXPECT_EQ(qGreen(red.pixel(x, 7)), 128);
        EXPECT_EQ(qBlue(red.pixel(x, 7)), 128);
    }
    EXPECT_TRUE(redMoved);
}

TEST(PictureEffects, EmbossAndEdgeFiltersFollowTheirKernels)
{
    const QImage flat = step(6, 4, 0, 0, 77);
    QImage embossed = flat;
    ASSERT_EQ(fx::emboss(embossed, 3, 900), 0);
    EXPECT_EQ(embossed, step(6, 4, 0, 0, 128)); // no relief: all middle gray
    QImage east = step(6, 4, 3, 100, 120), west = east;
    ASSERT_EQ(fx::emboss(east, 2, 250), 0);
    ASSERT_EQ(fx::emboss(west, 6, 500), 0);
    EXPECT_EQ(grayAt(east, 2, 1), 148);
    EXPECT_EQ(grayAt(east, 0, 1), 128);
    EXPECT_EQ(grayAt(west, 3, 1), 88);

    // Every kernel sums to nothing: a flat picture gives black. Across a
    // vertical step of 20 the vertical filters see it, the horizontal ones do not.
    const std::pair<int, int> expected[] = {{22, 0}, {23, 80}, {24, 0}, {25, 60}, {27, 0}, {28, 0}};
    for (const auto& [code, value] : expected) {
        QImage f = flat, across = step(6, 4, 3, 40, 60);
        ASSERT_EQ(fx::spatialFilter(f, code), 0) << code;
        ASSERT_EQ(fx::spatialFilter(across, code), 0);
        EXPECT_EQ(f, step(6, 4, 0, 0, 0)) << code;
        EXPECT_EQ(grayAt(across, 2, 1), value) << code;
    }
    QImage shift = step(6, 4, 3, 40, 60);
    ASSERT_EQ(fx::spatialFilter(shift, 28), 0);
    EXPECT_EQ(grayAt(shift, 3, 1), 20);
    QImage bad = flat;
    EXPECT_EQ(fx::spatialFilter(bad, 26), err::InvalidParameter);
    EXPECT_EQ(bad, flat);
}

TEST(PictureEffects, FlipsAndRightAnglesMovePixelsExactly)
{
    // 3 x 2:  1 2 3 / 4 5 6
    const QImage src = grays(3, 2, {1, 2, 3, 4, 5, 6});
    QImage flipped = src, reversed = src, r90 = src, r180 = src, r270 = src, back = src;
    ASSERT_EQ(fx::flip(flipped), 0);
    ASSERT_EQ(fx::reverse(reversed), 0);
    ASSERT_EQ(fx::rotate(r90, 9000, 0), 0);
    ASSERT_EQ(fx::rotate(r180, 18000, 0), 0);
    ASSERT_EQ(fx::rotate(r270, -9000, 0), 0);
    EXPECT_EQ(flipped, grays(3, 2, {4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(reversed, grays(3, 2, {3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(r90, grays(2, 3, {4, 1, 5, 2, 6, 3}));
    EXPECT_EQ(r180, grays(3, 2, {6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(r270, grays(2, 3, {3, 6, 2, 5, 1, 4}));
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(fx::rotate(back, 9000, 0), 0);
    EXPECT_EQ(back, src);

    // A photo turned a quarter over every core, and a palette picture keeping its palette.
    const QImage big = photo(333, 211);
    QImage turned = big;
    ASSERT_EQ(fx::rotate(turned, 27000, 0), 0);
    EXPECT_EQ(turned.size(), QSize(211, 333));
    EXPECT_EQ(turned.pixel(5, 333 - 1 - 17), big.pixel(17, 5));
    QImage indexed = big.convertToFormat(QImage::Format_Indexed8);
    const QImage indexedBefore = indexed;
    ASSERT_EQ(fx::flip(indexed), 0);
    EXPECT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(indexed.pixel(9, 0), indexedBefore.pixel(9, 210));
}

TEST(PictureEffects, FreeRotationKeepsTheSizeAndFillsTheCorners)
{
    QImage red(60, 40, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    QImage turned = red;
    ASSERT_EQ(fx::rotate(turned, 4500, qRgb(0, 0, 255)), 0);
    EXPECT_EQ(turned.size(), red.size());
    EXPECT_EQ(turned.format(), QImage::Format_RGB32);
    EXPECT_EQ(turned.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(turned.pixel(59, 39), qRgb(0, 0, 255));
    EXPECT_EQ(turned.pixel(30, 20), qRgb(255, 0, 0));

    // Turning by 20 degrees moves a marked point where the turn takes it (clockwise).
    QImage marked(101, 101, QImage::Format_RGB32);
    marked.fill(Qt::black);
    marked.setPixel(80, 50, qRgb(255, 255, 255)); // 30 right of the centre
    ASSERT_EQ(fx::rotate(marked, 9000 - 100, 0), 0);
    // Almost a quarter turn: the point lies almost straight below the centre.
    EXPECT_GT(qRed(marked.pixel(50, 80)) + qRed(marked.pixel(51, 80)), 100);
}

TEST(PictureEffects, GrayHalftoneAndColourResolutionChangeTheBits)
{
    QImage gray = photo(40, 30);
    ASSERT_EQ(fx::grayscale(gray, 8), 0);
    EXPECT_EQ(gray.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(bitsOfImage(gray), 8);
    QImage other = photo(4, 4);
    EXPECT_EQ(fx::grayscale(other, 4), err::InvalidBitsPerPixel);

    QImage halftone = photo(40, 30);
    ASSERT_EQ(fx::halftone(halftone, 45), 0);
    EXPECT_EQ(halftone.size(), QSize(40, 30));
    EXPECT_EQ(bitsOfImage(halftone), 1);

    // Three colours fitted into a 16-colour palette come back exactly.
    QImage three(30, 10, QImage::Format_RGB32);
    three.fill(qRgb(200, 30, 30));
    for (int x = 10; x < 20; ++x)
        for (int y = 0; y < 10; ++y)
            three.setPixel(x, y, x < 15 ? qRgb(20, 160, 40) : qRgb(250, 250, 250));
    QImage fitted = three;
    ASSERT_EQ(fx::colorRes(fitted, 4, 0, 0), 0);
    EXPECT_EQ(fitted.format(), QImage::Format_Indexed8);
    EXPECT_EQ(bitsOfImage(fitted), 4);
    EXPECT_EQ(fitted.convertToFormat(QImage::Format_RGB32), three);
    QImage fixed = photo(50, 40), bilevel = fixed;
    ASSERT_EQ(fx::colorRes(fixed, 8, 1, 1), 0);
    ASSERT_EQ(fx::colorRes(bilevel, 1, 0, 0), 0);
    EXPECT_EQ(bitsOfImage(fixed), 8);
    EXPECT_EQ(bitsOfImage(bilevel), 1);
}

TEST(PictureEffects, BeyondImageMagicksLimitsNothingChanges)
{
    ensureMagick();
    const auto oldWidth = Magick::ResourceLimits::width();
    Magick::ResourceLimits::width(16);
    QImage picture = photo(40, 30);
    const QImage before = picture;
    const int fitted = fx::colorRes(picture, 8, 0, 0);
    const bool fits = withinImagingLimits(16, 1000);
    QByteArray png;
    const int encoded = encodePicture({before}, fmt::Png, 0, 0, false, &png);
    Magick::ResourceLimits::width(oldWidth);

    EXPECT_EQ(fitted, err::NoMemory);
    EXPECT_EQ(picture, before);
    EXPECT_TRUE(fits);
    EXPECT_EQ(encoded, err::NoMemory);
    EXPECT_FALSE(withinImagingLimits(70000, 10));
    EXPECT_FALSE(withinImagingLimits(16384, 32767)); // 2 GB: past the readers' memory limit
}

TEST(PictureEffects, TheColourRebuildInOnePassEqualsTheAdjustmentsInTurn)
{
    const QList<fx::ColourAdjustments> cases = {
        {300, -200, 400, 40, 250, 170}, {std::nullopt, 150, -300, std::nullopt, -600, 80}, {0, 0, 0, 360, 0, 100}};
    for (const QImage& src : {photo(61, 47), photo(61, 47, QImage::Format_ARGB32),
                              photo(61, 47).convertToFormat(QImage::Format_Indexed8)})
        for (const fx::ColourAdjustments& a : cases) {
            QImage fused = src, inTurn = src;
            ASSERT_EQ(fx::adjustColours(fused, a), 0);
            for (const auto& [value, apply] :
                 std::initializer_list<std::pair<std::optional<int>, int (*)(QImage&, int)>>{
                     {a.contrast, &fx::contrast}, {a.intensity, &fx::intensity}, {a.histoContrast, &fx::histoContrast},
                     {a.hue, &fx::hue}, {a.saturation, &fx::saturation}, {a.gamma, &fx::gammaCorrect}})
                if (value) {
                    ASSERT_EQ(apply(inTurn, *value), 0);
                }
            EXPECT_EQ(fused, inTurn) << "format " << src.format();
        }
    QImage bad = photo(5, 5);
    fx::ColourAdjustments tooBright;
    tooBright.intensity = 1200;
    EXPECT_EQ(fx::adjustColours(bad, tooBright), err::InvalidParameter);
}

TEST(PictureEffects, TheViewsBrightnessAndContrastAreTheEditorsFormulas)
{
    const QImage src = photo(30, 20);
    Lead view;
    view.setBitmap(src);
    ASSERT_EQ(view.Contrast(300), 0);
    ASSERT_EQ(view.Intensity(-200), 0);
    QImage edited = src;
    ASSERT_EQ(fx::contrast(edited, 300), 0);
    ASSERT_EQ(fx::intensity(edited, -200), 0);
    EXPECT_EQ(view.Bitmap(), edited);
    EXPECT_EQ(view.Contrast(1001), err::InvalidParameter);
    EXPECT_EQ(view.Bitmap(), edited);
}
