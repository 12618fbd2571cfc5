#pragma once
// One media file's player, on a thread of its own. Qt's GStreamer player
// waits inside its calls: a stop waits up to a second for a pipeline that
// cannot preroll, and a change of source can deadlock with the pipeline's
// thread while that one still adds its pads (the caller in setSource, the
// pipeline's thread in the player's pad handler). Whatever waits here waits
// on this session's thread, never on the window's. Every file gets a new
// session; the one before is ended on its own thread, and one that the
// engine never lets go of is left behind rather than holding anyone else.
// The threads are kept for the sessions after: a thread is never ended
// while the program runs, since deleting it would wait for its end.
#include "platform/media/PlayCtrl.h"
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

class MediaSession : public QObject {
    Q_OBJECT
public:
    // A thread the sessions run on, one at a time.
    struct Thread;

    // Made on the window's thread, on a thread of its own: connect to what
    // it says, then open the file.
    static MediaSession* create();
    // Opens the file on the session's thread.
    void open(const QUrl& url, const PlaySettings& settings);
    // Ends the session on its own thread: the player goes, and the thread
    // is free for another session. Nothing it says after this is wanted.
    void end();
    // Runs f with the session on its own thread, after what was asked before.
    template <class F>
    void post(F f)
    {
        QMetaObject::invokeMethod(this, [this, f = std::move(f)] { f(*this); }, Qt::QueuedConnection);
    }
    // Sessions ended whose player has not gone yet: the engine still holds
    // their files.
    static int ending();
    // Threads that hold a session, open or ending (the program's end).
    static int threadsInUse();

    // On the session's thread.
    void play();
    void pause();
    void stop();
    void setPosition(qint64 ms);
    void setLoops(int loops);
    void setMuted(bool muted);
    void setVolume(float volume);

signals:
    void positionChanged(qint64 ms);
    void durationChanged(qint64 ms);
    void endOfMedia();
    void failed(const QString& text);
    void pictureChanged(const QImage& picture);
    // "Title", "Author", "Copyright", "Description", "Rating".
    void tagsChanged(const QVariantMap& tags);

private:
    explicit MediaSession(Thread* thread);
    ~MediaSession() override;
    void start(const QUrl& url, const PlaySettings& settings);
    QVideoSink* sink();
    void takeFrame(const QVideoFrame& frame);
    void makePictures();
    QImage pictureOf(QVideoFrame frame, const QSize& largest);
    void sendTags();

    Thread* m_thread;
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
