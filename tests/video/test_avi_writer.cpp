// The video file writer and the frame encoder, on pictures the tests make.
#include "TestSupport.h"
#include "VideoMedia.h"

#include "platform/media/FrameEncoder.h"
#include "video/AviWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixfmt.h>
}

using namespace videotest;

namespace {

class AviWriter : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
};

} // namespace

TEST_F(AviWriter, LongVideoKeepsExactFrameTimes)
{
    // Past frame 3223 the times no longer fit 31 bits of 100 ns.
    ASSERT_TRUE(writeSolid(path("dot.bmp"), 16, 16, Qt::yellow));
    video::VideoJob job{{path("dot.bmp")}, 3300, path("long.avi")};
    const video::VideoResult r = video::writeVideoFile(job);
    ASSERT_EQ(r.outcome, video::VideoResult::Written) << r.error.toStdString();
    EXPECT_EQ(r.frames, 3300);
    const Contents c = readContents(path("long.avi"));
    ASSERT_EQ(c.streams.size(), 1u);
    EXPECT_EQ(c.streams[0].codec, "mpeg2video");
    EXPECT_DOUBLE_EQ(c.streams[0].frameRate, 15.0);
    EXPECT_NEAR(c.duration, 220.0, 1e-6);
    ASSERT_EQ(c.packets.size(), 3300u);
    for (size_t i = 0; i < c.packets.size(); ++i)
        ASSERT_NEAR(c.packets[i].at(), i / 15.0, 1e-9) << "frame " << i + 1;
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"dot.bmp", "long.avi"})) << "no temporary file stays behind";
}

TEST_F(AviWriter, UnreadablePicturesAreSkippedAndOtherSizesFitted)
{
    ASSERT_TRUE(writeSolid(path("wide.bmp"), 320, 240, Qt::red));
    testsupport::writeFile(path("broken.jpg"), "this is no picture");
    ASSERT_TRUE(writeSolid(path("tall.bmp"), 100, 200, Qt::green));
    video::VideoJob job{{path("wide.bmp"), path("broken.jpg"), path("tall.bmp")}, 2, path("out.avi")};
    const video::VideoResult r = video::writeVideoFile(job);
    ASSERT_EQ(r.outcome, video::VideoResult::Written) << r.error.toStdString();
    EXPECT_EQ(r.unreadable, QStringList{path("broken.jpg")});
    const QList<QImage> frames = decodeFrames(path("out.avi"));
    ASSERT_EQ(frames.size(), 4) << "the broken picture leaves out only its own frames";
    EXPECT_TRUE(near(meanColor(frames[1]), Qt::red));
    EXPECT_EQ(frames[3].size(), QSize(320, 240));
    EXPECT_TRUE(near(meanColor(frames[3], QRect(140, 20, 40, 200)), Qt::green));
    EXPECT_TRUE(near(meanColor(frames[3], QRect(0, 0, 30, 240)), Qt::black)) << "black beside a tall picture";
}

// Players guess a matrix for a stream that names none, BT.709 for a large
// picture; the pictures are made YUV by BT.601, and the stream says so.
TEST_F(AviWriter, TheStreamNamesTheColoursItsPicturesWereMadeWith)
{
    ASSERT_TRUE(writeSolid(path("green.bmp"), 1280, 720, QColor(30, 200, 60)));
    video::VideoJob job{{path("green.bmp")}, 2, path("green.avi")};
    const video::VideoResult r = video::writeVideoFile(job);
    ASSERT_EQ(r.outcome, video::VideoResult::Written) << r.error.toStdString();
    const Contents c = readContents(path("green.avi"));
    ASSERT_EQ(c.streams.size(), 1u);
    EXPECT_EQ(c.streams[0].matrix, AVCOL_SPC_SMPTE170M);
    EXPECT_EQ(c.streams[0].range, AVCOL_RANGE_MPEG);
    const QList<QImage> frames = decodeFrames(path("green.avi"));
    ASSERT_EQ(frames.size(), 2);
    EXPECT_TRUE(near(meanColor(frames[0]), QColor(30, 200, 60), 6));
}

TEST_F(AviWriter, FailuresLeaveNoFileAndKeepTheOldOne)
{
    ASSERT_TRUE(writeSolid(path("a.bmp"), 32, 32, Qt::red));
    testsupport::writeFile(path("keep.avi"), "the user's old video");

    // The first entry gives the size: a sound file has none.
    testsupport::writeFile(path("tone.wav"), "RIFF....WAVE");
    video::VideoResult r = video::writeVideoFile({{path("tone.wav"), path("a.bmp")}, 8, path("keep.avi")});
    EXPECT_EQ(r.outcome, video::VideoResult::NoFrameSize);

    // No frames, so no file: none per picture, or nothing of an accepted type
    // (a ".jpeg" or ".png" picture is not one, however well it reads).
    r = video::writeVideoFile({{path("a.bmp"), path("tone.wav")}, 0, path("keep.avi")});
    EXPECT_EQ(r.outcome, video::VideoResult::Failed);
    EXPECT_EQ(r.frames, 0);
    ASSERT_TRUE(writeSolid(path("p.png"), 32, 32, Qt::red));
    ASSERT_TRUE(writeSolid(path("p.jpeg"), 32, 32, Qt::red));
    r = video::writeVideoFile({{path("p.png"), path("p.jpeg")}, 8, path("keep.avi")});
    EXPECT_EQ(r.outcome, video::VideoResult::Failed);
    EXPECT_EQ(r.frames, 0);
    EXPECT_TRUE(r.unreadable.isEmpty()) << "skipped, not unreadable";
    EXPECT_EQ(r.error, "The list holds no picture that a video can be made of (TIF, JPG, BMP, WMF, EMF, ICO, CUR or GIF)");

    // A first picture past the readers' limits gives no frame size.
    ASSERT_TRUE(writeSolid(path("huge.bmp"), 16400, 8, Qt::red));
    r = video::writeVideoFile({{path("huge.bmp")}, 2, path("keep.avi")});
    EXPECT_EQ(r.outcome, video::VideoResult::NoFrameSize);
    EXPECT_FALSE(r.error.isEmpty());

    // A size the readers take and the encoder refuses (MPEG-2 has no 4096-wide frames).
    ASSERT_TRUE(writeSolid(path("wide.bmp"), 4096, 8, Qt::red));
    r = video::writeVideoFile({{path("wide.bmp")}, 2, path("keep.avi")});
    EXPECT_EQ(r.outcome, video::VideoResult::Failed);
    EXPECT_FALSE(r.error.isEmpty());

    // Stopped before the first picture.
    std::atomic<bool> stop{true};
    r = video::writeVideoFile({{path("a.bmp")}, 8, path("keep.avi")}, &stop);
    EXPECT_EQ(r.outcome, video::VideoResult::Stopped);

    EXPECT_EQ(testsupport::readFile(path("keep.avi")), "the user's old video");
    for (const QString& name : folderEntries(dir.path()))
        EXPECT_FALSE(name.endsWith(".part")) << name.toStdString();
}

TEST_F(AviWriter, TwelveMegapixelPhotoMakesAVideo)
{
    ASSERT_TRUE(writeSolid(path("photo.bmp"), 4000, 3000, QColor(30, 90, 160)));
    const video::VideoResult r = video::writeVideoFile({{path("photo.bmp")}, 1, path("photo.avi")});
    ASSERT_EQ(r.outcome, video::VideoResult::Written) << r.error.toStdString();
    const Contents c = readContents(path("photo.avi"));
    ASSERT_EQ(c.streams.size(), 1u);
    EXPECT_EQ(QSize(c.streams[0].width, c.streams[0].height), QSize(4000, 3000));
    EXPECT_EQ(c.packets.size(), 1u);
}

TEST_F(AviWriter, TheQuantiserSetsTheQuality)
{
    // A detailed picture: the quantiser decides how much of it survives.
    QImage detail(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            detail.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (x ^ y) % 256));
    ASSERT_TRUE(detail.save(path("detail.bmp")));
    qint64 sizes[2] = {};
    int q = 0;
    for (int quantiser : {3, 20}) {
        const QString target = path(QStringLiteral("q%1.avi").arg(quantiser));
        video::VideoJob job{{path("detail.bmp")}, 8, target, quantiser};
        ASSERT_EQ(video::writeVideoFile(job).outcome, video::VideoResult::Written);
        sizes[q++] = QFileInfo(target).size();
    }
    EXPECT_GT(sizes[0], sizes[1] * 2) << "a finer quantiser keeps more detail";

    // The usual quantiser shows the picture close to what it was, frame after frame.
    const QList<QImage> frames = decodeFrames(path("q3.avi"));
    ASSERT_EQ(frames.size(), 8);
    for (const QImage& f : {frames.first(), frames.last()}) {
        double diff = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                diff += std::abs(qGray(f.pixel(x, y)) - qGray(detail.pixel(x, y)));
        EXPECT_LT(diff / (320 * 240), 6.0);
    }
}

TEST_F(AviWriter, APictureWhoseHeaderClaimsGigabytesIsReadWithinTheReadersLimits)
{
    ASSERT_TRUE(writeSolid(path("photo.jpg"), 320, 240, Qt::red));
    ASSERT_TRUE(writeClaimingJpeg(path("claim.jpg"), 16000, 16000));
    // The process's peak memory from here on (Linux: 5 to clear_refs resets it).
    QFile reset("/proc/self/clear_refs");
    if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1)
        GTEST_SKIP() << "the peak memory cannot be reset here";
    reset.close();
    const video::VideoResult r = video::writeVideoFile({{path("photo.jpg"), path("claim.jpg")}, 1, path("o.avi")});
    EXPECT_EQ(r.outcome, video::VideoResult::Written) << r.error.toStdString();
    // Read at the frame's size, never whole (a gigabyte) on the way there.
    const QByteArray status = testsupport::readFile("/proc/self/status");
    const qsizetype at = status.indexOf("VmHWM:");
    ASSERT_GE(at, 0);
    const qint64 peakKb = status.mid(at + 6, status.indexOf('\n', at) - at - 6).replace("kB", "").trimmed().toLongLong();
    EXPECT_LT(peakKb / 1024, 600) << "megabytes at most in use at once";
}
