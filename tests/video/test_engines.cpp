// The join and the audio replacement on files the tests make: what lands in
// the new file, the status texts, the refusals, and that a failure or a stop
// leaves no file behind and an old destination as it was.
#include "TestSupport.h"
#include "VideoMedia.h"

#include "platform/media/AvSupport.h"
#include "platform/media/MediaJoin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <limits>

#include <csignal>
#include <sys/resource.h>

using namespace platform;
using namespace videotest;

namespace {

class Engines : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file(const QString& name) const { return dir.filePath(name); }
    QString make(const QString& name, const VideoSpec& spec = {})
    {
        const QString path = file(name);
        EXPECT_TRUE(makeVideo(path, spec)) << name.toStdString();
        return path;
    }
    QTemporaryDir dir;
    QStringList texts;
    StatusReport status = [this](const QString& t) { texts << t; };
};

// The picture packets of a clip copied into a Matroska file with the last one
// stamped `last` (in the file's units), as a damaged or hostile file may hold.
bool restampLast(const QString& from, const QString& to, int64_t last)
{
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, QFile::encodeName(from).constData(), nullptr, nullptr) < 0)
        return false;
    AVFormatContext* out = nullptr;
    avformat_find_stream_info(in, nullptr);
    const int video = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    bool ok = video >= 0 && avformat_alloc_output_context2(&out, nullptr, "matroska", QFile::encodeName(to).constData()) >= 0;
    AVStream* st = ok ? avformat_new_stream(out, nullptr) : nullptr;
    ok = st && avcodec_parameters_copy(st->codecpar, in->streams[video]->codecpar) >= 0;
    if (ok) {
        st->time_base = {1, 1000};
        ok = avio_open(&out->pb, QFile::encodeName(to).constData(), AVIO_FLAG_WRITE) >= 0 &&
             avformat_write_header(out, nullptr) >= 0;
    }
    std::vector<AVPacket*> packets;
    AVPacket* pkt = av_packet_alloc();
    while (ok && av_read_frame(in, pkt) >= 0) {
        if (pkt->stream_index == video)
            packets.push_back(av_packet_clone(pkt));
        av_packet_unref(pkt);
    }
    while (!packets.empty() && packets.back()->size == 0) { // nothing to show: not written
        av_packet_free(&packets.back());
        packets.pop_back();
    }
    for (size_t i = 0; ok && i < packets.size(); ++i) {
        AVPacket* p = packets[i];
        av_packet_rescale_ts(p, in->streams[video]->time_base, st->time_base);
        if (i + 1 == packets.size()) {
            p->pts = p->dts = last;
            p->flags |= AV_PKT_FLAG_KEY; // the file says the full time there
        }
        p->stream_index = 0;
        ok = av_write_frame(out, p) >= 0;
    }
    for (AVPacket* p : packets)
        av_packet_free(&p);
    av_packet_free(&pkt);
    if (out) {
        ok = ok && av_write_trailer(out) >= 0;
        avio_closep(&out->pb);
        avformat_free_context(out);
    }
    avformat_close_input(&in);
    return ok;
}

} // namespace

TEST_F(Engines, ATimeOutOfRangeInAJoinedFileIsAnErrorNotAWrongNumber)
{
    const QString a = make("A.avi", {.seconds = 1, .sound = false});
    const QString crafted = file("far.mkv");
    // The last picture a million years on: in the units of the join's
    // stop times it passes the greatest time there is.
    ASSERT_TRUE(restampLast(a, crafted, int64_t(1) << 55));
    testsupport::writeFile(file("J.avi"), "old");
    const ConvertResult r = JoinVideoFiles({{crafted, crafted}, file("J.avi")});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("A time in the file is out of range")) << r.error.toStdString();
    EXPECT_EQ(testsupport::readFile(file("J.avi")), "old");
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"A.avi", "J.avi", "far.mkv"}));
}

TEST_F(Engines, ReplacementCopiesThePicturesAndTheWholeNewSoundInterleaved)
{
    const QString v = make("V.avi");
    const QString t = file("T.wav");
    ASSERT_TRUE(makeTone(t, 3.0, 880, 22050, 1));
    const ConvertResult r = ReplaceAudio({v, t, file("D.avi")}, nullptr, status);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.copiedStreams, 2);
    EXPECT_EQ(texts, QStringList({kPrepareVideo, kPrepareAudio, kPrepareDestination, kCopyVideo, kCopyAudio}));

    const Contents in = readContents(v), out = readContents(file("D.avi"));
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.streams.size(), 2u);
    EXPECT_TRUE(out.streams[0].video);
    const Stream& sound = out.streams[1];
    EXPECT_EQ(QString("%1 %2 Hz %3").arg(sound.codec).arg(sound.sampleRate).arg(sound.channels), "pcm_s16le 22050 Hz 1");
    // Stream 0 holds the video's packets unchanged.
    const auto before = in.of(0), after = out.of(0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin(), after.end(),
                           [](const Packet& x, const Packet& y) { return x.data == y.data; }));
    // Stream 1 holds all 3 s of the new sound, not cut at the video's 2 s.
    EXPECT_NEAR(out.streams[1].seconds, 3.0, 0.02);
    // Interleaved: sound comes before the last picture, not all after it.
    size_t firstAudio = 0, lastVideo = 0;
    for (size_t i = 0; i < out.packets.size(); ++i) {
        if (out.packets[i].stream == 1 && !firstAudio)
            firstAudio = i;
        if (out.packets[i].stream == 0)
            lastVideo = i;
    }
    EXPECT_LT(firstAudio, lastVideo);
}

TEST_F(Engines, ReplacementRefusesMissingStreamsEmptyFieldsAndItsOwnSources)
{
    const QString v = make("V.avi");
    const QString silent = make("silent.avi", {.sound = false});
    const QString t = file("T.wav");
    ASSERT_TRUE(makeTone(t, 1.0, 880, 22050, 1));
    testsupport::writeFile(file("D.avi"), "old");

    ConvertResult r = ReplaceAudio({t, t, file("D.avi")}, nullptr, status);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Error: " + t + " does not contain a video stream");
    EXPECT_EQ(texts, QStringList({kPrepareVideo}));

    r = ReplaceAudio({v, silent, file("D.avi")});
    EXPECT_EQ(r.error, "Error: " + silent + " does not contain an audio stream");

    // The destination is the video by another name.
    ASSERT_TRUE(QFile::link(v, file("link.avi")));
    r = ReplaceAudio({v, t, file("link.avi")});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith("The destination file cannot be one of the source files")) << r.error.toStdString();
    EXPECT_FALSE(ReplaceAudio({v, "", file("E.avi")}).ok);
    EXPECT_FALSE(ReplaceAudio({v, t, "  "}).ok);
    EXPECT_FALSE(ReplaceAudio({file("missing.avi"), t, file("E.avi")}).ok);

    // A sound-only destination cannot take the pictures.
    r = ReplaceAudio({v, t, file("E.wav")});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(testsupport::readFile(file("D.avi")), "old");
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"D.avi", "T.wav", "V.avi", "link.avi", "silent.avi"}));
}

TEST_F(Engines, JoinRunsTheFilesOnAtTheGreatestStopTime)
{
    const QString a = make("A.avi");
    const QString b = make("B.avi", {.seconds = 3});
    ConvertResult r = JoinVideoFiles({{a, b}, file("J.avi")}, nullptr, status);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.copiedStreams, 2);
    EXPECT_EQ(texts, QStringList({kVerifyingFiles, writingFileText(0, a), writingFileText(1, b)}));

    const Contents ca = readContents(a), out = readContents(file("J.avi"));
    ASSERT_EQ(out.streams.size(), 2u);
    EXPECT_TRUE(out.streams[0].video);
    EXPECT_EQ(out.streams[0].codec, "mpeg4");
    EXPECT_EQ(out.streams[1].codec, "pcm_s16le");
    EXPECT_NEAR(std::max(out.streams[0].seconds, out.streams[1].seconds), 5.0, 0.05);
    // B's first picture comes at A's greatest stop time.
    const double aStop = std::max(ca.streams[0].seconds, ca.streams[1].seconds);
    const auto video = out.of(0);
    const size_t aFrames = ca.of(0).size();
    ASSERT_EQ(video.size(), aFrames + readContents(b).of(0).size());
    EXPECT_NEAR(video[aFrames].pts, aStop, 1e-6);
    // Times only go up.
    for (int s = 0; s < 2; ++s) {
        const auto packets = out.of(s);
        for (size_t i = 1; i < packets.size(); ++i)
            ASSERT_GT(packets[i].dts, packets[i - 1].dts) << "stream " << s << " packet " << i;
    }

    // Sound that runs on past the pictures: B starts after the sound, not at the pictures' end.
    const QString c = make("C.avi", {.extraSound = 0.5});
    r = JoinVideoFiles({{c, b}, file("K.avi")});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const Contents cc = readContents(c);
    const double cStop = std::max(cc.streams[0].seconds, cc.streams[1].seconds);
    ASSERT_NEAR(cStop, 2.5, 1e-6);
    // On the first picture tick at or after it (1/25 s steps).
    EXPECT_NEAR(readContents(file("K.avi")).of(0)[aFrames].pts, std::ceil(cStop * 25 - 1e-9) / 25, 1e-6);
}

TEST_F(Engines, JoinEncodesWhatTheTargetCannotTakeOrTheFilesCodeApart)
{
    const QString a = make("A.avi", {.seconds = 1});
    const QString b = make("B.avi", {.seconds = 1, .audioEncoder = "pcm_u8"});
    // The sound differs: it is converted to the first file's 16-bit PCM; the pictures are copied.
    ConvertResult r = JoinVideoFiles({{a, b}, file("J.avi")});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.copiedStreams, 1);
    EXPECT_EQ(r.encodedStreams, 1);
    Contents out = readContents(file("J.avi"));
    EXPECT_EQ(out.streams[1].codec, "pcm_s16le");
    EXPECT_NEAR(out.streams[1].seconds, 2.0, 0.05);
    // An MPEG file cannot take MPEG-4 pictures: they are encoded with its own codec.
    r = JoinVideoFiles({{a, a}, file("J.mpg")});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    out = readContents(file("J.mpg"));
    ASSERT_FALSE(out.streams.empty());
    EXPECT_EQ(out.streams[0].codec, "mpeg1video");
    // Its times start where the container starts them; the length is the two files'.
    EXPECT_NEAR(out.streams[0].seconds - out.streams[0].start, 2.0, 0.1);
    // Such a file's times begin late (0.5 s); joined, its second copy follows with no gap.
    ASSERT_GT(out.streams[0].start, 0.1);
    r = JoinVideoFiles({{file("J.mpg"), file("J.mpg")}, file("J2.mpg")});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const Contents twice = readContents(file("J2.mpg"));
    EXPECT_NEAR(twice.streams[0].seconds - twice.streams[0].start, 4.0, 0.15);
    // The second copy starts at the first's greatest stop time, counted from its own start.
    const auto once = out.of(0), both = twice.of(0);
    ASSERT_EQ(both.size(), 2 * once.size());
    const auto start = [](const Contents& c) { return std::min(c.streams[0].start, c.streams[1].start); };
    const double stop = std::max(out.streams[0].seconds, out.streams[1].seconds) - start(out);
    // MPEG packets do not all carry a time: the first frame of the first copy
    // whose time (presentation, else decoding) its twin in the second copy
    // also carries is compared with it, within one sound frame (the stop
    // times read back from a program stream are that coarse).
    bool compared = false;
    for (size_t k = 0; k < once.size() && !compared; ++k) {
        const auto& first = once[k];
        const auto& twin = both[k + once.size()];
        for (auto time : {&Packet::pts, &Packet::dts}) {
            if (std::isnan(first.*time) || std::isnan(twin.*time))
                continue;
            EXPECT_NEAR(twin.*time - start(twice), stop + first.*time - start(out), 0.027) << k;
            compared = true;
            break;
        }
    }
    EXPECT_TRUE(compared);
}

TEST_F(Engines, JoinRefusesDifferentFilesAndWritesNothing)
{
    const QString a = make("A.avi", {.seconds = 1});
    const QString wide = make("wide.avi", {.seconds = 1, .width = 80});
    const QString mute = make("mute.avi", {.seconds = 1, .sound = false});
    const QString quarter = make("quarter.avi", {.seconds = 1, .fps = 25.25});
    const QString half = make("half.avi", {.seconds = 1, .fps = 25.5});
    testsupport::writeFile(file("J.avi"), "old");
    const QStringList before = folderEntries(dir.path());

    EXPECT_TRUE(kFilesDiffer.startsWith("The provided input files have different properties (dimensions, frame "
                                        "rate, compression, etc.). "));
    EXPECT_EQ(JoinVideoFiles({{a, wide}, file("J.avi")}).error, kFilesDiffer);
    EXPECT_EQ(JoinVideoFiles({{mute, a}, file("J.avi")}).error, kFilesDiffer);
    EXPECT_EQ(JoinVideoFiles({{}, file("J.avi")}).error, kListEmpty);
    EXPECT_EQ(JoinVideoFiles({{a, half}, file("J.avi")}).error, kFilesDiffer);
    QString error;
    EXPECT_TRUE(VerifyInputFiles({a, quarter}, &error)) << error.toStdString(); // exactly 1 %
    EXPECT_FALSE(JoinVideoFiles({{a, a}, a}).ok); // the target is a source
    EXPECT_EQ(testsupport::readFile(file("J.avi")), "old");
    EXPECT_EQ(folderEntries(dir.path()), before);

    // One file alone is checked against itself and copied.
    ASSERT_TRUE(JoinVideoFiles({{a}, file("one.avi")}).ok);
    EXPECT_EQ(readContents(file("one.avi")).of(0).size(), readContents(a).of(0).size());
}

TEST_F(Engines, AStopOrAWriteFailureLeavesNoFileAndTheOldOneIntact)
{
    const QString a = make("A.avi");
    testsupport::writeFile(file("J.avi"), "old");
    const QStringList before = folderEntries(dir.path());
    std::atomic<bool> cancel{true};
    ConvertResult r = JoinVideoFiles({{a, a}, file("J.avi")}, &cancel);
    EXPECT_TRUE(r.stopped);
    r = ReplaceAudio({a, a, file("J.avi")}, &cancel);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(folderEntries(dir.path()), before);

    // A disk that fills up mid-way: the join ends with a message, not "Process Finished".
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    r = JoinVideoFiles({{a, a, a}, file("J.avi")});
    const ConvertResult replaced = ReplaceAudio({a, a, file("J.avi")});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.stopped);
    EXPECT_TRUE(r.error.startsWith("Error")) << r.error.toStdString();
    EXPECT_FALSE(replaced.ok);
    EXPECT_EQ(testsupport::readFile(file("J.avi")), "old");
    EXPECT_EQ(folderEntries(dir.path()), before);
}

TEST(PacketDurations, MissingOnesComeFromTheFrameRateOrTheSampleCount)
{
    AVFormatContext* ctx = avformat_alloc_context();
    AVStream* video = avformat_new_stream(ctx, nullptr);
    video->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    video->time_base = {1, 90000};
    video->avg_frame_rate = {25, 1};
    AVStream* audio = avformat_new_stream(ctx, nullptr);
    audio->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    audio->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    audio->codecpar->sample_rate = 44100;
    av_channel_layout_default(&audio->codecpar->ch_layout, 2);
    audio->codecpar->block_align = 4;
    audio->codecpar->bits_per_coded_sample = 16;
    audio->time_base = {1, 44100};
    av::PacketPtr pkt(av_packet_alloc());
    av::fillDuration(pkt.get(), video);
    EXPECT_EQ(pkt->duration, 3600);
    pkt->duration = 0;
    pkt->size = 4096; // 1024 stereo 16-bit samples
    av::fillDuration(pkt.get(), audio);
    EXPECT_EQ(pkt->duration, 1024);
    pkt->duration = 7; // a packet with a duration keeps it
    av::fillDuration(pkt.get(), audio);
    EXPECT_EQ(pkt->duration, 7);
    pkt->size = 0;
    avformat_free_context(ctx);
}
