#include "VideoMedia.h"

#include "platform/MediaConverter.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace videotest {
namespace {

std::vector<std::int16_t> tone(double frequency, int first, int frames, int rate, int channels)
{
    std::vector<std::int16_t> s(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const auto v = std::int16_t(8000 * std::sin(2 * M_PI * frequency * (first + i) / rate));
        for (int c = 0; c < channels; ++c)
            s[size_t(i) * channels + c] = v;
    }
    return s;
}

double seconds(int64_t ts, AVRational tb) { return ts == AV_NOPTS_VALUE ? NAN : double(ts) * av_q2d(tb); }

} // namespace

bool makeTone(const QString& path, double secs, double frequency, int rate, int channels)
{
    platform::MediaWriter w;
    if (!w.open(path, {0, 0, 0, rate, channels, {}, {}}))
        return false;
    const int total = int(std::lround(secs * rate));
    for (int done = 0; done < total;) {
        const int n = std::min(4096, total - done);
        const auto s = tone(frequency, done, n, rate, channels);
        if (!w.writeAudio(s.data(), n))
            return false;
        done += n;
    }
    return w.finish();
}

bool makeVideo(const QString& path, const VideoSpec& spec)
{
    platform::MediaWriter w;
    const int rate = 44100;
    platform::WriterSettings settings{spec.width, spec.height, spec.fps, spec.sound ? rate : 0, spec.sound ? 2 : 0,
                                      spec.videoEncoder, spec.sound ? spec.audioEncoder : QString()};
    if (!w.open(path, settings))
        return false;
    const int frames = int(std::lround(spec.seconds * spec.fps));
    int samplesDone = 0;
    for (int f = 0; f < frames; ++f) {
        QImage img(spec.width, spec.height, QImage::Format_RGB32);
        img.fill(QColor::fromHsv((f * 7) % 360, 200, 220));
        for (int y = 0; y < spec.height; ++y) // a bar that moves, so frames differ
            img.setPixel((f * 4) % spec.width, y, qRgb(0, 0, 0));
        if (!w.writeFrame(img))
            return false;
        if (spec.sound) {
            const int until = int(std::lround((f + 1) / spec.fps * rate));
            const auto s = tone(440, samplesDone, until - samplesDone, rate, 2);
            if (!w.writeAudio(s.data(), until - samplesDone))
                return false;
            samplesDone = until;
        }
    }
    if (spec.sound && spec.extraSound > 0) {
        const int extra = int(std::lround(spec.extraSound * rate));
        const auto s = tone(440, samplesDone, extra, rate, 2);
        if (!w.writeAudio(s.data(), extra))
            return false;
    }
    return w.finish();
}

std::vector<Packet> Contents::of(int stream) const
{
    std::vector<Packet> r;
    for (const Packet& p : packets)
        if (p.stream == stream)
            r.push_back(p);
    return r;
}

Contents readContents(const QString& path)
{
    Contents c;
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return c;
    if (avformat_find_stream_info(ic, nullptr) >= 0) {
        c.ok = true;
        for (unsigned i = 0; i < ic->nb_streams; ++i) {
            const AVCodecParameters* par = ic->streams[i]->codecpar;
            c.streams.push_back({par->codec_type == AVMEDIA_TYPE_VIDEO, avcodec_get_name(par->codec_id), par->width,
                                 par->height, par->sample_rate, par->ch_layout.nb_channels, NAN, 0});
        }
        AVPacket* pkt = av_packet_alloc();
        while (av_read_frame(ic, pkt) >= 0) {
            const AVStream* st = ic->streams[pkt->stream_index];
            Packet p{pkt->stream_index, seconds(pkt->pts, st->time_base), seconds(pkt->dts, st->time_base),
                     seconds(pkt->duration, st->time_base), QByteArray(reinterpret_cast<const char*>(pkt->data), pkt->size)};
            if (p.duration <= 0 && st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && st->codecpar->sample_rate > 0)
                p.duration = double(av_get_audio_frame_duration2(st->codecpar, pkt->size)) / st->codecpar->sample_rate;
            const double at = std::isnan(p.pts) ? p.dts : p.pts;
            Stream& s = c.streams[size_t(p.stream)];
            s.seconds = std::max(s.seconds, at + p.duration);
            if (std::isnan(s.start) || at < s.start)
                s.start = at;
            c.packets.push_back(p);
            av_packet_unref(pkt);
        }
        av_packet_free(&pkt);
    }
    avformat_close_input(&ic);
    return c;
}

} // namespace videotest
