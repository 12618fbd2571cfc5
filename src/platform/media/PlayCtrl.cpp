#include "platform/media/PlayCtrl.h"

#include "platform/controls/Dialogs.h"
#include "platform/media/MediaEngine.h"
#include "platform/media/MediaPlayList.h"
#include "platform/media/MediaProbe.h"
#include "platform/text/TextFile.h"
#include "platform/media/ViewWindowPlace.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {
namespace {

// Stands for the engine until the first file is loaded: then loads the
// media plug-in, makes the engine there and hands every call on to it, and
// its notifications back. Settings given before that go with the file.
class DeferredPlayBackend : public PlayBackend {
public:
    void setSource(const QUrl& url, const PlaySettings& settings) override
    {
        if (PlayBackend* e = engine())
            e->setSource(url, settings);
    }
    void play() override { send(&PlayBackend::play); }
    void pause() override { send(&PlayBackend::pause); }
    void stop() override { send(&PlayBackend::stop); }
    qint64 position() const override { return m_engine ? m_engine->position() : 0; }
    void setPosition(qint64 ms) override { send(&PlayBackend::setPosition, ms); }
    qint64 duration() const override { return m_engine ? m_engine->duration() : 0; }
    void setLoops(int loops) override { send(&PlayBackend::setLoops, loops); }
    void setMuted(bool muted) override { send(&PlayBackend::setMuted, muted); }
    void setVolume(float volume) override { send(&PlayBackend::setVolume, volume); }
    QString tag(const QString& name) const override { return m_engine ? m_engine->tag(name) : QString(); }

private:
    template <class... Args, class... Given>
    void send(void (PlayBackend::*call)(Args...), Given... given)
    {
        if (m_engine)
            (m_engine->*call)(given...);
    }

    PlayBackend* engine()
    {
        if (m_engine)
            return m_engine;
        using Make = PlayBackend* (*)();
        const auto make = reinterpret_cast<Make>(mediaEngineFunction("lumivexMakePlayBackend"));
        if (!make) {
            const QString text = mediaEngineError();
            // Told once: the players go on without sound or pictures.
            static bool told = false;
            if (!std::exchange(told, true))
                dialogs().message(QCoreApplication::applicationName(), text, Buttons::Ok, Icon::Critical);
            emit errorOccurred(text);
            return nullptr;
        }
        m_engine = make();
        m_engine->setParent(this);
        connect(m_engine, &PlayBackend::positionChanged, this, &PlayBackend::positionChanged);
        connect(m_engine, &PlayBackend::endOfMedia, this, &PlayBackend::endOfMedia);
        connect(m_engine, &PlayBackend::errorOccurred, this, &PlayBackend::errorOccurred);
        connect(m_engine, &PlayBackend::pictureChanged, this, &PlayBackend::pictureChanged);
        return m_engine;
    }

    PlayBackend* m_engine = nullptr;
};

PlayBackendFactory& backendFactory()
{
    static PlayBackendFactory f;
    return f;
}

PlayError noFile() { return {5, QStringLiteral("No media file is loaded")}; }

bool fail(PlayError* out, const PlayError& e)
{
    if (out)
        *out = e;
    return false;
}

} // namespace

void setPlayBackendFactory(PlayBackendFactory factory) { backendFactory() = std::move(factory); }

// The pictures are painted here rather than in a native video window, which
// would not stand beside the web engine's views in one window.
VideoView::VideoView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(80, 60);
}

void VideoView::showPicture(const QImage& picture)
{
    if (!picture.isNull()) // the last picture stays on show when the file ends
        m_frame = picture;
    update();
}

void VideoView::clear()
{
    m_frame = QImage();
    update();
}

void VideoView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_frame.isNull())
        return;
    const QSize size = m_frame.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_frame);
}

PlayCtrl::PlayCtrl(bool showsVideo, QWidget* parent)
    : QWidget(parent), m_backend(backendFactory() ? backendFactory()() : new DeferredPlayBackend)
{
    m_backend->setParent(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (showsVideo) {
        m_video = new VideoView(this);
        m_video->setObjectName(QStringLiteral("VideoWindow"));
        m_video->installEventFilter(this);
        layout->addWidget(m_video);
        connect(m_backend, &PlayBackend::pictureChanged, m_video, &VideoView::showPicture);
    }
    connect(m_backend, &PlayBackend::positionChanged, this, [this](qint64 ms) {
        if (ms > 0 && m_backend->duration() <= 0)
            measure();
        emit PositionChange(CurrentPosition());
    });
    connect(m_backend, &PlayBackend::endOfMedia, this, &PlayCtrl::entryEnded);
    connect(m_backend, &PlayBackend::errorOccurred, this, &PlayCtrl::failed);
}

void PlayCtrl::entryEnded()
{
    // A play list goes on with its next file, and round again while the
    // play count asks for more.
    if (m_entries.size() > 1) {
        const bool more = m_entry + 1 < m_entries.size();
        if (more || m_playCount == 0 || m_round + 1 < m_playCount) {
            if (!more)
                ++m_round;
            m_entry = more ? m_entry + 1 : 0;
            load(m_entries.at(m_entry));
            m_backend->play();
            return;
        }
    }
    m_running = false;
    m_ended = true;
    emit PlayComplete();
}

void PlayCtrl::failed(const QString& reason)
{
    m_running = false;
    if (m_video)
        m_video->clear();
    if (m_failureReported)
        return;
    m_failureReported = true;
    emit PlayFailed(reason);
}

PlayCtrl::~PlayCtrl()
{
    if (m_video && m_video->isWindow())
        delete m_video.data(); // shown in its own window
}

QUrl PlayCtrl::urlFor(const QString& pathOrAddress) const
{
    const QUrl asUrl(pathOrAddress);
    const bool address = pathOrAddress.contains(QLatin1String("://")) && asUrl.isValid() && !asUrl.isLocalFile() &&
                         asUrl.scheme().size() > 1;
    if (address || asUrl.isLocalFile())
        return asUrl;
    return pathOrAddress.isEmpty() ? QUrl() : QUrl::fromLocalFile(pathOrAddress);
}

void PlayCtrl::load(const QString& pathOrAddress)
{
    ++m_loaded;
    m_length = m_origin = 0;
    m_measuring = false;
    m_backend->setSource(urlFor(pathOrAddress), {loops(), m_muted, float(m_volume) / 100.0f, bool(m_video)});
}

void PlayCtrl::setSourceFile(const QString& pathOrAddress)
{
    m_source = pathOrAddress;
    m_selStart = 0;
    m_selEnd = -1;
    m_running = false;
    m_ended = false;
    m_failureReported = false;
    m_entries.clear();
    m_entry = m_round = 0;
    if (m_video) {
        m_video->clear(); // the last file's picture never stands for this one
        if (m_video->isWindow())
            m_video->setWindowTitle(pathOrAddress);
    }
    if (isMediaPlayList(pathOrAddress) && !pathOrAddress.contains(QLatin1String("://"))) {
        m_entries = readMediaPlayList(pathOrAddress);
        if (m_entries.isEmpty()) {
            load(QString());
            failed(QStringLiteral("The play list names no file that can be played"));
            return;
        }
        load(m_entries.first());
        return;
    }
    load(pathOrAddress);
}

bool PlayCtrl::Run(PlayError* error)
{
    if (m_source.isEmpty())
        return fail(error, noFile());
    if (m_ended) {
        // Played to its end: Play starts it again from the beginning.
        m_ended = false;
        m_round = 0;
        if (m_entries.size() > 1 && m_entry != 0) {
            m_entry = 0;
            load(m_entries.first());
        } else {
            m_backend->stop();
            setCurrentPosition(0);
        }
    }
    m_backend->play();
    m_running = true;
    return true;
}

void PlayCtrl::Pause()
{
    m_backend->pause();
    m_running = false;
}

void PlayCtrl::Stop()
{
    m_backend->stop();
    m_running = false;
}

void PlayCtrl::SeekStart() { setCurrentPosition(0); }

void PlayCtrl::SeekEnd() { m_backend->setPosition(std::llround((Duration() + m_origin) * 1000.0)); }

double PlayCtrl::CurrentPosition() const { return std::max(0.0, double(m_backend->position()) / 1000.0 - m_origin); }

void PlayCtrl::setCurrentPosition(double seconds)
{
    m_ended = false;
    m_backend->setPosition(std::llround((std::max(0.0, seconds) + m_origin) * 1000.0));
}

double PlayCtrl::Duration() const
{
    const qint64 told = m_backend->duration();
    return told > 0 ? double(told) / 1000.0 : m_length;
}

// GStreamer cannot tell the length of some files: an MPEG program stream
// whose pictures all sit in one or two of its packs (a few small pictures,
// a slow frame rate) has no span of clock references to reckon it from.
// FFmpeg reads the file's timestamps instead, on a worker; the engine counts
// such a file's positions from its first timestamp, as FFmpeg's start.
void PlayCtrl::measure()
{
    const QString path = m_entries.value(m_entry, m_source);
    if (std::exchange(m_measuring, true) || path.contains(QLatin1String("://")))
        return;
    QThreadPool::globalInstance()->start([self = QPointer<PlayCtrl>(this), file = m_loaded, path] {
        const MediaFacts facts = probeMedia(path);
        if (!facts.ok || !(facts.duration > 0))
            return;
        QMetaObject::invokeMethod(
            qApp,
            [self, file, length = facts.duration, origin = std::max(0.0, facts.start)] {
                if (!self || self->m_loaded != file || self->m_backend->duration() > 0)
                    return;
                self->m_length = length;
                self->m_origin = origin;
            },
            Qt::QueuedConnection);
    });
}

bool PlayCtrl::MarkSelectionStart(PlayError* error)
{
    if (m_source.isEmpty())
        return fail(error, noFile());
    m_selStart = CurrentPosition();
    if (m_selEnd >= 0 && m_selEnd <= m_selStart)
        m_selEnd = -1; // an end mark before the new start no longer holds
    return true;
}

bool PlayCtrl::MarkSelectionEnd(PlayError* error)
{
    if (m_source.isEmpty())
        return fail(error, noFile());
    const double here = CurrentPosition();
    if (here <= m_selStart)
        return fail(error, {5, QStringLiteral("The end of the marked part must come after its start")});
    m_selEnd = here;
    return true;
}

double PlayCtrl::SelectionEnd() const { return m_selEnd >= 0 ? m_selEnd : Duration(); }

void PlayCtrl::setMute(bool on)
{
    m_muted = on;
    m_backend->setMuted(on);
}

void PlayCtrl::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    m_backend->setVolume(float(m_volume) / 100.0f);
}

void PlayCtrl::setPlayCount(int count)
{
    m_playCount = std::max(0, count);
    applyLoops();
}

int PlayCtrl::loops() const
{
    // The engine repeats one file; a play list of several is repeated here.
    return m_entries.size() > 1 ? 1 : m_playCount == 0 ? -1 : m_playCount;
}

void PlayCtrl::applyLoops() { m_backend->setLoops(loops()); }

void PlayCtrl::setVideoWindowMode(int mode)
{
    m_windowMode = mode;
    if (!m_video)
        return;
    if (mode == 1 && !m_video->isWindow()) {
        const QRect area(mapToGlobal(QPoint(0, 0)), size());
        layout()->removeWidget(m_video);
        // Owned by the program's window, so that it stays above it.
        m_video->setParent(window(), Qt::Window);
        m_video->setWindowTitle(m_source);
        placeVideoWindow(area);
        m_video->show();
    } else if (mode != 1 && m_video->isWindow()) {
        // The frame it had (none without a window manager), and where the
        // user left it when the user moved it or changed its size: a window
        // left where it was put is put anew next time, as things stand then.
        m_videoFrame = frameOf(m_video);
        if (m_video->geometry() != m_videoPlacedAt)
            m_videoWindowPlace = m_video->frameGeometry();
        m_video->setParent(this);
        layout()->addWidget(m_video);
        m_video->show();
    }
}

QMargins PlayCtrl::videoWindowFrame() const
{
    // The frame the window manager gave the window when it was last shown.
    // Before that it is not known and is taken from the program's window.
    return m_videoFrame ? *m_videoFrame : frameLike(window());
}

void PlayCtrl::placeVideoWindow(const QRect& area)
{
    const QWidget* main = window();
    ViewWindowScene scene;
    // The screen the window was left on, else the program's.
    const QScreen* screen = nullptr;
    if (m_videoWindowPlace.isValid())
        screen = QGuiApplication::screenAt(m_videoWindowPlace.center());
    if (!screen)
        screen = main->screen();
    scene.program = main->frameGeometry();
    scene.available = screen ? screen->availableGeometry() : scene.program;
    scene.area = area;
    // The program's tools stay in sight: its menu bar, tool bars and tab bars.
    scene.tools = toolsOf(main, this);
    scene.frame = videoWindowFrame();
    scene.left = m_videoWindowPlace;
    scene.least = m_video->minimumSize();
    m_videoPlacedAt = placeViewWindow(scene);
    m_video->setGeometry(m_videoPlacedAt);
}

bool PlayCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_video && event->type() == QEvent::Close && m_video->isWindow()) {
        // The close box: the pictures go back into the control, once the
        // window system is done with the event.
        event->ignore();
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_windowMode != 1)
                    return;
                setVideoWindowMode(2);
                emit VideoWindowClosed();
            },
            Qt::QueuedConnection);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool PlayCtrl::SaveStillBitmap(const QString& path)
{
    const QImage frame = m_video ? m_video->currentFrame() : QImage();
    if (frame.isNull())
        return false;
    // Encoded in memory, then written whole: a full disk keeps the old still.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return frame.save(&buffer, "BMP") && writeBytes(path, bytes);
}

} // namespace platform
