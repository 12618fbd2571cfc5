#include "MediaFixtures.h"

#include "platform/media/MediaConverter.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <cmath>
#include <vector>

#include <algorithm>
#include <functional>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace fixtures {
namespace {

std::vector<std::int16_t> tone(int first, int frames, int rate, int channels)
{
    std::vector<std::int16_t> s(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const auto v = std::int16_t(8000 * std::sin(2 * M_PI * 440.0 * (first + i) / rate));
        for (int c = 0; c < channels; ++c)
            s[size_t(i) * channels + c] = v;
    }
    return s;
}

} // namespace

bool makeTone(const QString& path, double seconds, int rate, int channels)
{
    platform::MediaWriter w;
    if (!w.open(path, {0, 0, 0, rate, channels, {}, {}}))
        return false;
    const int total = int(std::lround(seconds * rate));
    for (int done = 0; done < total;) {
        const int n = std::min(4096, total - done);
        const auto s = tone(done, n, rate, channels);
        if (!w.writeAudio(s.data(), n))
            return false;
        done += n;
    }
    return w.finish();
}

bool makeVideo(const QString& path, double seconds, int width, int height, double fps, bool withSound)
{
    platform::MediaWriter w;
    const int rate = 44100;
    if (!w.open(path, {width, height, fps, withSound ? rate : 0, withSound ? 2 : 0, {}, {}}))
        return false;
    const int frames = int(std::lround(seconds * fps));
    int samplesDone = 0;
    for (int f = 0; f < frames; ++f) {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(QColor::fromHsv((f * 7) % 360, 200, 220));
        for (int y = 0; y < height; ++y) // a bar that moves, so frames differ
            img.setPixel((f * 4) % width, y, qRgb(0, 0, 0));
        if (!w.writeFrame(img))
            return false;
        if (withSound) {
            const int until = int(std::lround((f + 1) / fps * rate));
            const auto s = tone(samplesDone, until - samplesDone, rate, 2);
            if (!w.writeAudio(s.data(), until - samplesDone))
                return false;
            samplesDone = until;
        }
    }
    return w.finish();
}

MediaFacts probe(const QString& path)
{
    MediaFacts facts;
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return facts;
    if (avformat_find_stream_info(ic, nullptr) >= 0) {
        facts.ok = true;
        facts.container = QString::fromLatin1(ic->iformat->name);
        for (unsigned i = 0; i < ic->nb_streams; ++i) {
            const AVStream* st = ic->streams[i];
            double d = st->duration != AV_NOPTS_VALUE ? st->duration * av_q2d(st->time_base) : -1;
            if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
                facts.hasVideo = true;
                facts.videoCodec = QString::fromLatin1(avcodec_get_name(st->codecpar->codec_id));
                facts.width = st->codecpar->width;
                facts.height = st->codecpar->height;
            } else if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
                facts.hasAudio = true;
                facts.audioCodec = QString::fromLatin1(avcodec_get_name(st->codecpar->codec_id));
            }
            facts.duration = std::max(facts.duration, d);
        }
        if (facts.duration <= 0 && ic->duration > 0)
            facts.duration = double(ic->duration) / AV_TIME_BASE;
    }
    avformat_close_input(&ic);
    return facts;
}

} // namespace fixtures

namespace fixtures {
namespace {

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

// Sends one frame (nullptr: the end) and writes what the encoder gives back.
bool encodeAndWrite(AVCodecContext* c, AVFormatContext* oc, AVStream* st, const AVFrame* frame)
{
    if (avcodec_send_frame(c, frame) < 0)
        return false;
    PacketPtr pkt(av_packet_alloc());
    int r = 0;
    while ((r = avcodec_receive_packet(c, pkt.get())) >= 0) {
        av_packet_rescale_ts(pkt.get(), c->time_base, st->time_base);
        pkt->stream_index = st->index;
        if (av_interleaved_write_frame(oc, pkt.get()) < 0)
            return false;
    }
    return r == AVERROR(EAGAIN) || r == AVERROR_EOF;
}

// Writes `frames` copies of one picture, painted by paint, encoded with the
// codec in the container; setUp sets the encoder up beyond size and rate.
bool writeStill(const QString& path, const char* container, AVCodecID id, AVPixelFormat layout, QSize size, int fps,
                int frames, const std::function<void(AVCodecContext*)>& setUp,
                const std::function<void(AVFrame*)>& paint)
{
    const AVCodec* codec = avcodec_find_encoder(id);
    AVFormatContext* oc = nullptr;
    if (!codec || avformat_alloc_output_context2(&oc, nullptr, container, QFile::encodeName(path).constData()) < 0)
        return false;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> output(oc, [](AVFormatContext* o) {
        if (o->pb)
            avio_closep(&o->pb);
        avformat_free_context(o);
    });
    CodecContextPtr c(avcodec_alloc_context3(codec));
    c->width = size.width();
    c->height = size.height();
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    c->pix_fmt = layout;
    if (setUp)
        setUp(c.get());
    AVStream* st = avformat_new_stream(oc, nullptr);
    if (!st || avcodec_open2(c.get(), codec, nullptr) < 0 || avcodec_parameters_from_context(st->codecpar, c.get()) < 0)
        return false;
    st->time_base = c->time_base;
    if (avio_open(&oc->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(oc, nullptr) < 0)
        return false;
    FramePtr frame(av_frame_alloc());
    frame->format = c->pix_fmt;
    frame->width = c->width;
    frame->height = c->height;
    frame->color_range = c->color_range;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return false;
    paint(frame.get());
    for (int n = 0; n < frames; ++n) {
        frame->pts = n;
        frame->quality = c->global_quality;
        if (!encodeAndWrite(c.get(), oc, st, frame.get()))
            return false;
    }
    return encodeAndWrite(c.get(), oc, st, nullptr) && av_write_trailer(oc) >= 0;
}

// Fills the chroma planes of a 4:2:0 frame with grey.
void greyChroma(AVFrame* frame)
{
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < frame->height / 2; ++y)
            std::fill_n(frame->data[plane] + y * frame->linesize[plane], frame->width / 2, uint8_t(128));
}

} // namespace

bool makeFullRangeGreyBars(const QString& path, const QList<int>& greys, int barWidth, int height, double seconds)
{
    const int fps = 25;
    const auto setUp = [](AVCodecContext* c) {
        c->color_range = AVCOL_RANGE_JPEG;
        c->colorspace = AVCOL_SPC_BT470BG;
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 2; // ffmpeg -q:v 2
    };
    const auto paint = [&](AVFrame* frame) {
        for (int y = 0; y < frame->height; ++y)
            for (int x = 0; x < frame->width; ++x)
                frame->data[0][y * frame->linesize[0] + x] = uint8_t(greys.at(x / barWidth));
        greyChroma(frame);
    };
    return writeStill(path, "avi", AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P, QSize(barWidth * int(greys.size()), height),
                      fps, int(std::lround(seconds * fps)), setUp, paint);
}

bool makeStillMpeg2(const QString& path, int fps, double seconds, QSize size)
{
    const auto paint = [](AVFrame* frame) {
        for (int y = 0; y < frame->height; ++y)
            std::fill_n(frame->data[0] + y * frame->linesize[0], frame->width, uint8_t(128));
        greyChroma(frame);
    };
    return writeStill(path, "mpeg", AV_CODEC_ID_MPEG2VIDEO, AV_PIX_FMT_YUV420P, size, fps,
                      int(std::lround(seconds * fps)), {}, paint);
}

QImage ffmpegPicture(const QString& path)
{
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return {};
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> input(&ic, avformat_close_input);
    const AVCodec* codec = nullptr;
    const int index = avformat_find_stream_info(ic, nullptr) < 0
                          ? -1
                          : av_find_best_stream(ic, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0)
        return {};
    CodecContextPtr c(avcodec_alloc_context3(codec));
    if (avcodec_parameters_to_context(c.get(), ic->streams[index]->codecpar) < 0 ||
        avcodec_open2(c.get(), codec, nullptr) < 0)
        return {};
    PacketPtr pkt(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    bool got = false;
    while (!got && av_read_frame(ic, pkt.get()) >= 0) {
        if (pkt->stream_index == index && avcodec_send_packet(c.get(), pkt.get()) >= 0)
            got = avcodec_receive_frame(c.get(), frame.get()) >= 0;
        av_packet_unref(pkt.get());
    }
    if (!got)
        return {};
    // As ffmpeg's own scaler is set up for a frame: its matrix, its range.
    // swscale's vector code writes past the end of a line: room to spare.
    QImage image(frame->width + 64, frame->height + 1, QImage::Format_RGB32);
    SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                     frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!sws)
        return {};
    const int space = frame->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame->colorspace);
    sws_setColorspaceDetails(sws, sws_getCoefficients(space), frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    uint8_t* target[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    const int rows = sws_scale(sws, frame->data, frame->linesize, 0, frame->height, target, targetStride);
    sws_freeContext(sws);
    return rows == frame->height ? image.copy(0, 0, frame->width, frame->height) : QImage();
}

} // namespace fixtures
