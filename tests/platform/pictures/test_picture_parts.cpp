// Large pictures read in parts: the facts their headers give, the parts the
// decoders give, and the picture control showing such a picture before, and
// without, decoding it whole.
#include "PartRecorder.h"
#include "PictureInfoChecks.h"
#include "PictureSamples.h"
#include "TiffSamples.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureParts.h"
#include "platform/pictures/PictureSource.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <cstdio>
#include <zlib.h>

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

// Pixels of this colour within the area.
int pixelsOf(const QImage& img, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (img.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    return n;
}

// The control's view of its picture as it shows now, and once painted at the size it shows.
QImage shownNow(Lead& lead) { return lead.grab(lead.ShownArea()).toImage().convertToFormat(QImage::Format_RGB32); }
QImage shownPainted(Lead& lead)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return lead.grab(), lead.PicturePainted(); }, 20000)) << "painted";
    return shownNow(lead);
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
    // A TIFF's page is read in parts, whatever it holds.
    ASSERT_TRUE(samples::writeMagick(dir.filePath("page.tif"), {photo(20, 10)}, "TIFF"));
    ASSERT_TRUE(openPartialPicture(dir.filePath("page.tif"), &partial));
    EXPECT_EQ(partial.kind, PartialPicture::Kind::Tiff);
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
        EXPECT_LE(samples::maxDifference(img, whole.scaled(240, 160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), 24)
            << name;
        // Never larger than the part's own pixels; nothing outside the picture.
        ASSERT_EQ(readPicturePart(picture, QRect(900, 600, 100, 100), QSize(400, 400), &img), 0);
        EXPECT_EQ(img.size(), QSize(60, 40));
        EXPECT_EQ(readPicturePart(picture, QRect(2000, 0, 10, 10), QSize(10, 10), &img), err::InvalidParameter);
    }
    // A damaged file gives an error, and the rows decoded before the damage
    // in the part's own shape, the rest transparent.
    const QByteArray png = samples::readBytes(dir.filePath("photo.png"));
    ASSERT_TRUE(samples::writeBytes(dir.filePath("cut.png"), png.left(png.size() / 2)));
    PartialPicture cut;
    ASSERT_TRUE(openPartialPicture(dir.filePath("cut.png"), &cut));
    QImage top;
    EXPECT_EQ(readPicturePart(cut, QRect(0, 0, 960, 640), QSize(96, 64), &top), err::FileRead);
    ASSERT_EQ(top.size(), QSize(96, 64));
    EXPECT_EQ(qAlpha(top.pixel(50, 0)), 255);
    const QImage scaled = source.scaled(96, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LE(samples::maxDifference(top.copy(0, 0, 96, 4), scaled), 24);
    EXPECT_EQ(qAlpha(top.pixel(50, 63)), 0);
    // Nothing before the damage: nothing at all.
    ASSERT_TRUE(samples::writeBytes(dir.filePath("head.png"), png.left(png.indexOf("IDAT") + 20)));
    PartialPicture head;
    ASSERT_TRUE(openPartialPicture(dir.filePath("head.png"), &head));
    QImage none;
    EXPECT_EQ(readPicturePart(head, QRect(0, 0, 960, 640), QSize(96, 64), &none), err::FileRead);
    EXPECT_TRUE(none.isNull());
    // A file cut after its pixels is damaged too, for a part that reaches its last row.
    ASSERT_TRUE(samples::writeBytes(dir.filePath("tail.png"), png.chopped(12)));
    PartialPicture tail;
    ASSERT_TRUE(openPartialPicture(dir.filePath("tail.png"), &tail));
    QImage all;
    EXPECT_EQ(readPicturePart(tail, QRect(0, 0, 960, 600), QSize(96, 60), &all), 0) << "the rows above";
    EXPECT_EQ(readPicturePart(tail, QRect(0, 0, 960, 640), QSize(96, 64), &all), err::FileRead);
    EXPECT_EQ(qAlpha(all.pixel(50, 63)), 255) << "every row decoded";
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

    PartRecorder parts;
    Lead lead(nullptr, parts);
    lead.setBorderStyle(0);
    lead.resize(300, 200);
    lead.show();
    ASSERT_EQ(lead.Load(path), 0);
    lead.grab(); // asks a worker for the part that shows
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.grab(), lead.PicturePainted(); }, 20000));
    lead.setPanOffset(QPoint(1500, 1000));
    parts.hold();
    QImage shot = lead.grab().toImage(); // paints what it has, and asks for the rest
    EXPECT_FALSE(lead.PicturePainted()) << "the part that shows now is not there yet";
    // Asked of a worker (once the part asked before is there), it is held:
    // the paints go on without it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.grab(), parts.partsHeld() > 0; }, 20000));
    EXPECT_FALSE(lead.PicturePainted());
    parts.release();
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
    EXPECT_EQ(parts.wholePictures(), 0);
    EXPECT_EQ(parts.partsOnTheWindowsThread(), 0) << "no paint waits for a decode";
    EXPECT_LE(parts.largestPart(), 450 * 300) << "no more than the control shows, and a margin around it";
    EXPECT_EQ(lead.Intensity(100), 0) << "the whole picture changes";
    EXPECT_EQ(parts.wholePictures(), 1);
    EXPECT_TRUE(lead.WholePictureInMemory());
}

TEST(PictureParts, ThePictureOnShowStaysTheFileOpenedWhenItsNameGetsAnotherFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shown.jpg");
    const QImage opened = photo(2700, 1800);
    ASSERT_TRUE(samples::writeQt(path, opened, "jpeg", 90));
    // Another picture of another shape under each name, made aside first.
    ASSERT_TRUE(samples::writeQt(dir.filePath("portrait.jpg"), photo(1800, 2700).mirrored(true, false), "jpeg", 90));
    const QImage small = photo(800, 600).mirrored(true, true);
    ASSERT_TRUE(samples::writeQt(dir.filePath("small.jpg"), small, "jpeg", 90));
    const QImage expected = QImageReader(path).read().convertToFormat(QImage::Format_RGB32);

    enum class Change { RenamedOver, Deleted, WrittenOver };
    for (const Change change : {Change::RenamedOver, Change::Deleted, Change::WrittenOver}) {
        const int n = int(change);
        ASSERT_TRUE(samples::writeQt(path, opened, "jpeg", 90));
        Lead lead;
        lead.setBorderStyle(0);
        lead.resize(600, 500);
        lead.show();
        ASSERT_EQ(lead.Load(path), 0);
        shownPainted(lead); // the corner at normal size
        if (change == Change::RenamedOver) {
            const QString aside = dir.filePath("aside.jpg");
            ASSERT_TRUE(QFile::copy(dir.filePath("portrait.jpg"), aside));
            ASSERT_EQ(std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData()), 0);
        } else if (change == Change::Deleted) {
            ASSERT_TRUE(QFile::remove(path));
        } else {
            ASSERT_TRUE(samples::writeBytes(path, samples::readBytes(dir.filePath("small.jpg"))));
        }
        lead.setPaintSizeMode(3);
        if (change != Change::WrittenOver) {
            // Still the picture opened, in its own shape, from the file held open.
            const QImage shot = shownPainted(lead);
            EXPECT_EQ(QSize(lead.BitmapWidth(), lead.BitmapHeight()), QSize(2700, 1800)) << n;
            ASSERT_EQ(shot.size(), QSize(600, 400)) << n;
            EXPECT_LE(samples::meanDifference(shot, expected.scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
                      4.0)
                << n;
            // What needs every pixel gets the picture opened too.
            EXPECT_EQ(lead.Bitmap().convertToFormat(QImage::Format_RGB32), expected) << n;
        } else {
            // Its bytes are another picture's now: loaded again, as that picture.
            ASSERT_TRUE(QTest::qWaitFor([&] { return lead.grab(), lead.BitmapWidth() == 800; }, 20000)) << n;
            EXPECT_EQ(lead.BitmapHeight(), 600);
            EXPECT_EQ(lead.PaintSizeMode(), 3);
            const QImage shot = shownPainted(lead);
            ASSERT_EQ(shot.size(), QSize(600, 450)) << "its own shape";
            const QImage decoded = QImageReader(path).read();
            EXPECT_LE(samples::meanDifference(shot, decoded.scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
                      4.0);
        }
    }
}

TEST(PictureParts, WhatNeedsEveryPixelOfAFileWrittenOverInPlaceGetsTheNewPictureAndItsCopiesFollow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shown.jpg");
    ASSERT_TRUE(samples::writeQt(path, photo(2700, 1800), "jpeg", 90));
    Lead lead;
    lead.resize(600, 500);
    lead.show();
    ASSERT_EQ(lead.Load(path), 0);
    shownPainted(lead);
    // A copy of the picture as loaded, kept up with it as a window keeps one.
    Lead loaded;
    loaded.CopyBitmap(lead);
    int reloads = 0;
    QList<int> failures;
    QObject::connect(&lead, &Lead::PictureReloaded, [&] { ++reloads, loaded.CopyBitmap(lead); });
    QObject::connect(&lead, &Lead::PictureFailed, [&](int error) { failures.append(error); });
    // Written over in place before a paint noticed: the whole decode does.
    ASSERT_TRUE(samples::writeQt(path, photo(1800, 2700).mirrored(true, false), "jpeg", 90));
    const QImage now = QImageReader(path).read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(lead.DecodeWhole(), 0);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(lead.Bitmap().convertToFormat(QImage::Format_RGB32), now);
    EXPECT_EQ(loaded.Bitmap().convertToFormat(QImage::Format_RGB32), now) << "the copy follows";
    QTest::qWait(200);
    EXPECT_EQ(failures, QList<int>{});
}

TEST(PictureParts, ADamagedLargePngIsToldWhenADecodeMeetsItsDamage)
{
    QTemporaryDir dir;
    QImage gradient(4000, 3000, QImage::Format_RGB32);
    {
        QPainter p(&gradient);
        QLinearGradient g(0, 0, 0, 3000);
        g.setColorAt(0, Qt::yellow);
        g.setColorAt(1, Qt::green);
        p.fillRect(gradient.rect(), g);
    }
    const QString good = dir.filePath("big.png");
    ASSERT_TRUE(samples::writeQt(good, gradient, "png"));
    const QByteArray bytes = samples::readBytes(good);
    ASSERT_GT(bytes.size(), 10000);
    const int firstData = int(bytes.indexOf("IDAT")) - 4;
    const auto length = [&](int at) {
        const auto* b = reinterpret_cast<const uchar*>(bytes.constData() + at);
        return int(quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3]);
    };
    // Half the file; one byte of a checksum turned; the data of a chunk in
    // the lower half spoilt under a right checksum.
    ASSERT_TRUE(samples::writeBytes(dir.filePath("half.png"), bytes.left(bytes.size() / 2)));
    QByteArray turned = bytes;
    turned[firstData + 8 + length(firstData)] = char(~turned[firstData + 8 + length(firstData)]);
    ASSERT_TRUE(samples::writeBytes(dir.filePath("crc.png"), turned));
    QByteArray spoilt = bytes;
    int chunk = int(spoilt.indexOf("IDAT", spoilt.size() * 2 / 3)) - 4;
    ASSERT_GT(chunk, firstData);
    for (int i = 0; i < length(chunk); i += 3)
        spoilt[chunk + 8 + i] = char(0xa5 ^ i);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(spoilt.constData() + chunk + 4), uInt(length(chunk) + 4));
    for (int i = 0; i < 4; ++i)
        spoilt[chunk + 8 + length(chunk) + i] = char(crc >> (24 - 8 * i));
    ASSERT_TRUE(samples::writeBytes(dir.filePath("spoilt.png"), spoilt));

    // Nothing past the header is read as it is opened: each is shown in
    // parts, and its damage ends in the control's failure, once, when a
    // decode meets it. A checksum turned in the first chunk of pixels: as
    // the part on show is decoded. The file cut in half and the chunk
    // spoilt under a right checksum: as the whole picture at the control's
    // size is, once that part is painted, or fitted to the control.
    for (const char* name : {"crc.png", "half.png", "spoilt.png"}) {
        Lead lead;
        lead.setBorderStyle(0);
        lead.resize(400, 300);
        lead.show();
        QList<int> failures;
        QObject::connect(&lead, &Lead::PictureFailed, [&](int error) { failures.append(error); });
        ASSERT_EQ(lead.Load(dir.filePath(QLatin1String(name))), 0) << name;
        EXPECT_EQ(lead.BitmapWidth(), 4000) << name;
        if (QByteArray(name) != "crc.png") {
            const QImage corner = shownPainted(lead);
            EXPECT_EQ(corner.pixel(10, 10), gradient.pixel(10, 10)) << "the part before the damage shows";
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return lead.grab(), !failures.isEmpty(); }, 20000)) << name;
        lead.setPaintSizeMode(3);
        lead.grab();
        QTest::qWait(300);
        lead.grab();
        EXPECT_EQ(failures, QList<int>{err::FileRead}) << name;
        EXPECT_FALSE(lead.WholePictureInMemory()) << name;
    }
}

TEST(PictureParts, TheWholePictureIsAskedForOnceThePartOnShowIsPainted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.jpg");
    ASSERT_TRUE(samples::writeQt(path, photo(4800, 3600), "jpeg", 90));
    const QRect all(0, 0, 4800, 3600);
    PartRecorder parts;
    Lead lead(nullptr, parts);
    lead.setBorderStyle(0);
    lead.resize(640, 480);
    lead.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lead));
    // Each part asked of a worker, and whether the part on show was painted then.
    struct Asked {
        QRect source;
        bool painted;
    };
    QList<Asked> asked;
    parts.onAsked = [&](const PartRequest& part) { asked.append({part.source, lead.PicturePainted()}); };
    ASSERT_EQ(lead.Load(path), 0);
    lead.grab();
    ASSERT_EQ(asked.size(), 1) << "the first paint asks for the part on show alone";
    EXPECT_EQ(asked[0].source, QRect(0, 0, 640, 480));
    shownPainted(lead);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.grab(), lead.OverviewHeld(); }, 20000));
    // Then, by the paint that shows it, the margin around it; and once that
    // paint is done, the whole picture at the control's size.
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[1].source, QRect(0, 0, 800, 600));
    EXPECT_EQ(asked[2].source, all);
    EXPECT_TRUE(asked[2].painted);
    // Fitted, the whole picture is the part on show: asked for at once.
    const qsizetype before = asked.size();
    lead.setPaintSizeMode(3);
    shownPainted(lead);
    for (const Asked& a : asked.mid(before))
        EXPECT_EQ(a.source, all);
}

TEST(PictureParts, AMovingPictureIsNeverReplacedByTheBackground)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.jpg");
    ASSERT_TRUE(samples::writeQt(path, photo(4800, 3600), "jpeg", 90));
    const QColor back(255, 0, 255); // nowhere in the picture
    Lead lead;
    lead.setBorderStyle(0);
    lead.setBackColor(toOleColor(back));
    lead.resize(640, 480);
    lead.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lead));
    ASSERT_EQ(lead.Load(path), 0);
    shownPainted(lead);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.OverviewHeld(); }, 20000));

    // Dragged slowly to the right and down: each frame as it shows at once.
    int worst = 0;
    QPoint at(600, 440);
    QTest::mousePress(&lead, Qt::LeftButton, {}, at);
    for (int step = 0; step < 40; ++step) {
        at -= QPoint(14, 10);
        QMouseEvent move(QEvent::MouseMove, at, lead.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&lead, &move);
        const QImage shot = shownNow(lead);
        worst = std::max(worst, pixelsOf(shot, shot.rect(), back.rgb()));
        QTest::qWait(15);
    }
    QTest::mouseRelease(&lead, Qt::LeftButton, {}, at);
    EXPECT_EQ(lead.panOffset(), QPoint(560, 400));
    EXPECT_EQ(worst, 0) << "background pixels where the picture shows, at worst";
    EXPECT_TRUE(lead.PicturePainted() || QTest::qWaitFor([&] { return lead.grab(), lead.PicturePainted(); }, 20000));

    // Fitted at once: the whole picture, coarser until its finer decode is there.
    lead.setPaintSizeMode(3);
    const QImage fitted = shownNow(lead);
    ASSERT_EQ(fitted.size(), QSize(640, 480));
    EXPECT_EQ(pixelsOf(fitted, fitted.rect(), back.rgb()), 0);
}

TEST(PictureParts, TheMagnifierShowsWhatIsDecodedAndAsksAWorkerForThePartUnderIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.jpg");
    ASSERT_TRUE(samples::writeQt(path, photo(4000, 3000), "jpeg", 90));
    const QImage whole = QImageReader(path).read().convertToFormat(QImage::Format_RGB32);
    PartRecorder parts;
    Lead lead(nullptr, parts);
    lead.setBorderStyle(0);
    lead.resize(400, 300);
    lead.show();
    ASSERT_EQ(lead.Load(path), 0);
    lead.setPaintSizeMode(3);
    shownPainted(lead);
    parts.forget();
    ASSERT_EQ(lead.StartMagGlass(100, 100, 200, 0, 0x00FFFFFF, false, 1, false, 0, false, false), 0);
    const QPoint at(200, 150); // the picture's middle: (2000, 1500)
    QTest::mousePress(&lead, Qt::LeftButton, {}, at);
    QImage shot = lead.grab().toImage();
    EXPECT_EQ(parts.wholePictures(), 0) << "no whole decode for the glass";
    EXPECT_EQ(parts.partsOnTheWindowsThread(), 0) << "nor any inside a paint";
    EXPECT_FALSE(lead.WholePictureInMemory());
    // Magnified twice from the picture's own pixels once a worker has them:
    // 20 control pixels right of the centre are 10 picture pixels right of it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            shot = lead.grab().toImage().convertToFormat(QImage::Format_RGB32);
            return samples::maxDifference(shot.copy(220, 170, 1, 1), whole.copy(2010, 1510, 1, 1)) <= 2;
        },
        20000));
    EXPECT_LE(samples::maxDifference(shot.copy(180, 130, 1, 1), whole.copy(1990, 1490, 1, 1)), 2);
    QTest::mouseRelease(&lead, Qt::LeftButton, {}, at);
    EXPECT_EQ(parts.wholePictures(), 0);
    EXPECT_LE(parts.largestPart(), 150 * 150) << "the part under the glass and as much around it";
}

TEST(PictureParts, TheControlShowsTheLargeTiffPageAskedInPartsAndDecodesItWholeOnlyForItsPixels)
{
    // Three pages: a small one, the large one asked for, and another after it.
    QTemporaryDir dir;
    const QString path = dir.filePath("scans.tif");
    const QImage large = photo(3000, 2000);
    ASSERT_TRUE(tiffsamples::write(path, {photo(300, 200), large, photo(200, 100)},
                                   {tiffsamples::Colour::Rgb, 8, COMPRESSION_LZW, false, false, 32, 2}));
    PictureData d;
    ASSERT_EQ(readPicture(path, 2, 1, &d), 0);
    const QImage whole = d.frames.first();

    PartRecorder parts;
    Lead lead(nullptr, parts);
    lead.setBorderStyle(0);
    lead.resize(400, 300);
    lead.show();
    ASSERT_EQ(lead.Load(path, 0, 2, 1), 0);
    EXPECT_EQ(lead.LoadedPage(), 2);
    EXPECT_EQ(lead.InfoPage(), 2);
    EXPECT_EQ(lead.InfoTotalPages(), 3);
    EXPECT_EQ(QSize(lead.BitmapWidth(), lead.BitmapHeight()), QSize(3000, 2000));
    EXPECT_EQ(lead.InfoFormat(), fmt::TifLzw);
    QImage shot;
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot = lead.grab().toImage(), lead.PicturePainted(); }, 20000));
    EXPECT_FALSE(lead.WholePictureInMemory());
    EXPECT_EQ(parts.wholePictures(), 0);
    EXPECT_EQ(parts.partsOnTheWindowsThread(), 0);
    EXPECT_LE(parts.largestPart(), qint64(400) * 300 * 9 / 4) << "what shows and a margin around it";
    EXPECT_EQ(shot.copy(0, 0, 400, 300).convertToFormat(QImage::Format_RGB32),
              whole.copy(0, 0, 400, 300).convertToFormat(QImage::Format_RGB32));
    // What needs every pixel gets the page, once.
    EXPECT_EQ(lead.Bitmap(), whole);
    EXPECT_EQ(parts.wholePictures(), 1);
    // Every page from the second on is wanted: they are read whole.
    ASSERT_EQ(lead.Load(path, 0, 2, -1), 0);
    EXPECT_TRUE(lead.WholePictureInMemory());
    EXPECT_EQ(lead.Frames().size(), 2);
}
