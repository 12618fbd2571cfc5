#include "platform/media/AvSupport.h"
#include "platform/core/ErrorNumbers.h"
#include "platform/core/LibraryLoad.h"

#include <QFileInfo>
#include <QSet>

#include <cerrno>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace platform::av {

QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

bool isSoundOnlyExtension(const QString& ext)
{
    static const QSet<QString> exts = {"MP3", "WAV", "WMA", "MID", "MIDI", "OGG", "OGA", "FLAC", "AAC",
                                       "M4A", "AU", "AIF", "AIFF", "MP2", "AC3", "OPUS", "SND"};
    return exts.contains(ext.toUpper());
}

const AVOutputFormat* formatFor(const QString& target)
{
    if (!mediaLibrariesLoaded())
        return nullptr;
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

Encoder::~Encoder()
{
    avcodec_free_context(&ctx);
    sws_freeContext(sws);
    av_frame_free(&frame);
    swr_free(&swr);
    av_channel_layout_uninit(&swrLayout);
    if (fifo)
        av_audio_fifo_free(fifo);
}

bool Output::open(const QString& target, QString* error)
{
    if (!mediaLibrariesLoaded(error))
        return false;
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
    if (!openFile(error))
        return false;
    const int r = avformat_alloc_output_context2(&m_oc, m_format, nullptr, nativePath(target).constData());
    if (r < 0 || !m_oc) {
        *error = QStringLiteral("Cannot prepare the file - ") + avError(r);
        return false;
    }
    // The longest a packet may wait in the muxer, as the ffmpeg command sets
    // it (0.7 s): with none, the MPEG muxer finds its buffers running dry and
    // logs "buffer underflow" thousands of times a clip.
    m_oc->max_delay = int(0.7 * AV_TIME_BASE);
    return true;
}

bool Output::takesAsIs(AVCodecID id, AVMediaType type) const
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

AVStream* Output::addCopy(const AVStream* in, QString* error)
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

namespace {

// swscale turns RGB pictures into YUV by BT.601, in the limited range but for
// the full-range "J" layouts. The stream says so: a player left to guess
// takes BT.709 for a large picture, and its greens would come out wrong.
void nameRgbConversion(AVCodecContext* c)
{
    c->colorspace = AVCOL_SPC_SMPTE170M;
    c->color_primaries = AVCOL_PRI_SMPTE170M;
    c->color_trc = AVCOL_TRC_SMPTE170M;
    const bool full = c->pix_fmt == AV_PIX_FMT_YUVJ420P || c->pix_fmt == AV_PIX_FMT_YUVJ422P ||
                      c->pix_fmt == AV_PIX_FMT_YUVJ444P;
    c->color_range = full ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
}

} // namespace

Encoder* Output::addVideo(int width, int height, AVRational rate, const QString& encoderName, QString* error,
                          const VideoTuning& tuning)
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
    if (rates && !tuning.exactRate)
        rate = rates[av_find_nearest_q_idx(rate, rates)];
    // The MPEG-1 and MPEG-2 encoders take any size; the others want even ones.
    const bool anySize = codec->id == AV_CODEC_ID_MPEG1VIDEO || codec->id == AV_CODEC_ID_MPEG2VIDEO;
    c->width = anySize ? std::max(1, width) : std::max(2, width & ~1);
    c->height = anySize ? std::max(1, height) : std::max(2, height & ~1);
    c->time_base = av_inv_q(rate);
    c->framerate = rate;
    c->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
    if (tuning.fromRgb)
        nameRgbConversion(c);
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
        c->global_quality = FF_QP2LAMBDA * (tuning.quantiser > 0 ? tuning.quantiser : 4);
        if (tuning.stillPictures)
            av_opt_set(c->priv_data, "motion_est", "zero", 0);
        if (codec->id == AV_CODEC_ID_MPEG2VIDEO) {
            // No B-frames are written: the stream says so, and a decoder
            // gives each frame out at once, at the time it was written with.
            c->max_b_frames = 0;
            c->flags |= AV_CODEC_FLAG_LOW_DELAY;
        }
        break;
    default: c->bit_rate = 4000000; break;
    }
    return finishEncoder(std::move(enc), codec, error);
}

Encoder* Output::addAudio(int sampleRate, const AVChannelLayout& layout, const QString& encoderName, QString* error)
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

// The file goes through SafeFile: a temporary file beside the target (of a
// name that fits the folder whatever the target's length), renamed over the
// target only when every byte was written.
bool Output::openFile(QString* error)
{
    m_file = std::make_unique<SafeFile>(m_target);
    if (m_file->open())
        return true;
    *error = QStringLiteral("Cannot write in the folder - ") + QFileInfo(m_target).absolutePath() +
             QStringLiteral(" (") + m_file->errorString() + QLatin1Char(')');
    m_file.reset();
    return false;
}

int Output::writeBytes(void* opaque, uint8_t* data, int size)
{
    SafeFile& file = *static_cast<Output*>(opaque)->m_file;
    // The system's reason goes on, so that a full disk is told as one.
    if (!file.write(QByteArray::fromRawData(reinterpret_cast<const char*>(data), size)))
        return AVERROR(file.systemError() ? file.systemError() : EIO);
    return size;
}

int64_t Output::seekTo(void* opaque, int64_t offset, int whence)
{
    SafeFile& file = *static_cast<Output*>(opaque)->m_file;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return file.size();
    case SEEK_SET: break;
    case SEEK_CUR: offset += file.position(); break;
    case SEEK_END: offset += file.size(); break;
    default: return AVERROR(EINVAL);
    }
    if (offset < 0)
        return AVERROR(EINVAL);
    return file.seek(offset) ? offset : AVERROR(file.systemError() ? file.systemError() : EIO);
}

QString Output::writeFailure(int code) const
{
    if (m_file && m_file->errorNumber() != 0)
        return QStringLiteral("Error: %1 - %2").arg(m_file->errorNumber()).arg(errorDescription(m_file->errorNumber()));
    return avError(code);
}

void Output::closeFile()
{
    if (m_oc)
        m_oc->pb = nullptr;
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

bool Output::begin(QString* error)
{
    constexpr int kBufferBytes = 256 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    m_io = buffer ? avio_alloc_context(buffer, kBufferBytes, 1, this, nullptr, &Output::writeBytes, &Output::seekTo)
                  : nullptr;
    if (!m_io) {
        av_free(buffer);
        *error = QStringLiteral("Cannot write the file - ") + avError(AVERROR(ENOMEM));
        return false;
    }
    m_oc->pb = m_io;
    m_oc->flags |= AVFMT_FLAG_CUSTOM_IO;
    int r = 0;
    m_oc->avoid_negative_ts = AVFMT_AVOID_NEG_TS_MAKE_NON_NEGATIVE;
    r = avformat_write_header(m_oc, nullptr);
    if (r < 0) {
        *error = QStringLiteral("Cannot write the file - ") + writeFailure(r);
        return false;
    }
    m_headerWritten = true;
    return true;
}

bool Output::write(AVPacket* pkt, AVStream* st, AVRational from, QString* error)
{
    av_packet_rescale_ts(pkt, from, st->time_base);
    pkt->stream_index = st->index;
    pkt->pos = -1;
    const int r = av_interleaved_write_frame(m_oc, pkt);
    if (r < 0) {
        *error = QStringLiteral("Cannot write the file - ") + writeFailure(r);
        return false;
    }
    ++m_packets;
    return true;
}

bool Output::encodeAgain(Encoder& e, int64_t pts, QString* error)
{
    if (pts <= e.lastPts)
        pts = e.lastPts + 1;
    e.lastPts = pts;
    e.frame->pts = pts;
    e.frame->quality = e.ctx->global_quality; // a fixed quantiser is read from each frame
    return sendFrame(e, e.frame, error);
}

bool Output::encodeVideo(Encoder& e, const AVFrame* src, int64_t pts, QString* error)
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
        e.frame->quality = e.ctx->global_quality; // a fixed quantiser is read from each frame
    }
    return sendFrame(e, src ? e.frame : nullptr, error);
}

bool Output::encodeAudio(Encoder& e, const AVFrame* src, int skip, int count, QString* error)
{
    if (src) {
        if (e.swr && (e.swrRate != src->sample_rate || e.swrFormat != src->format ||
                      av_channel_layout_compare(&e.swrLayout, &src->ch_layout) != 0)) {
            // Sound of another format follows (the next file of a join): the
            // samples still held are converted before the converter changes.
            if (!resampleInto(e, nullptr, 0, error))
                return false;
            swr_free(&e.swr);
        }
        if (!e.swr) {
            e.swrRate = src->sample_rate;
            e.swrFormat = src->format;
            av_channel_layout_uninit(&e.swrLayout);
            av_channel_layout_copy(&e.swrLayout, &src->ch_layout);
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

bool Output::finish(QString* error)
{
    if (!m_headerWritten) {
        *error = QStringLiteral("Nothing was written");
        return false;
    }
    const int written = av_write_trailer(m_oc);
    // The flush writes the last buffer: a full disk may show only there.
    avio_flush(m_io);
    if (const int r = written < 0 ? written : m_io->error; r < 0) {
        *error = QStringLiteral("Cannot finish the file - ") + writeFailure(r);
        return false;
    }
    closeFile();
    if (m_packets == 0) {
        *error = QStringLiteral("The marked range holds nothing to write");
        return false;
    }
    const bool committed = m_file->commit();
    if (!committed)
        *error = QStringLiteral("Cannot replace the file - ") + m_target + QStringLiteral(" (") + writeFailure(0) +
                 QLatin1Char(')');
    m_file.reset();
    return committed;
}

void Output::abort()
{
    encoders.clear();
    closeFile();
    if (m_oc) {
        avformat_free_context(m_oc);
        m_oc = nullptr;
    }
    m_file.reset(); // never committed: the target stays as it was
}

Encoder* Output::finishEncoder(std::unique_ptr<Encoder> enc, const AVCodec* codec, QString* error)
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
    // What the encoder tells the container of its stream (the MPEG encoders'
    // buffer and rates, which the MPEG muxer paces its packets by), as the
    // ffmpeg command hands it on.
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

bool Output::sendFrame(Encoder& e, AVFrame* frame, QString* error)
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

bool Output::resampleInto(Encoder& e, const uint8_t** in, int count, QString* error)
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

bool Output::drainFifo(Encoder& e, bool last, QString* error)
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

// ---------------------------------------------------------------- reading

bool Input::open(const QString& path, QString* error)
{
    m_ic.reset();
    if (!mediaLibrariesLoaded(error))
        return false;
    AVFormatContext* ic = nullptr;
    int r = avformat_open_input(&ic, nativePath(path).constData(), nullptr, nullptr);
    if (r < 0) {
        *error = QStringLiteral("Cannot open the file - ") + path + QStringLiteral(" (") + avError(r) + QLatin1Char(')');
        return false;
    }
    m_ic.reset(ic);
    if ((r = avformat_find_stream_info(ic, nullptr)) < 0) {
        *error = QStringLiteral("Cannot read the file - ") + path + QStringLiteral(" (") + avError(r) + QLatin1Char(')');
        m_ic.reset();
        return false;
    }
    m_path = path;
    return true;
}

int64_t Input::startIn(const AVStream* st) const
{
    const int64_t start = m_ic ? m_ic->start_time : AV_NOPTS_VALUE;
    return start == AV_NOPTS_VALUE ? 0 : av_rescale_q(start, AV_TIME_BASE_Q, st->time_base);
}

Input::Read Input::read(AVPacket* pkt, QString* error)
{
    for (int attempt = 0;; ++attempt) {
        const int r = av_read_frame(m_ic.get(), pkt);
        if (r >= 0)
            return Read::Packet;
        if (r == AVERROR_EOF)
            return Read::End;
        // A file that has nothing ready now is asked again, a few times.
        if (r == AVERROR(EAGAIN) && attempt < 100)
            continue;
        *error = QStringLiteral("Cannot read the file - ") + m_path + QStringLiteral(" (") + avError(r) + QLatin1Char(')');
        return Read::Failed;
    }
}

void fillDuration(AVPacket* pkt, const AVStream* st)
{
    if (pkt->duration > 0)
        return;
    const AVCodecParameters* par = st->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            pkt->duration = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), st->time_base));
    } else if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->sample_rate > 0) {
        const int samples = av_get_audio_frame_duration2(const_cast<AVCodecParameters*>(par), pkt->size);
        if (samples > 0)
            pkt->duration = av_rescale_q(samples, AVRational{1, par->sample_rate}, st->time_base);
    }
}

} // namespace platform::av
