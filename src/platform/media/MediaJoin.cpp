#include "platform/media/MediaJoin.h"
#include "platform/core/LibraryLoad.h"

#include "platform/media/AvSupport.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace platform {
namespace {

using namespace av;

bool cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

void report(const StatusReport& status, const QString& text)
{
    if (status)
        status(text);
}

const QString kTimeOutOfRange = QStringLiteral("A time in the file is out of range - the file is damaged");

// a + b, false when the sum leaves the range of media times (the lowest
// value means "no time").
bool addTimes(int64_t a, int64_t b, int64_t* sum)
{
    return !__builtin_add_overflow(a, b, sum) && *sum != AV_NOPTS_VALUE;
}

// A time in other units; false when it does not fit.
bool rescaleTime(int64_t t, AVRational from, AVRational to, int64_t* out, AVRounding rnd = AV_ROUND_NEAR_INF)
{
    *out = av_rescale_q_rnd(t, from, to, AVRounding(rnd | AV_ROUND_PASS_MINMAX));
    return *out != AV_NOPTS_VALUE && *out != INT64_MAX;
}

// One stream of the file being written, fed from one input stream at a time.
struct Track {
    bool video = false;
    AVStream* out = nullptr;           // copied packets go here,
    Encoder* encoder = nullptr;        // or are decoded and encoded here
    AVCodecContext* decoder = nullptr; // decoder of the current input stream
    const AVStream* in = nullptr;      // the current input stream
    int64_t inStart = 0;               // the current input's start, in its units
    int64_t offset = 0;                // where the current input begins in the output, in µs
    int64_t lastDts = AV_NOPTS_VALUE;  // the last decode time written, in the output's units
    int64_t stop = 0;                  // the greatest stop time written, in µs
    int64_t packets = 0;
    ~Track() { avcodec_free_context(&decoder); }
};

// The output side of a join or a replacement.
class Writer {
public:
    Output output;
    std::vector<std::unique_ptr<Track>> tracks;

    Track* addCopy(const AVStream* first, QString* error)
    {
        auto t = std::make_unique<Track>();
        t->video = first->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        t->out = output.addCopy(first, error);
        if (!t->out)
            return nullptr;
        tracks.push_back(std::move(t));
        return tracks.back().get();
    }

    Track* addEncoded(const AVStream* first, AVRational rate, const QString& encoderName, QString* error)
    {
        auto t = std::make_unique<Track>();
        const AVCodecParameters* par = first->codecpar;
        t->video = par->codec_type == AVMEDIA_TYPE_VIDEO;
        t->encoder = t->video ? output.addVideo(par->width, par->height, rate, {}, error)
                              : output.addAudio(par->sample_rate, par->ch_layout, encoderName, error);
        if (!t->encoder)
            return nullptr;
        tracks.push_back(std::move(t));
        return tracks.back().get();
    }

    // Points a track at a stream of the next input, which starts at `offset` µs.
    bool attach(Track& t, const Input& input, const AVStream* in, int64_t offset, QString* error)
    {
        avcodec_free_context(&t.decoder);
        t.in = in;
        t.inStart = input.startIn(in);
        if (t.inStart == AV_NOPTS_VALUE) // a start time out of range
            t.inStart = 0;
        t.offset = offset;
        if (!t.encoder)
            return true;
        const AVCodec* codec = avcodec_find_decoder(in->codecpar->codec_id);
        if (!codec) {
            *error = QStringLiteral("No decoder for the codec %1").arg(avcodec_get_name(in->codecpar->codec_id));
            return false;
        }
        t.decoder = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(t.decoder, in->codecpar);
        t.decoder->pkt_timebase = in->time_base;
        t.decoder->thread_count = 0;
        const int r = avcodec_open2(t.decoder, codec, nullptr);
        if (r < 0) {
            *error = QStringLiteral("Cannot start the decoder - ") + avError(r);
            return false;
        }
        return true;
    }

    bool feed(Track& t, AVPacket* pkt, QString* error)
    {
        fillDuration(pkt, t.in);
        if (!t.encoder)
            return copy(t, pkt, error);
        const int r = avcodec_send_packet(t.decoder, pkt);
        if (r < 0 && r != AVERROR(EAGAIN))
            return true; // a damaged packet is passed over
        return receive(t, error);
    }

    // The end of the current input: what the decoder still holds.
    bool drain(Track& t, QString* error)
    {
        if (!t.decoder)
            return true;
        avcodec_send_packet(t.decoder, nullptr);
        return receive(t, error);
    }

    bool finish(QString* error)
    {
        for (const auto& t : tracks) {
            if (!t->encoder)
                continue;
            if (t->video ? !output.encodeVideo(*t->encoder, nullptr, 0, error)
                         : !output.encodeAudio(*t->encoder, nullptr, 0, 0, error))
                return false;
        }
        return output.finish(error);
    }

    int64_t greatestStop() const
    {
        int64_t stop = 0;
        for (const auto& t : tracks)
            stop = std::max(stop, t->stop);
        return stop;
    }

private:
    // A packet's time moved to where its file begins in the output, in the
    // output's units; false when it leaves the range of times.
    static bool shiftTime(const Track& t, int64_t shift, int64_t* ts)
    {
        return *ts == AV_NOPTS_VALUE ||
               (addTimes(*ts, shift, ts) && rescaleTime(*ts, t.in->time_base, t.out->time_base, ts));
    }

    bool copy(Track& t, AVPacket* pkt, QString* error)
    {
        int64_t offset = 0, shift = 0, stop = 0;
        const int64_t duration = std::max<int64_t>(0, pkt->duration);
        if (!rescaleTime(t.offset, AV_TIME_BASE_Q, t.in->time_base, &offset, AV_ROUND_UP) ||
            !addTimes(offset, -t.inStart, &shift) || !shiftTime(t, shift, &pkt->pts) ||
            !shiftTime(t, shift, &pkt->dts) ||
            !rescaleTime(duration, t.in->time_base, t.out->time_base, &pkt->duration)) {
            *error = kTimeOutOfRange;
            return false;
        }
        // Decode times keep increasing across the joined files.
        if (pkt->dts != AV_NOPTS_VALUE && t.lastDts != AV_NOPTS_VALUE && pkt->dts <= t.lastDts) {
            if (!addTimes(t.lastDts, 1, &pkt->dts)) {
                *error = kTimeOutOfRange;
                return false;
            }
            if (pkt->pts != AV_NOPTS_VALUE && pkt->pts < pkt->dts)
                pkt->pts = pkt->dts;
        }
        if (pkt->dts != AV_NOPTS_VALUE)
            t.lastDts = pkt->dts;
        const int64_t at = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
        if (at != AV_NOPTS_VALUE) {
            if (!addTimes(at, pkt->duration, &stop) ||
                !rescaleTime(stop, t.out->time_base, AV_TIME_BASE_Q, &stop, AV_ROUND_UP)) {
                *error = kTimeOutOfRange;
                return false;
            }
            t.stop = std::max(t.stop, stop);
        }
        ++t.packets;
        return output.write(pkt, t.out, t.out->time_base, error);
    }

    bool receive(Track& t, QString* error)
    {
        FramePtr frame(av_frame_alloc());
        int r;
        while ((r = avcodec_receive_frame(t.decoder, frame.get())) >= 0) {
            const bool ok = encodeFrame(t, frame.get(), error);
            av_frame_unref(frame.get());
            if (!ok)
                return false;
        }
        return true;
    }

    bool encodeFrame(Track& t, AVFrame* frame, QString* error)
    {
        const int64_t ts = frame->best_effort_timestamp;
        int64_t at = t.stop, stop = 0;
        if (ts != AV_NOPTS_VALUE && (!addTimes(ts, -t.inStart, &at) ||
                                     !rescaleTime(at, t.in->time_base, AV_TIME_BASE_Q, &at) ||
                                     !addTimes(at, t.offset, &at))) {
            *error = kTimeOutOfRange;
            return false;
        }
        ++t.packets;
        if (t.video) {
            const AVRational rate = t.encoder->ctx->framerate;
            int64_t pts = 0;
            if (!rescaleTime(at, AV_TIME_BASE_Q, av_inv_q(rate), &pts) || !addTimes(pts, 1, &stop) ||
                !rescaleTime(stop, av_inv_q(rate), AV_TIME_BASE_Q, &stop)) {
                *error = kTimeOutOfRange;
                return false;
            }
            t.stop = std::max(t.stop, stop);
            return output.encodeVideo(*t.encoder, frame, pts, error);
        }
        if (frame->sample_rate > 0) {
            if (!addTimes(at, av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, AV_TIME_BASE_Q), &stop)) {
                *error = kTimeOutOfRange;
                return false;
            }
            t.stop = std::max(t.stop, stop);
        }
        return output.encodeAudio(*t.encoder, frame, 0, frame->nb_samples, error);
    }
};

QByteArray bytesOf(const uint8_t* data, int size)
{
    return size > 0 && data ? QByteArray(reinterpret_cast<const char*>(data), size) : QByteArray();
}

void readVideoFacts(const AVStream* st, MediaInfo* info)
{
    const AVCodecParameters* par = st->codecpar;
    info->videoCodec = par->codec_id;
    info->videoCodecName = QString::fromLatin1(avcodec_get_name(par->codec_id));
    info->width = par->width;
    info->height = par->height;
    info->pixelFormat = par->format;
    info->bitCount = par->bits_per_coded_sample;
    if (info->bitCount <= 0)
        if (const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(par->format)))
            info->bitCount = av_get_bits_per_pixel(d);
    const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    info->frameRate = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
    info->videoExtradata = bytesOf(par->extradata, par->extradata_size);
}

void readAudioFacts(const AVStream* st, MediaInfo* info)
{
    const AVCodecParameters* par = st->codecpar;
    info->audioCodec = par->codec_id;
    info->sampleRate = par->sample_rate;
    info->channels = par->ch_layout.nb_channels;
    info->sampleFormat = par->format;
    info->blockAlign = par->block_align;
    info->bitsPerSample = par->bits_per_coded_sample;
    info->audioExtradata = bytesOf(par->extradata, par->extradata_size);
}

bool sameVideoCoding(const MediaInfo& a, const MediaInfo& b)
{
    return a.videoCodec == b.videoCodec && a.width == b.width && a.height == b.height &&
           a.pixelFormat == b.pixelFormat && a.videoExtradata == b.videoExtradata;
}

bool sameAudioCoding(const MediaInfo& a, const MediaInfo& b)
{
    return a.audioCodec == b.audioCodec && a.sampleRate == b.sampleRate && a.channels == b.channels &&
           a.sampleFormat == b.sampleFormat && a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample &&
           a.audioExtradata == b.audioExtradata;
}

bool sameProperties(const MediaInfo& first, const MediaInfo& other)
{
    if ((first.videoStream >= 0) != (other.videoStream >= 0) || (first.audioStream >= 0) != (other.audioStream >= 0))
        return false;
    if (first.videoStream < 0)
        return true;
    // A rate that cannot be compared (the first file's is 0) is no match.
    return first.videoCodec == other.videoCodec && first.width == other.width && first.height == other.height &&
           first.bitCount == other.bitCount && first.frameRate > 0 &&
           std::abs(first.frameRate - other.frameRate) / first.frameRate <= 0.01;
}

// Empty names and a target that is one of the sources are refused.
bool checkTarget(const QString& target, const QStringList& sources, QString* error)
{
    if (target.trimmed().isEmpty()) {
        *error = QStringLiteral("Enter the path and name of the destination file.");
        return false;
    }
    for (const QString& s : sources)
        if (sameFile(s, target)) {
            *error = QStringLiteral("The destination file cannot be one of the source files - ") + target;
            return false;
        }
    return true;
}

} // namespace

QString writingFileText(int n, const QString& path)
{
    return QStringLiteral("Writing File ") + QString::number(n) + QStringLiteral(" (") + path + QLatin1Char(')');
}

bool GetMediaInfo(const QString& path, MediaInfo* info, QString* error)
{
    *info = {};
    Input input;
    if (!input.open(path, error))
        return false;
    const AVFormatContext* ic = input.ctx();
    for (unsigned i = 0; i < std::min(2u, ic->nb_streams); ++i) {
        const AVStream* st = ic->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && info->videoStream < 0) {
            info->videoStream = int(i);
            readVideoFacts(st, info);
        } else if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && info->audioStream < 0) {
            info->audioStream = int(i);
            readAudioFacts(st, info);
        }
    }
    return true;
}

bool VerifyInputFiles(const QStringList& files, QString* error, std::vector<MediaInfo>* infos)
{
    if (files.isEmpty() || files.first().isEmpty()) {
        *error = kListEmpty;
        return false;
    }
    std::vector<MediaInfo> found;
    for (const QString& file : files) {
        if (file.isEmpty())
            break;
        MediaInfo info;
        if (!GetMediaInfo(file, &info, error))
            return false;
        if (!found.empty() && !sameProperties(found.front(), info)) {
            *error = kFilesDiffer;
            return false;
        }
        found.push_back(info);
    }
    if (infos)
        *infos = std::move(found);
    return true;
}

namespace {

// The outcome of a job over the writer: how its streams were written, and no
// partial file when it failed.
ConvertResult jobResult(bool ok, const QString& error, bool stopped, Writer& writer)
{
    ConvertResult r;
    r.ok = ok;
    r.error = error;
    r.stopped = stopped;
    for (const auto& t : writer.tracks)
        (t->encoder ? r.encodedStreams : r.copiedStreams)++;
    if (!ok)
        writer.output.abort();
    return r;
}

} // namespace

// ---------------------------------------------------------------- join

namespace {

class Joiner {
public:
    Joiner(const JoinJob& job, const std::atomic<bool>* cancel, const StatusReport& status)
        : m_job(job), m_cancel(cancel), m_status(status)
    {
    }

    ConvertResult run()
    {
        QString error;
        const bool ok = join(&error);
        return jobResult(ok, error, m_stopped, m_writer);
    }

private:
    bool join(QString* error)
    {
        report(m_status, kVerifyingFiles);
        if (!VerifyInputFiles(m_job.sources, error, &m_infos))
            return false;
        m_files = m_job.sources.mid(0, qsizetype(m_infos.size()));
        if (!checkTarget(m_job.target, m_files, error))
            return false;
        Input first;
        if (!first.open(m_files.first(), error))
            return phase(kJoinStartError, error);
        if (!m_writer.output.open(m_job.target, error))
            return phase(kJoinTargetError, error);
        if (!addTracks(first, error))
            return phase(kJoinTypesError, error);
        if (!m_writer.output.begin(error))
            return phase(kJoinTargetError, error);
        for (int n = 0; n < m_files.size(); ++n) {
            report(m_status, writingFileText(n, m_files.at(n)));
            Input next;
            Input& input = n == 0 ? first : next;
            if ((n > 0 && !next.open(m_files.at(n), error)) || !copyFile(input, m_infos.at(size_t(n)), error))
                return m_stopped ? false : phase(kJoinStartError, error);
        }
        if (!m_writer.finish(error))
            return phase(kJoinEndError, error);
        return true;
    }

    static bool phase(const QString& text, QString* error)
    {
        *error = error->isEmpty() ? text : text + QLatin1Char('\n') + *error;
        return false;
    }

    bool addTracks(const Input& first, QString* error)
    {
        const MediaInfo& head = m_infos.front();
        Output& out = m_writer.output;
        if (head.videoStream >= 0 && !out.soundOnly()) {
            const AVStream* st = first.ctx()->streams[head.videoStream];
            const bool copy = out.takesAsIs(st->codecpar->codec_id, AVMEDIA_TYPE_VIDEO) &&
                              std::all_of(m_infos.begin(), m_infos.end(),
                                          [&](const MediaInfo& i) { return sameVideoCoding(head, i); });
            m_video = copy ? m_writer.addCopy(st, error)
                           : m_writer.addEncoded(st, av_guess_frame_rate(first.ctx(), const_cast<AVStream*>(st), nullptr),
                                                 {}, error);
            if (!m_video)
                return false;
        }
        if (head.audioStream >= 0) {
            const AVStream* st = first.ctx()->streams[head.audioStream];
            const AVCodecID id = st->codecpar->codec_id;
            const bool takes = out.takesAsIs(id, AVMEDIA_TYPE_AUDIO);
            const bool copy = takes && std::all_of(m_infos.begin(), m_infos.end(),
                                                   [&](const MediaInfo& i) { return sameAudioCoding(head, i); });
            // Converted sound keeps the first file's PCM coding where the container takes it.
            const AVCodec* pcm = isPcm(id) && takes ? avcodec_find_encoder(id) : nullptr;
            m_audio = copy ? m_writer.addCopy(st, error)
                           : m_writer.addEncoded(st, {}, pcm ? QString::fromLatin1(pcm->name) : QString(), error);
            if (!m_audio)
                return false;
        }
        if (!m_video && !m_audio) {
            *error = QStringLiteral("The files hold nothing that this file type can take");
            return false;
        }
        return true;
    }

    // Copies one file; the next one starts where its longest stream stopped.
    bool copyFile(Input& input, const MediaInfo& info, QString* error)
    {
        AVFormatContext* ic = input.ctx();
        const int64_t offset = m_writer.greatestStop();
        Track* byIndex[2] = {nullptr, nullptr};
        if (m_video && info.videoStream >= 0) {
            byIndex[info.videoStream] = m_video;
            if (!m_writer.attach(*m_video, input, ic->streams[info.videoStream], offset, error))
                return false;
        }
        if (m_audio && info.audioStream >= 0) {
            byIndex[info.audioStream] = m_audio;
            if (!m_writer.attach(*m_audio, input, ic->streams[info.audioStream], offset, error))
                return false;
        }
        for (unsigned i = 0; i < ic->nb_streams; ++i)
            ic->streams[i]->discard = i < 2 && byIndex[i] ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        PacketPtr pkt(av_packet_alloc());
        for (;;) {
            if (cancelled(m_cancel)) {
                m_stopped = true;
                *error = QStringLiteral("The join was stopped");
                return false;
            }
            const Input::Read r = input.read(pkt.get(), error);
            if (r == Input::Read::End)
                break;
            if (r == Input::Read::Failed)
                return false;
            Track* t = pkt->stream_index < 2 ? byIndex[pkt->stream_index] : nullptr;
            const bool ok = !t || m_writer.feed(*t, pkt.get(), error);
            av_packet_unref(pkt.get());
            if (!ok)
                return false;
        }
        for (Track* t : byIndex)
            if (t && !m_writer.drain(*t, error))
                return false;
        return true;
    }

    JoinJob m_job;
    const std::atomic<bool>* m_cancel;
    StatusReport m_status;
    Writer m_writer;
    std::vector<MediaInfo> m_infos;
    QStringList m_files;
    Track* m_video = nullptr;
    Track* m_audio = nullptr;
    bool m_stopped = false;
};

} // namespace

ConvertResult JoinVideoFiles(const JoinJob& job, const std::atomic<bool>* cancel, const StatusReport& status)
{
    if (ConvertResult r; !mediaLibrariesLoaded(&r.error))
        return r;
    return Joiner(job, cancel, status).run();
}

// ---------------------------------------------------------------- audio replacement

namespace {

class Replacer {
public:
    Replacer(const ReplaceAudioJob& job, const std::atomic<bool>* cancel, const StatusReport& status)
        : m_job(job), m_cancel(cancel), m_status(status)
    {
    }

    ConvertResult run()
    {
        QString error;
        const bool ok = ReplaceAudio(&error);
        return jobResult(ok, error, m_stopped, m_writer);
    }

private:
    // One source: the file and the stream it gives.
    struct Source {
        Input input;
        const AVStream* stream = nullptr;
        Track* track = nullptr;
        PacketPtr next{av_packet_alloc()};
        bool ended = false;
    };

    bool ReplaceAudio(QString* error)
    {
        if (m_job.video.trimmed().isEmpty() || m_job.audio.trimmed().isEmpty()) {
            *error = QStringLiteral("Enter the source video file and the source audio file.");
            return false;
        }
        if (!checkTarget(m_job.target, {m_job.video, m_job.audio}, error))
            return false;
        report(m_status, kPrepareVideo);
        if (!PrepareSource(m_video, m_job.video, AVMEDIA_TYPE_VIDEO, error))
            return false;
        report(m_status, kPrepareAudio);
        if (!PrepareSource(m_audio, m_job.audio, AVMEDIA_TYPE_AUDIO, error))
            return false;
        report(m_status, kPrepareDestination);
        if (!prepareDestination(error))
            return false;
        report(m_status, kCopyVideo);
        if (!CopySamples(error))
            return false;
        return m_writer.finish(error);
    }

    // The file is opened and must hold a stream of the kind.
    bool PrepareSource(Source& source, const QString& file, AVMediaType kind, QString* error)
    {
        if (!source.input.open(file, error))
            return false;
        const int index = HasStream(source.input, kind);
        if (index < 0) {
            *error = QStringLiteral("Error: ") + file +
                     (kind == AVMEDIA_TYPE_VIDEO ? QStringLiteral(" does not contain a video stream")
                                                 : QStringLiteral(" does not contain an audio stream"));
            return false;
        }
        AVFormatContext* ic = source.input.ctx();
        for (unsigned i = 0; i < ic->nb_streams; ++i)
            ic->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        source.stream = ic->streams[index];
        return true;
    }

    // The number of the file's stream of that kind, -1 for none.
    static int HasStream(const Input& input, AVMediaType kind)
    {
        const int index = av_find_best_stream(input.ctx(), kind, -1, -1, nullptr, 0);
        if (index < 0 || (kind == AVMEDIA_TYPE_VIDEO &&
                          (input.ctx()->streams[index]->disposition & AV_DISPOSITION_ATTACHED_PIC)))
            return -1;
        return index;
    }

    bool prepareDestination(QString* error)
    {
        Output& out = m_writer.output;
        if (!out.open(m_job.target, error))
            return false;
        if (out.soundOnly()) {
            *error = QStringLiteral("This file type cannot hold video - ") + QFileInfo(m_job.target).fileName();
            return false;
        }
        for (Source* s : {&m_video, &m_audio}) {
            const AVStream* st = s->stream;
            const AVRational rate = av_guess_frame_rate(s->input.ctx(), const_cast<AVStream*>(st), nullptr);
            s->track = out.takesAsIs(st->codecpar->codec_id, st->codecpar->codec_type)
                           ? m_writer.addCopy(st, error)
                           : m_writer.addEncoded(st, rate, {}, error);
            if (!s->track || !m_writer.attach(*s->track, s->input, st, 0, error))
                return false;
        }
        return out.begin(error);
    }

    // Moves both streams whole into the destination, the earlier packet first.
    bool CopySamples(QString* error)
    {
        if (!readNext(m_video, error) || !readNext(m_audio, error))
            return false;
        bool audioShown = false;
        while (!m_video.ended || !m_audio.ended) {
            if (cancelled(m_cancel)) {
                m_stopped = true;
                *error = QStringLiteral("The replacement was stopped");
                return false;
            }
            if (m_video.ended && !audioShown) {
                report(m_status, kCopyAudio);
                audioShown = true;
            }
            Source& s = m_audio.ended || (!m_video.ended && timeOf(m_video) <= timeOf(m_audio)) ? m_video : m_audio;
            const bool ok = m_writer.feed(*s.track, s.next.get(), error);
            av_packet_unref(s.next.get());
            if (!ok || !readNext(s, error))
                return false;
        }
        if (!audioShown)
            report(m_status, kCopyAudio);
        return m_writer.drain(*m_video.track, error) && m_writer.drain(*m_audio.track, error);
    }

    // The next packet of the source's stream; only the end of the file ends it.
    bool readNext(Source& s, QString* error)
    {
        while (!s.ended) {
            const Input::Read r = s.input.read(s.next.get(), error);
            if (r == Input::Read::Failed)
                return false;
            if (r == Input::Read::End) {
                s.ended = true;
                break;
            }
            if (s.next->stream_index == s.stream->index)
                return true;
            av_packet_unref(s.next.get());
        }
        return true;
    }

    // A packet's time from its file's start, in seconds.
    static double timeOf(const Source& s)
    {
        const AVPacket* p = s.next.get();
        const int64_t ts = p->dts != AV_NOPTS_VALUE ? p->dts : p->pts;
        if (ts == AV_NOPTS_VALUE)
            return -1; // untimed: written at once
        return (double(ts) - double(s.input.startIn(s.stream))) * av_q2d(s.stream->time_base);
    }

    ReplaceAudioJob m_job;
    const std::atomic<bool>* m_cancel;
    StatusReport m_status;
    Writer m_writer;
    Source m_video, m_audio;
    bool m_stopped = false;
};

} // namespace

ConvertResult ReplaceAudio(const ReplaceAudioJob& job, const std::atomic<bool>* cancel, const StatusReport& status)
{
    if (ConvertResult r; !mediaLibrariesLoaded(&r.error))
        return r;
    return Replacer(job, cancel, status).run();
}

} // namespace platform
