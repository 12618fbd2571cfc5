#include "MediaFixtures.h"

#include "platform/MediaConverter.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <cmath>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
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
