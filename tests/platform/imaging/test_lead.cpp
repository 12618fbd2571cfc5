#include "PartRecorder.h"
#include "PictureSamples.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/TiffReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace platform;

namespace {

QImage gray(int w, int h, int value)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(value, value, value));
    return img;
}

} // namespace

TEST(Lead, IntensityContrastAndSize)
{
    Lead lead;
    EXPECT_EQ(lead.Intensity(10), err::InvalidBitmap);
    EXPECT_EQ(lead.Size(5, 5, 0), err::InvalidBitmap);
    lead.setBitmap(gray(20, 10, 200));
    EXPECT_EQ(lead.Intensity(1001), err::InvalidParameter);
    EXPECT_EQ(qRed(lead.Bitmap().pixel(0, 0)), 200);
    ASSERT_EQ(lead.Intensity(-1000), 0);
    EXPECT_EQ(qRed(lead.Bitmap().pixel(0, 0)), 0);

    // A palette picture keeps its palette and bits.
    Lead pal;
    QImage indexed = gray(8, 8, 100).convertToFormat(QImage::Format_Indexed8);
    pal.setBitmap(indexed);
    const int bits = pal.BitmapBits();
    ASSERT_EQ(pal.Intensity(200), 0);
    EXPECT_EQ(pal.Bitmap().format(), QImage::Format_Indexed8);
    EXPECT_EQ(pal.BitmapBits(), bits);
    EXPECT_EQ(qRed(pal.Bitmap().pixel(0, 0)), 120);

    Lead sized;
    sized.setBitmap(samples::pattern(40, 30));
    ASSERT_EQ(sized.Size(13, 17, 2), 0);
    EXPECT_EQ(sized.Size(0, 10, 0), err::InvalidSize);
    EXPECT_EQ(QSize(sized.BitmapWidth(), sized.BitmapHeight()), QSize(13, 17));
}

TEST(Lead, LoadSaveInfoAndClipboard)
{
    QTemporaryDir dir;
    Lead lead;
    const QString tif = dir.filePath("p.tif");
    ASSERT_TRUE(samples::writeMagick(tif, {samples::pattern(30, 20), samples::pattern(40, 30)}, "TIFF"));
    ASSERT_EQ(lead.Load(tif, 0, 2, 1), 0);
    EXPECT_EQ(lead.InfoTotalPages(), 2);
    EXPECT_EQ(lead.InfoWidth(), 40);
    const QImage shown = lead.Bitmap();
    EXPECT_EQ(lead.Load(dir.filePath("none.tif")), err::FileNotFound);
    EXPECT_EQ(lead.Bitmap(), shown);
    EXPECT_EQ(lead.GetFileInfo(dir.filePath("none.tif")), err::FileNotFound);
    ASSERT_EQ(lead.GetFileInfo(tif, 1), 0);
    EXPECT_EQ(lead.InfoWidth(), 30);
    EXPECT_EQ(lead.BitmapWidth(), 40) << "the picture stays";

    // Every frame with SaveMultiPage.
    Lead check;
    ASSERT_EQ(check.Load(tif, 0, 1, -1), 0);
    check.setSaveMultiPage(true);
    const QString all = dir.filePath("all.tif");
    ASSERT_EQ(check.Save(all, fmt::Tif, 24, 0, 0), 0);
    ASSERT_EQ(lead.Load(all, 0, 1, -1), 0);
    EXPECT_EQ(lead.BitmapListCount(), 2);

    ASSERT_EQ(lead.Copy(14), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(30, 20));
    Lead empty;
    EXPECT_EQ(empty.Save(dir.filePath("e.png"), fmt::Png, 24, 0, 0), err::InvalidBitmap);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("e.png")));
}

TEST(Lead, PaintModesAutoSizeAndPanning)
{
    Lead lead;
    lead.resize(50, 50);
    lead.setAutoSize(true);
    lead.setBitmap(samples::pattern(120, 80));
    EXPECT_EQ(lead.size(), QSize(122, 82)) << "auto size in normal mode: the picture and its frame";
    lead.setPaintZoomFactor(50);
    EXPECT_EQ(lead.size(), QSize(62, 42));
    lead.setAutoSize(false);
    lead.setPaintZoomFactor(100);
    lead.resize(60, 60);
    lead.show();
    // Dragging pans a picture larger than the control.
    QTest::mousePress(&lead, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseMove(&lead, QPoint(20, 30));
    QTest::mouseRelease(&lead, Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_EQ(lead.panOffset(), QPoint(20, 10));
    QTest::mousePress(&lead, Qt::LeftButton, {}, QPoint(0, 0));
    QTest::mouseMove(&lead, QPoint(-500, -500));
    QTest::mouseRelease(&lead, Qt::LeftButton, {}, QPoint(-500, -500));
    EXPECT_EQ(lead.panOffset(), QPoint(62, 22)) << "never past the picture's edge (58 x 58 inside the frame)";
}

TEST(Lead, ATiffOfFloatingPointSamplesIsReadByImageMagickOnAWorker)
{
    // libtiff's RGBA interface takes no floating-point samples: ImageMagick
    // reads such a TIFF, as it read every TIFF before, opened from its
    // header and decoded on a worker like the pictures of its own formats.
    QTemporaryDir dir;
    const QString path = dir.filePath("float.tif");
    Magick::Image m = samples::toMagick(samples::pattern(64, 48));
    m.defineValue("quantum", "format", "floating-point");
    m.depth(32);
    m.compressType(Magick::ZipCompression);
    m.magick("TIFF");
    Magick::Blob blob;
    m.write(&blob);
    ASSERT_TRUE(samples::writeBytes(path, QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length()))));
    TiffPage page;
    ASSERT_EQ(readTiffPage(TiffInput{path, {}}, 1, &page), err::SubTypeNotSupported);
    PartRecorder parts;
    Lead lead(nullptr, parts);
    parts.hold();
    ASSERT_EQ(lead.Load(path), 0);
    EXPECT_EQ(QSize(lead.BitmapWidth(), lead.BitmapHeight()), QSize(64, 48));
    EXPECT_FALSE(lead.WholePictureInMemory()) << "held on the worker";
    parts.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.WholePictureInMemory(); }, 20000));
    EXPECT_LE(samples::maxDifference(lead.Bitmap(), samples::pattern(64, 48)), 1);
    PictureInfo info;
    ASSERT_EQ(readPictureInfo(path, 1, &info), 0);
    EXPECT_EQ(QSize(info.width, info.height), QSize(64, 48));
    QImage thumb;
    ASSERT_EQ(readScaledPicture(path, QSize(32, 32), &thumb), 0);
    EXPECT_EQ(thumb.size(), QSize(32, 24));
}

TEST(Lead, APictureOpenedFromItsHeaderTakesWhatItsDecodeFinds)
{
    QTemporaryDir dir;
    // A raw fax holds no header: the height its header read tells is
    // ImageMagick's guess, which its decode puts right.
    const QString fax = dir.filePath("page.fax");
    ASSERT_TRUE(samples::writeMagick(fax, {samples::pattern(64, 48)}, "FAX"));
    PictureData decoded;
    ASSERT_EQ(readPicture(fax, 1, 1, &decoded), 0);
    PictureInfo header;
    ASSERT_EQ(readPictureHeader(fax, 1, &header), 0);
    ASSERT_NE(QSize(header.width, header.height), decoded.frames.first().size());
    PartRecorder parts;
    Lead lead(nullptr, parts);
    QSignalSpy resized(&lead, &Lead::PictureResized);
    parts.hold();
    ASSERT_EQ(lead.Load(fax), 0);
    EXPECT_EQ(QSize(lead.BitmapWidth(), lead.BitmapHeight()), QSize(header.width, header.height));
    parts.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.WholePictureInMemory(); }, 20000));
    EXPECT_EQ(QSize(lead.BitmapWidth(), lead.BitmapHeight()), decoded.frames.first().size());
    EXPECT_EQ(QSize(lead.InfoWidth(), lead.InfoHeight()), decoded.frames.first().size());
    EXPECT_EQ(resized.count(), 1);
    // Every page asked for, decoded on a worker, is kept; and the control
    // that copied the picture before it was decoded gets it too.
    const QString dcx = dir.filePath("pages.dcx");
    ASSERT_TRUE(samples::writeMagick(dcx, {samples::pattern(30, 20), samples::pattern(40, 30)}, "DCX"));
    ASSERT_EQ(lead.Load(dcx, 0, 1, -1), 0);
    Lead copy(nullptr, parts);
    copy.CopyBitmap(lead);
    EXPECT_EQ(lead.InfoTotalPages(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lead.WholePictureInMemory() && copy.WholePictureInMemory(); }, 20000));
    EXPECT_EQ(parts.wholePictures(), 0) << "decoded on the worker alone";
    ASSERT_EQ(lead.Frames().size(), 2);
    EXPECT_EQ(lead.Frames().at(1).size(), QSize(40, 30));
    EXPECT_EQ(copy.Frames().size(), 2);
    EXPECT_EQ(resized.count(), 1);
}
