// The media engine of the play control over Qt Multimedia (GStreamer): a
// plug-in library of ours, loaded with the first media file, so that the
// program starts without Qt Multimedia and its back end. The engine's calls
// run on a session's thread (MediaSession.h): on the window's thread this
// side only hands them on and keeps what the session last told it.
#include "MediaSession.h"

#include "platform/media/PlayCtrl.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace platform {
namespace {

using media::MediaSession;

class QtPlayBackend : public PlayBackend {
public:
    ~QtPlayBackend() override { endSession(); }

    void setSource(const QUrl& url) override { open(url); }
    void play() override { send([](MediaSession& s) { s.play(); }); }
    void pause() override { send([](MediaSession& s) { s.pause(); }); }
    void stop() override
    {
        m_position = 0;
        send([](MediaSession& s) { s.stop(); });
    }
    qint64 position() const override { return m_position; }
    void setPosition(qint64 ms) override
    {
        m_position = ms;
        send([ms](MediaSession& s) { s.setPosition(ms); });
    }
    qint64 duration() const override { return m_duration; }
    void setLoops(int loops) override
    {
        m_settings.loops = loops;
        send([loops](MediaSession& s) { s.setLoops(loops); });
    }
    void setMuted(bool muted) override
    {
        m_settings.muted = muted;
        send([muted](MediaSession& s) { s.setMuted(muted); });
    }
    void setVolume(float volume) override
    {
        m_settings.volume = volume;
        send([volume](MediaSession& s) { s.setVolume(volume); });
    }
    void setShowsPictures(bool on) override
    {
        m_settings.pictures = on;
        send([on](MediaSession& s) { s.setShowsPictures(on); });
    }
    QString tag(const QString& name) const override { return m_tags.value(name).toString(); }

private:
    template <class F>
    void send(F f)
    {
        if (m_session)
            m_session->post(std::move(f));
    }

    // A new session for the file; the one before ends on its own thread.
    void open(const QUrl& url)
    {
        endSession();
        m_position = m_duration = 0;
        m_tags.clear();
        if (url.isEmpty())
            return;
        m_session = MediaSession::start(url, m_settings);
        ++m_serial;
        relay(&MediaSession::positionChanged, [this](qint64 ms) {
            m_position = ms;
            emit positionChanged(ms);
        });
        relay(&MediaSession::durationChanged, [this](qint64 ms) { m_duration = ms; });
        relay(&MediaSession::tagsChanged, [this](const QVariantMap& tags) { m_tags = tags; });
        relay(&MediaSession::endOfMedia, [this] { emit endOfMedia(); });
        relay(&MediaSession::failed, [this](const QString& text) { emit errorOccurred(text); });
        relay(&MediaSession::pictureChanged, [this](const QImage& picture) { emit pictureChanged(picture); });
    }

    // Hands what the current session says to f on the window's thread. What
    // an ended session still had on its way is not wanted.
    template <class Signal, class F>
    void relay(Signal signal, F f)
    {
        connect(m_session, signal, this, [this, serial = m_serial, f](const auto&... args) {
            if (serial == m_serial)
                f(args...);
        });
    }

    void endSession()
    {
        if (m_session)
            std::exchange(m_session, nullptr)->end();
        ++m_serial;
    }

    media::SessionSettings m_settings;
    MediaSession* m_session = nullptr; // ended, never deleted, from here
    int m_serial = 0;                  // counts the sessions, so that an ended one's news is dropped
    qint64 m_position = 0, m_duration = 0;
    QVariantMap m_tags;
};

} // namespace
} // namespace platform

// The plug-in's one entry: an engine for one play control.
extern "C" Q_DECL_EXPORT platform::PlayBackend* lumivexMakePlayBackend()
{
    // Debian's FFmpeg back end of Qt 6.4 crashes without a sound device.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // The back end and its watch on the sound devices are set up here, on
    // the window's thread, which lives as long as the program; the sessions'
    // threads end with their files.
    QMediaDevices::audioOutputs();
    return new platform::QtPlayBackend;
}
