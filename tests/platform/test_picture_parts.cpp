// Large pictures read in parts: the facts their headers give, the parts the
// decoders give, and the picture control showing such a picture before, and
// without, decoding it whole.
#include "PictureSamples.h"

#include "platform/ImagingCodes.h"
#include "platform/Lead.h"
#include "platform/PictureParts.h"
#include "platform/PictureSource.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// Gradients and shapes: every part of it differs from every other.
QImage photo(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_ARGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(240, 40, 20));
    g.setColorAt(0.5, QColor(30, 200, 90));
    g.setColorAt(1, QColor(20, 40, 230));
    p.fillRect(img.rect(), g);
    p.setBrush(QColor(250, 250, 250, 180));
    for (int i = 0; i < 12; ++i)
        p.drawEllipse(QPoint(w * i / 12, h * ((i * 7) % 12) / 12), w / 15, h / 11);
    p.end();
    return img.convertToFormat(format);
}

void expectSameInfo(const PictureInfo& a, const PictureInfo& b, const QString& name)
{
    const std::string n = name.toStdString();
    EXPECT_EQ(a.width, b.width) << n;
    EXPECT_EQ(a.height, b.height) << n;
    EXPECT_EQ(a.bits, b.bits) << n;
    EXPECT_EQ(a.format, b.format) << n;
    EXPECT_EQ(a.pageCount, b.pageCount) << n;
    EXPECT_EQ(a.page, b.page) << n;
    EXPECT_EQ(a.sizeDisk, b.sizeDisk) << n;
    EXPECT_EQ(a.sizeMem, b.sizeMem) << n;
    EXPECT_EQ(a.colors, b.colors) << n;
    EXPECT_EQ(a.xRes, b.xRes) << n;
    EXPECT_EQ(a.yRes, b.yRes) << n;
}

int maxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace

TEST(PictureParts, FactsFromTheHeaderAgreeWithAWholeDecode)
{
    QTemporaryDir dir;
    QImage dpi300 = photo(64, 48);
    dpi300.setDotsPerMeterX(11811);
    dpi300.setDotsPerMeterY(5906);
    Magick::InitializeMagick(nullptr);
    Magick::Image perCm = samples::toMagick(photo(40, 30));
    perCm.resolutionUnits(Magick::PixelsPerCentimeterResolution);
    perCm.density(Magick::Geometry(40, 20));
    perCm.magick("JPEG");
    Magick::Blob blob;
    perCm.write(&blob);
    ASSERT_TRUE(samples::writeBytes(dir.filePath("cm.jpg"), QByteArray(static_cast<const char*>(blob.data()),
                                                                      qsizetype(blob.length()))));
    ASSERT_TRUE(samples::writeQt(dir.filePath("dpi.jpg"), dpi300, "jpeg", 90));
    ASSERT_TRUE(samples::writeQt(dir.filePath("gray.jpeg"), photo(50, 40, QImage::Format_Grayscale8), "jpeg"));
    ASSERT_TRUE(samples::writeQt(dir.filePath("rgb.png"), dpi300, "png"));
    ASSERT_TRUE(samples::writeQt(dir.filePath("alpha.png"), photo(30, 20, QImage::Format_ARGB32), "png"));
    ASSERT_TRUE(samples::writeQt(dir.filePath("gray16.png"), photo(30, 20, QImage::Format_Grayscale16), "png"));
    ASSERT_TRUE(samples::writeMagick(dir.filePath("magick.png"), {photo(60, 40)}, "PNG"));
    ASSERT_TRUE(samples::writeQt(dir.filePath("png named.jpg"), photo(20, 10), "png"));
    ASSERT_TRUE(samples::writeQt(dir.filePath("no extension"), photo(20, 10), "jpeg"));
    for (const char* name : {"cm.jpg", "dpi.jpg", "gray.jpeg", "rgb.png", "alpha.png", "gray16.png", "magick.png",
                             "png named.jpg", "no extension"}) {
        const QString path = dir.filePath(QLatin1String(name));
        PartialPicture partial;
        ASSERT_TRUE(openPartialPicture(path, &partial)) << name;
        PictureData decoded;
        ASSERT_EQ(readPicture(path, 1, 1, &decoded), 0) << name;
        expectSameInfo(partial.info, infoOf(decoded, QFileInfo(path).size()), QLatin1String(name));
        PictureInfo reported;
        ASSERT_EQ(readPictureInfo(path, 1, &reported), 0);
        expectSameInfo(reported, partial.info, QLatin1String(name));
    }

    // A palette's depth is known only once it is decoded: such a file is read whole.
    QImage palette = photo(16, 16).convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(samples::writeQt(dir.filePath("palette.png"), palette, "png"));
    PartialPicture partial;
    EXPECT_FALSE(openPartialPicture(dir.filePath("palette.png"), &partial));
    ASSERT_TRUE(samples::writeMagick(dir.filePath("page.tif"), {photo(20, 10)}, "TIFF"));
    EXPECT_FALSE(openPartialPicture(dir.filePath("page.tif"), &partial)) << "not a JPEG or PNG";
}

TEST(PictureParts, PartsAreThePicturesOwnPixels)
{
    QTemporaryDir dir;
    const QImage source = photo(960, 640);
    for (const char* name : {"photo.jpg", "photo.png"}) {
        const QString path = dir.filePath(QLatin1String(name));
        ASSERT_TRUE(samples::writeQt(path, source, QByteArray(name).endsWith("jpg") ? "jpeg" : "png", 90));
        const QImage whole = QImageReader(path).read().convertToFormat(QImage::Format_RGB32);
        PartialPicture picture;
        ASSERT_TRUE(openPartialPicture(path, &picture));

        // At its own size a part is exactly that part of the whole picture.
        const QRect part(208, 96, 400, 304);
        QImage img;
        ASSERT_EQ(readPicturePart(picture, part, part.size(), &img), 0);
        EXPECT_EQ(img.convertToFormat(QImage::Format_RGB32), whole.copy(part)) << name;

        // Scaled, the whole picture stays the same picture (within the scalers' rounding).
        ASSERT_EQ(readPicturePart(picture, whole.rect(), QSize(240, 160), &img), 0);
        ASSERT_EQ(img.size(), QSize(240, 160));
        EXPECT_LE(maxDifference(img, whole.scaled(240, 160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), 24)
            << name;
        // Never larger than the part's own pixels; nothing outside the picture.
        ASSERT_EQ(readPicturePart(picture, QRect(900, 600, 100, 100), QSize(400, 400), &img), 0);
        EXPECT_EQ(img.size(), QSize(60, 40));
        EXPECT_EQ(readPicturePart(picture, QRect(2000, 0, 10, 10), QSize(10, 10), &img), err::InvalidParameter);
    }
    // A damaged file gives an error, and no picture.
    QByteArray png = samples::readBytes(dir.filePath("photo.png"));
    ASSERT_TRUE(samples::writeBytes(dir.filePath("cut.png"), png.left(png.size() / 2)));
    PartialPicture cut;
    ASSERT_TRUE(openPartialPicture(dir.filePath("cut.png"), &cut));
    QImage none;
    EXPECT_NE(readPicturePart(cut, QRect(0, 0, 960, 640), QSize(96, 64), &none), 0);
    EXPECT_TRUE(none.isNull());
}

TEST(PictureParts, TheControlShowsALargePictureBeforeDecodingItWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.jpg");
    ASSERT_TRUE(samples::writeQt(path, photo(2600, 1800), "jpeg", 90));
    const QImage whole = QImageReader(path).read();

    Lead lead;
    lead.setBorderStyle(0);
    lead.resize(400, 300);
    lead.show();
    ASSERT_EQ(lead.Load(path), 0);
    EXPECT_EQ(QSize(lead.BitmapWidth(), lead.BitmapHeight()), QSize(2600, 1800));
    EXPECT_EQ(QSize(lead.InfoWidth(), lead.InfoHeight()), QSize(2600, 1800));
    EXPECT_EQ(lead.BitmapBits(), 24);

    // Normal size: the corner that shows, pixel for pixel, once a worker
    // has decoded it; the paints before show the background.
    QImage shot = lead.grab().toImage();
    EXPECT_FALSE(lead.PicturePainted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot = lead.grab().toImage(), lead.PicturePainted(); }, 20000));
    EXPECT_FALSE(lead.WholePictureInMemory());
    EXPECT_EQ(shot.pixel(50, 40), whole.pixel(50, 40));
    // Fitted: the whole picture, scaled, still without decoding it whole.
    lead.setPaintSizeMode(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot = lead.grab().toImage(), lead.PicturePainted(); }, 20000));
    EXPECT_FALSE(lead.WholePictureInMemory());
    const QRgb centre = shot.pixel(200, 150);
    const QRgb expected = whole.scaled(400, 277, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(200, 138);
    EXPECT_NEAR(qGreen(centre), qGreen(expected), 24);

    // Another control's copy shares the load; what needs every pixel gets the
    // whole picture, exactly as a plain decode gives it.
    Lead copy;
    copy.CopyBitmap(lead);
    EXPECT_EQ(copy.Bitmap(), whole);
    EXPECT_EQ(lead.Bitmap(), whole);
    EXPECT_TRUE(lead.WholePictureInMemory());
    Lead plain;
    ASSERT_EQ(plain.Load(path, 24), 0) << "as 24 bits: decoded whole at once";
    ASSERT_EQ(lead.Save(dir.filePath("saved.png"), fmt::Png, 24, 0), 0);
    ASSERT_EQ(plain.Save(dir.filePath("plain.png"), fmt::Png, 24, 0), 0);
    EXPECT_EQ(samples::readBytes(dir.filePath("saved.png")), samples::readBytes(dir.filePath("plain.png")));
}

TEST(PictureParts, PanningDecodesThePartThatShowsAndOnlyEditsDecodeTheWholePicture)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.png");
    ASSERT_TRUE(samples::writeQt(path, photo(2400, 1800), "png"));
    const QImage whole = QImageReader(path).read();

    Lead lead;
    lead.setBorderStyle(0);
    lead.resize(300, 200);
    lead.show();
    resetDecodeCounts();
    ASSERT_EQ(lead.Load(path), 0);
    lead.grab(); // asks a worker for the part that shows
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.grab(), lead.PicturePainted(); }, 20000));
    lead.setPanOffset(QPoint(1500, 1000));
    QImage shot = lead.grab().toImage(); // paints what it has, and asks for the rest
    EXPECT_FALSE(lead.PicturePainted()) << "the part that shows now is not there yet";
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot = lead.grab().toImage(), lead.PicturePainted(); }, 20000));
    EXPECT_EQ(shot.pixel(20, 30), whole.pixel(1520, 1030));
    // The pan window shows the whole picture at its own size, decoded aside too.
    lead.PanWinWidth = 120;
    lead.PanWinHeight = 90;
    ASSERT_EQ(lead.ShowPanWin(true), 0);
    QImage pan = lead.panWindow()->grab().toImage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pan = lead.panWindow()->grab().toImage(), pan.pixel(60, 45) != QColor(Qt::darkGray).rgb(); },
                                    20000));
    lead.ShowPanWin(false);
    EXPECT_FALSE(lead.WholePictureInMemory());
    EXPECT_EQ(decodeCounts().wholePictures, 0);
    EXPECT_EQ(decodeCounts().partsOnTheUiThread, 0) << "no paint waits for a decode";
    EXPECT_LE(decodeCounts().largestPart, 300 * 200) << "no more than the control shows";
    EXPECT_EQ(lead.Intensity(100), 0) << "the whole picture changes";
    EXPECT_EQ(decodeCounts().wholePictures, 1);
    EXPECT_TRUE(lead.WholePictureInMemory());
}
