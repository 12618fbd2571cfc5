#pragma once
// Effects on pictures: plain functions that change a QImage in place, split
// by rows over every core. Each returns 0, or an imaging error code
// (ImagingCodes.h) and then leaves the picture exactly as it was.
//
// A neutral value (a change of 0, gamma 100, a tile of 1 ...) leaves the
// picture untouched, bit for bit. Pictures keep their kind: gray stays gray,
// direct colour stays direct colour with its alpha, and a palette picture
// has its palette changed where the effect is one of colours alone; effects
// that mix neighbouring pixels turn a palette picture into direct colour.
#include <QImage>
#include <QRgb>

#include <optional>

namespace platform::effects {

// ---- colours (a palette picture keeps its palette kind)

// Brightness: every channel times (1000 + change) / 1000. -1000..1000.
int intensity(QImage& image, int change);
// Spreads (positive) or narrows (negative) the channels around the middle. -1000..1000.
int contrast(QImage& image, int change);
// Moves every channel towards (positive) or away from (negative) the value
// that equalises the picture's histogram. -1000..1000.
int histoContrast(QImage& image, int change);
// Turns the colours around the gray axis by degrees (whole turns are neutral).
int hue(QImage& image, int degrees);
// Moves colours away from (positive) or towards (negative) their gray. -1000..1000.
int saturation(QImage& image, int change);
// Gamma in hundredths (100 neutral, above 100 lightens). 1..10000.
int gammaCorrect(QImage& image, int hundredths);
// The six adjustments of the colour editor, each applied when it has a
// value, always in this order, each on the result of the one before.
struct ColourAdjustments {
    std::optional<int> contrast, intensity, histoContrast, hue, saturation, gamma;
};
// The same as the functions above one after another, in one pass over the pixels.
int adjustColours(QImage& image, const ColourAdjustments& adjustments);
// Levels per channel, 2..256 (256 neutral).
int posterize(QImage& image, int levels);
// Stretches the darkest and lightest channel values to 0 and 255.
int stretchIntensity(QImage& image);
int invert(QImage& image);

// ---- neighbourhoods (palette pictures become direct colour)

// Square tiles of the size (1 neutral), each the average of its pixels; the
// tiles at the right and bottom edges cover what is left.
int mosaic(QImage& image, int tile);
// Median of the size x size neighbourhood of each channel (1 neutral); the
// edge pixels repeat outwards.
int median(QImage& image, int size);
// -1000..1000: positive sharpens, negative blurs (-1000 is a full 3 x 3 blur).
int sharpen(QImage& image, int amount);
// Uniform noise of up to range * 255 / 2000 either way. range 0..1000 (0
// neutral); channel 0 all, 1 red, 2 green, 3 blue. The same seed gives the
// same noise on the same picture.
int addNoise(QImage& image, int range, int channel, quint64 seed);
// Relief lit from the direction (0 north, then clockwise in eighths to 7
// north-west) with the depth 0..1000: 128 plus the difference across the
// pixel towards the light times depth / 250.
int emboss(QImage& image, int direction, int depth);
// Edge filters by code: 22 Sobel horizontal, 23 Sobel vertical, 24 Prewitt
// horizontal, 25 Prewitt vertical, 27 shift-and-difference horizontal, 28
// shift-and-difference vertical. The result is the size of the kernel's sum.
int spatialFilter(QImage& image, int code);

// ---- geometry

// Clockwise, in hundredths of a degree. Multiples of 90 degrees turn the
// picture exactly (width and height swap at 90 and 270); any other angle
// keeps the picture's size, turned about its centre, the uncovered corners
// in the fill colour.
int rotate(QImage& image, int hundredths, QRgb fill);
// Top to bottom.
int flip(QImage& image);
// Left to right.
int reverse(QImage& image);

// ---- changes of kind

// A one-bit picture of round dots on a screen turned by the angle in degrees.
int halftone(QImage& image, int angle);
// bits 8: an 8-bit gray picture.
int grayscale(QImage& image, int bits);
// bits 1, 4 or 8: a palette picture of that many bits; palette 0 fits the
// colours to the picture, 1 takes a fixed palette; dither 0 maps each pixel
// to its nearest colour, 1 spreads the error (Floyd-Steinberg). bits 24 or
// 32: direct colour without or with alpha.
int colorRes(QImage& image, int bits, int palette, int dither);

// While one of these lives, large results reuse the pixels of the last
// large picture given up (one spare buffer); the last one to go frees it.
class SpareMemory {
public:
    SpareMemory();
    ~SpareMemory();
    SpareMemory(const SpareMemory&) = delete;
    SpareMemory& operator=(const SpareMemory&) = delete;
};

} // namespace platform::effects
