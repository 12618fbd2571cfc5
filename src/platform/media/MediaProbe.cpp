#include "platform/media/MediaProbe.h"
#include "platform/core/LibraryLoad.h"

#include "platform/media/AvSupport.h"

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

namespace platform {

using namespace av;

namespace {

QString tagOf(const AVFormatContext* ic, std::initializer_list<const char*> keys)
{
    // The file's own tags first, then those its streams carry (Ogg keeps them there).
    QList<const AVDictionary*> dicts = {ic->metadata};
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        dicts << ic->streams[i]->metadata;
    for (const AVDictionary* dict : dicts)
        for (const char* key : keys)
            if (const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0); e && e->value && *e->value)
                return QString::fromUtf8(e->value).trimmed();
    return {};
}

// Files of the RIFF family store the Windows codes themselves.
bool isRiffFile(const AVFormatContext* ic)
{
    const QByteArray name(ic->iformat->name);
    return name == "avi" || name == "wav";
}

std::int64_t windowsCode(const AVFormatContext* ic, const AVCodecParameters* p, bool audio)
{
    if (isRiffFile(ic))
        return p->codec_tag;
    const AVCodecTag* const tables[] = {audio ? avformat_get_riff_audio_tags() : avformat_get_riff_video_tags(),
                                        nullptr};
    const unsigned tag = av_codec_get_tag(tables, p->codec_id);
    if (tag != 0 || p->codec_id == AV_CODEC_ID_RAWVIDEO)
        return tag;
    return p->codec_tag != 0 ? std::int64_t(p->codec_tag) : -1;
}

void readAudio(const AVFormatContext* ic, const AVStream* st, StreamFacts* s)
{
    const AVCodecParameters* p = st->codecpar;
    s->audioFormatTag = windowsCode(ic, p, true);
    s->audioSamplesPerSec = p->sample_rate > 0 ? p->sample_rate : -1;
    s->audioChannels = p->ch_layout.nb_channels > 0 ? p->ch_layout.nb_channels : -1;
    int bits = p->bits_per_coded_sample;
    if (bits <= 0)
        bits = av_get_bits_per_sample(p->codec_id);
    s->audioBitsPerSample = bits > 0 ? bits : -1;
    if (isPcm(p->codec_id) && bits > 0 && p->sample_rate > 0 && p->ch_layout.nb_channels > 0)
        s->audioAvgBytesPerSec = std::int64_t(p->sample_rate) * p->ch_layout.nb_channels * bits / 8;
    else if (p->bit_rate > 0)
        s->audioAvgBytesPerSec = p->bit_rate / 8;
}

// Bits per second of a picture stream: as the file states it, else from its index.
std::int64_t videoBitRate(AVStream* st, double duration)
{
    if (st->codecpar->bit_rate > 0)
        return st->codecpar->bit_rate;
    const int count = avformat_index_get_entries_count(st);
    std::int64_t bytes = 0;
    for (int i = 0; i < count; ++i)
        if (const AVIndexEntry* e = avformat_index_get_entry(st, i))
            bytes += e->size;
    if (bytes <= 0 || !(duration > 0))
        return -1;
    return std::llround(bytes * 8.0 / duration);
}

void readVideo(const AVFormatContext* ic, AVStream* st, double fileDuration, StreamFacts* s)
{
    const AVCodecParameters* p = st->codecpar;
    s->videoCompression = windowsCode(ic, p, false);
    s->videoWidth = p->width > 0 ? p->width : -1;
    s->videoHeight = p->height > 0 ? p->height : -1;
    AVRational rate = st->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = st->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        s->videoFrameRate = av_q2d(rate);
    double duration = seconds(st->duration, st->time_base);
    if (!(duration > 0))
        duration = fileDuration;
    if (st->nb_frames > 0)
        s->videoFrames = st->nb_frames;
    else if (duration > 0 && s->videoFrameRate > 0)
        s->videoFrames = std::llround(duration * s->videoFrameRate);
    s->videoBitRate = videoBitRate(st, duration);
    int bits = p->bits_per_coded_sample;
    if (bits <= 0)
        if (const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(p->format)))
            bits = av_get_bits_per_pixel(d);
    s->videoBitCount = bits > 0 ? bits : -1;
}

} // namespace

MediaFacts probeMedia(const QString& path)
{
    MediaFacts facts;
    if (!mediaLibrariesLoaded(&facts.error))
        return facts;
    AVFormatContext* raw = nullptr;
    int r = avformat_open_input(&raw, nativePath(path).constData(), nullptr, nullptr);
    if (r < 0) {
        facts.error = avError(r);
        return facts;
    }
    std::unique_ptr<AVFormatContext, InputCloser> ic(raw);
    if ((r = avformat_find_stream_info(raw, nullptr)) < 0) {
        facts.error = avError(r);
        return facts;
    }
    facts.ok = true;
    if (raw->duration > 0)
        facts.duration = double(raw->duration) / AV_TIME_BASE;
    if (raw->start_time != AV_NOPTS_VALUE)
        facts.start = double(raw->start_time) / AV_TIME_BASE;
    facts.tags.title = tagOf(raw, {"title"});
    facts.tags.author = tagOf(raw, {"author", "artist"});
    facts.tags.copyright = tagOf(raw, {"copyright"});
    facts.tags.description = tagOf(raw, {"comment", "description"});
    facts.tags.rating = tagOf(raw, {"rating"});
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        AVStream* st = raw->streams[i];
        StreamFacts s;
        if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            s.kind = StreamFacts::Audio;
            readAudio(raw, st, &s);
        } else if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            if (st->disposition & AV_DISPOSITION_ATTACHED_PIC)
                continue; // a cover picture, not a moving picture
            s.kind = StreamFacts::Video;
            readVideo(raw, st, facts.duration, &s);
        }
        facts.streams << s;
    }
    return facts;
}

} // namespace platform
