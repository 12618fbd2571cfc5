#pragma once
// One media file's player, on a thread of its own. Qt's GStreamer player
// waits inside its calls: a stop waits up to a second for a pipeline that
// cannot preroll, and a change of source can deadlock with the pipeline's
// thread while that one still adds its pads (the caller in setSource, the
// pipeline's thread in the player's pad handler). Whatever waits here waits
// on this session's thread, never on the window's. Every file gets a new
// session; the one before is ended on its own thread, and one that a
// deadlock holds is left behind rather than holding anyone else.
#include "platform/media/VideoPicture.h"

#include <QImage>
#include <QMediaPlayer>
#include <QObject>
#include <QThreadPool>
#include <QUrl>
#include <QVariantMap>
#include <QVideoFrame>

#include <memory>
#include <mutex>

class QAudioOutput;
class QVideoSink;

namespace platform::media {

// What a session starts with: the settings the control holds.
struct SessionSettings {
    int loops = 1; // -1 endless
    bool muted = false;
    float volume = 1.0f;
    bool pictures = false;
};

class MediaSession : public QObject {
    Q_OBJECT
public:
    // Made on the window's thread and moved to a thread of its own, which
    // runs until end() is called.
    static MediaSession* start(const QUrl& url, const SessionSettings& settings);
    // Ends the session on its own thread: the player goes, then the thread.
    // Nothing the session sends after this is wanted.
    void end();
    // Runs f with the session on its own thread, after what was asked before.
    template <class F>
    void post(F f)
    {
        QMetaObject::invokeMethod(this, [this, f = std::move(f)] { f(*this); }, Qt::QueuedConnection);
    }
    // Waits for the threads of ended sessions (the program's end), but not
    // for one that a deadlock in the engine holds.
    static void waitForEndedSessions();

    // On the session's thread.
    void play();
    void pause();
    void stop();
    void setPosition(qint64 ms);
    void setLoops(int loops);
    void setMuted(bool muted);
    void setVolume(float volume);
    void setShowsPictures(bool on);

signals:
    void positionChanged(qint64 ms);
    void durationChanged(qint64 ms);
    void endOfMedia();
    void failed(const QString& text);
    void pictureChanged(const QImage& picture);
    // "Title", "Author", "Copyright", "Description", "Rating".
    void tagsChanged(const QVariantMap& tags);

private:
    MediaSession();
    ~MediaSession() override;
    void open(const QUrl& url, const SessionSettings& settings);
    QVideoSink* sink();
    void takeFrame(const QVideoFrame& frame);
    void makePictures();
    QImage pictureOf(QVideoFrame frame, const QSize& largest);
    void sendTags();

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QVideoSink* m_sink = nullptr;
    std::unique_ptr<VideoPictureConverter> m_converter; // used by the picture maker alone
    std::mutex m_frameLock;
    QVideoFrame m_nextFrame;       // the newest frame, not yet made a picture
    bool m_makingPictures = false; // the picture maker is at work
    QThreadPool m_pictureMaker;    // last: it stops before what it uses goes; a child, to go with the session
};

} // namespace platform::media
