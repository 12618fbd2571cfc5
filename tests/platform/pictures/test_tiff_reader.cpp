// TIFF read through libtiff: every kind of TIFF shows what ImageMagick
// showed of it, with the same facts; parts are the page's own pixels; pages,
// thumbnails and the orientation tag as before; damage and hostile headers
// end as the limits say, without a word on the error output.
#include "PictureSamples.h"
#include "TestSupport.h"
#include "TiffSamples.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/MagickCodec.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureLimits.h"
#include "platform/pictures/PictureParts.h"
#include "platform/pictures/TiffReader.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace platform;
using tiffsamples::Colour;
using tiffsamples::Kind;

namespace {

// Gradients and shapes, some of them see-through.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(240, 40, 20));
    g.setColorAt(0.5, QColor(30, 200, 90));
    g.setColorAt(1, QColor(20, 40, 230, 160));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
        p.setBrush(QColor(250, 250, 250, 60 + 20 * i));
        p.drawEllipse(QPoint(w * i / 9, h * ((i * 5) % 9) / 9), w / 10, h / 8);
    }
    return img;
}

// Today's decode: the page as the ImageMagick plug-in reads it, and the
// format code the compression it found gives.
int magickRead(const QString& path, int page, PictureData* d, int* format = nullptr)
{
    const MagickFunctions* magick = magickFunctions();
    if (!magick)
        return -1;
    MagickBounds bounds;
    bounds.deadline = std::chrono::steady_clock::time_point::max();
    MagickCompression compression = MagickCompression::Other;
    const int r = magick->read(samples::readBytes(path), "TIFF", false, page, 1, d, &compression, bounds);
    if (format)
        *format = compression == MagickCompression::Lzw   ? fmt::TifLzw
                  : compression == MagickCompression::Fax ? fmt::TifCcitt
                                                          : fmt::Tif;
    return r;
}

int magickThumbnail(const QString& path, const QSize& box, QImage* out)
{
    MagickBounds bounds;
    bounds.deadline = std::chrono::steady_clock::time_point::max();
    return magickFunctions()->readScaled(samples::readBytes(path), "TIFF", box, out, bounds);
}

// The largest difference of a channel, alpha too, with the colours weighed
// by their alpha (a see-through pixel's colour counts for as little as it shows).
int premultipliedDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int worst = x.size() == y.size() ? 0 : 255;
    for (int r = 0; r < std::min(x.height(), y.height()); ++r)
        for (int c = 0; c < std::min(x.width(), y.width()); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

void expectSameInfo(const PictureInfo& a, const PictureInfo& b, const std::string& name)
{
    EXPECT_EQ(QSize(a.width, a.height), QSize(b.width, b.height)) << name;
    EXPECT_EQ(a.bits, b.bits) << name;
    EXPECT_EQ(a.format, b.format) << name;
    EXPECT_EQ(a.pageCount, b.pageCount) << name;
    EXPECT_EQ(a.page, b.page) << name;
    EXPECT_EQ(a.sizeMem, b.sizeMem) << name;
    EXPECT_EQ(a.colors, b.colors) << name;
    EXPECT_EQ(a.xRes, b.xRes) << name;
    EXPECT_EQ(a.yRes, b.yRes) << name;
}

struct Case {
    const char* name;
    Kind kind;
    int tolerance; // of a channel, of 255
    // The plug-in showed the ink of a CMYK page read strip by strip as if
    // it were red, green and blue: such a page is compared with
    // ImageMagick's own conversion of its colours, as its convert shows it.
    bool inkConverted = false;
};

// The page as ImageMagick converts it to sRGB.
QImage magickInSrgb(const QString& path)
{
    Magick::InitializeMagick(nullptr);
    const QByteArray bytes = samples::readBytes(path);
    Magick::Image m;
    m.magick("TIFF");
    m.read(Magick::Blob(bytes.constData(), size_t(bytes.size())));
    m.colorSpace(Magick::sRGBColorspace);
    QImage out(int(m.columns()), int(m.rows()), QImage::Format_RGB32);
    m.write(0, 0, m.columns(), m.rows(), "BGRA", Magick::CharPixel, out.bits());
    return out;
}

// Every photometric and compression, stored as scanners and archives
// store them. The colours agree exactly but for two conversions: CMYK
// (libtiff's integer formula against ImageMagick's 16-bit one: 1 apart) and
// unassociated alpha (libtiff premultiplies it, the control shows it
// straight again: 1 apart once weighed by the alpha).
std::vector<Case> everyKind()
{
    std::vector<Case> cases = {
        {"rgb", {Colour::Rgb, 8, COMPRESSION_NONE}, 0},
        {"rgb lzw", {Colour::Rgb, 8, COMPRESSION_LZW, false, false, 16, 2}, 0},
        {"rgb deflate", {Colour::Rgb, 8, COMPRESSION_ADOBE_DEFLATE}, 0},
        {"rgb packbits", {Colour::Rgb, 8, COMPRESSION_PACKBITS}, 0},
        {"rgb 16 bits", {Colour::Rgb, 16, COMPRESSION_LZW}, 0},
        {"rgb in planes", {Colour::Rgb, 8, COMPRESSION_ADOBE_DEFLATE, false, true}, 0},
        {"rgba", {Colour::Rgba, 8, COMPRESSION_LZW}, 1},
        {"rgba 16 bits", {Colour::Rgba, 16, COMPRESSION_NONE}, 1},
        {"gray", {Colour::Gray, 8, COMPRESSION_ADOBE_DEFLATE}, 0},
        {"gray 16 bits", {Colour::Gray, 16, COMPRESSION_LZW}, 0},
        {"gray 4 bits", {Colour::Gray, 4, COMPRESSION_PACKBITS}, 0},
        {"gray and alpha", {Colour::GrayAlpha, 8, COMPRESSION_LZW}, 1},
        {"min-is-white", {Colour::MinIsWhite, 8, COMPRESSION_NONE}, 0},
        {"black and white", {Colour::Gray, 1, COMPRESSION_NONE}, 0},
        {"fax group 4", {Colour::MinIsWhite, 1, COMPRESSION_CCITTFAX4}, 0},
        {"fax group 3", {Colour::MinIsWhite, 1, COMPRESSION_CCITTFAX3}, 0},
        {"palette", {Colour::Palette, 8, COMPRESSION_LZW}, 0},
        {"palette 4 bits", {Colour::Palette, 4, COMPRESSION_PACKBITS}, 0},
        {"cmyk", {Colour::Cmyk, 8, COMPRESSION_LZW}, 1, true},
        {"ycbcr jpeg", {Colour::YCbCr, 8, COMPRESSION_JPEG}, 0},
    };
    cases[0].kind.resolution = 300;
    cases[8].kind.resolution = 118.11f;
    cases[8].kind.unit = RESUNIT_CENTIMETER;
    cases[14].kind.resolution = 204;
    return cases;
}

// The picture a kind is tried with: a photo, or for a palette or black and
// white the quarters of the pattern.
QImage pictureFor(const Kind& k)
{
    if (k.colour == Colour::Palette || k.bits == 1)
        return samples::pattern(150, 100);
    return photo(150, 100);
}

} // namespace

TEST(TiffReader, EveryKindStrippedAndTiledShowsWhatImageMagickShowedWithTheSameFacts)
{
    QTemporaryDir dir;
    for (const bool tiled : {false, true})
        for (Case c : everyKind()) {
            c.kind.tiled = tiled;
            const std::string name = std::string(c.name) + (tiled ? ", tiled" : ", in strips");
            const QString path = dir.filePath(QString::fromStdString(name) + QStringLiteral(".tif"));
            ASSERT_TRUE(tiffsamples::write(path, {pictureFor(c.kind)}, c.kind)) << name;
            PictureData theirs;
            int theirFormat = 0;
            ASSERT_EQ(magickRead(path, 1, &theirs, &theirFormat), 0) << name;
            PictureData ours;
            ASSERT_EQ(readPicture(path, 1, 1, &ours), 0) << name;
            ASSERT_EQ(ours.frames.size(), 1) << name;
            EXPECT_EQ(ours.frames.first().size(), theirs.frames.first().size()) << name;
            const QImage shown = c.inkConverted ? magickInSrgb(path) : theirs.frames.first();
            EXPECT_LE(premultipliedDifference(ours.frames.first(), shown), c.tolerance) << name;
            EXPECT_EQ(ours.frames.first().hasAlphaChannel(), theirs.frames.first().hasAlphaChannel()) << name;
            // The facts, as a whole read and from the header alone.
            theirs.format = theirFormat;
            const PictureInfo expected = infoOf(theirs, QFileInfo(path).size());
            expectSameInfo(infoOf(ours, QFileInfo(path).size()), expected, name);
            PictureInfo header;
            ASSERT_EQ(readPictureInfo(path, 1, &header), 0) << name;
            expectSameInfo(header, expected, name);
            // A part at its own size is that part of the page.
            PartialPicture partial;
            ASSERT_TRUE(openPartialPicture(path, &partial)) << name;
            const QRect part(37, 21, 90, 70);
            QImage img;
            ASSERT_EQ(readPicturePart(partial, part, part.size(), &img), 0) << name;
            EXPECT_EQ(img, ours.frames.first().copy(part)) << name;
        }
}

TEST(TiffReader, PartsAreThePagesOwnPixelsAtTheSizeAsked)
{
    QTemporaryDir dir;
    const QImage source = photo(700, 500).convertToFormat(QImage::Format_RGB32);
    // Strips whose columns are decoded apart, strips that are not, tiles,
    // and one strip of every row.
    const std::pair<const char*, Kind> kinds[] = {
        {"strips.tif", {Colour::Rgb, 8, COMPRESSION_LZW, false, false, 16, 2}},
        {"strips16.tif", {Colour::Rgb, 16, COMPRESSION_ADOBE_DEFLATE, false, false, 7}},
        {"tiles.tif", {Colour::Rgb, 8, COMPRESSION_ADOBE_DEFLATE, true}},
        {"one strip.tif", {Colour::Rgb, 8, COMPRESSION_LZW, false, false, 500}},
        {"jpeg tiles.tif", {Colour::YCbCr, 8, COMPRESSION_JPEG, true}},
    };
    for (const auto& [name, kind] : kinds) {
        const QString path = dir.filePath(QLatin1String(name));
        ASSERT_TRUE(tiffsamples::write(path, {source}, kind)) << name;
        PictureData d;
        ASSERT_EQ(readPicture(path, 1, 1, &d), 0) << name;
        const QImage whole = d.frames.first();
        PartialPicture picture;
        ASSERT_TRUE(openPartialPicture(path, &picture)) << name;
        for (const QRect part : {QRect(0, 0, 700, 500), QRect(63, 47, 130, 90), QRect(129, 250, 571, 250)}) {
            QImage img;
            ASSERT_EQ(readPicturePart(picture, part, part.size(), &img), 0) << name;
            EXPECT_EQ(img, whole.copy(part)) << name << " " << part.x() << "," << part.y();
        }
        // Scaled as it is read: every pixel the mean of those that fall in it.
        QImage img;
        ASSERT_EQ(readPicturePart(picture, whole.rect(), QSize(70, 50), &img), 0) << name;
        ASSERT_EQ(img.size(), QSize(70, 50));
        const QImage boxes = whole.scaled(70, 50, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LE(samples::meanDifference(img, boxes), 3.0) << name;
        // Never larger than the part; nothing outside the page.
        ASSERT_EQ(readPicturePart(picture, QRect(650, 450, 100, 100), QSize(400, 400), &img), 0) << name;
        EXPECT_EQ(img.size(), QSize(50, 50)) << name;
        EXPECT_EQ(readPicturePart(picture, QRect(800, 0, 10, 10), QSize(10, 10), &img), err::InvalidParameter);
    }
}

TEST(TiffReader, ThePageAskedIsReadAndOnePastTheEndFallsBackToTheFirst)
{
    QTemporaryDir dir;
    const QString tif = dir.filePath("pages.tif");
    ASSERT_TRUE(tiffsamples::write(tif, {samples::pattern(30, 20), photo(40, 30), samples::pattern(50, 40)},
                                   {Colour::Rgb, 8, COMPRESSION_LZW}));
    PictureData d, theirs;
    ASSERT_EQ(readPicture(tif, 2, 1, &d), 0);
    EXPECT_EQ(d.pageCount, 3);
    EXPECT_EQ(d.firstPage, 2);
    ASSERT_EQ(d.frames.size(), 1);
    ASSERT_EQ(magickRead(tif, 2, &theirs), 0);
    EXPECT_EQ(d.frames.first(), theirs.frames.first());
    ASSERT_EQ(readPicture(tif, 7, 1, &d), 0);
    EXPECT_EQ(d.firstPage, 1);
    EXPECT_EQ(d.frames.first().size(), QSize(30, 20));
    ASSERT_EQ(readPicture(tif, 2, -1, &d), 0);
    ASSERT_EQ(d.frames.size(), 2);
    EXPECT_EQ(d.frames.at(1).size(), QSize(50, 40));
    // The facts of the page asked, from its header; its parts are its own.
    PictureInfo info;
    ASSERT_EQ(readPictureInfo(tif, 3, &info), 0);
    EXPECT_EQ(QSize(info.width, info.height), QSize(50, 40));
    EXPECT_EQ(info.page, 3);
    EXPECT_EQ(info.pageCount, 3);
    PartialPicture partial;
    ASSERT_TRUE(openPartialPicture(tif, &partial, 2));
    EXPECT_EQ(partial.page, 2);
    QImage part;
    ASSERT_EQ(readPicturePart(partial, QRect(5, 5, 20, 20), QSize(20, 20), &part), 0);
    EXPECT_EQ(part, theirs.frames.first().copy(5, 5, 20, 20));
    ASSERT_TRUE(openPartialPicture(tif, &partial, 9));
    EXPECT_EQ(partial.page, 1);
    EXPECT_EQ(partial.info.width, 30);
}

TEST(TiffReader, PagesShowAsStoredAndThumbnailsTurnAsTheOrientationTagSays)
{
    QTemporaryDir dir;
    const QImage stored = samples::pattern(300, 200);
    for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
        Kind kind{Colour::Rgb, 8, COMPRESSION_LZW};
        kind.orientation = orientation;
        const QString path = dir.filePath(QStringLiteral("turned%1.tif").arg(orientation));
        ASSERT_TRUE(tiffsamples::write(path, {stored}, kind));
        PictureData ours, theirs;
        ASSERT_EQ(readPicture(path, 1, 1, &ours), 0);
        ASSERT_EQ(magickRead(path, 1, &theirs), 0);
        EXPECT_EQ(ours.frames.first(), theirs.frames.first()) << "orientation " << orientation;
        QImage thumb, theirThumb;
        ASSERT_EQ(readScaledPicture(path, QSize(96, 64), &thumb), 0);
        ASSERT_EQ(magickThumbnail(path, QSize(96, 64), &theirThumb), 0);
        ASSERT_EQ(thumb.size(), theirThumb.size()) << "orientation " << orientation;
        EXPECT_EQ(thumb.size(), orientation >= 5 ? QSize(42, 64) : QSize(96, 64));
        // The middle of each quarter: its colour, in the same place.
        const int w = thumb.width(), h = thumb.height();
        for (const QPoint at : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4), QPoint(w / 4, 3 * h / 4),
                                QPoint(3 * w / 4, 3 * h / 4)})
            EXPECT_EQ(QColor(thumb.pixel(at)), QColor(theirThumb.pixel(at))) << "orientation " << orientation;
    }
    // ImageMagick turned a JPEG-compressed page by the tag as it read it,
    // unlike every other page, and its thumbnail by the tag once more:
    // such a page shows as stored here too, its thumbnail turned once.
    Kind jpeg{Colour::YCbCr, 8, COMPRESSION_JPEG};
    jpeg.orientation = ORIENTATION_BOTRIGHT;
    const QString path = dir.filePath("turned.jpeg.tif");
    ASSERT_TRUE(tiffsamples::write(path, {stored}, jpeg));
    PictureData d;
    ASSERT_EQ(readPicture(path, 1, 1, &d), 0);
    EXPECT_LE(samples::maxDifference(d.frames.first().copy(10, 10, 50, 50), stored.copy(10, 10, 50, 50)), 8);
    QImage thumb;
    ASSERT_EQ(readScaledPicture(path, QSize(96, 64), &thumb), 0);
    EXPECT_LE(samples::maxDifference(thumb.copy(80, 50, 10, 10), stored.scaled(96, 64).copy(0, 0, 10, 10)), 8);
}

namespace {

// A TIFF laid out by hand, its header and directory first, then the
// strips' places and lengths, then their data: tags of one value each.
QByteArray tiffByHand(const std::map<int, quint32>& tags, const std::vector<QByteArray>& strips)
{
    const int entries = int(tags.size()) + 2;
    const quint32 offsetsAt = 8 + 2 + 12 * quint32(entries) + 4, countsAt = offsetsAt + 4 * quint32(strips.size());
    QByteArray b("II");
    samples::put16(b, {42});
    samples::put32(b, 8);
    samples::put16(b, {entries});
    const auto entry = [&b](int tag, int type, quint32 count, quint32 value) {
        samples::put16(b, {tag, type});
        samples::put32(b, count);
        samples::put32(b, value); // a SHORT stands in the first two bytes
    };
    std::map<int, quint32> all = tags;
    all[273] = 0; // the strips' places and lengths
    all[279] = 0;
    for (const auto& [tag, value] : all) {
        const bool shortValue = tag == 258 || tag == 259 || tag == 262 || tag == 277 || tag == 284 || tag == 339;
        if (tag == 273 || tag == 279)
            entry(tag, 4, quint32(strips.size()), strips.size() == 1 ? 0 : tag == 273 ? offsetsAt : countsAt);
        else
            entry(tag, shortValue ? 3 : 4, 1, value);
    }
    samples::put32(b, 0);
    quint32 at = countsAt + 4 * quint32(strips.size());
    std::vector<quint32> places;
    for (const QByteArray& s : strips) {
        places.push_back(at);
        at += quint32(s.size());
    }
    for (quint32 p : places)
        samples::put32(b, p);
    for (const QByteArray& s : strips)
        samples::put32(b, quint32(s.size()));
    for (const QByteArray& s : strips)
        b.append(s);
    if (strips.size() == 1) { // a single strip's place and length stand in the entries
        const qsizetype entry273 = 10 + 12 * qsizetype(std::distance(all.begin(), all.find(273)));
        const qsizetype entry279 = 10 + 12 * qsizetype(std::distance(all.begin(), all.find(279)));
        for (int i = 0; i < 4; ++i) {
            b[entry273 + 8 + i] = char(places[0] >> (8 * i));
            b[entry279 + 8 + i] = char(quint32(strips[0].size()) >> (8 * i));
        }
    }
    return b;
}

// An uncompressed RGB page laid out by hand, `rows` rows a strip.
QByteArray rgbByHand(const QImage& picture, int rows)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB888);
    std::vector<QByteArray> strips;
    for (int y = 0; y < img.height(); y += rows) {
        QByteArray strip;
        for (int r = y; r < std::min(img.height(), y + rows); ++r)
            strip.append(reinterpret_cast<const char*>(img.constScanLine(r)), img.width() * 3);
        strips.push_back(strip);
    }
    return tiffByHand({{256, quint32(img.width())}, {257, quint32(img.height())}, {258, 8}, {259, 1}, {262, 2},
                       {277, 3}, {278, quint32(rows)}, {284, 1}},
                      strips);
}

// Runs f with the process's error output going to a file; what it wrote there.
QByteArray errorOutputOf(const std::function<void()>& f)
{
    std::fflush(stderr);
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    const int saved = ::dup(2);
    ::dup2(file.handle(), 2);
    f();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

TEST(TiffReader, ACutOrDamagedPageGivesTheRowsBeforeTheDamageAndPrintsNothing)
{
    QTemporaryDir dir;
    const QImage picture = photo(400, 300).convertToFormat(QImage::Format_RGB32);
    // Cut in half: the header and every strip's place are there, the
    // strips of the lower half are not.
    const QByteArray whole = rgbByHand(picture, 10);
    const qsizetype pixelsAt = whole.size() - 400 * 300 * 3;
    const QString cut = dir.filePath("cut.tif");
    ASSERT_TRUE(samples::writeBytes(cut, whole.left(pixelsAt + 400 * 3 * 155)));
    // LZW, the data of the strip holding rows 160 to 175 spoilt.
    const QString spoilt = dir.filePath("spoilt.tif");
    ASSERT_TRUE(tiffsamples::write(spoilt, {picture}, {Colour::Rgb, 8, COMPRESSION_LZW}));
    QByteArray bytes = samples::readBytes(spoilt);
    {
        TIFF* tif = TIFFOpen(QFile::encodeName(spoilt).constData(), "r");
        ASSERT_NE(tif, nullptr);
        const uint64_t place = TIFFGetStrileOffset(tif, 10), length = TIFFGetStrileByteCount(tif, 10);
        TIFFClose(tif);
        bytes.replace(qsizetype(place), qsizetype(length), QByteArray(qsizetype(length), char(0xFF)));
        ASSERT_TRUE(samples::writeBytes(spoilt, bytes));
    }
    ensureMagick(); // ImageMagick's own handlers of libtiff's messages, set as it reads TIFF, stay quiet too
    PictureData theirs;
    magickRead(spoilt, 1, &theirs);
    const QByteArray said = errorOutputOf([&] {
        for (const auto& [path, rowsBefore] : {std::pair(cut, 150), std::pair(spoilt, 160)}) {
            const std::string name = path.toStdString();
            PartialPicture partial;
            ASSERT_TRUE(openPartialPicture(path, &partial)) << name;
            // A part above the damage is read as ever.
            QImage top;
            EXPECT_EQ(readPicturePart(partial, QRect(0, 0, 400, 100), QSize(400, 100), &top), 0) << name;
            EXPECT_EQ(top, picture.copy(0, 0, 400, 100)) << name;
            // One that meets it: the rows before the damage, the rest transparent.
            QImage img;
            EXPECT_EQ(readPicturePart(partial, picture.rect(), picture.size(), &img), err::FileRead) << name;
            ASSERT_EQ(img.size(), picture.size()) << name;
            EXPECT_EQ(img.copy(0, 0, 400, rowsBefore).convertToFormat(QImage::Format_RGB32),
                      picture.copy(0, 0, 400, rowsBefore)) << name;
            EXPECT_EQ(qAlpha(img.pixel(200, rowsBefore)), 0) << name;
            EXPECT_EQ(qAlpha(img.pixel(200, 299)), 0) << name;
            // Scaled, the same.
            EXPECT_EQ(readPicturePart(partial, picture.rect(), QSize(100, 75), &img), err::FileRead) << name;
            EXPECT_EQ(qAlpha(img.pixel(50, 10)), 255) << name;
            EXPECT_EQ(qAlpha(img.pixel(50, 74)), 0) << name;
            // Read whole or as a thumbnail, it fails.
            PictureData d;
            EXPECT_EQ(readPicture(path, 1, 1, &d), err::FileRead) << name;
            EXPECT_TRUE(d.frames.isEmpty()) << name;
            QImage thumb;
            EXPECT_EQ(readScaledPicture(path, QSize(96, 64), &thumb), err::FileRead) << name;
        }
    });
    EXPECT_EQ(said, QByteArray());
}

TEST(TiffReader, HostileHeadersAreRefusedBeforeAnyWork)
{
    QTemporaryDir dir;
    const std::map<int, quint32> bilevel{{258, 1}, {259, 32773}, {262, 1}, {277, 1}, {284, 1}};
    const auto with = [&](std::map<int, quint32> tags, std::map<int, quint32> more) {
        tags.insert(more.begin(), more.end());
        return tags;
    };
    const QByteArray white("\x81\xFF", 2); // a run of 128 white bytes, again and again
    struct Hostile {
        const char* name;
        QByteArray bytes;
        int refusal;
    };
    const Hostile hostile[] = {
        // A side past 1,000,000 pixels.
        {"wide.tif", tiffByHand(with(bilevel, {{256, 1000001}, {257, 1}, {278, 1}}), {white}), err::InvalidSize},
        {"high.tif", tiffByHand(with(bilevel, {{256, 1}, {257, 1000001}, {278, 1000001}}), {white}), err::InvalidSize},
        // 40000 x 30000 pixels in 240 KB: more than 2^30.
        {"many.tif",
         tiffByHand(with(bilevel, {{256, 40000}, {257, 30000}, {278, 1}}), std::vector<QByteArray>(30000, white)),
         err::NoMemory},
        // One strip of 20000 x 20000 RGB pixels: 1.2 GB decoded at once.
        {"one strip.tif",
         tiffByHand({{256, 20000}, {257, 20000}, {258, 8}, {259, 5}, {262, 2}, {277, 3}, {278, 20000}, {284, 1}},
                    {QByteArray(64, '\0')}),
         err::NoMemory},
    };
    testsupport::PeakMemory peak;
    peak.start();
    for (const Hostile& h : hostile) {
        const QString path = dir.filePath(QLatin1String(h.name));
        ASSERT_TRUE(samples::writeBytes(path, h.bytes));
        PictureInfo info;
        EXPECT_EQ(readPictureInfo(path, 1, &info), h.refusal) << h.name;
        PictureData d;
        EXPECT_EQ(readPicture(path, 1, 1, &d), h.refusal) << h.name;
        QImage thumb;
        EXPECT_EQ(readScaledPicture(path, QSize(96, 64), &thumb), h.refusal) << h.name;
        PartialPicture partial;
        EXPECT_FALSE(openPartialPicture(path, &partial)) << h.name;
    }
    // Where the system lets the peak be measured: the refusals took next to nothing.
    EXPECT_LT(peak.grownKb(), 20 * 1024);
}

TEST(TiffReader, ALargePageWithinTheLimitsIsReadAFewStripsAtATime)
{
    // 40000 x 20000 white pixels in 160 KB (the ImageMagick plug-in refused
    // its width): its thumbnail, and its facts, in little memory.
    QTemporaryDir dir;
    const QString path = dir.filePath("white.tif");
    ASSERT_TRUE(samples::writeBytes(path, samples::whiteTiff(40000, 20000)));
    QImage thumb;
    PictureInfo info;
    testsupport::PeakMemory peak;
    peak.start();
    ASSERT_EQ(readScaledPicture(path, QSize(96, 64), &thumb), 0);
    ASSERT_EQ(readPictureInfo(path, 1, &info), 0);
    EXPECT_LT(peak.grownKb(), 200 * 1024) << "where the system lets the peak be measured";
    EXPECT_EQ(thumb.size(), QSize(96, 48));
    EXPECT_EQ(QColor(thumb.pixel(50, 20)), QColor(Qt::white));
    EXPECT_EQ(QSize(info.width, info.height), QSize(40000, 20000));
    EXPECT_EQ(info.bits, 1);
    // Wanted whole, it is too large to hold.
    PictureData d;
    EXPECT_EQ(readPicture(path, 1, 1, &d), err::NoMemory);
}

TEST(TiffReader, NothingOfReadingATiffLoadsImageMagickAndAStopEndsIt)
{
    if (magickLoaded())
        GTEST_SKIP() << "ImageMagick was loaded before this test in this process";
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.tif");
    ASSERT_TRUE(tiffsamples::write(path, {photo(300, 200)}, {Colour::Rgb, 8, COMPRESSION_LZW}));
    PictureData d;
    EXPECT_EQ(readPicture(path, 1, 1, &d), 0);
    PictureInfo info;
    EXPECT_EQ(readPictureInfo(path, 1, &info), 0);
    QImage img;
    EXPECT_EQ(readScaledPicture(path, QSize(96, 64), &img), 0);
    EXPECT_EQ(readPictureBytes(samples::readBytes(path), QStringLiteral("TIF"), 1, 1, &d), 0);
    EXPECT_FALSE(magickLoaded());
    // A read not wanted any more ends before its next strip.
    std::stop_source stop;
    stop.request_stop();
    ReadControl stopped;
    stopped.stop = stop.get_token();
    EXPECT_EQ(readScaledPicture(path, QSize(96, 64), &img, stopped), err::Failure);
    EXPECT_EQ(readPicture(path, 1, 1, &d, stopped), err::Failure);
}
