#include "platform/media/MediaConverter.h"
#include "platform/core/LibraryLoad.h"

#include "platform/media/AvSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHash>
#include <QSysInfo>
#include <QThread>

#include <deque>
#include <sys/stat.h>

namespace platform {
namespace {

using namespace av;

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
        PacketPtr pkt(av_packet_alloc());
        for (;;) {
            if (stopAsked(error))
                return false;
            const int r = av_read_frame(m_in.get(), pkt.get());
            if (r == AVERROR(EAGAIN))
                continue;
            if (r < 0)
                break; // the end, or a damaged tail that ends the clip where the damage starts
            if (!takePacket(pkt.get(), error))
                return false;
            if (std::all_of(m_routes.begin(), m_routes.end(), [](const auto& r) { return r->done; }))
                break;
        }
        return startAtTheEnd(error) && flushRoutes(error);
    }

    bool stopAsked(QString* error)
    {
        if (!m_cancel || !m_cancel->load())
            return false;
        m_stopped = true;
        *error = QStringLiteral("The conversion was stopped");
        return true;
    }

    // A packet read from the source: held while the clip's start is still
    // looked for, written with those held once it is found, else written.
    bool takePacket(AVPacket* pkt, QString* error)
    {
        const Route* route = m_byIndex.value(pkt->stream_index);
        if (!route) {
            av_packet_unref(pkt);
            return true;
        }
        if (!std::isnan(m_origin)) {
            const bool ok = feed(pkt, error);
            av_packet_unref(pkt);
            return ok;
        }
        lookForStart(pkt, *route);
        m_held.push_back(PacketPtr(av_packet_clone(pkt)));
        av_packet_unref(pkt);
        return std::isnan(m_origin) || feedHeld(error);
    }

    // The clip starts at the last key frame of the copied pictures at or
    // before the marked start, found once a picture after the mark comes;
    // or at the first key frame after the mark where none came before it.
    void lookForStart(const AVPacket* pkt, const Route& route)
    {
        const double t = packetTime(pkt, route.in);
        if (!route.video || !route.out || std::isnan(t))
            return;
        const bool key = pkt->flags & AV_PKT_FLAG_KEY;
        if (t <= m_start + 1e-6) {
            if (key) {
                m_lastKey = t;
                // What lies well before this key frame is not needed.
                std::erase_if(m_held, [&](const PacketPtr& p) {
                    const double ht = packetTime(p.get(), m_byIndex.value(p->stream_index)->in);
                    return !std::isnan(ht) && ht < m_lastKey - 1.0;
                });
            }
        } else if (!std::isnan(m_lastKey)) {
            m_origin = m_lastKey;
        } else if (key) {
            m_origin = t;
        }
    }

    bool feedHeld(QString* error)
    {
        for (auto& p : m_held)
            if (!feed(p.get(), error))
                return false;
        m_held.clear();
        return true;
    }

    // A source that ended while the start was still looked for: the clip
    // starts at the last key frame before the mark, or at the mark.
    bool startAtTheEnd(QString* error)
    {
        if (!std::isnan(m_origin))
            return true;
        m_origin = std::isnan(m_lastKey) ? m_start : m_lastKey;
        return feedHeld(error);
    }

    // Flushes the decoders, then the encoders.
    bool flushRoutes(QString* error)
    {
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
    // While the start is looked for: the packets read, and the last key
    // frame of the copied pictures at or before the marked start.
    std::deque<PacketPtr> m_held;
    double m_lastKey = NAN;
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
    if (ConvertResult r; !mediaLibrariesLoaded(&r.error))
        return r;
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
    const ConvertJob job = m_job;
    return StartJob([this, job](const std::atomic<bool>* cancel, const StatusReport&) {
        return convertMedia(job, cancel, [this](double f) {
            QMetaObject::invokeMethod(this, [this, f] { emit Progress(f); }, Qt::QueuedConnection);
        });
    });
}

bool MediaConverter::StartJob(Job job)
{
    if (m_running)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_running = true;
    m_cancel = false;
    m_result = {};
    m_worker = std::thread([this, job = std::move(job)] {
        const ConvertResult result = job(&m_cancel, [this](const QString& text) {
            QMetaObject::invokeMethod(this, [this, text] { emit Status(text); }, Qt::QueuedConnection);
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

bool MediaConverter::waitForFinished(int msecs, bool userInput)
{
    QDeadlineTimer deadline(msecs);
    const auto flags = userInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    while (m_running && !deadline.hasExpired()) {
        QCoreApplication::processEvents(flags, 20);
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
