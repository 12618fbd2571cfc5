#include "VideoMedia.h"

#include "platform/media/MediaConverter.h"

#include <QBuffer>
#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
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

// An opened file with its streams found; closed when it goes.
struct Input {
    AVFormatContext* ic = nullptr;
    explicit Input(const QString& path)
    {
        if (avformat_open_input(&ic, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
            ic = nullptr;
        else if (avformat_find_stream_info(ic, nullptr) < 0)
            avformat_close_input(&ic);
    }
    ~Input() { avformat_close_input(&ic); }
};

} // namespace

bool writeSolid(const QString& path, int width, int height, const QColor& color)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(color);
    return img.save(path, nullptr, 95);
}

bool writeClaimingJpeg(const QString& path, int width, int height)
{
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !small.save(&buffer, "JPG"))
        return false;
    const qsizetype sof = bytes.indexOf("\xFF\xC0");
    if (sof < 0)
        return false;
    for (const auto& [at, value] : {std::pair{5, height}, std::pair{7, width}}) {
        bytes[sof + at] = char(value >> 8);
        bytes[sof + at + 1] = char(value & 0xFF);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeTaggedWav(const QString& path, const QList<QPair<QByteArray, QByteArray>>& tags)
{
    const auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    const auto chunk = [&](const QByteArray& id, QByteArray body) {
        const quint32 size = quint32(body.size());
        if (body.size() % 2)
            body += '\0';
        return id + le32(size) + body;
    };
    QByteArray info = "INFO";
    for (const auto& [id, text] : tags)
        info += chunk(id, text + '\0');
    // One second of silence: 8 kHz, 16-bit, mono.
    const QByteArray format = QByteArray::fromHex("01000100401f0000803e000002001000");
    const QByteArray body =
        "WAVE" + chunk("fmt ", format) + chunk("LIST", info) + chunk("data", QByteArray(16000, '\0'));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(chunk("RIFF", body)) > 0;
}

bool makeVideo(const QString& path, const VideoSpec& spec)
{
    platform::MediaWriter w;
    const int rate = spec.sound ? spec.rate : 0, channels = spec.sound ? spec.channels : 0;
    if (!w.open(path, {spec.width, spec.height, spec.fps, rate, channels, spec.videoEncoder,
                       spec.sound ? spec.audioEncoder : QString()}))
        return false;
    int samplesDone = 0;
    const auto soundUntil = [&](double at) { // the tone up to `at` seconds, in blocks
        for (const int until = int(std::lround(at * rate)); spec.sound && samplesDone < until;) {
            const int n = std::min(4096, until - samplesDone);
            if (!w.writeAudio(tone(spec.frequency, samplesDone, n, rate, channels).data(), n))
                return false;
            samplesDone += n;
        }
        return true;
    };
    const int frames = spec.width ? int(std::lround(spec.seconds * spec.fps)) : 0;
    for (int f = 0; f < frames; ++f) {
        QImage img(spec.width, spec.height, QImage::Format_RGB32);
        img.fill(QColor::fromHsv((f * 7) % 360, 200, 220));
        for (int y = 0; y < spec.height; ++y) // a bar that moves, so frames differ
            img.setPixel((f * 4) % spec.width, y, qRgb(0, 0, 0));
        if (!w.writeFrame(img) || !soundUntil((f + 1) / spec.fps))
            return false;
    }
    return soundUntil((spec.width ? frames / spec.fps : spec.seconds) + spec.extraSound) && w.finish();
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
    Input in(path);
    if (!in.ic)
        return c;
    c.ok = true;
    c.container = QString::fromLatin1(in.ic->iformat->name);
    if (in.ic->duration > 0)
        c.duration = double(in.ic->duration) / AV_TIME_BASE;
    for (unsigned i = 0; i < in.ic->nb_streams; ++i) {
        const AVCodecParameters* par = in.ic->streams[i]->codecpar;
        c.streams.push_back({par->codec_type == AVMEDIA_TYPE_VIDEO, avcodec_get_name(par->codec_id), par->width,
                             par->height, par->sample_rate, par->ch_layout.nb_channels,
                             av_q2d(in.ic->streams[i]->avg_frame_rate), NAN, 0});
        c.streams.back().decoderDelay = par->video_delay;
        c.streams.back().matrix = par->color_space;
        c.streams.back().range = par->color_range;
    }
    AVPacket* pkt = av_packet_alloc();
    while (av_read_frame(in.ic, pkt) >= 0) {
        const AVStream* st = in.ic->streams[pkt->stream_index];
        Packet p{pkt->stream_index, seconds(pkt->pts, st->time_base), seconds(pkt->dts, st->time_base),
                 seconds(pkt->duration, st->time_base), QByteArray(reinterpret_cast<const char*>(pkt->data), pkt->size)};
        if (p.duration <= 0 && st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && st->codecpar->sample_rate > 0)
            p.duration = double(av_get_audio_frame_duration2(st->codecpar, pkt->size)) / st->codecpar->sample_rate;
        Stream& s = c.streams[size_t(p.stream)];
        s.seconds = std::max(s.seconds, p.at() + p.duration);
        if (std::isnan(s.start) || p.at() < s.start)
            s.start = p.at();
        c.packets.push_back(p);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    return c;
}

QList<QImage> decodeFrames(const QString& path, std::vector<double>* times)
{
    QList<QImage> frames;
    Input in(path);
    const int index = in.ic ? av_find_best_stream(in.ic, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) : -1;
    if (index < 0)
        return frames;
    const AVStream* st = in.ic->streams[index];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* c = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(c, st->codecpar);
    if (avcodec_open2(c, codec, nullptr) < 0) {
        avcodec_free_context(&c);
        return frames;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* f = av_frame_alloc();
    SwsContext* sws = nullptr;
    const auto receive = [&] {
        while (avcodec_receive_frame(c, f) >= 0) {
            QImage img(f->width, f->height, QImage::Format_RGB32);
            sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                       AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
            uint8_t* dst[4] = {img.bits(), nullptr, nullptr, nullptr};
            const int lines[4] = {int(img.bytesPerLine()), 0, 0, 0};
            sws_scale(sws, f->data, f->linesize, 0, f->height, dst, lines);
            frames << img;
            if (times)
                times->push_back(seconds(f->best_effort_timestamp, st->time_base));
        }
    };
    while (av_read_frame(in.ic, pkt) >= 0) {
        if (pkt->stream_index == index && avcodec_send_packet(c, pkt) >= 0)
            receive();
        av_packet_unref(pkt);
    }
    avcodec_send_packet(c, nullptr);
    receive();
    sws_freeContext(sws);
    av_frame_free(&f);
    av_packet_free(&pkt);
    avcodec_free_context(&c);
    return frames;
}

QColor meanColor(const QImage& image, QRect area)
{
    if (area.isNull())
        area = image.rect();
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p), ++n;
        }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

bool near(const QColor& a, const QColor& b, int slack)
{
    return std::abs(a.red() - b.red()) <= slack && std::abs(a.green() - b.green()) <= slack &&
           std::abs(a.blue() - b.blue()) <= slack;
}

} // namespace videotest
