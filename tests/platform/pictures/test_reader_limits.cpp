// Picture files that declare far more than they hold: the frames of one read
// are capped together, a bitmap without its pixels is a failure, the delays
// read from a file stay within an hour, a file that ImageMagick would make a
// huge picture of is refused before the work, and a good picture is read
// however slow the machine, unless it is abandoned.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/MagickCodec.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureLimits.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
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

// A read on a thread of its own, with a control of its own, started beside
// a read held at work: whether it waits for room, and its result once it ended.
class ReadBeside {
public:
    explicit ReadBeside(const std::function<int(const ReadControl&)>& read)
    {
        control.stop = m_stop.get_token();
        control.progress = [this](ReadStep step) {
            std::lock_guard lock(m_mutex);
            m_waited = m_waited || step == ReadStep::Waiting;
            m_changed.notify_all();
        };
        m_thread = std::thread([this, read] {
            const int r = read(control);
            std::lock_guard lock(m_mutex);
            m_result = r;
            m_ended = true;
            m_changed.notify_all();
        });
    }
    ~ReadBeside()
    {
        m_stop.request_stop();
        m_thread.join();
    }
    // Waits until it waits for room, or has ended: whether it is waiting.
    bool waits()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waited || m_ended; });
        return !m_ended;
    }
    // Whether it waited for room (it may have ended since).
    bool waited()
    {
        std::lock_guard lock(m_mutex);
        return m_waited;
    }
    // The read is not wanted any more.
    void stop() { m_stop.request_stop(); }
    int result()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ended; });
        return m_result;
    }

private:
    std::stop_source m_stop;
    ReadControl control;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_waited = false, m_ended = false;
    int m_result = -1;
    std::thread m_thread;
};

// A read held at work on a gate the test opens: its control holds it at the
// first step of its decode (its room in ImageMagick's pixel cache taken),
// until the test lets it go on, so that no read depends on the speed of the
// machine it runs on.
class HeldRead {
public:
    HeldRead() { control.progress = [this](ReadStep step) { stepped(step); }; }
    // The control the read held is given (its stop may be set before).
    ReadControl control;

    // Runs the read on a thread of its own, as the program's workers do;
    // once it is at work, runs meanwhile, then lets it go on. The read's result.
    int whileAtWork(const std::function<int(const ReadControl&)>& read, const std::function<void()>& meanwhile)
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = m_released = m_done = false;
        }
        int result = -1;
        std::thread worker([&] {
            result = read(control);
            std::lock_guard lock(m_mutex);
            m_done = true;
            m_changed.notify_all();
        });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_held || m_done; });
        const bool held = m_held;
        lock.unlock();
        if (held)
            meanwhile();
        else
            ADD_FAILURE() << "the read ended before it was at work";
        lock.lock();
        m_released = true;
        m_changed.notify_all();
        lock.unlock();
        worker.join();
        return result;
    }
    // Starts another read beside the one held (see ReadBeside), and waits
    // until it waits for room, or has ended.
    void startBeside(const std::function<int(const ReadControl&)>& read)
    {
        m_beside = std::make_unique<ReadBeside>(read);
        m_beside->waits();
    }
    // Whether the read beside waited for room.
    bool besideWaited() { return m_beside->waited(); }
    // The result of the read beside, once it has ended.
    int besideResult() { return m_beside->result(); }

private:
    // Told from the read's thread, and from ImageMagick's threads at once.
    void stepped(ReadStep step)
    {
        std::unique_lock lock(m_mutex);
        if (step != ReadStep::Decoding || m_held)
            return;
        m_held = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released; });
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false, m_released = false, m_done = false;
    std::unique_ptr<ReadBeside> m_beside;
};

// A control that counts the steps its reads tell: every read given to
// ImageMagick tells its first before ImageMagick is given the data, and
// then every report of its work's progress.
class CountedSteps {
public:
    CountedSteps() { control.progress = [this](ReadStep) { ++m_steps; }; }
    ReadControl control;
    int steps() const { return m_steps.load(); }

private:
    std::atomic<int> m_steps{0};
};

// The control of a read whose time began that long before it starts.
// A thumbnail of a TIFF made by the ImageMagick plug-in itself, bounded as
// the program's reads through it are: its TIFF reader reads row by row into
// its pixel cache, so that the cache's room is all such a read takes.
int magickTiffThumbnail(const QByteArray& tiff, QImage* out, const ReadControl& control)
{
    MagickBounds bounds;
    bounds.control = &control;
    bounds.deadline = control.started + std::chrono::milliseconds(kMagickReadGuardMs);
    return magickFunctions()->readScaled(tiff, "TIFF", QSize(96, 64), out, bounds);
}

ReadControl startedAgo(std::chrono::milliseconds ago)
{
    ReadControl control;
    control.started -= ago;
    return control;
}

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
    CountedSteps counted;
    const ReadControl& control = counted.control;
    QImage thumb;
    EXPECT_EQ(readScaledPicture(wpg, QSize(96, 64), &thumb, control), err::NoMemory);
    PictureData d;
    EXPECT_EQ(readPicture(wpg, 1, -1, &d, control), err::NoMemory);
    EXPECT_EQ(readPictureBytes(bytes, "WPG", 1, 1, &d, control), err::NoMemory);
    EXPECT_EQ(counted.steps(), 0) << "refused before ImageMagick is given it";
    const qint64 grownKb = peak.grownKb(); // checked last, where it may not be measured
    EXPECT_TRUE(thumb.isNull() && d.frames.isEmpty());

    // A turn of a smaller bitmap is read turned, and one by a quarter as well.
    ASSERT_EQ(readPictureBytes(samples::turnedWordPerfect(300, 200, 30), "WPG", 1, 1, &d, control), 0);
    EXPECT_GT(counted.steps(), 0) << "a read given to ImageMagick tells its steps";
    EXPECT_GT(d.frames.first().width(), 300);
    EXPECT_GT(d.frames.first().height(), 200);
    ASSERT_EQ(readPictureBytes(samples::turnedWordPerfect(16000, 50, 90), "WPG", 1, 1, &d, control), 0);
    EXPECT_EQ(d.frames.first().size(), QSize(50, 16000));
    const int stepsOfTheReads = counted.steps();
    // A bitmap of more pixels than ImageMagick holds in memory, turned or not
    // (it would fill them on its disk): 16000 x 2000 pixels in 88 bytes.
    EXPECT_EQ(readPictureBytes(samples::turnedWordPerfect(16000, 2000, 0), "WPG", 1, 1, &d, control), err::NoMemory);
    QByteArray plain = samples::wordPerfect(16, 16);
    plain[21] = char(0x80); // the width of its bitmap (no turn): 16 + 32768 ...
    plain[23] = char(0x04); // ... and the height: 16 + 1024
    EXPECT_EQ(readPictureBytes(plain, "WPG", 1, 1, &d, control), err::NoMemory);
    // A depth of 65408 bits a pixel: 95 MB a row of 11565 pixels.
    plain = samples::wordPerfect(16, 16);
    plain[21] = char(0x2D);
    plain[24] = char(0x80);
    plain[25] = char(0xFF);
    EXPECT_EQ(readPictureBytes(plain, "WPG", 1, 1, &d, control), err::NoMemory);
    EXPECT_EQ(counted.steps(), stepsOfTheReads) << "refused before ImageMagick is given them";
    if (grownKb < 0)
        GTEST_SKIP() << "no peak memory to measure (/proc/self/clear_refs): the refusals' memory is not checked";
    EXPECT_LT(grownKb, 50 * 1024);
}

TEST(ReaderLimits, AGoodPictureIsReadHoweverSlowTheMachine)
{
    QTemporaryDir dir;
    const QString cut = dir.filePath("stripes.cut");
    ASSERT_TRUE(samples::writeBytes(cut, samples::drHalo(2400, 1800)));
    ensureMagick();
    // The thumbnail and the whole picture, on a machine so slow that their
    // work took nine minutes before they started.
    const ReadControl nineMinutesIn = startedAgo(std::chrono::minutes(9));
    QImage thumb;
    EXPECT_EQ(readScaledPicture(cut, QSize(96, 64), &thumb, nineMinutesIn), 0);
    EXPECT_EQ(thumb.size(), QSize(85, 64));
    PictureData d;
    EXPECT_EQ(readPicture(cut, 1, 1, &d, nineMinutesIn), 0);
    ASSERT_EQ(d.frames.size(), 1);
    EXPECT_EQ(d.frames.first().size(), QSize(2400, 1800));
    // Past the last guard on their time, they are given up: a failure, not
    // a picture too large.
    thumb = QImage();
    d = PictureData();
    const ReadControl pastTheGuard = startedAgo(std::chrono::milliseconds(kMagickReadGuardMs + 1));
    EXPECT_EQ(readScaledPicture(cut, QSize(96, 64), &thumb, pastTheGuard), err::Failure);
    EXPECT_EQ(readPicture(cut, 1, 1, &d, pastTheGuard), err::Failure);
    EXPECT_TRUE(thumb.isNull() && d.frames.isEmpty());
}

TEST(ReaderLimits, ReadsThatAreNotWantedAnyMoreAreAbandoned)
{
    // 90 KB of Dr. Halo picture, 2400 x 1800 pixels.
    QTemporaryDir dir;
    const QString cut = dir.filePath("stripes.cut");
    ASSERT_TRUE(samples::writeBytes(cut, samples::drHalo(2400, 1800)));
    ensureMagick();
    // A thumbnail whose walk has been stopped: before it started, and while
    // it goes on. (Some of ImageMagick's readers read on to the end of the
    // picture; what would follow, scaling or turning it, does not start.)
    std::stop_source stoppedBefore;
    stoppedBefore.request_stop();
    ReadControl stopped;
    stopped.stop = stoppedBefore.get_token();
    QImage thumb;
    EXPECT_EQ(readScaledPicture(cut, QSize(96, 64), &thumb, stopped), err::Failure);
    EXPECT_TRUE(thumb.isNull());
    HeldRead held;
    std::stop_source stop;
    held.control.stop = stop.get_token();
    const auto thumbnail = [&](const ReadControl& control) {
        return readScaledPicture(cut, QSize(96, 64), &thumb, control);
    };
    EXPECT_EQ(held.whileAtWork(thumbnail, [&] { stop.request_stop(); }), err::Failure);
    EXPECT_TRUE(thumb.isNull());
    // The whole picture, read when the program closes.
    held.control.stop = {};
    PictureData d;
    EXPECT_EQ(held.whileAtWork([&](const ReadControl& control) { return readPicture(cut, 1, 1, &d, control); },
                               [] { abandonPictureReads(); }),
              err::Failure);
    EXPECT_TRUE(d.frames.isEmpty());
    // The reads that start afterwards go on as ever.
    EXPECT_EQ(held.whileAtWork(thumbnail, [] {}), 0);
    EXPECT_EQ(thumb.size(), QSize(85, 64));
}

TEST(ReaderLimits, APictureImageMagickCannotHoldIsRefusedForItsSizeBeforeTheWork)
{
    QTemporaryDir dir;
    ensureMagick();
    // A side past ImageMagick's width or height limit (16000 here), however
    // few its pixels: an invalid width or height, whatever reads it.
    for (const QSize size : {QSize(16001, 100), QSize(100, 16001)}) {
        const QString cut = dir.filePath(QStringLiteral("%1x%2.cut").arg(size.width()).arg(size.height()));
        ASSERT_TRUE(samples::writeBytes(cut, samples::drHalo(size.width(), size.height())));
        PictureData d;
        EXPECT_EQ(readPicture(cut, 1, 1, &d), err::InvalidSize);
        EXPECT_EQ(readPicture(cut, 1, -1, &d), err::InvalidSize);
        QImage thumb;
        EXPECT_EQ(readScaledPicture(cut, QSize(96, 64), &thumb), err::InvalidSize);
        PictureInfo info;
        EXPECT_EQ(readPictureInfo(cut, 1, &info), err::InvalidSize);
        EXPECT_TRUE(d.frames.isEmpty() && thumb.isNull());
    }
    // More pixels than its pixel cache holds (its disk, 1 GB, at 10 bytes a
    // pixel: 107,374,182 pixels): too large, told before any work.
    const QString past = dir.filePath("past.cut");
    ASSERT_TRUE(samples::writeBytes(past, samples::drHalo(16000, 6711)));
    PictureData d;
    EXPECT_EQ(readPicture(past, 1, 1, &d), err::NoMemory);
    QImage thumb;
    EXPECT_EQ(readScaledPicture(past, QSize(96, 64), &thumb), err::NoMemory);
    // The largest picture it holds is read, also while another read holds
    // room in its cache: it waits for the room rather than being refused.
    const QByteArray largest = samples::whiteTiff(16000, 6710);
    const QByteArray other = samples::whiteTiff(16000, 4000);
    HeldRead held;
    QImage otherThumb;
    const int first = held.whileAtWork(
        [&](const ReadControl& control) { return magickTiffThumbnail(other, &otherThumb, control); },
        [&] {
            held.startBeside([&](const ReadControl& control) { return magickTiffThumbnail(largest, &thumb, control); });
        });
    EXPECT_EQ(first, 0);
    EXPECT_TRUE(held.besideWaited()) << "the read beside waited for the room the read held took";
    EXPECT_EQ(held.besideResult(), 0);
    EXPECT_EQ(thumb.width(), 96);
    EXPECT_EQ(otherThumb.width(), 96);
}

TEST(ReaderLimits, ReadsWaitingForRoomTakeItInTheOrderTheyCame)
{
    // The largest picture ImageMagick's pixel cache holds (16000 x 6710 of
    // its 107,374,182 pixels); one of 100 x 500 pixels, more than the room
    // left beside it; one of 10 x 10, that the room left holds.
    QTemporaryDir dir;
    const QString largest = dir.filePath("largest.tga"), next = dir.filePath("next.tga"),
                  small = dir.filePath("small.tga");
    ASSERT_TRUE(samples::writeBytes(largest, samples::grayTarga(16000, 6710, 255)));
    ASSERT_TRUE(samples::writeBytes(next, samples::grayTarga(100, 500, 128)));
    ASSERT_TRUE(samples::writeBytes(small, samples::grayTarga(10, 10, 0)));
    ensureMagick();
    const auto thumbnailOf = [](const QString& path) {
        return [path](const ReadControl& control) {
            QImage thumb;
            return readScaledPicture(path, QSize(96, 64), &thumb, control);
        };
    };
    HeldRead held;
    std::stop_source stopHeld;
    held.control.stop = stopHeld.get_token();
    const int first = held.whileAtWork(thumbnailOf(largest), [&] {
        ReadBeside second(thumbnailOf(next));
        ASSERT_TRUE(second.waits()) << "no room beside the largest picture";
        ReadBeside third(thumbnailOf(small));
        EXPECT_TRUE(third.waits()) << "the room left holds it, but a read that came before it waits";
        // The read before it is not wanted any more: it leaves its place,
        // and the small picture is read at once, beside the one held.
        second.stop();
        EXPECT_EQ(second.result(), err::Failure);
        EXPECT_EQ(third.result(), 0);
        stopHeld.request_stop();
    });
    EXPECT_EQ(first, err::Failure) << "stopped while it was held, it decoded nothing";
    // Abandoned as the program closes: the read that waits ends at once,
    // as does the one at work.
    held.control.stop = {};
    const int again = held.whileAtWork(thumbnailOf(largest), [&] {
        ReadBeside waiting(thumbnailOf(next));
        ASSERT_TRUE(waiting.waits());
        abandonPictureReads();
        EXPECT_EQ(waiting.result(), err::Failure);
    });
    EXPECT_EQ(again, err::Failure);
}
