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

// Files the engine may hold at once that it was asked to close and has not
// let go of: each holds a thread and its pipeline. Past these a new file is
// refused with a message, rather than given another thread.
constexpr int kMostHeld = 8;

class QtPlayBackend : public PlayBackend {
public:
    ~QtPlayBackend() override { endSession(); }

    void setSource(const QUrl& url, const PlaySettings& settings) override { open(url, settings); }
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
    void setLoops(int loops) override { send([loops](MediaSession& s) { s.setLoops(loops); }); }
    void setMuted(bool muted) override { send([muted](MediaSession& s) { s.setMuted(muted); }); }
    void setVolume(float volume) override { send([volume](MediaSession& s) { s.setVolume(volume); }); }
    QString tag(const QString& name) const override { return m_tags.value(name).toString(); }

private:
    template <class F>
    void send(F f)
    {
        if (m_session)
            m_session->post(std::move(f));
    }

    // A new session for the file; the one before ends on its own thread.
    void open(const QUrl& url, const PlaySettings& settings)
    {
        endSession();
        m_position = m_duration = 0;
        m_tags.clear();
        if (url.isEmpty())
            return;
        if (const int held = MediaSession::ending(); held > kMostHeld) {
            emit errorOccurred(QStringLiteral("The media engine has not yet let go of the last %1 files it was asked "
                                              "to close; no other file can be played until it does")
                                   .arg(held));
            return;
        }
        m_session = MediaSession::create();
        m_news = new QObject(this);
        relay(&MediaSession::positionChanged, [this](qint64 ms) {
            m_position = ms;
            emit positionChanged(ms);
        });
        relay(&MediaSession::durationChanged, [this](qint64 ms) { m_duration = ms; });
        relay(&MediaSession::tagsChanged, [this](const QVariantMap& tags) { m_tags = tags; });
        relay(&MediaSession::endOfMedia, [this] { emit endOfMedia(); });
        relay(&MediaSession::failed, [this](const QString& text) { emit errorOccurred(text); });
        relay(&MediaSession::pictureChanged, [this](const QImage& picture) { emit pictureChanged(picture); });
        // Told everything from the start.
        m_session->open(url, settings);
    }

    // Hands what the current session says to f on the window's thread.
    template <class Signal, class F>
    void relay(Signal signal, F f)
    {
        connect(m_session, signal, m_news, f);
    }

    void endSession()
    {
        // What the session says goes to m_news, on this thread: with it go
        // the connections, and what the session still had on its way.
        delete std::exchange(m_news, nullptr);
        if (m_session)
            std::exchange(m_session, nullptr)->end();
    }

    MediaSession* m_session = nullptr; // ended, never deleted, from here
    QObject* m_news = nullptr;         // receives what the current session says
    qint64 m_position = 0, m_duration = 0;
    QVariantMap m_tags;
};

} // namespace
} // namespace platform

// The plug-in's entries. An engine for one play control:
extern "C" Q_DECL_EXPORT platform::PlayBackend* lumivexMakePlayBackend()
{
    // The back end and its watch on the sound devices are set up here, on
    // the window's thread, which lives as long as the program; the sessions'
    // threads serve one file after another.
    QMediaDevices::audioOutputs();
    return new platform::QtPlayBackend;
}

// The sessions' threads that hold a session, open or ending.
extern "C" Q_DECL_EXPORT int lumivexMediaThreadsInUse() { return platform::media::MediaSession::threadsInUse(); }
