#pragma once
// A large picture file whose pixels are decoded only as they are needed:
// parts at the size they are shown, on a worker, and the whole picture once
// something needs every pixel, decoded on a worker thread or, when it is
// wanted at once, on the calling one (waiting for the worker if it is at it
// already). The controls that show one load share it; each runs the decodes
// it asks for through its own scheduler.
#include "platform/pictures/PictureParts.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// A decode a picture control asks of its large picture: the part `source`
// (in the picture's own pixels) at `size`.
struct PartRequest {
    QRect source;
    QSize size;
};

// What a decode gave: 0 or an imaging error code, and the image (there with
// an error too when the rows before the damage were decoded).
struct PartResult {
    int error = 0;
    QImage image;
};

// Where the decodes that a picture control asks of its large picture run.
// The program's own (decodingThreads) runs a part on the threads that
// decode the pictures on show, apart from the thumbnails, and brings what
// it gave back to the window's thread; and the whole picture, wanted at once
// by a command that needs every pixel, on the thread that wants it. Every
// control uses it unless its maker gives it another.
class PartScheduler {
public:
    using Decode = std::function<PartResult()>;
    using Done = std::function<void(const PartResult&)>;
    virtual ~PartScheduler() = default;
    // Asked on the window's thread: runs decode on a worker thread, then
    // done with what it gave on the window's thread, unless context is gone
    // by then.
    virtual void later(const PartRequest& request, Decode decode, QObject* context, Done done) = 0;
    // Runs decode of the whole picture (request: all of it at its own size)
    // now, on the calling thread.
    virtual PartResult now(const PartRequest& request, const Decode& decode) = 0;
};

// The program's decoding threads for the pictures on show.
PartScheduler& decodingThreads();

class PictureSource : public std::enable_shared_from_this<PictureSource> {
public:
    // The file's picture (a TIFF's page: 1 = the first) when it is large
    // enough to gain from being read in parts (see openPartialPicture);
    // nullptr otherwise, and when pages is -1 (every page from it on) and
    // the file holds pages after it.
    static std::shared_ptr<PictureSource> open(const QString& path, int page = 1, int pages = 1);
    PictureSource() = default;
    ~PictureSource();
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    // The name it was opened by.
    const QString& path() const { return m_path; }
    // The file opened was written over since: its parts are no longer this picture's.
    bool changed() const;

    QSize size() const { return {m_picture.info.width, m_picture.info.height}; }
    const PictureInfo& info() const { return m_picture.info; }
    // False for a picture too large to hold whole: it is only shown scaled.
    bool fitsInMemory() const { return m_fits; }

    // A part of the picture (in its own pixels) scaled to size, decoded on
    // a worker of the scheduler's; done(error, image) runs later on the UI
    // thread, unless context is gone by then. On damage within the part,
    // the error and what was decoded before the damage (see
    // readPicturePart): the rows before it.
    void partLater(PartScheduler& scheduler, const QRect& source, const QSize& size, QObject* context,
                   std::function<void(int, const QImage&)> done) const;

    // The whole picture, now, decoded through the scheduler unless it is
    // decoded already (err::NoMemory when it is too large to hold).
    int whole(PartScheduler& scheduler, QImage* out);
    // Starts decoding the whole picture on a worker thread unless it is done
    // or under way; done runs on the UI thread once it is ready, unless
    // context is gone by then.
    void wholeLater(QObject* context, std::function<void()> done);
    bool wholeReady() const;
    // The whole picture was decoded and failed (a damaged file).
    bool wholeFailed() const;

private:
    enum class State { Idle, Queued, Running, Done };
    int part(const QRect& source, const QSize& size, QImage* out) const;
    PartResult decodeWhole() const; // with the state set to Running by the caller
    void finish(PartResult result);

    PartialPicture m_picture; // its path reads the file held open
    QString m_path;
    int m_fd = -1;
    qint64 m_fileSize = 0;
    qint64 m_fileTime = 0; // last written, nanoseconds
    bool m_fits = true;
    mutable std::mutex m_lock;
    std::condition_variable m_doneSignal;
    State m_state = State::Idle;
    int m_error = 0;
    QImage m_whole;
    std::vector<std::function<void()>> m_waiting; // each posts its own done
};

// Pictures with fewer pixels than this are decoded whole at once, as before:
// decoding them in parts would save little.
constexpr qint64 kPartialPixels = qint64(4) * 1000 * 1000;

} // namespace platform
