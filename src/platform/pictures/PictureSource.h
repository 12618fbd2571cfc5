#pragma once
// A large picture file whose pixels are decoded only as they are needed:
// parts at the size they are shown, on the calling thread or a worker, and
// the whole picture once something needs every pixel, decoded on a worker
// thread or, when it is wanted at once, on the calling one (waiting for the
// worker if it is at it already). The controls that show one load share it.
#include "platform/pictures/PictureParts.h"

#include <QImage>
#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

class PictureSource : public std::enable_shared_from_this<PictureSource> {
public:
    // The file's picture when it is large enough to gain from being read in
    // parts (see openPartialPicture); nullptr otherwise.
    static std::shared_ptr<PictureSource> open(const QString& path);
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

    // A part of the picture (in its own pixels) scaled to size, now; on
    // damage within it, the error and what was decoded before the damage
    // (see readPicturePart).
    int part(const QRect& source, const QSize& size, QImage* out) const;
    // The same on a worker thread; done(error, image) runs later on the UI
    // thread, unless context is gone by then. The image may be there with an
    // error: the rows before the damage.
    void partLater(const QRect& source, const QSize& size, QObject* context,
                   std::function<void(int, const QImage&)> done) const;

    // The whole picture, now (err::NoMemory when it is too large to hold).
    int whole(QImage* out);
    // Starts decoding the whole picture on a worker thread unless it is done
    // or under way; done runs on the UI thread once it is ready, unless
    // context is gone by then.
    void wholeLater(QObject* context, std::function<void()> done);
    bool wholeReady() const;
    // The whole picture was decoded and failed (a damaged file).
    bool wholeFailed() const;

private:
    enum class State { Idle, Queued, Running, Done };
    void decodeWhole(); // with the state set to Running by the caller
    void finish(int error, QImage image);

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

// What the large loads have decoded so far, for all of them together: how
// many times a whole picture, the most pixels one part decode gave, and how
// many parts were decoded on the UI thread (which paints never do).
struct DecodeCounts {
    int wholePictures = 0;
    qint64 largestPart = 0;
    int partsOnTheUiThread = 0;
};
DecodeCounts decodeCounts();
void resetDecodeCounts();

// For tests: runs as each part is asked of a worker, on the thread that asks,
// with the part (in the picture's pixels) and the size asked. An empty
// function removes it.
using PartHook = std::function<void(const QRect& source, const QSize& size)>;
void setPartHook(PartHook hook);

// Pictures with fewer pixels than this are decoded whole at once, as before:
// decoding them in parts would save little.
constexpr qint64 kPartialPixels = qint64(4) * 1000 * 1000;

} // namespace platform
