#include "platform/MediaConverter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSysInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>

#include <cerrno>
#include <cmath>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

QByteArray nativePath(const QString& path) { return QFile::encodeName(path); }

// Extensions whose files carry sound only, whatever the container could hold.
bool isSoundOnlyExtension(const QString& ext)
{
    static const QSet<QString> exts = {"MP3", "WAV", "WMA", "MID", "MIDI", "OGG", "OGA", "FLAC", "AAC",
                                       "M4A", "AU", "AIF", "AIFF", "MP2", "AC3", "OPUS", "SND"};
    return exts.contains(ext.toUpper());
}

const AVOutputFormat* formatFor(const QString& target)
{
    const QString ext = QFileInfo(target).suffix();
    if (ext.isEmpty())
        return nullptr;
    const AVOutputFormat* f = av_guess_format(nullptr, nativePath(target).constData(), nullptr);
    if (!f)
        return nullptr;
    // Still-picture writers guess from picture names; they are no media container.
    const QByteArray name(f->name);
    if (name.startsWith("image2") || name.endsWith("_pipe"))
        return nullptr;
    return f;
}

bool isPcm(AVCodecID id) { return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT; }

struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// One encoded stream of the output file.
struct Encoder {
    AVCodecContext* ctx = nullptr;
    AVStream* stream = nullptr;
    bool video = false;
    // Pictures.
    SwsContext* sws = nullptr;
    AVFrame* frame = nullptr;
    int64_t lastPts = -1;
    // Sound.
    SwrContext* swr = nullptr;
    AVAudioFifo* fifo = nullptr;
    int frameSize = 1024;
    int64_t nextSample = 0;
    ~Encoder()
    {
        avcodec_free_context(&ctx);
        sws_freeContext(sws);
        av_frame_free(&frame);
        swr_free(&swr);
        if (fifo)
            av_audio_fifo_free(fifo);
    }
};

// The file being written: container, streams, encoders, temporary name.
class Output {
public:
    ~Output() { abort(); }

    bool open(const QString& target, QString* error)
    {
        static const bool quiet = [] {
            av_log_set_level(AV_LOG_ERROR);
            return true;
        }();
        Q_UNUSED(quiet);
        m_target = target;
        m_format = formatFor(target);
        if (!m_format) {
            *error = QStringLiteral("The file type cannot be written - ") + QFileInfo(target).fileName();
            return false;
        }
        m_soundOnly = isSoundOnlyExtension(QFileInfo(target).suffix()) || m_format->video_codec == AV_CODEC_ID_NONE;
        const QFileInfo info(target);
        const QString dir = info.absolutePath();
        // A temporary file beside the target, created with the usual permissions.
        for (int attempt = 0; attempt < 20 && m_temp.isEmpty(); ++attempt) {
            const QString name = QStringLiteral(".%1.%2.part")
                                     .arg(info.fileName())
                                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            const QString path = QDir(dir).filePath(name);
            const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                m_temp = path;
            } else if (errno != EEXIST) {
                *error = QStringLiteral("Cannot write in the folder - ") + dir + QStringLiteral(" (") +
                         QString::fromLocal8Bit(strerror(errno)) + QLatin1Char(')');
                return false;
            }
        }
        if (m_temp.isEmpty()) {
            *error = QStringLiteral("Cannot write in the folder - ") + dir;
            return false;
        }
        const int r = avformat_alloc_output_context2(&m_oc, m_format, nullptr, nativePath(m_temp).constData());
        if (r < 0 || !m_oc) {
            *error = QStringLiteral("Cannot prepare the file - ") + avError(r);
            return false;
        }
        // The longest a packet may wait in the muxer, as the ffmpeg command
        // sets it (0.7 s): with none, the MPEG muxer finds its buffers running
        // dry and logs "buffer underflow" thousands of times a clip.
        m_oc->max_delay = int(0.7 * AV_TIME_BASE);
        return true;
    }

    const AVOutputFormat* format() const { return m_format; }
    bool soundOnly() const { return m_soundOnly; }

    // Whether a stream of this codec can be copied into the container unchanged.
    bool takesAsIs(AVCodecID id, AVMediaType type) const
    {
        if (m_soundOnly && type == AVMEDIA_TYPE_VIDEO)
            return false;
        // A WAV file is expected to hold plain samples.
        if (QByteArray(m_format->name) == "wav")
            return isPcm(id);
        const int q = avformat_query_codec(m_format, id, FF_COMPLIANCE_NORMAL);
        if (q < 0) // the container does not say: only its own codec
            return id == (type == AVMEDIA_TYPE_VIDEO ? m_format->video_codec : m_format->audio_codec) ||
                   (QByteArray(m_format->name) == "mpeg" &&
                    (id == AV_CODEC_ID_MPEG1VIDEO || id == AV_CODEC_ID_MPEG2VIDEO || id == AV_CODEC_ID_MP2 ||
                     id == AV_CODEC_ID_MP3 || id == AV_CODEC_ID_AC3));
        return q == 1;
    }

    AVStream* addCopy(const AVStream* in, QString* error)
    {
        AVStream* st = avformat_new_stream(m_oc, nullptr);
        if (!st || avcodec_parameters_copy(st->codecpar, in->codecpar) < 0) {
            *error = QStringLiteral("Cannot add a stream to the file");
            return nullptr;
        }
        const uint32_t tag = in->codecpar->codec_tag;
        if (!(m_format->codec_tag && av_codec_get_id(m_format->codec_tag, tag) == in->codecpar->codec_id))
            st->codecpar->codec_tag = 0;
        st->time_base = in->time_base;
        st->avg_frame_rate = in->avg_frame_rate;
        st->r_frame_rate = in->r_frame_rate;
        st->sample_aspect_ratio = in->sample_aspect_ratio;
        return st;
    }

    Encoder* addVideo(int width, int height, AVRational rate, const QString& encoderName, QString* error)
    {
        const AVCodec* codec = encoderName.isEmpty() ? avcodec_find_encoder(m_format->video_codec)
                                                     : avcodec_find_encoder_by_name(encoderName.toLatin1());
        if (!codec || codec->type != AVMEDIA_TYPE_VIDEO)
            codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        if (!codec) {
            *error = QStringLiteral("No picture encoder for this file type");
            return nullptr;
        }
        auto enc = std::make_unique<Encoder>();
        enc->video = true;
        enc->ctx = avcodec_alloc_context3(codec);
        AVCodecContext* c = enc->ctx;
        if (rate.num <= 0 || rate.den <= 0)
            rate = AVRational{25, 1};
        static const AVRational mpegRates[] = {{24000, 1001}, {24, 1},       {25, 1}, {30000, 1001},
                                               {30, 1},       {50, 1},       {60000, 1001}, {60, 1}, {0, 0}};
        // MPEG-1 and MPEG-2 lists name rates that standard players refuse.
        const AVRational* rates = codec->supported_framerates;
        if (codec->id == AV_CODEC_ID_MPEG1VIDEO || codec->id == AV_CODEC_ID_MPEG2VIDEO)
            rates = mpegRates;
        if (rates)
            rate = rates[av_find_nearest_q_idx(rate, rates)];
        c->width = std::max(2, width & ~1);
        c->height = std::max(2, height & ~1);
        c->time_base = av_inv_q(rate);
        c->framerate = rate;
        c->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
        c->gop_size = 12;
        c->thread_count = 0;
        switch (codec->id) {
        case AV_CODEC_ID_H264:
            av_opt_set(c->priv_data, "preset", "veryfast", 0);
            av_opt_set(c->priv_data, "crf", "23", 0);
            c->gop_size = 250;
            break;
        case AV_CODEC_ID_MPEG4:
        case AV_CODEC_ID_MSMPEG4V3:
        case AV_CODEC_ID_WMV2:
        case AV_CODEC_ID_MPEG1VIDEO:
        case AV_CODEC_ID_MPEG2VIDEO:
            c->flags |= AV_CODEC_FLAG_QSCALE;
            c->global_quality = FF_QP2LAMBDA * 4;
            break;
        default: c->bit_rate = 4000000; break;
        }
        return finishEncoder(std::move(enc), codec, error);
    }

    Encoder* addAudio(int sampleRate, const AVChannelLayout& layout, const QString& encoderName, QString* error)
    {
        const AVCodec* codec = encoderName.isEmpty() ? avcodec_find_encoder(m_format->audio_codec)
                                                     : avcodec_find_encoder_by_name(encoderName.toLatin1());
        if (!codec || codec->type != AVMEDIA_TYPE_AUDIO) {
            *error = QStringLiteral("No sound encoder for this file type");
            return nullptr;
        }
        auto enc = std::make_unique<Encoder>();
        enc->ctx = avcodec_alloc_context3(codec);
        AVCodecContext* c = enc->ctx;
        c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        c->sample_rate = sampleRate;
        if (codec->supported_samplerates) {
            int best = codec->supported_samplerates[0];
            for (const int* r = codec->supported_samplerates; *r; ++r)
                if (std::abs(*r - sampleRate) < std::abs(best - sampleRate))
                    best = *r;
            c->sample_rate = best;
        }
        const int channels = std::clamp(layout.nb_channels, 1, 2);
        av_channel_layout_default(&c->ch_layout, channels);
        if (codec->ch_layouts) {
            bool found = false;
            for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels; ++l)
                if (l->nb_channels == channels) {
                    av_channel_layout_copy(&c->ch_layout, l);
                    found = true;
                    break;
                }
            if (!found)
                av_channel_layout_copy(&c->ch_layout, codec->ch_layouts);
        }
        if (!isPcm(codec->id))
            c->bit_rate = codec->id == AV_CODEC_ID_WMAV2 ? 128000 : 192000;
        c->time_base = AVRational{1, c->sample_rate};
        Encoder* e = finishEncoder(std::move(enc), codec, error);
        if (!e)
            return nullptr;
        const bool anySize = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || e->ctx->frame_size <= 0;
        e->frameSize = anySize ? 1024 : e->ctx->frame_size;
        e->fifo = av_audio_fifo_alloc(e->ctx->sample_fmt, e->ctx->ch_layout.nb_channels, e->frameSize * 4);
        return e;
    }

    bool begin(QString* error)
    {
        int r = avio_open(&m_oc->pb, nativePath(m_temp).constData(), AVIO_FLAG_WRITE);
        if (r < 0) {
            *error = QStringLiteral("Cannot write the file - ") + avError(r);
            return false;
        }
        m_oc->avoid_negative_ts = AVFMT_AVOID_NEG_TS_MAKE_NON_NEGATIVE;
        r = avformat_write_header(m_oc, nullptr);
        if (r < 0) {
            *error = QStringLiteral("Cannot write the file - ") + avError(r);
            return false;
        }
        m_headerWritten = true;
        return true;
    }

    // A packet in `from` units for stream `st`.
    bool write(AVPacket* pkt, AVStream* st, AVRational from, QString* error)
    {
        av_packet_rescale_ts(pkt, from, st->time_base);
        pkt->stream_index = st->index;
        pkt->pos = -1;
        const int r = av_interleaved_write_frame(m_oc, pkt);
        if (r < 0) {
            *error = QStringLiteral("Cannot write the file - ") + avError(r);
            return false;
        }
        ++m_packets;
        return true;
    }

    // A decoded picture (any size and pixel format); nullptr flushes.
    bool encodeVideo(Encoder& e, const AVFrame* src, int64_t pts, QString* error)
    {
        if (src) {
            if (pts <= e.lastPts)
                pts = e.lastPts + 1;
            e.lastPts = pts;
            e.sws = sws_getCachedContext(e.sws, src->width, src->height, AVPixelFormat(src->format), e.ctx->width,
                                         e.ctx->height, e.ctx->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!e.sws) {
                *error = QStringLiteral("Cannot convert the pictures");
                return false;
            }
            if (av_frame_make_writable(e.frame) < 0)
                return false;
            sws_scale(e.sws, src->data, src->linesize, 0, src->height, e.frame->data, e.frame->linesize);
            e.frame->pts = pts;
        }
        return sendFrame(e, src ? e.frame : nullptr, error);
    }

    // Decoded sound, samples [skip, skip + count) of the frame; nullptr flushes.
    bool encodeAudio(Encoder& e, const AVFrame* src, int skip, int count, QString* error)
    {
        if (src) {
            if (!e.swr) {
                if (swr_alloc_set_opts2(&e.swr, &e.ctx->ch_layout, e.ctx->sample_fmt, e.ctx->sample_rate,
                                        const_cast<AVChannelLayout*>(&src->ch_layout), AVSampleFormat(src->format), src->sample_rate, 0,
                                        nullptr) < 0 ||
                    swr_init(e.swr) < 0) {
                    *error = QStringLiteral("Cannot convert the sound");
                    return false;
                }
            }
            const AVSampleFormat fmt = AVSampleFormat(src->format);
            const int bytes = av_get_bytes_per_sample(fmt);
            const bool planar = av_sample_fmt_is_planar(fmt);
            const int planes = planar ? src->ch_layout.nb_channels : 1;
            std::vector<const uint8_t*> in(planes);
            for (int i = 0; i < planes; ++i)
                in[i] = src->extended_data[i] + size_t(skip) * bytes * (planar ? 1 : src->ch_layout.nb_channels);
            if (!resampleInto(e, in.data(), count, error))
                return false;
            return drainFifo(e, false, error);
        }
        if (e.swr && !resampleInto(e, nullptr, 0, error))
            return false;
        if (!drainFifo(e, true, error))
            return false;
        return sendFrame(e, nullptr, error);
    }

    bool finish(QString* error)
    {
        if (!m_headerWritten) {
            *error = QStringLiteral("Nothing was written");
            return false;
        }
        const int r = av_write_trailer(m_oc);
        avio_closep(&m_oc->pb);
        if (r < 0) {
            *error = QStringLiteral("Cannot finish the file - ") + avError(r);
            return false;
        }
        if (m_packets == 0) {
            *error = QStringLiteral("The marked range holds nothing to write");
            return false;
        }
        if (::rename(nativePath(m_temp).constData(), nativePath(m_target).constData()) != 0) {
            *error = QStringLiteral("Cannot replace the file - ") + m_target + QStringLiteral(" (") +
                     QString::fromLocal8Bit(strerror(errno)) + QLatin1Char(')');
            return false;
        }
        m_temp.clear();
        return true;
    }

    void abort()
    {
        encoders.clear();
        if (m_oc) {
            if (m_oc->pb)
                avio_closep(&m_oc->pb);
            avformat_free_context(m_oc);
            m_oc = nullptr;
        }
        if (!m_temp.isEmpty()) {
            ::unlink(nativePath(m_temp).constData());
            m_temp.clear();
        }
    }

    std::vector<std::unique_ptr<Encoder>> encoders;

private:
    Encoder* finishEncoder(std::unique_ptr<Encoder> enc, const AVCodec* codec, QString* error)
    {
        AVCodecContext* c = enc->ctx;
        if (m_format->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int r = avcodec_open2(c, codec, nullptr);
        if (r < 0) {
            *error = QStringLiteral("Cannot start the encoder %1 - %2").arg(QString::fromLatin1(codec->name), avError(r));
            return nullptr;
        }
        enc->stream = avformat_new_stream(m_oc, nullptr);
        if (!enc->stream || avcodec_parameters_from_context(enc->stream->codecpar, c) < 0) {
            *error = QStringLiteral("Cannot add a stream to the file");
            return nullptr;
        }
        // What the encoder tells the container of its stream (the MPEG
        // encoders' buffer and rates, which the MPEG muxer paces its packets
        // by), as the ffmpeg command hands it on.
        for (int i = 0; i < c->nb_coded_side_data; ++i) {
            const AVPacketSideData& sd = c->coded_side_data[i];
            if (uint8_t* to = av_stream_new_side_data(enc->stream, sd.type, sd.size))
                memcpy(to, sd.data, sd.size);
        }
        enc->stream->time_base = c->time_base;
        if (enc->video) {
            enc->stream->avg_frame_rate = c->framerate;
            enc->frame = av_frame_alloc();
            enc->frame->format = c->pix_fmt;
            enc->frame->width = c->width;
            enc->frame->height = c->height;
            if (av_frame_get_buffer(enc->frame, 0) < 0) {
                *error = QStringLiteral("Out of memory");
                return nullptr;
            }
        }
        encoders.push_back(std::move(enc));
        return encoders.back().get();
    }

    bool sendFrame(Encoder& e, AVFrame* frame, QString* error)
    {
        int r = avcodec_send_frame(e.ctx, frame);
        if (r < 0 && r != AVERROR_EOF) {
            *error = QStringLiteral("Cannot encode - ") + avError(r);
            return false;
        }
        PacketPtr pkt(av_packet_alloc());
        while ((r = avcodec_receive_packet(e.ctx, pkt.get())) >= 0) {
            if (!write(pkt.get(), e.stream, e.ctx->time_base, error))
                return false;
            av_packet_unref(pkt.get());
        }
        if (r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
            *error = QStringLiteral("Cannot encode - ") + avError(r);
            return false;
        }
        return true;
    }

    bool resampleInto(Encoder& e, const uint8_t** in, int count, QString* error)
    {
        const int room = swr_get_out_samples(e.swr, count);
        if (room <= 0)
            return true;
        uint8_t** out = nullptr;
        if (av_samples_alloc_array_and_samples(&out, nullptr, e.ctx->ch_layout.nb_channels, room, e.ctx->sample_fmt,
                                               0) < 0) {
            *error = QStringLiteral("Out of memory");
            return false;
        }
        const int got = swr_convert(e.swr, out, room, in, count);
        if (got > 0)
            av_audio_fifo_write(e.fifo, reinterpret_cast<void**>(out), got);
        av_freep(&out[0]);
        av_freep(&out);
        if (got < 0) {
            *error = QStringLiteral("Cannot convert the sound - ") + avError(got);
            return false;
        }
        return true;
    }

    bool drainFifo(Encoder& e, bool last, QString* error)
    {
        while (av_audio_fifo_size(e.fifo) >= e.frameSize || (last && av_audio_fifo_size(e.fifo) > 0)) {
            const int n = std::min(av_audio_fifo_size(e.fifo), e.frameSize);
            FramePtr f(av_frame_alloc());
            const bool pad = n < e.frameSize && !(e.ctx->codec->capabilities &
                                                  (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
            f->nb_samples = pad ? e.frameSize : n;
            f->format = e.ctx->sample_fmt;
            f->sample_rate = e.ctx->sample_rate;
            av_channel_layout_copy(&f->ch_layout, &e.ctx->ch_layout);
            if (av_frame_get_buffer(f.get(), 0) < 0) {
                *error = QStringLiteral("Out of memory");
                return false;
            }
            if (pad)
                av_samples_set_silence(f->extended_data, 0, f->nb_samples, f->ch_layout.nb_channels,
                                       e.ctx->sample_fmt);
            av_audio_fifo_read(e.fifo, reinterpret_cast<void**>(f->extended_data), n);
            f->pts = e.nextSample;
            e.nextSample += f->nb_samples;
            if (!sendFrame(e, f.get(), error))
                return false;
        }
        return true;
    }

    QString m_target, m_temp;
    const AVOutputFormat* m_format = nullptr;
    AVFormatContext* m_oc = nullptr;
    bool m_soundOnly = false;
    bool m_headerWritten = false;
    int64_t m_packets = 0;
};

// One input stream that goes to the output.
struct Route {
    AVStream* in = nullptr;
    bool video = false;
    // Copied streams.
    AVStream* out = nullptr;
    bool keyframeSeen = false;
    // Encoded streams.
    AVCodecContext* decoder = nullptr;
    Encoder* encoder = nullptr;
    double nextTime = 0; // expected time of the next sound frame
    bool done = false;
    ~Route() { avcodec_free_context(&decoder); }
};

double seconds(int64_t ts, AVRational tb) { return ts == AV_NOPTS_VALUE ? NAN : double(ts) * av_q2d(tb); }

struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};

class Converter {
public:
    Converter(const ConvertJob& job, const std::atomic<bool>* cancel, const std::function<void(double)>& progress)
        : m_job(job), m_cancel(cancel), m_progress(progress)
    {
    }

    ConvertResult run()
    {
        ConvertResult r;
        r.ok = convert(&r.error);
        r.stopped = m_stopped;
        for (const auto& route : m_routes)
            (route->out ? r.copiedStreams : r.encodedStreams)++;
        if (!r.ok)
            m_output.abort();
        return r;
    }

private:
    bool convert(QString* error)
    {
        if (m_job.source.trimmed().isEmpty() || m_job.target.trimmed().isEmpty()) {
            *error = QStringLiteral("No source or target file was given");
            return false;
        }
        if (sameFile(m_job.source, m_job.target)) {
            *error = QStringLiteral("The target is the source file itself - ") + m_job.target;
            return false;
        }
        m_start = std::max(0.0, m_job.start);
        m_end = m_job.end < 0 ? kInfinity : m_job.end;
        if (m_end <= m_start) {
            *error = QStringLiteral("The marked end does not come after the marked start");
            return false;
        }
        AVFormatContext* ic = nullptr;
        int r = avformat_open_input(&ic, nativePath(m_job.source).constData(), nullptr, nullptr);
        if (r < 0) {
            *error = QStringLiteral("Cannot open the file - ") + m_job.source + QStringLiteral(" (") + avError(r) +
                     QLatin1Char(')');
            return false;
        }
        m_in.reset(ic);
        if ((r = avformat_find_stream_info(ic, nullptr)) < 0) {
            *error = QStringLiteral("Cannot read the file - ") + avError(r);
            return false;
        }
        if (ic->duration > 0 && m_start >= double(ic->duration) / AV_TIME_BASE) {
            *error = QStringLiteral("The marked start lies past the end of the file");
            return false;
        }
        if (!m_output.open(m_job.target, error))
            return false;
        if (!addRoutes(error))
            return false;
        if (!m_output.begin(error))
            return false;
        if (m_start > 0)
            av_seek_frame(ic, -1, int64_t(m_start * AV_TIME_BASE), AVSEEK_FLAG_BACKWARD);
        if (!pump(error))
            return false;
        return m_output.finish(error);
    }

    bool addRoutes(QString* error)
    {
        AVFormatContext* ic = m_in.get();
        for (unsigned i = 0; i < ic->nb_streams; ++i)
            ic->streams[i]->discard = AVDISCARD_ALL;
        for (AVMediaType type : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}) {
            const int index = av_find_best_stream(ic, type, -1, -1, nullptr, 0);
            if (index < 0)
                continue;
            AVStream* in = ic->streams[index];
            if (type == AVMEDIA_TYPE_VIDEO &&
                ((in->disposition & AV_DISPOSITION_ATTACHED_PIC) || m_output.soundOnly()))
                continue;
            auto route = std::make_unique<Route>();
            route->in = in;
            route->video = type == AVMEDIA_TYPE_VIDEO;
            if (m_output.takesAsIs(in->codecpar->codec_id, type)) {
                route->out = m_output.addCopy(in, error);
                if (!route->out)
                    return false;
            } else if (!openDecoder(*route, error)) {
                return false;
            }
            in->discard = AVDISCARD_DEFAULT;
            m_byIndex[in->index] = route.get();
            m_routes.push_back(std::move(route));
        }
        if (m_routes.empty()) {
            *error = QStringLiteral("The file holds no sound or pictures that this file type can take");
            return false;
        }
        return true;
    }

    bool openDecoder(Route& route, QString* error)
    {
        const AVCodec* codec = avcodec_find_decoder(route.in->codecpar->codec_id);
        if (!codec) {
            *error = QStringLiteral("No decoder for the codec %1").arg(avcodec_get_name(route.in->codecpar->codec_id));
            return false;
        }
        route.decoder = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(route.decoder, route.in->codecpar);
        route.decoder->pkt_timebase = route.in->time_base;
        route.decoder->thread_count = 0;
        const int r = avcodec_open2(route.decoder, codec, nullptr);
        if (r < 0) {
            *error = QStringLiteral("Cannot start the decoder - ") + avError(r);
            return false;
        }
        if (route.video) {
            AVRational rate = av_guess_frame_rate(m_in.get(), route.in, nullptr);
            route.encoder = m_output.addVideo(route.decoder->width, route.decoder->height, rate, {}, error);
        } else {
            route.encoder = m_output.addAudio(route.decoder->sample_rate, route.decoder->ch_layout, {}, error);
        }
        return route.encoder != nullptr;
    }

    // Reads the source, works out where the clip really starts (a copied
    // picture stream must begin at a key frame), then writes.
    bool pump(QString* error)
    {
        const bool copiedVideo = std::any_of(m_routes.begin(), m_routes.end(),
                                             [](const auto& r) { return r->video && r->out; });
        m_origin = copiedVideo ? NAN : m_start;
        std::deque<PacketPtr> held;
        double lastKey = NAN;
        PacketPtr pkt(av_packet_alloc());
        for (;;) {
            if (m_cancel && m_cancel->load()) {
                m_stopped = true;
                *error = QStringLiteral("The conversion was stopped");
                return false;
            }
            const int r = av_read_frame(m_in.get(), pkt.get());
            if (r == AVERROR_EOF)
                break;
            if (r < 0) {
                if (r == AVERROR(EAGAIN))
                    continue;
                break; // a damaged tail ends the clip where the damage starts
            }
            Route* route = m_byIndex.value(pkt->stream_index);
            if (!route) {
                av_packet_unref(pkt.get());
                continue;
            }
            if (std::isnan(m_origin)) {
                // Still looking for the key frame the clip starts at.
                const double t = packetTime(pkt.get(), route->in);
                if (route->video && route->out && !std::isnan(t)) {
                    const bool key = pkt->flags & AV_PKT_FLAG_KEY;
                    if (t <= m_start + 1e-6) {
                        if (key) {
                            lastKey = t;
                            // What lies well before this key frame is not needed.
                            std::erase_if(held, [&](const PacketPtr& p) {
                                const Route* hr = m_byIndex.value(p->stream_index);
                                const double ht = packetTime(p.get(), hr->in);
                                return !std::isnan(ht) && ht < lastKey - 1.0;
                            });
                        }
                    } else if (!std::isnan(lastKey)) {
                        m_origin = lastKey;
                    } else if (key) {
                        m_origin = t;
                    }
                }
                held.push_back(PacketPtr(av_packet_clone(pkt.get())));
                av_packet_unref(pkt.get());
                if (std::isnan(m_origin))
                    continue;
                for (auto& p : held)
                    if (!feed(p.get(), error))
                        return false;
                held.clear();
            } else {
                const bool ok = feed(pkt.get(), error);
                av_packet_unref(pkt.get());
                if (!ok)
                    return false;
            }
            if (std::all_of(m_routes.begin(), m_routes.end(), [](const auto& r) { return r->done; }))
                break;
        }
        if (std::isnan(m_origin)) {
            m_origin = std::isnan(lastKey) ? m_start : lastKey;
            for (auto& p : held)
                if (!feed(p.get(), error))
                    return false;
        }
        // Flush decoders, then encoders.
        for (const auto& route : m_routes) {
            if (!route->decoder)
                continue;
            if (!route->done) {
                avcodec_send_packet(route->decoder, nullptr);
                if (!receiveFrames(*route, error))
                    return false;
            }
            if (route->video ? !m_output.encodeVideo(*route->encoder, nullptr, 0, error)
                             : !m_output.encodeAudio(*route->encoder, nullptr, 0, 0, error))
                return false;
        }
        return true;
    }

    static double packetTime(const AVPacket* pkt, const AVStream* st)
    {
        return seconds(pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts, st->time_base);
    }

    bool feed(AVPacket* pkt, QString* error)
    {
        Route* route = m_byIndex.value(pkt->stream_index);
        if (!route || route->done)
            return true;
        if (route->out)
            return copyPacket(*route, pkt, error);
        const int r = avcodec_send_packet(route->decoder, pkt);
        if (r < 0 && r != AVERROR(EAGAIN))
            return true; // a damaged packet is passed over
        return receiveFrames(*route, error);
    }

    bool copyPacket(Route& route, AVPacket* pkt, QString* error)
    {
        const double t = packetTime(pkt, route.in);
        if (std::isnan(t))
            return true;
        const double length = seconds(pkt->duration, route.in->time_base);
        if (t >= m_end - 1e-9) {
            route.done = true;
            return true;
        }
        if (route.video) {
            if (t < m_origin - 1e-6)
                return true;
            if (!route.keyframeSeen) {
                if (!(pkt->flags & AV_PKT_FLAG_KEY))
                    return true;
                route.keyframeSeen = true;
            }
        } else if (t + (std::isnan(length) ? 0 : length / 2) < m_origin) {
            return true;
        }
        report(t);
        const int64_t shift = av_rescale_q(int64_t(std::llround(m_origin * AV_TIME_BASE)), AV_TIME_BASE_Q,
                                           route.in->time_base);
        if (pkt->pts != AV_NOPTS_VALUE)
            pkt->pts = std::max<int64_t>(0, pkt->pts - shift);
        if (pkt->dts != AV_NOPTS_VALUE)
            pkt->dts = route.video ? pkt->dts - shift : std::max<int64_t>(0, pkt->dts - shift);
        return m_output.write(pkt, route.out, route.in->time_base, error);
    }

    bool receiveFrames(Route& route, QString* error)
    {
        FramePtr frame(av_frame_alloc());
        int r;
        while ((r = avcodec_receive_frame(route.decoder, frame.get())) >= 0) {
            const bool ok = route.video ? videoFrame(route, frame.get(), error) : audioFrame(route, frame.get(), error);
            av_frame_unref(frame.get());
            if (!ok)
                return false;
            if (route.done)
                return true;
        }
        return true;
    }

    bool videoFrame(Route& route, AVFrame* frame, QString* error)
    {
        const double t = seconds(frame->best_effort_timestamp, route.in->time_base);
        if (std::isnan(t))
            return true;
        const AVRational rate = route.encoder->ctx->framerate;
        const double half = 0.5 * av_q2d(av_inv_q(rate));
        if (t < m_origin - half)
            return true;
        if (t >= m_end - half) {
            route.done = true;
            return true;
        }
        report(t);
        const int64_t pts = std::llround((t - m_origin) * av_q2d(rate));
        return m_output.encodeVideo(*route.encoder, frame, pts, error);
    }

    bool audioFrame(Route& route, AVFrame* frame, QString* error)
    {
        double t = seconds(frame->best_effort_timestamp, route.in->time_base);
        if (std::isnan(t))
            t = route.nextTime;
        const int rate = frame->sample_rate > 0 ? frame->sample_rate : 44100;
        route.nextTime = t + double(frame->nb_samples) / rate;
        const int skip = std::clamp(int(std::llround((m_origin - t) * rate)), 0, frame->nb_samples);
        int stop = frame->nb_samples;
        if (m_end < kInfinity)
            stop = std::clamp(int(std::llround((m_end - t) * rate)), 0, frame->nb_samples);
        route.done = route.nextTime >= m_end - 1e-9;
        if (stop <= skip)
            return true;
        report(t);
        return m_output.encodeAudio(*route.encoder, frame, skip, stop - skip, error);
    }

    void report(double t)
    {
        if (!m_progress)
            return;
        double total = m_end;
        if (!(total < kInfinity) && m_in->duration > 0)
            total = double(m_in->duration) / AV_TIME_BASE;
        if (!(total < kInfinity) || total <= m_origin)
            return;
        m_progress(std::clamp((t - m_origin) / (total - m_origin), 0.0, 1.0));
    }

    ConvertJob m_job;
    const std::atomic<bool>* m_cancel;
    std::function<void(double)> m_progress;
    std::unique_ptr<AVFormatContext, InputCloser> m_in;
    Output m_output;
    std::vector<std::unique_ptr<Route>> m_routes;
    QHash<int, Route*> m_byIndex;
    double m_start = 0, m_end = kInfinity, m_origin = 0;
    bool m_stopped = false;
};

} // namespace

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.absoluteFilePath() == fb.absoluteFilePath())
        return true;
    if (!fa.exists() || !fb.exists())
        return false;
    if (fa.canonicalFilePath() == fb.canonicalFilePath())
        return true;
    struct stat sa {}, sb {};
    if (::stat(nativePath(a).constData(), &sa) != 0 || ::stat(nativePath(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool canWriteFormat(const QString& target) { return formatFor(target) != nullptr; }

ConvertResult convertMedia(const ConvertJob& job, const std::atomic<bool>* cancel,
                           const std::function<void(double)>& progress)
{
    return Converter(job, cancel, progress).run();
}

// ---------------------------------------------------------------- the control

MediaConverter::MediaConverter(QObject* parent) : QObject(parent) {}

MediaConverter::~MediaConverter()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

bool MediaConverter::StartConvert()
{
    if (m_running)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_running = true;
    m_cancel = false;
    m_result = {};
    const ConvertJob job = m_job;
    m_worker = std::thread([this, job] {
        const ConvertResult result = convertMedia(job, &m_cancel, [this](double f) {
            QMetaObject::invokeMethod(this, [this, f] { emit Progress(f); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(this, [this, result] { finished(result); }, Qt::QueuedConnection);
    });
    return true;
}

void MediaConverter::StopConvert()
{
    if (m_running)
        m_cancel = true;
}

void MediaConverter::finished(const ConvertResult& result)
{
    if (m_worker.joinable())
        m_worker.join();
    m_running = false;
    m_result = result;
    if (result.ok)
        emit Complete();
    else if (result.stopped)
        emit Stopped();
    else
        emit Failed(result.error);
}

bool MediaConverter::waitForFinished(int msecs)
{
    QDeadlineTimer deadline(msecs);
    while (m_running && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (m_running)
            QThread::msleep(5);
    }
    return !m_running;
}

// ---------------------------------------------------------------- the writer

struct MediaWriter::Impl {
    Output output;
    Encoder* video = nullptr;
    Encoder* audio = nullptr;
    WriterSettings settings;
    int64_t frames = 0;
    bool open = false;
};

MediaWriter::MediaWriter() : d(std::make_unique<Impl>()) {}
MediaWriter::~MediaWriter() = default;

bool MediaWriter::open(const QString& target, const WriterSettings& settings)
{
    d = std::make_unique<Impl>();
    d->settings = settings;
    m_error.clear();
    if (!d->output.open(target, &m_error))
        return false;
    if (settings.width > 0 && settings.height > 0) {
        const AVRational rate = av_d2q(settings.framesPerSecond > 0 ? settings.framesPerSecond : 15, 1000);
        d->video = d->output.addVideo(settings.width, settings.height, rate, settings.videoEncoder, &m_error);
        if (!d->video)
            return false;
    }
    if (settings.sampleRate > 0 && settings.channels > 0) {
        AVChannelLayout layout;
        av_channel_layout_default(&layout, settings.channels);
        d->audio = d->output.addAudio(settings.sampleRate, layout, settings.audioEncoder, &m_error);
        if (!d->audio)
            return false;
    }
    if (!d->video && !d->audio) {
        m_error = QStringLiteral("Nothing to write");
        return false;
    }
    d->open = d->output.begin(&m_error);
    return d->open;
}

bool MediaWriter::writeFrame(const QImage& picture)
{
    if (!d->open || !d->video) {
        m_error = QStringLiteral("The file has no picture stream");
        return false;
    }
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    FramePtr f(av_frame_alloc());
    f->format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
    f->width = img.width();
    f->height = img.height();
    f->data[0] = const_cast<uint8_t*>(img.constBits());
    f->linesize[0] = int(img.bytesPerLine());
    return d->output.encodeVideo(*d->video, f.get(), d->frames++, &m_error);
}

bool MediaWriter::writeAudio(const std::int16_t* samples, int frames)
{
    if (!d->open || !d->audio) {
        m_error = QStringLiteral("The file has no sound stream");
        return false;
    }
    FramePtr f(av_frame_alloc());
    f->format = AV_SAMPLE_FMT_S16;
    f->sample_rate = d->settings.sampleRate;
    av_channel_layout_default(&f->ch_layout, d->settings.channels);
    f->nb_samples = frames;
    f->extended_data = f->data;
    f->data[0] = reinterpret_cast<uint8_t*>(const_cast<std::int16_t*>(samples));
    const bool ok = d->output.encodeAudio(*d->audio, f.get(), 0, frames, &m_error);
    f->data[0] = nullptr;
    return ok;
}

bool MediaWriter::finish()
{
    if (!d->open)
        return false;
    d->open = false;
    if (d->video && !d->output.encodeVideo(*d->video, nullptr, 0, &m_error))
        return false;
    if (d->audio && !d->output.encodeAudio(*d->audio, nullptr, 0, 0, &m_error))
        return false;
    if (!d->output.finish(&m_error)) {
        d->output.abort();
        return false;
    }
    return true;
}

} // namespace platform
