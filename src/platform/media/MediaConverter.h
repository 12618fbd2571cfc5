#pragma once
// The media conversion component, over FFmpeg's libraries.
//
// A conversion reads a source file, keeps a time range of it and writes a
// target file whose extension picks the container. Streams the container
// takes as they are are copied packet by packet; the others are decoded and
// encoded with the container's own codecs. Everything is written to a
// temporary file in the target's folder that is renamed over the target only
// when the whole file was written, so a failed or stopped conversion leaves an
// existing target as it was. A source is never written: a target that is the
// source file (by any name) is refused.
//
// MediaWriter writes a new file from pictures and sound samples that the
// program hands it (the same temporary-file rule).
#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace platform {

struct ConvertJob {
    QString source;
    QString target;
    double start = 0; // seconds
    double end = -1;  // seconds; negative = to the end of the source
};

struct ConvertResult {
    bool ok = false;
    bool stopped = false; // the cancel flag ended it
    QString error;
    int copiedStreams = 0;
    int encodedStreams = 0;
};

// Runs one conversion on the calling thread. `cancel` is read between
// packets; `progress` is called with 0..1.
ConvertResult convertMedia(const ConvertJob& job, const std::atomic<bool>* cancel = nullptr,
                           const std::function<void(double)>& progress = {});

// True when both names lead to one file (links and hard links included).
bool sameFile(const QString& a, const QString& b);

// True when the target's extension names a container the component writes.
bool canWriteFormat(const QString& target);

// Status texts a job reports as it goes (called on the job's thread).
using StatusReport = std::function<void(const QString& text)>;

// The convert control: one conversion at a time on a worker thread; its
// outcome is reported on the thread that owns the object.
class MediaConverter : public QObject {
    Q_OBJECT
public:
    enum ConvertState { StateStopped = 0, StateRunning = 2 };
    // A whole media job (a conversion, a join, an audio replacement).
    using Job = std::function<ConvertResult(const std::atomic<bool>* cancel, const StatusReport& status)>;

    explicit MediaConverter(QObject* parent = nullptr);
    ~MediaConverter() override; // stops a running conversion and waits for it

    QString SourceFile() const { return m_job.source; }
    void setSourceFile(const QString& path) { m_job.source = path; }
    QString TargetFile() const { return m_job.target; }
    void setTargetFile(const QString& path) { m_job.target = path; }
    double SelectionStart() const { return m_job.start; }
    void setSelectionStart(double seconds) { m_job.start = seconds; }
    double SelectionEnd() const { return m_job.end; }
    void setSelectionEnd(double seconds) { m_job.end = seconds; }

    // Starts the conversion and returns at once. False when one is running
    // already; every other refusal or failure arrives as Failed.
    bool StartConvert();
    // Runs another media job the same way: Status texts, then Complete,
    // Failed or Stopped. False when a job is running already.
    bool StartJob(Job job);
    // Asks a running conversion to stop; Stopped follows.
    void StopConvert();
    int State() const { return m_running ? StateRunning : StateStopped; }
    const ConvertResult& LastResult() const { return m_result; }

    // Lets the event loop run until the conversion ended (tests, tools);
    // without user input, clicks and keys wait until it returns.
    bool waitForFinished(int msecs, bool userInput = true);

signals:
    void Progress(double fraction);
    void Status(const QString& text);
    void Complete();
    void Failed(const QString& reason);
    void Stopped();

private:
    void finished(const ConvertResult& result);
    ConvertJob m_job;
    ConvertResult m_result;
    bool m_running = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};

// Writes a new media file from pictures and 16-bit sound samples.
struct WriterSettings {
    int width = 0, height = 0; // 0 = no picture stream
    double framesPerSecond = 15;
    int sampleRate = 0, channels = 0; // 0 = no sound stream
    QString videoEncoder, audioEncoder; // encoder names; empty = the container's own
};

class MediaWriter {
public:
    MediaWriter();
    ~MediaWriter(); // a writer not finished leaves nothing behind
    MediaWriter(const MediaWriter&) = delete;
    MediaWriter& operator=(const MediaWriter&) = delete;

    bool open(const QString& target, const WriterSettings& settings);
    // One frame; a picture of another size is scaled to the stream's size.
    bool writeFrame(const QImage& picture);
    // Interleaved samples, `frames` per channel.
    bool writeAudio(const std::int16_t* samples, int frames);
    // Flushes, closes and renames the file into place.
    bool finish();
    QString error() const { return m_error; }

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString m_error;
};

} // namespace platform
