// Picture files that declare far more than they hold: the frames of one read
// are capped together, a bitmap without its pixels is a failure, and the
// delays read from a file stay within an hour.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/ImagingCodes.h"
#include "platform/PictureCodec.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A 4-bit BMP header with its 16-colour palette (118 bytes) and no pixels.
QByteArray bitmapWithoutPixels(int width, int height)
{
    QByteArray b("BM");
    samples::put32(b, 118);                 // file size as declared
    samples::put32(b, 0);
    samples::put32(b, 118);                 // pixels start after the palette
    for (quint32 v : {40u, quint32(width), quint32(height)})
        samples::put32(b, v);
    samples::put16(b, {1, 4});              // one plane, 4 bits
    for (quint32 v : {0u, 0u, 2835u, 2835u, 16u, 0u})
        samples::put32(b, v);
    for (int i = 0; i < 16; ++i)
        samples::put32(b, quint32(i * 0x111111));
    return b;
}

} // namespace

TEST(ReaderLimits, AllFramesOfATinyGifWithAHugeScreenAreTooLarge)
{
    // 100 one-pixel frames on a 2000 x 2000 screen: 3 KB on disk, 1.6 GB read.
    QTemporaryDir dir;
    const QString gif = dir.filePath("bomb.gif");
    ASSERT_TRUE(samples::writeBytes(gif, samples::tinyFrameGif(2000, 2000, 100)));
    EXPECT_LT(QFileInfo(gif).size(), 4000);
    testsupport::PeakMemory peak;
    peak.start();
    PictureData d;
    EXPECT_EQ(readPicture(gif, 1, -1, &d), err::NoMemory) << "never a part of the frames as if it were all";
    EXPECT_TRUE(d.frames.isEmpty());
    if (peak.grownKb() >= 0) {
        EXPECT_LT(peak.grownKb(), 200 * 1024) << "refused before the frames are read";
    }
    // One frame is one screen: shown as ever.
    ASSERT_EQ(readPicture(gif, 1, 1, &d), 0);
    EXPECT_EQ(d.frames.first().size(), QSize(2000, 2000));
    EXPECT_EQ(d.pageCount, 100);
    // An animation whose frames fit is read whole.
    ASSERT_EQ(readPictureBytes(samples::tinyFrameGif(64, 64, 300), "GIF", 1, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 300);
}

TEST(ReaderLimits, ABitmapShorterThanItsPixelsIsAFailure)
{
    QTemporaryDir dir;
    const QString lying = dir.filePath("lying.bmp");
    const QByteArray header = bitmapWithoutPixels(16000, 16000);
    ASSERT_EQ(header.size(), 118);
    ASSERT_TRUE(samples::writeBytes(lying, header));
    PictureData d;
    EXPECT_EQ(readPicture(lying, 1, 1, &d), err::FileRead);
    EXPECT_EQ(readPictureBytes(header, "BMP", 1, 1, &d), err::FileRead);
    QImage thumb;
    EXPECT_EQ(readScaledPicture(lying, QSize(96, 96), &thumb), err::FileRead) << "the thumbnail too";

    // A whole bitmap reads; the same cut short by one row does not.
    const QString whole = dir.filePath("whole.bmp");
    ASSERT_TRUE(samples::writeQt(whole, samples::pattern(64, 48), "bmp"));
    ASSERT_EQ(readPicture(whole, 1, 1, &d), 0);
    const QByteArray bytes = samples::readBytes(whole);
    const QString cut = dir.filePath("cut.bmp");
    ASSERT_TRUE(samples::writeBytes(cut, bytes.left(bytes.size() - 64 * 4)));
    EXPECT_EQ(readPicture(cut, 1, 1, &d), err::FileRead);
    // Only the padding of the last row missing, as some writers leave it: read.
    ASSERT_TRUE(samples::writeQt(whole, samples::pattern(63, 48), "bmp"));
    const QByteArray padded = samples::readBytes(whole);
    ASSERT_TRUE(samples::writeBytes(cut, padded.left(padded.size() - 3)));
    ASSERT_EQ(readPicture(cut, 1, 1, &d), 0);
    EXPECT_EQ(d.frames.first().size(), QSize(63, 48));
}

TEST(ReaderLimits, DelaysFromTheFileStayWithinAnHour)
{
    // A FLIC frame delay of 4.06e9 ms, an animated cursor rate of 2^32 - 1 jiffies.
    PictureData d;
    ASSERT_EQ(readPictureBytes(samples::flic(8, 8, 2, int(4060000000u)), "FLC", 1, -1, &d), 0);
    ASSERT_EQ(d.delays.size(), 2);
    EXPECT_EQ(d.delays.first(), 3600 * 1000);
    const QImage icon = samples::pattern(32, 32);
    ASSERT_EQ(readPictureBytes(samples::animatedCursor({icon, icon}, int(0xFFFFFFFFu)), "ANI", 1, -1, &d), 0);
    ASSERT_EQ(d.delays.size(), 2);
    EXPECT_EQ(d.delays.first(), 3600 * 1000);
    // Ordinary delays are read as they stand.
    ASSERT_EQ(readPictureBytes(samples::flic(8, 8, 2, 70), "FLC", 1, -1, &d), 0);
    EXPECT_EQ(d.delays.first(), 70);
    ASSERT_EQ(readPictureBytes(samples::animatedCursor({icon, icon}, 6), "ANI", 1, -1, &d), 0);
    EXPECT_EQ(d.delays.first(), 100);
}

TEST(ReaderLimits, AFlicFrameClaimingGigabytesShowsTheBytesItHas)
{
    // The last frame's chunk (16 + 6 + 64 bytes) claims 2 GB: the reader takes
    // the frame as far as the file goes instead of making room for 2 GB.
    QByteArray bytes = samples::flic(8, 8, 2);
    const qsizetype last = bytes.size() - (16 + 6 + 64);
    bytes[last + 3] = char(0x7F);
    PictureData d;
    ASSERT_EQ(readPictureBytes(bytes, "FLC", 1, -1, &d), 0);
    EXPECT_EQ(d.pageCount, 2);
}
