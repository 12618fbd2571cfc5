#include "MediaSession.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QMediaMetaData>
#include <QThread>
#include <QTransform>
#include <QVideoSink>

#include <utility>

namespace platform::media {
namespace {

PixelLayout layoutOf(QVideoFrameFormat::PixelFormat format)
{
    using F = QVideoFrameFormat;
    switch (format) {
    case F::Format_YUV420P: return PixelLayout::Yuv420p;
    case F::Format_YV12: return PixelLayout::Yv12;
    case F::Format_YUV422P: return PixelLayout::Yuv422p;
    case F::Format_NV12: return PixelLayout::Nv12;
    case F::Format_NV21: return PixelLayout::Nv21;
    case F::Format_UYVY: return PixelLayout::Uyvy;
    case F::Format_YUYV: return PixelLayout::Yuyv;
    case F::Format_P010: return PixelLayout::P010;
    case F::Format_Y8: return PixelLayout::Gray8;
    case F::Format_Y16: return PixelLayout::Gray16;
    case F::Format_XRGB8888: return PixelLayout::Xrgb8888;
    case F::Format_ARGB8888: return PixelLayout::Argb8888;
    case F::Format_XBGR8888: return PixelLayout::Xbgr8888;
    case F::Format_ABGR8888: return PixelLayout::Abgr8888;
    case F::Format_RGBX8888: return PixelLayout::Rgbx8888;
    case F::Format_RGBA8888: return PixelLayout::Rgba8888;
    case F::Format_BGRX8888: return PixelLayout::Bgrx8888;
    case F::Format_BGRA8888: return PixelLayout::Bgra8888;
    default: return PixelLayout::Unknown;
    }
}

// The range and matrix the frame's YUV samples were made with; a frame
// that does not say is taken as most video is made: limited range, BT.601.
void setColoursOf(const QVideoFrameFormat& format, VideoPlanes& planes)
{
    using F = QVideoFrameFormat;
    planes.range = format.colorRange() == F::ColorRange_Full ? ColourRange::Full : ColourRange::Limited;
    switch (format.colorSpace()) {
    case F::ColorSpace_BT709: planes.matrix = ColourMatrix::Bt709; break;
    case F::ColorSpace_BT2020: planes.matrix = ColourMatrix::Bt2020; break;
    default: planes.matrix = ColourMatrix::Bt601; break;
    }
}

} // namespace

// The thread, and an object of its own there that ends its sessions.
struct MediaSession::Thread {
    QThread thread;
    QObject host;
};

namespace {

// The sessions' threads. Those still inside the engine at the program's end
// are left to it (leaveBesideMediaEngine); the others end with the program.
class SessionThreads {
public:
    MediaSession::Thread* take()
    {
        {
            const std::lock_guard guard(m_lock);
            ++m_inUse;
            if (!m_free.isEmpty())
                return m_free.takeLast();
        }
        static const bool quitsAtTheEnd = (qAddPostRoutine([] { sessionThreads().quitFree(); }), true);
        Q_UNUSED(quitsAtTheEnd);
        auto* t = new MediaSession::Thread;
        t->thread.setObjectName(QStringLiteral("MediaSession"));
        t->host.moveToThread(&t->thread);
        t->thread.start();
        return t;
    }
    void ending()
    {
        const std::lock_guard guard(m_lock);
        ++m_ending;
    }
    // Said on the thread once its session has gone.
    void ended(MediaSession::Thread* t)
    {
        const std::lock_guard guard(m_lock);
        --m_ending;
        --m_inUse;
        m_free << t;
    }
    int endingCount()
    {
        const std::lock_guard guard(m_lock);
        return m_ending;
    }
    int inUse()
    {
        const std::lock_guard guard(m_lock);
        return m_inUse;
    }
    // The threads that hold no session end with the program; they wait in
    // their event loops, end at once, and are given back.
    void quitFree()
    {
        QList<MediaSession::Thread*> free;
        {
            const std::lock_guard guard(m_lock);
            free = std::exchange(m_free, {});
        }
        for (MediaSession::Thread* t : free)
            t->thread.quit();
        for (MediaSession::Thread* t : free) {
            t->thread.wait();
            delete t;
        }
    }
    static SessionThreads& sessionThreads()
    {
        static SessionThreads* t = new SessionThreads; // outlives the statics its threads may still use
        return *t;
    }

private:
    std::mutex m_lock;
    QList<MediaSession::Thread*> m_free;
    int m_ending = 0, m_inUse = 0;
};

SessionThreads& threads() { return SessionThreads::sessionThreads(); }

} // namespace

MediaSession* MediaSession::create()
{
    Thread* t = threads().take();
    auto* session = new MediaSession(t);
    session->moveToThread(&t->thread);
    return session;
}

void MediaSession::open(const QUrl& url, const PlaySettings& settings)
{
    post([url, settings](MediaSession& s) { s.start(url, settings); });
}

void MediaSession::end()
{
    threads().ending();
    // After what was asked of the session before, on its thread.
    QMetaObject::invokeMethod(
        &m_thread->host,
        [this, t = m_thread] {
            delete this;
            threads().ended(t);
        },
        Qt::QueuedConnection);
}

int MediaSession::ending() { return threads().endingCount(); }

int MediaSession::threadsInUse() { return threads().inUse(); }

MediaSession::MediaSession(Thread* thread) : m_thread(thread), m_pictureMaker(this) {}

MediaSession::~MediaSession()
{
    if (m_sink)
        m_sink->disconnect(this);
    {
        std::lock_guard lock(m_frameLock);
        m_nextFrame = QVideoFrame();
    }
    m_pictureMaker.waitForDone();
    delete m_player; // before the outputs it uses
}

void MediaSession::start(const QUrl& url, const PlaySettings& settings)
{
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_player->setAudioOutput(m_audio);
    m_audio->setMuted(settings.muted);
    m_audio->setVolume(settings.volume);
    setLoops(settings.loops);
    if (settings.pictures)
        m_player->setVideoSink(sink());
    connect(m_player, &QMediaPlayer::positionChanged, this, &MediaSession::positionChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, &MediaSession::durationChanged);
    connect(m_player, &QMediaPlayer::metaDataChanged, this, &MediaSession::sendTags);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
        if (s == QMediaPlayer::EndOfMedia)
            emit endOfMedia();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) { emit failed(text); });
    m_player->setSource(url);
}

void MediaSession::play() { m_player->play(); }

void MediaSession::pause() { m_player->pause(); }

void MediaSession::stop() { m_player->stop(); }

void MediaSession::setPosition(qint64 ms) { m_player->setPosition(ms); }

void MediaSession::setLoops(int loops) { m_player->setLoops(loops < 0 ? QMediaPlayer::Infinite : loops); }

void MediaSession::setMuted(bool muted) { m_audio->setMuted(muted); }

void MediaSession::setVolume(float volume) { m_audio->setVolume(volume); }

void MediaSession::sendTags()
{
    const QMediaMetaData md = m_player->metaData();
    emit tagsChanged({{QStringLiteral("Title"), md.stringValue(QMediaMetaData::Title)},
                      {QStringLiteral("Author"), md.stringValue(QMediaMetaData::Author)},
                      {QStringLiteral("Copyright"), md.stringValue(QMediaMetaData::Copyright)},
                      {QStringLiteral("Description"), md.stringValue(QMediaMetaData::Description)},
                      {QStringLiteral("Rating"), md.stringValue(QMediaMetaData::Comment)}});
}

QVideoSink* MediaSession::sink()
{
    if (!m_sink) {
        m_converter = std::make_unique<VideoPictureConverter>();
        m_sink = new QVideoSink(this);
        connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) { takeFrame(frame); });
        m_pictureMaker.setMaxThreadCount(1);
    }
    return m_sink;
}

// Qt's GStreamer sink hands each frame to the sink's thread while the
// pipeline's thread waits for it, 300 ms at most, and the play fails
// ("Internal data stream error") when the answer comes later. Making a
// picture of a large frame (a video of 3000 x 2000 photos) takes longer
// than that, so the frame is only kept here and made a picture on a thread
// of its own; frames that come meanwhile replace the one waiting.
void MediaSession::takeFrame(const QVideoFrame& frame)
{
    std::lock_guard lock(m_frameLock);
    m_nextFrame = frame;
    if (std::exchange(m_makingPictures, true))
        return;
    m_pictureMaker.start([this] { makePictures(); });
}

void MediaSession::makePictures()
{
    // No picture needs more pixels than a screen has.
    static const QSize kLargest(1920, 1200);
    for (;;) {
        QVideoFrame frame;
        {
            std::lock_guard lock(m_frameLock);
            frame = std::exchange(m_nextFrame, QVideoFrame());
            if (!frame.isValid()) {
                m_makingPictures = false;
                return;
            }
        }
        QImage picture = pictureOf(frame, kLargest);
        if (picture.width() > kLargest.width() || picture.height() > kLargest.height())
            picture = picture.scaled(kLargest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        emit pictureChanged(picture);
    }
}

// The frame's picture, made on the processor; Qt's own conversion only for
// a layout the converter does not know.
QImage MediaSession::pictureOf(QVideoFrame frame, const QSize& largest)
{
    if (!frame.isValid())
        return {};
    QImage picture;
    if (frame.map(QVideoFrame::ReadOnly)) {
        VideoPlanes planes;
        planes.layout = layoutOf(frame.pixelFormat());
        planes.size = frame.size();
        setColoursOf(frame.surfaceFormat(), planes);
        for (int i = 0; i < std::min(frame.planeCount(), 4); ++i) {
            planes.data[i] = frame.bits(i);
            planes.bytesPerLine[i] = frame.bytesPerLine(i);
        }
        picture = m_converter->convert(planes, largest);
        frame.unmap();
    }
    if (picture.isNull())
        return frame.toImage();
    if (frame.mirrored())
        picture = picture.mirrored(true, false);
    if (frame.rotationAngle() != QVideoFrame::Rotation0)
        picture = picture.transformed(QTransform().rotate(int(frame.rotationAngle())));
    return picture;
}

} // namespace platform::media
