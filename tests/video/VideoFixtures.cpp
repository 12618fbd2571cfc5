#include "VideoFixtures.h"


#include <QFile>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace videotest {
namespace {

QByteArray native(const QString& p) { return QFile::encodeName(p); }

struct Input {
    AVFormatContext* ic = nullptr;
    explicit Input(const QString& path)
    {
        if (avformat_open_input(&ic, native(path).constData(), nullptr, nullptr) < 0)
            ic = nullptr;
        else if (avformat_find_stream_info(ic, nullptr) < 0)
            avformat_close_input(&ic);
    }
    ~Input() { avformat_close_input(&ic); }
    int videoIndex() const { return ic ? av_find_best_stream(ic, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) : -1; }
};

} // namespace

bool writeSolid(const QString& path, int width, int height, const QColor& color)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(color);
    return img.save(path, nullptr, 95);
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

VideoStream readVideoStream(const QString& path)
{
    VideoStream v;
    Input in(path);
    const int index = in.videoIndex();
    if (index < 0)
        return v;
    const AVStream* st = in.ic->streams[index];
    v.ok = true;
    v.container = QString::fromLatin1(in.ic->iformat->name);
    v.codec = QString::fromLatin1(avcodec_get_name(st->codecpar->codec_id));
    v.streams = int(in.ic->nb_streams);
    for (unsigned i = 0; i < in.ic->nb_streams; ++i)
        v.videoStreams += in.ic->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    v.width = st->codecpar->width;
    v.height = st->codecpar->height;
    v.frameRate = av_q2d(st->avg_frame_rate);
    v.timeBase = av_q2d(st->time_base);
    if (in.ic->duration > 0)
        v.duration = double(in.ic->duration) / AV_TIME_BASE;
    AVPacket* pkt = av_packet_alloc();
    while (av_read_frame(in.ic, pkt) >= 0) {
        if (pkt->stream_index == index)
            v.packetPts << (pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    return v;
}

QList<QImage> decodeFrames(const QString& path)
{
    QList<QImage> frames;
    Input in(path);
    const int index = in.videoIndex();
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
