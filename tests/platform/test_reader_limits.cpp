// Picture files that declare far more than they hold: the frames of one read
// are capped together, a bitmap without its pixels is a failure, the delays
// read from a file stay within an hour, and a file that ImageMagick makes a
// huge picture of is read within its time, or abandoned at once.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/ImagingCodes.h"
#include "platform/PictureCodec.h"
#include "platform/PictureLimits.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

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
    const qint64 grownKb = peak.grownKb(); // checked last, where it may not be measured
    // One frame is one screen: shown as ever.
    ASSERT_EQ(readPicture(gif, 1, 1, &d), 0);
    EXPECT_EQ(d.frames.first().size(), QSize(2000, 2000));
    EXPECT_EQ(d.pageCount, 100);
    // An animation whose frames fit is read whole.
    ASSERT_EQ(readPictureBytes(samples::tinyFrameGif(64, 64, 300), "GIF", 1, -1, &d), 0);
    EXPECT_EQ(d.frames.size(), 300);
    if (grownKb < 0)
        GTEST_SKIP() << "no peak memory to measure (/proc/self/clear_refs): the refusal's memory is not checked";
    EXPECT_LT(grownKb, 200 * 1024) << "refused before the frames are read";
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

namespace {

// Runs the function on a thread of its own, as the program's workers do.
class Worker {
public:
    explicit Worker(std::function<void()> work) : m_thread([this, work] { work(); m_done = true; }) {}
    ~Worker() { m_thread.join(); }
    // Milliseconds until it is done, from now (-1: not within the time).
    qint64 msUntilDone(int withinMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_done && clock.elapsed() < withinMs)
            QThread::msleep(5);
        return m_done ? clock.elapsed() : -1;
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

TEST(ReaderLimits, AWordPerfectBitmapTurnedIntoAHugePictureIsRefusedAtOnce)
{
    // 183 bytes: 16000 x 1 white pixels turned by 10 degrees, which
    // ImageMagick's reader would resample into 15760 x 2780 pixels (350 MB,
    // past its memory into its disk cache) without stopping when asked:
    // seconds on an idle machine, minutes on a busy one.
    QTemporaryDir dir;
    const QString wpg = dir.filePath("turned.wpg");
    const QByteArray bytes = samples::turnedWordPerfect(16000, 1, 10);
    EXPECT_LT(bytes.size(), 200);
    ASSERT_TRUE(samples::writeBytes(wpg, bytes));
    ensureMagick();
    testsupport::PeakMemory peak;
    peak.start();
    QElapsedTimer clock;
    clock.start();
    QImage thumb;
    EXPECT_EQ(readScaledPicture(wpg, QSize(96, 64), &thumb), err::NoMemory);
    PictureData d;
    EXPECT_EQ(readPicture(wpg, 1, -1, &d), err::NoMemory);
    EXPECT_EQ(readPictureBytes(bytes, "WPG", 1, 1, &d), err::NoMemory);
    EXPECT_LT(clock.elapsed(), 1000);
    const qint64 grownKb = peak.grownKb(); // checked last, where it may not be measured
    EXPECT_TRUE(thumb.isNull() && d.frames.isEmpty());

    // A turn of a smaller bitmap is read turned, and one by a quarter as well.
    ASSERT_EQ(readPictureBytes(samples::turnedWordPerfect(300, 200, 30), "WPG", 1, 1, &d), 0);
    EXPECT_GT(d.frames.first().width(), 300);
    EXPECT_GT(d.frames.first().height(), 200);
    ASSERT_EQ(readPictureBytes(samples::turnedWordPerfect(16000, 50, 90), "WPG", 1, 1, &d), 0);
    EXPECT_EQ(d.frames.first().size(), QSize(50, 16000));
    // A bitmap of more pixels than ImageMagick holds in memory, turned or not
    // (it would fill them on its disk): 16000 x 2000 pixels in 88 bytes.
    EXPECT_EQ(readPictureBytes(samples::turnedWordPerfect(16000, 2000, 0), "WPG", 1, 1, &d), err::NoMemory);
    QByteArray plain = samples::wordPerfect(16, 16);
    plain[21] = char(0x80); // the width of its bitmap (no turn): 16 + 32768 ...
    plain[23] = char(0x04); // ... and the height: 16 + 1024
    EXPECT_EQ(readPictureBytes(plain, "WPG", 1, 1, &d), err::NoMemory);
    // A depth of 65408 bits a pixel: 95 MB a row of 11565 pixels.
    plain = samples::wordPerfect(16, 16);
    plain[21] = char(0x2D);
    plain[24] = char(0x80);
    plain[25] = char(0xFF);
    EXPECT_EQ(readPictureBytes(plain, "WPG", 1, 1, &d), err::NoMemory);
    if (grownKb < 0)
        GTEST_SKIP() << "no peak memory to measure (/proc/self/clear_refs): the refusals' memory is not checked";
    EXPECT_LT(grownKb, 50 * 1024);
}

TEST(ReaderLimits, ImageMagicksWorkOnOneReadEndsWithinItsTime)
{
    QTemporaryDir dir;
    const QString tif = dir.filePath("white.tif");
    ASSERT_TRUE(samples::writeBytes(tif, samples::whiteTiff(2400, 1800)));
    ensureMagick();
    // Given a millisecond, the thumbnail and the whole picture are refused.
    setMagickReadTime(1);
    QImage thumb;
    EXPECT_EQ(readScaledPicture(tif, QSize(96, 64), &thumb), err::NoMemory);
    PictureData d;
    EXPECT_EQ(readPicture(tif, 1, 1, &d), err::NoMemory);
    EXPECT_TRUE(thumb.isNull());
    EXPECT_TRUE(d.frames.isEmpty());
    // Given the program's own time, they are read.
    setMagickReadTime(kMagickReadMs);
    ASSERT_EQ(readScaledPicture(tif, QSize(96, 64), &thumb), 0);
    EXPECT_EQ(thumb.size(), QSize(85, 64));
    ASSERT_EQ(readPicture(tif, 1, 1, &d), 0);
    EXPECT_EQ(d.frames.first().size(), QSize(2400, 1800));
}

TEST(ReaderLimits, ReadsThatAreNotWantedAnyMoreAreAbandoned)
{
    // 40 KB of TIFF, 4800 x 4800 pixels: 230 MB of ImageMagick's pixels,
    // seconds of its work.
    QTemporaryDir dir;
    const QString tif = dir.filePath("white.tif");
    ASSERT_TRUE(samples::writeBytes(tif, samples::whiteTiff(4800, 4800)));
    ensureMagick();
    setMagickReadTime(60000);
    // A thumbnail whose walk has been stopped: before it started, and while
    // it goes on. (Some of ImageMagick's readers, TIFF's among them, read on
    // to the end of the picture; what would follow, scaling or turning it,
    // does not start.)
    std::atomic<bool> stop{true};
    QImage thumb;
    EXPECT_EQ(readScaledPicture(tif, QSize(96, 64), &thumb, &stop), err::Failure);
    stop = false;
    int scaled = -1;
    {
        Worker worker([&] {
            QImage t;
            scaled = readScaledPicture(tif, QSize(96, 64), &t, &stop);
        });
        ASSERT_EQ(worker.msUntilDone(200), -1) << "still at work";
        stop = true;
        EXPECT_GE(worker.msUntilDone(60000), 0);
    }
    EXPECT_EQ(scaled, err::Failure);
    // The whole picture, read when the program closes.
    int whole = -1;
    {
        Worker worker([&] {
            PictureData d;
            whole = readPicture(tif, 1, 1, &d);
        });
        ASSERT_EQ(worker.msUntilDone(200), -1) << "still at work";
        abandonPictureReads();
        EXPECT_GE(worker.msUntilDone(60000), 0);
    }
    EXPECT_EQ(whole, err::Failure);
    setMagickReadTime(kMagickReadMs);
    // The reads that start afterwards go on as ever.
    stop = false;
    const QString small = dir.filePath("small.tif");
    ASSERT_TRUE(samples::writeBytes(small, samples::whiteTiff(80, 60)));
    EXPECT_EQ(readScaledPicture(small, QSize(96, 64), &thumb, &stop), 0);
}
