#pragma once
// What the media component's parts share inside the platform layer: the
// output file (container, copied and encoded streams, written through the
// program's checked writer and put in place only when whole) and small
// helpers over FFmpeg. Not for other layers.
#include "platform/text/TextFile.h"

#include <QFile>
#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform::av {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// FFmpeg's text for an error code.
QString avError(int code);

inline QByteArray nativePath(const QString& path) { return QFile::encodeName(path); }

// Extensions whose files carry sound only, whatever the container could hold.
bool isSoundOnlyExtension(const QString& ext);

// The container a target's extension names; nullptr for none we write.
const AVOutputFormat* formatFor(const QString& target);

inline bool isPcm(AVCodecID id) { return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT; }

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
    int swrRate = 0, swrFormat = -1; // what the converter was made for
    AVChannelLayout swrLayout{};
    AVAudioFifo* fifo = nullptr;
    int frameSize = 1024;
    int64_t nextSample = 0;
    ~Encoder();
};

// How a picture stream is encoded, where the usual way does not fit.
struct VideoTuning {
    bool exactRate = false; // the rate asked for, even one MPEG players rarely meet
    int quantiser = 0;      // fixed quantiser of the MPEG encoders; 0 = the usual one
    bool stillPictures = false; // nothing moves between frames: no motion search
    bool fromRgb = false;       // frames come from RGB pictures: the stream names the matrix used
};

// The file being written: container, streams, encoders, temporary name.
class Output {
public:
    Output() = default;
    ~Output() { abort(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool open(const QString& target, QString* error);

    const AVOutputFormat* format() const { return m_format; }
    bool soundOnly() const { return m_soundOnly; }

    // Whether a stream of this codec can be copied into the container unchanged.
    bool takesAsIs(AVCodecID id, AVMediaType type) const;

    AVStream* addCopy(const AVStream* in, QString* error);

    Encoder* addVideo(int width, int height, AVRational rate, const QString& encoderName, QString* error,
                      const VideoTuning& tuning = {});

    Encoder* addAudio(int sampleRate, const AVChannelLayout& layout, const QString& encoderName, QString* error);

    bool begin(QString* error);

    // A packet in `from` units for stream `st`.
    bool write(AVPacket* pkt, AVStream* st, AVRational from, QString* error);

    // A decoded picture (any size and pixel format); nullptr flushes.
    bool encodeVideo(Encoder& e, const AVFrame* src, int64_t pts, QString* error);
    // The encoder's own frame as it stands, once more at `pts` (a picture
    // converted once and shown for several frames).
    bool encodeAgain(Encoder& e, int64_t pts, QString* error);

    // Decoded sound, samples [skip, skip + count) of the frame; nullptr flushes.
    bool encodeAudio(Encoder& e, const AVFrame* src, int skip, int count, QString* error);

    bool finish(QString* error);

    void abort();

    std::vector<std::unique_ptr<Encoder>> encoders;

private:
    Encoder* finishEncoder(std::unique_ptr<Encoder> enc, const AVCodec* codec, QString* error);

    bool sendFrame(Encoder& e, AVFrame* frame, QString* error);

    bool resampleInto(Encoder& e, const uint8_t** in, int count, QString* error);

    bool drainFifo(Encoder& e, bool last, QString* error);

    bool openFile(QString* error);
    void closeFile();
    // Why the file could not be written: the program's error number and text
    // when the file system refused ("Error: 61 - Disk full"), else FFmpeg's.
    QString writeFailure(int code) const;
    static int writeBytes(void* opaque, uint8_t* data, int size);
    static int64_t seekTo(void* opaque, int64_t offset, int whence);

    QString m_target;
    std::unique_ptr<SafeFile> m_file; // the checked writer every file of the program goes through
    AVIOContext* m_io = nullptr;
    const AVOutputFormat* m_format = nullptr;
    AVFormatContext* m_oc = nullptr;
    bool m_soundOnly = false;
    bool m_headerWritten = false;
    int64_t m_packets = 0;
};

inline double seconds(int64_t ts, AVRational tb) { return ts == AV_NOPTS_VALUE ? NAN : double(ts) * av_q2d(tb); }

struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};

// A media file opened for reading packets.
class Input {
public:
    bool open(const QString& path, QString* error);
    AVFormatContext* ctx() const { return m_ic.get(); }
    QString path() const { return m_path; }
    // The file's start time in a stream's units (0 when it has none).
    int64_t startIn(const AVStream* st) const;
    // Only the end of the file ends it: any other failure is reported.
    enum class Read { Packet, End, Failed };
    Read read(AVPacket* pkt, QString* error);

private:
    std::unique_ptr<AVFormatContext, InputCloser> m_ic;
    QString m_path;
};

// Gives a packet without a duration one from its stream's frame rate or from
// the samples it holds.
void fillDuration(AVPacket* pkt, const AVStream* st);

} // namespace platform::av
