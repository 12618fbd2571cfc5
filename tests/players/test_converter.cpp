// The conversion component on files the tests make: ranges, copy or
// re-encode by target type, the temporary-file rule and the refusals.
#include "MediaFixtures.h"
#include "TestSupport.h"

#include "platform/media/MediaConverter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

using platform::ConvertJob;
using platform::convertMedia;

namespace {

QStringList folderEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The packets of a file's picture and sound streams.
struct Packets {
    QList<double> video; // times in seconds
    QList<double> keys;  // times of the key frames
    bool startsWithKey = false;
    double soundStart = NAN, soundEnd = NAN; // seconds
    double sound() const { return soundEnd - soundStart; }
};

Packets packetsOf(const QString& path)
{
    Packets p;
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return p;
    avformat_find_stream_info(ic, nullptr);
    const int video = av_find_best_stream(ic, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int sound = av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVPacket* pkt = av_packet_alloc();
    while (av_read_frame(ic, pkt) >= 0) {
        const double base = av_q2d(ic->streams[pkt->stream_index]->time_base);
        const double t = double(pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts) * base;
        const bool key = pkt->flags & AV_PKT_FLAG_KEY;
        if (pkt->stream_index == video) {
            if (p.video.isEmpty())
                p.startsWithKey = key;
            p.video << t;
            if (key)
                p.keys << t;
        } else if (pkt->stream_index == sound) {
            if (std::isnan(p.soundStart))
                p.soundStart = t;
            p.soundEnd = t + double(pkt->duration) * base;
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&ic);
    return p;
}

class Converter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        wav = dir.filePath("tone.wav");
        ASSERT_TRUE(fixtures::makeTone(wav, 10.0));
    }
    QTemporaryDir dir;
    QString wav;
};

} // namespace

TEST_F(Converter, ClipRangesOfSoundAreCutWhereMarked)
{
    // Same type: the samples are copied.
    auto r = convertMedia({wav, dir.filePath("clip.wav"), 2.0, 5.0});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.copiedStreams, 1);
    auto clip = fixtures::probe(dir.filePath("clip.wav"));
    EXPECT_EQ(clip.audioCodec, "pcm_s16le");
    EXPECT_NEAR(clip.duration, 3.0, 0.1);

    // Another type: decoded and encoded, sample-exact at both marks.
    r = convertMedia({wav, dir.filePath("clip.mp3"), 2.0, 5.0});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.encodedStreams, 1);
    clip = fixtures::probe(dir.filePath("clip.mp3"));
    EXPECT_EQ(clip.audioCodec, "mp3");
    EXPECT_NEAR(clip.duration, 3.0, 0.15);

    // No end mark: to the end of the file.
    r = convertMedia({wav, dir.filePath("tail.wav"), 7.5, -1});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_NEAR(fixtures::probe(dir.filePath("tail.wav")).duration, 2.5, 0.1);

    // Nothing but the written files is left in the folder.
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"clip.mp3", "clip.wav", "tail.wav", "tone.wav"}));
}

TEST_F(Converter, VideoIsCopiedOrReencodedByTargetType)
{
    const QString avi = dir.filePath("movie.avi");
    ASSERT_TRUE(fixtures::makeVideo(avi, 6.0));
    // AVI to AVI: both streams copied; the clip starts at the key frame at or
    // before the mark, so it may run a little longer than marked, never shorter.
    auto r = convertMedia({avi, dir.filePath("part.avi"), 1.0, 4.0});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.copiedStreams, 2);
    auto part = fixtures::probe(dir.filePath("part.avi"));
    EXPECT_TRUE(part.hasVideo && part.hasAudio);
    EXPECT_GE(part.duration, 2.9);
    EXPECT_LE(part.duration, 4.0);

    // AVI to MP3: the sound alone.
    r = convertMedia({avi, dir.filePath("part.mp3"), 1.0, 4.0});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    part = fixtures::probe(dir.filePath("part.mp3"));
    EXPECT_FALSE(part.hasVideo);
    EXPECT_TRUE(part.hasAudio);

    // AVI to MPG: the pictures are re-encoded for the MPEG container.
    r = convertMedia({avi, dir.filePath("part.mpg"), 1.0, 4.0});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(fixtures::probe(dir.filePath("part.mpg")).videoCodec, "mpeg1video");
}

TEST_F(Converter, ACopiedClipStartsAtTheKeyFrameBeforeItsMarkWithItsSound)
{
    // Matroska with H.264: key frames only where the picture changes much.
    const QString mkv = dir.filePath("movie.mkv");
    ASSERT_TRUE(fixtures::makeVideo(mkv, 6.0));
    const Packets source = packetsOf(mkv);
    // A mark well after a key frame, the next one well after it.
    qsizetype k = 0;
    while (k + 1 < source.keys.size() && source.keys.at(k + 1) - source.keys.at(k) < 0.6)
        ++k;
    ASSERT_LT(k + 1, source.keys.size()) << "key frames far enough apart";
    const double key = source.keys.at(k), mark = key + 0.3, end = mark + 1.0;
    auto r = convertMedia({mkv, dir.filePath("part.mkv"), mark, end});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.copiedStreams, 2);
    const Packets part = packetsOf(dir.filePath("part.mkv"));
    EXPECT_TRUE(part.startsWithKey);
    const auto frames =
        std::count_if(source.video.begin(), source.video.end(), [&](double t) { return t >= key && t < end; });
    EXPECT_NEAR(double(part.video.size()), double(frames), 2.0) << "the pictures from that key frame on";
    EXPECT_NEAR(part.sound(), end - key, 0.1) << "the sound starts with the pictures";

    // Pictures that end before the mark: the clip starts at their last key frame.
    const QString shortPictures = dir.filePath("short.mkv");
    platform::MediaWriter w;
    ASSERT_TRUE(w.open(shortPictures, {160, 120, 15, 44100, 2, {}, {}}));
    QImage img(160, 120, QImage::Format_RGB32);
    for (int f = 0; f < 30; ++f) {
        img.fill(QColor::fromHsv(f * 12, 200, 220));
        ASSERT_TRUE(w.writeFrame(img));
    }
    const std::vector<std::int16_t> silence(4 * 44100 * 2);
    ASSERT_TRUE(w.writeAudio(silence.data(), 4 * 44100));
    ASSERT_TRUE(w.finish());
    r = convertMedia({shortPictures, dir.filePath("tail.mkv"), 3.0, -1});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const Packets tail = packetsOf(dir.filePath("tail.mkv"));
    EXPECT_TRUE(tail.startsWithKey);
    const Packets whole = packetsOf(shortPictures);
    ASSERT_LT(whole.video.last(), 2.5);
    EXPECT_NEAR(tail.sound(), whole.soundEnd - whole.keys.last(), 0.1);
}

TEST_F(Converter, MpegClipsOfDetailedPicturesKeepTheMuxersBuffersFilled)
{
    // Fine moving detail: large pictures that make the MPEG muxer's buffers
    // run dry unless packets may wait in it as long as the ffmpeg command lets them.
    const QString avi = dir.filePath("detail.avi");
    platform::MediaWriter w;
    ASSERT_TRUE(w.open(avi, {640, 360, 25, 0, 0, {}, {}}));
    QImage img(640, 360, QImage::Format_RGB32);
    for (int f = 0; f < 50; ++f) {
        for (int y = 0; y < 360; ++y)
            for (int x = 0; x < 640; ++x)
                img.setPixel(x, y, qRgb((x * 7 + f * 13 + y) % 256, (x ^ y ^ f) % 256, (x * y + f * 31) % 256));
        ASSERT_TRUE(w.writeFrame(img));
    }
    ASSERT_TRUE(w.finish());
    static QStringList logged;
    logged.clear();
    av_log_set_callback([](void*, int level, const char* format, va_list args) {
        if (level <= AV_LOG_WARNING)
            logged << QString::vasprintf(format, args);
    });
    const auto r = convertMedia({avi, dir.filePath("detail.mpg"), 0.0, -1.0});
    av_log_set_callback(av_log_default_callback);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(logged.filter("underflow").size(), 0) << logged.mid(0, 6).join("").toStdString();
}

TEST_F(Converter, NeverReadsAndWritesTheSameFile)
{
    const QByteArray before = testsupport::readFile(wav);
    // The same path, another spelling of it, a symbolic link and a hard link.
    const QString link = dir.filePath("link.wav");
    const QString hard = dir.filePath("hard.wav");
    ASSERT_EQ(::symlink(QFile::encodeName(wav).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::link(QFile::encodeName(wav).constData(), QFile::encodeName(hard).constData()), 0);
    for (const QString& target : {wav, dir.path() + "/./tone.wav", link, hard}) {
        const auto r = convertMedia({wav, target, 2, 5});
        EXPECT_FALSE(r.ok) << target.toStdString();
        EXPECT_TRUE(r.error.startsWith("The target is the source file itself")) << r.error.toStdString();
    }
    EXPECT_EQ(testsupport::readFile(wav), before);
    EXPECT_TRUE(platform::sameFile(wav, hard));
    EXPECT_FALSE(platform::sameFile(wav, dir.filePath("other.wav")));
}

TEST_F(Converter, FailuresLeaveTheOldTargetAndNoTemporaryFile)
{
    const QString target = dir.filePath("keep.mp3");
    testsupport::writeFile(target, "OLD CONTENT");
    const QString junk = dir.filePath("junk.wav");
    testsupport::writeFile(junk, QByteArray(5000, 'x'));

    auto r = convertMedia({junk, target, 0, 1});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith("Cannot open the file - ")) << r.error.toStdString();

    r = convertMedia({wav, target, 5, 2});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "The marked end does not come after the marked start");

    r = convertMedia({wav, target, 20, 25});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "The marked start lies past the end of the file");

    for (const char* name : {"clip.mid", "noextension"}) {
        r = convertMedia({wav, dir.filePath(name), 0, 1});
        EXPECT_FALSE(r.ok) << name;
        EXPECT_TRUE(r.error.startsWith("The file type cannot be written - ")) << r.error.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(name)));
    }

    // A stop request ends it, and nothing is written.
    std::atomic<bool> cancel{true};
    r = convertMedia({wav, target, 0, 5}, &cancel);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.stopped);

    EXPECT_EQ(testsupport::readFile(target), "OLD CONTENT");
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"junk.wav", "keep.mp3", "tone.wav"}));

    // A good conversion replaces the old target whole.
    r = convertMedia({wav, target, 0, 1});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_NEAR(fixtures::probe(target).duration, 1.0, 0.1);
}

TEST_F(Converter, TheControlReportsTheOutcomeOnItsOwnThread)
{
    platform::MediaConverter conv;
    QSignalSpy complete(&conv, &platform::MediaConverter::Complete);

    conv.setSourceFile(wav);
    conv.setTargetFile(dir.filePath("a.wav"));
    conv.setSelectionStart(1);
    conv.setSelectionEnd(2);
    ASSERT_TRUE(conv.StartConvert());
    EXPECT_FALSE(conv.StartConvert()) << "one conversion at a time";
    ASSERT_TRUE(conv.waitForFinished(60000));
    EXPECT_EQ(complete.count(), 1);
}
