#include "platform/PlayCtrl.h"

#include "platform/Dialogs.h"
#include "platform/PlugIn.h"
#include "platform/TextFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace platform {
namespace {

// Qt Multimedia over GStreamer: Debian's FFmpeg back end of Qt 6.4 crashes
// on machines without a sound device.
void chooseMediaBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

// Chosen before main(): Qt Multimedia settles its back end at its first use,
// which may be a look at the sound devices rather than a player.
const bool kBackendChosen = (chooseMediaBackend(), true);

// Stands for the engine until the first file is loaded: keeps the settings,
// then loads the media plug-in, makes the engine there and hands every call
// on to it, and its notifications back.
class DeferredPlayBackend : public PlayBackend {
public:
    void setSource(const QUrl& url) override
    {
        if (PlayBackend* e = engine())
            e->setSource(url);
    }
    void play() override
    {
        if (m_engine)
            m_engine->play();
    }
    void pause() override
    {
        if (m_engine)
            m_engine->pause();
    }
    void stop() override
    {
        if (m_engine)
            m_engine->stop();
    }
    qint64 position() const override { return m_engine ? m_engine->position() : 0; }
    void setPosition(qint64 ms) override
    {
        if (m_engine)
            m_engine->setPosition(ms);
    }
    qint64 duration() const override { return m_engine ? m_engine->duration() : 0; }
    void setLoops(int loops) override
    {
        m_loops = loops;
        if (m_engine)
            m_engine->setLoops(loops);
    }
    void setMuted(bool muted) override
    {
        m_muted = muted;
        if (m_engine)
            m_engine->setMuted(muted);
    }
    void setVolume(float volume) override
    {
        m_volume = volume;
        if (m_engine)
            m_engine->setVolume(volume);
    }
    void setShowsPictures(bool on) override
    {
        m_pictures = on;
        if (m_engine)
            m_engine->setShowsPictures(on);
    }
    QString tag(const QString& name) const override { return m_engine ? m_engine->tag(name) : QString(); }

private:
    PlayBackend* engine()
    {
        if (m_engine)
            return m_engine;
        using Make = PlayBackend* (*)();
        const auto make = reinterpret_cast<Make>(plugInFunction("lumivex_media", "lumivexMakePlayBackend"));
        if (!make) {
            const QString text = QStringLiteral("The media engine cannot be started: ") + plugInError("lumivex_media");
            // Told once: the players go on without sound or pictures.
            static bool told = false;
            if (!std::exchange(told, true))
                dialogs().message(QCoreApplication::applicationName(), text, Buttons::Ok, Icon::Critical);
            emit errorOccurred(text);
            return nullptr;
        }
        m_engine = make();
        m_engine->setParent(this);
        m_engine->setLoops(m_loops);
        m_engine->setMuted(m_muted);
        m_engine->setVolume(m_volume);
        m_engine->setShowsPictures(m_pictures);
        connect(m_engine, &PlayBackend::positionChanged, this, &PlayBackend::positionChanged);
        connect(m_engine, &PlayBackend::endOfMedia, this, &PlayBackend::endOfMedia);
        connect(m_engine, &PlayBackend::errorOccurred, this, &PlayBackend::errorOccurred);
        connect(m_engine, &PlayBackend::pictureChanged, this, &PlayBackend::pictureChanged);
        return m_engine;
    }

    PlayBackend* m_engine = nullptr;
    int m_loops = 1;
    bool m_muted = false, m_pictures = false;
    float m_volume = 1.0f;
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
        layout->addWidget(m_video);
        m_backend->setShowsPictures(true);
        connect(m_backend, &PlayBackend::pictureChanged, m_video, &VideoView::showPicture);
    }
    connect(m_backend, &PlayBackend::positionChanged, this,
            [this](qint64 ms) { emit PositionChange(double(ms) / 1000.0); });
    connect(m_backend, &PlayBackend::endOfMedia, this, [this] {
        m_running = false;
        emit PlayComplete();
    });
    connect(m_backend, &PlayBackend::errorOccurred, this, [this](const QString&) { m_running = false; });
}

PlayCtrl::~PlayCtrl()
{
    if (m_video && !m_video->parent())
        delete m_video; // shown in its own window
}

void PlayCtrl::setSourceFile(const QString& pathOrAddress)
{
    m_source = pathOrAddress;
    m_selStart = 0;
    m_selEnd = -1;
    m_running = false;
    const QUrl asUrl(pathOrAddress);
    const bool address = pathOrAddress.contains(QLatin1String("://")) && asUrl.isValid() && !asUrl.isLocalFile() &&
                         asUrl.scheme().size() > 1;
    QUrl url;
    if (address)
        url = asUrl;
    else if (asUrl.isLocalFile())
        url = asUrl;
    else if (!pathOrAddress.isEmpty())
        url = QUrl::fromLocalFile(pathOrAddress);
    m_backend->setSource(url);
}

bool PlayCtrl::Run(PlayError* error)
{
    if (m_source.isEmpty())
        return fail(error, noFile());
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

void PlayCtrl::SeekStart() { m_backend->setPosition(0); }

void PlayCtrl::SeekEnd() { m_backend->setPosition(std::max<qint64>(0, m_backend->duration())); }

double PlayCtrl::CurrentPosition() const { return double(m_backend->position()) / 1000.0; }

void PlayCtrl::setCurrentPosition(double seconds)
{
    m_backend->setPosition(std::max<qint64>(0, std::llround(seconds * 1000.0)));
}

double PlayCtrl::Duration() const { return double(std::max<qint64>(0, m_backend->duration())) / 1000.0; }

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
    m_backend->setLoops(m_playCount == 0 ? -1 : m_playCount);
}

void PlayCtrl::setVideoWindowMode(int mode)
{
    m_windowMode = mode;
    if (!m_video)
        return;
    if (mode == 1 && m_video->parent() == this) {
        layout()->removeWidget(m_video);
        m_video->setParent(nullptr);
        m_video->setWindowTitle(m_source);
        m_video->resize(640, 480);
        m_video->show();
    } else if (mode != 1 && m_video->parent() != this) {
        m_video->setParent(this);
        layout()->addWidget(m_video);
        m_video->show();
    }
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
