#include "PictureInfoChecks.h"
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

using namespace platform;

namespace {

// Pixels no coder can pack smaller.
QImage noise(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    quint32 seed = 2463534242u;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
            row[x] = 0xff000000u | (seed & 0xffffffu);
        }
    }
    return img;
}

struct Sample {
    const char* ext;
    int format;
};

class PictureCodec : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(PictureCodec, EveryReadablePictureFormatLoads)
{
    const QImage img = samples::pattern(64, 48);
    const Sample all[] = {{"JPG", fmt::Jpeg}, {"JPE", fmt::Jpeg}, {"JPEG", fmt::Jpeg}, {"TIFF", fmt::Tif},
                          {"TIF", fmt::Tif},  {"MPT", fmt::Tif},  {"BMP", fmt::Bmp},   {"ICO", fmt::Ico},
                          {"CUR", fmt::Cur},  {"PCX", fmt::Pcx},  {"DCX", fmt::Dcx},   {"PCD", fmt::Pcd},
                          {"FAX", fmt::FaxGroup3},  {"XPM", fmt::Xpm},  {"PBM", fmt::Pbm},   {"CUT", fmt::Cut},
                          {"PSD", fmt::Psd},  {"PNG", fmt::Png},  {"TGA", fmt::Tga},   {"GIF", fmt::Gif},
                          {"RAS", fmt::Ras},  {"WPG", fmt::Wpg},  {"PCT", fmt::Pct},   {"XWD", fmt::Xwd},
                          {"SGI", fmt::Sgi},  {"CAL", fmt::Cal},  {"MAC", fmt::Mac},   {"WMF", fmt::Wmf},
                          {"FLC", fmt::Flc},  {"ANI", fmt::Ani}};
    for (const Sample& s : all) {
        const QString ext = QString::fromLatin1(s.ext);
        const QString path = file(QStringLiteral("sample.") + ext.toLower());
        ASSERT_TRUE(samples::makeSample(path, ext, img)) << s.ext;
        PictureData d;
        EXPECT_EQ(readPicture(path, 1, 1, &d), 0) << s.ext;
        if (d.frames.isEmpty())
            continue;
        EXPECT_EQ(d.format, s.format) << s.ext;
        EXPECT_FALSE(d.frames.first().isNull()) << s.ext;
        EXPECT_GT(d.bits, 0) << s.ext;
        // Formats that keep the size they were given, and the lossless ones their colours.
        if (QByteArray("JPG JPE JPEG TIFF TIF MPT BMP PCX DCX XPM PBM PSD PNG TGA GIF RAS PCT XWD SGI CUT WPG FLC")
                .contains(s.ext)) {
            EXPECT_EQ(d.frames.first().size(), QSize(64, 48)) << s.ext;
        }
        if (QByteArray("BMP PNG TIF PCX TGA SGI RAS").contains(s.ext)) {
            EXPECT_EQ(QColor(d.frames.first().pixel(5, 5)), QColor(200, 30, 30)) << s.ext;
            EXPECT_EQ(QColor(d.frames.first().pixel(60, 40)), QColor(220, 220, 40)) << s.ext;
        }
    }
}

TEST_F(PictureCodec, FormatsWithoutReaderFailWithTheirCode)
{
    for (const char* ext : {"cmp", "awd", "fpx", "emf", "iff", "clp", "ica", "img", "msp"}) {
        const QString path = file(QStringLiteral("x.") + QLatin1String(ext));
        ASSERT_TRUE(samples::writeBytes(path, QByteArray(300, 'x')));
        PictureData d;
        EXPECT_EQ(readPicture(path, 1, 1, &d), err::FormatNotAvailable) << ext;
        EXPECT_TRUE(d.frames.isEmpty());
    }
    PictureData d;
    EXPECT_EQ(readPicture(file("missing.jpg"), 1, 1, &d), err::FileNotFound);
}

TEST_F(PictureCodec, CorruptEmptyAndTruncatedFilesNeverCrash)
{
    const QImage img = samples::pattern(64, 48);
    // One of each reader family: Qt, ImageMagick, FLIC, animated cursor.
    for (const char* ext : {"jpg", "png", "gif", "tif", "pcx", "psd", "wpg", "flc", "ani", "cut"}) {
        const QString empty = file(QStringLiteral("empty.") + QLatin1String(ext));
        ASSERT_TRUE(samples::writeBytes(empty, QByteArray()));
        PictureData d;
        EXPECT_NE(readPicture(empty, 1, 1, &d), 0) << ext;

        const QString junk = file(QStringLiteral("junk.") + QLatin1String(ext));
        QByteArray bytes(2000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7919) % 251);
        ASSERT_TRUE(samples::writeBytes(junk, bytes));
        EXPECT_NE(readPicture(junk, 1, 1, &d), 0) << ext;
        EXPECT_TRUE(d.frames.isEmpty()) << ext;

        // A good file cut in half: what could be decoded, or a failure.
        const QString good = file(QStringLiteral("good.") + QLatin1String(ext));
        ASSERT_TRUE(samples::makeSample(good, QString::fromLatin1(ext).toUpper(), img)) << ext;
        const QByteArray whole = samples::readBytes(good);
        const QString cut = file(QStringLiteral("cut.") + QLatin1String(ext));
        ASSERT_TRUE(samples::writeBytes(cut, whole.left(whole.size() / 2)));
        PictureData part;
        if (readPicture(cut, 1, 1, &part) == 0) {
            EXPECT_FALSE(part.frames.first().isNull()) << ext;
        }
    }
}

TEST_F(PictureCodec, PagesOfATiffAndFramesOfAnimations)
{
    const QString tif = file("pages.tif");
    ASSERT_TRUE(samples::writeMagick(tif, {samples::pattern(30, 20), samples::pattern(40, 30), samples::pattern(50, 40)},
                                     "TIFF"));
    PictureData d;
    ASSERT_EQ(readPicture(tif, 2, 1, &d), 0);
    EXPECT_EQ(d.pageCount, 3);
    EXPECT_EQ(d.firstPage, 2);
    ASSERT_EQ(d.frames.size(), 1);
    EXPECT_EQ(d.frames.first().size(), QSize(40, 30));
    // A page left over from a longer file falls back to the first page.
    ASSERT_EQ(readPicture(tif, 7, 1, &d), 0);
    EXPECT_EQ(d.firstPage, 1);
    EXPECT_EQ(d.frames.first().size(), QSize(30, 20));
    ASSERT_EQ(readPicture(tif, 2, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 2);

    QImage red(20, 20, QImage::Format_RGB32), blue(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    const QString gif = file("anim.gif");
    ASSERT_TRUE(samples::writeMagick(gif, {red, blue, red}, "GIF", Magick::UndefinedType, 20));
    ASSERT_EQ(readPicture(gif, 2, 1, &d), 0);
    EXPECT_EQ(d.pageCount, 3);
    EXPECT_EQ(QColor(d.frames.first().pixel(3, 3)), QColor(Qt::blue));
    ASSERT_EQ(readPicture(gif, 1, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 3);
    EXPECT_EQ(d.delays.first(), 200);

    const QString flc = file("movie.flc");
    ASSERT_TRUE(samples::writeBytes(flc, samples::flic(32, 24, 4, 80)));
    ASSERT_EQ(readPicture(flc, 1, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 4);
    EXPECT_EQ(d.frames.first().size(), QSize(32, 24));
    EXPECT_NE(d.frames.at(0), d.frames.at(1));

    const QString ani = file("busy.ani");
    ASSERT_TRUE(samples::writeBytes(ani, samples::animatedCursor({red.scaled(32, 32), blue.scaled(32, 32)}, 12)));
    ASSERT_EQ(readPicture(ani, 1, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 2);
}

TEST_F(PictureCodec, AThumbnailOfATiffIsTurnedAsThePictureSays)
{
    // Stored 300 x 200, to be shown turned a quarter to the right.
    Magick::InitializeMagick(nullptr);
    Magick::Image m = samples::toMagick(samples::pattern(300, 200));
    m.orientation(Magick::RightTopOrientation);
    m.magick("TIFF");
    Magick::Blob blob;
    m.write(&blob);
    const QString tif = file("turned.tif");
    ASSERT_TRUE(samples::writeBytes(tif, QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length()))));
    QImage thumb;
    ASSERT_EQ(readScaledPicture(tif, QSize(96, 64), &thumb), 0);
    ASSERT_EQ(thumb.size(), QSize(42, 64));
    const QImage shown = samples::pattern(300, 200).transformed(QTransform().rotate(90)).scaled(thumb.size());
    for (const QPoint at : {QPoint(10, 16), QPoint(32, 16), QPoint(10, 48), QPoint(32, 48)})
        EXPECT_EQ(QColor(thumb.pixel(at)), QColor(shown.pixel(at))) << at.x() << "," << at.y();
}

TEST_F(PictureCodec, StoredBitsPerPixel)
{
    const QImage img = samples::pattern(32, 32);
    PictureData d;
    const QString mono = file("mono.pcx");
    ASSERT_TRUE(samples::writeMagick(mono, {img}, "PCX", Magick::BilevelType));
    ASSERT_EQ(readPicture(mono, 1, 1, &d), 0);
    EXPECT_EQ(d.bits, 1);
    // Few colours stored without a palette are still colour, not bilevel.
    const QString tif = file("few.tif");
    ASSERT_TRUE(samples::writeMagick(tif, {img}, "TIFF"));
    ASSERT_EQ(readPicture(tif, 1, 1, &d), 0);
    EXPECT_EQ(d.bits, 24);
}

TEST_F(PictureCodec, SavingWritesTheFormatOfTheCode)
{
    const QList<QImage> pages{samples::pattern(48, 32)};
    struct Want {
        int format;
        const char* name;
        QByteArray magic;
    };
    const Want wants[] = {
        {fmt::Jpeg, "a.jpg", QByteArray("\xFF\xD8", 2)}, {fmt::Png, "a.png", QByteArray("\x89PNG", 4)},
        {fmt::Bmp, "a.bmp", "BM"},                       {fmt::Tif, "a.tif", "II*"},
        {fmt::Pbm, "a.pbm", "P4"},                       {fmt::Pcx, "a.pcx", QByteArray("\x0A", 1)},
    };
    for (const Want& w : wants) {
        const QString path = file(QLatin1String(w.name));
        ASSERT_EQ(writePicture(path, pages, w.format, 0, 10, false), 0) << w.name;
        EXPECT_TRUE(samples::readBytes(path).startsWith(w.magic)) << w.name;
        PictureData d;
        EXPECT_EQ(readPicture(path, 1, 1, &d), 0) << w.name;
    }
    // Compression factor: 100 - factor is the JPEG quality.
    const QList<QImage> photo{samples::pattern(200, 200).scaled(300, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)};
    QByteArray best, smallest;
    ASSERT_EQ(encodePicture(photo, fmt::Jpeg, 24, 1, false, &best), 0);
    ASSERT_EQ(encodePicture(photo, fmt::Jpeg, 24, 99, false, &smallest), 0);
    EXPECT_GT(best.size(), smallest.size() * 2);
    // Several pages into one TIFF; a page added to it.
    const QString tif = file("multi.tif");
    ASSERT_EQ(writePicture(tif, {samples::pattern(10, 10), samples::pattern(20, 20)}, fmt::Tif, 24, 0, true), 0);
    ASSERT_EQ(writePicture(tif, {samples::pattern(30, 30)}, fmt::Tif, 24, 0, true, true), 0);
    PictureData d;
    ASSERT_EQ(readPicture(tif, 1, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 3);
}

TEST_F(PictureCodec, AFailedSaveLeavesTheTargetAsItWas)
{
    const QString target = file("keep.gif");
    ASSERT_TRUE(samples::writeBytes(target, "old contents"));
    EXPECT_EQ(writePicture(target, {samples::pattern(8, 8)}, fmt::Gif, 8, 0, false), err::LzwNotSupported);
    EXPECT_EQ(writePicture(target, {samples::pattern(8, 8)}, fmt::Wmf, 24, 0, false), err::FormatNotAvailable);
    EXPECT_EQ(writePicture(target, {QImage()}, fmt::Png, 24, 0, false), err::InvalidBitmap);
    EXPECT_EQ(samples::readBytes(target), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file stays behind";
    // A copy from a file that is not there leaves the target as it was too.
    EXPECT_NE(copyFileSafely(file("absent"), target), 0);
    EXPECT_EQ(samples::readBytes(target), QByteArray("old contents"));
}

TEST_F(PictureCodec, PicturesAndTextFilesReplaceTargetsOfTheLongestName)
{
    // 254 bytes (two bytes a character in UTF-8): the temporary name beside it must fit too.
    const QString picture = file(QString(125, QChar(0xE9)) + ".png");
    const QString text = file(QString(250, 't') + ".txt");
    ASSERT_EQ(QFile::encodeName(QFileInfo(picture).fileName()).size(), 254);
    ASSERT_TRUE(samples::writeBytes(picture, "old picture"));
    ASSERT_TRUE(samples::writeBytes(text, "old text"));
    EXPECT_EQ(writePicture(picture, {samples::pattern(8, 8)}, fmt::Png, 24, 0, false), 0);
    QString error;
    EXPECT_TRUE(writeLines(text, {"new"}, &error)) << error.toStdString();
    EXPECT_EQ(samples::readBytes(text), QByteArray("new\r\n"));
    PictureData d;
    EXPECT_EQ(readPicture(picture, 1, 1, &d), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary file stays behind";
    // Through a link the file it names is replaced; the link stays.
    ASSERT_TRUE(QFile::link(text, file("link.txt")));
    EXPECT_TRUE(writeLines(file("link.txt"), {"through"}));
    EXPECT_TRUE(QFileInfo(file("link.txt")).isSymLink());
    EXPECT_EQ(samples::readBytes(text), QByteArray("through\r\n"));
    QFile::remove(file("link.txt"));
    const QString temporary = QFileInfo(temporaryPathFor(picture)).fileName();
    EXPECT_LE(QFile::encodeName(temporary).size(), 255);
    EXPECT_TRUE(temporary.startsWith(QChar('.') + QString(100, QChar(0xE9)))) << "cut at a whole character";
}

namespace {

// A picture with an alpha channel, through Magick++ with the coder named.
bool writeWithAlpha(const QString& path, const char* coder)
{
    Magick::InitializeMagick(nullptr);
    const QImage img = samples::pattern(40, 30).convertToFormat(QImage::Format_ARGB32);
    QImage half = img;
    for (int y = 0; y < half.height(); ++y)
        for (int x = 0; x < half.width(); ++x)
            half.setPixel(x, y, (half.pixel(x, y) & 0x00FFFFFF) | 0x80000000u);
    Magick::Image m(size_t(half.width()), size_t(half.height()), "BGRA", Magick::CharPixel, half.constBits());
    m.matte(true);
    m.magick(coder);
    Magick::Blob blob;
    try {
        m.write(&blob);
    } catch (const Magick::Exception&) {
        return false;
    }
    return samples::writeBytes(path, QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length())));
}

} // namespace

TEST_F(PictureCodec, ImageMagicksFormatsTellTheirFactsFromTheirHeaders)
{
    QStringList paths;
    // Every format ImageMagick reads here, as the tests make them.
    for (const char* ext : {"PCX", "DCX", "PCD", "CUT", "PSD", "TGA", "RAS", "WPG", "PCT", "XWD", "SGI", "CAL", "MAC",
                            "WMF"}) {
        paths << file(QStringLiteral("sample.") + QString::fromLatin1(ext).toLower());
        ASSERT_TRUE(samples::makeSample(paths.last(), QString::fromLatin1(ext), samples::pattern(64, 48))) << ext;
    }
    // And the other kinds of picture they store: gray, a palette, alpha.
    const struct {
        const char* coder;
        Magick::ImageType type;
    } kinds[] = {{"TGA", Magick::GrayscaleType}, {"SGI", Magick::GrayscaleType}, {"PSD", Magick::GrayscaleType},
                 {"TGA", Magick::PaletteType},   {"PCX", Magick::PaletteType},   {"SGI", Magick::PaletteType},
                 {"SUN", Magick::PaletteType},   {"XWD", Magick::PaletteType}};
    for (const auto& kind : kinds) {
        const QString ext = kind.coder == QByteArray("SUN") ? QStringLiteral("ras") : QString::fromLatin1(kind.coder);
        paths << file(QStringLiteral("kind%1.%2").arg(paths.size()).arg(ext.toLower()));
        ASSERT_TRUE(samples::writeMagick(paths.last(), {samples::pattern(40, 30)}, kind.coder, kind.type)) << kind.coder;
    }
    for (const char* coder : {"PCX", "TGA", "SGI", "PSD"}) {
        paths << file(QStringLiteral("alpha.%1").arg(QString::fromLatin1(coder).toLower()));
        ASSERT_TRUE(writeWithAlpha(paths.last(), coder)) << coder;
    }
    paths << file("page.jbg");
    ASSERT_TRUE(samples::writeMagick(paths.last(), {samples::pattern(64, 48)}, "JBIG", Magick::BilevelType));
    for (const QString& path : paths) {
        const std::string name = QFileInfo(path).fileName().toStdString();
        PictureData d;
        ASSERT_EQ(readPicture(path, 1, 1, &d), 0) << name;
        const PictureInfo decoded = infoOf(d, QFileInfo(path).size());
        // The header alone is read: ImageMagick is never at work on the pixels.
        std::atomic<int> decodingSteps{0};
        ReadControl control;
        control.progress = [&](ReadStep step) { decodingSteps += step == ReadStep::Decoding; };
        PictureInfo header;
        ASSERT_EQ(readPictureHeader(path, 1, &header, control), 0) << name;
        EXPECT_EQ(decodingSteps.load(), 0) << name;
        expectSameInfo(header, decoded, path);
        // As the picture's properties read them.
        PictureInfo shown;
        ASSERT_EQ(readPictureInfo(path, 1, &shown), 0) << name;
        expectSameInfo(shown, header, path);
    }
    // Files larger than what is read of them for a header: a Targa tells
    // its facts from its first bytes, its size on disk the file's; a DCX
    // page past them is found in the whole file.
    const QString large = file("large.tga");
    ASSERT_TRUE(samples::writeMagick(large, {noise(2000, 1200)}, "TGA"));
    const QString pages = file("pages.dcx");
    ASSERT_TRUE(samples::writeMagick(pages, {noise(1200, 1000), noise(1200, 1000), noise(900, 700)}, "DCX"));
    ASSERT_GT(QFileInfo(pages).size(), 2 * kHeaderReadBytes);
    for (const auto& [path, page] : {std::pair(large, 1), std::pair(pages, 3)}) {
        PictureData d;
        ASSERT_EQ(readPicture(path, page, 1, &d), 0) << path.toStdString();
        PictureInfo header;
        ASSERT_EQ(readPictureHeader(path, page, &header), 0) << path.toStdString();
        expectSameInfo(header, infoOf(d, QFileInfo(path).size()), path);
        EXPECT_EQ(header.sizeDisk, QFileInfo(path).size());
    }
    // Gray pixels stored as colour (as ImageMagick writes a gray PCX) are
    // told as stored: the header knows nothing of the pixels.
    const QString gray = file("gray.pcx");
    ASSERT_TRUE(samples::writeMagick(gray, {samples::pattern(40, 30)}, "PCX", Magick::GrayscaleType));
    PictureInfo header;
    ASSERT_EQ(readPictureHeader(gray, 1, &header), 0);
    EXPECT_EQ(header.bits, 24);
}

TEST_F(PictureCodec, ABlackAndWhitePageTellsItsFactsWithoutItsPixels)
{
    // ImageMagick pings CALS and JBIG by decoding them: the header of a page
    // of 2400 x 1600 pixels without its data tells what it says, and only
    // a decode fails.
    const struct {
        const char* name;
        const char* coder;
        qsizetype header;
        int resolution;
    } pages[] = {{"drawing.cal", "CALS", 16 * 128, 200}, {"scan.jbg", "JBIG", 20, 300}};
    for (const auto& page : pages) {
        const QString path = file(QString::fromLatin1(page.name));
        ASSERT_TRUE(samples::writeMagick(path, {samples::pattern(2400, 1600)}, page.coder, Magick::BilevelType));
        ASSERT_TRUE(samples::writeBytes(path, samples::readBytes(path).left(page.header)));
        PictureInfo header;
        ASSERT_EQ(readPictureHeader(path, 1, &header), 0) << page.name;
        EXPECT_EQ(QSize(header.width, header.height), QSize(2400, 1600)) << page.name;
        EXPECT_EQ(header.bits, 1) << page.name;
        EXPECT_EQ(header.colors, 2) << page.name;
        EXPECT_EQ(header.xRes, page.resolution) << page.name;
        PictureData d;
        EXPECT_NE(readPicture(path, 1, 1, &d), 0) << page.name;
    }
}

TEST_F(PictureCodec, APictureWithoutAlphaIsOpaqueInMemoryAsQtHoldsIt)
{
    // Qt draws a 32-bit picture without alpha as it lies in memory, taking
    // its fourth byte as its alpha where it is not 0xff. ImageMagick leaves
    // there what its pixel cache held before (the memory of the pictures
    // read before it), read after read.
    const QString tga = file("opaque.tga");
    ASSERT_TRUE(samples::writeMagick(tga, {samples::pattern(320, 200)}, "TGA"));
    for (int round = 0; round < 20; ++round) {
        PictureData d;
        ASSERT_EQ(readPicture(tga, 1, 1, &d), 0);
        const QImage& f = d.frames.first();
        ASSERT_EQ(f.format(), QImage::Format_RGB32);
        qint64 notOpaque = 0;
        for (int y = 0; y < f.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(f.constScanLine(y));
            for (int x = 0; x < f.width(); ++x)
                notOpaque += qAlpha(line[x]) != 255;
        }
        EXPECT_EQ(notOpaque, 0) << "read " << round;
    }
}
