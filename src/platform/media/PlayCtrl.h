#pragma once
// media/: playing, probing, converting, joining and writing video and sound.
// Qt Multimedia on GStreamer plays (in the media plug-in); FFmpeg's libraries
// probe, convert and write.
//
// The play control of the video and music players: one media file, its
// transport, position (seconds), selection marks, volume, mute and loop
// count, over Qt Multimedia (GStreamer). The engine sits behind
// PlayBackend so that tests can drive the control without a sound device;
// Qt Multimedia itself lives in the media plug-in, loaded when the first
// file is, so that the program starts without it.
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>

namespace platform {

// What a file is played with: the settings the control holds.
struct PlaySettings {
    int loops = 1; // -1 endless
    bool muted = false;
    float volume = 1.0f; // 0..1
    // Whether the file's pictures are wanted: the engine then hands each one
    // on with pictureChanged.
    bool pictures = false;
};

// What the control needs of a media engine. Times are milliseconds.
class PlayBackend : public QObject {
    Q_OBJECT
public:
    // The file to play (none when empty), with the control's settings; the
    // setters below change them for the file loaded.
    virtual void setSource(const QUrl& url, const PlaySettings& settings) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual qint64 position() const = 0;
    virtual void setPosition(qint64 ms) = 0;
    virtual qint64 duration() const = 0;
    virtual void setLoops(int loops) = 0; // -1 endless
    virtual void setMuted(bool muted) = 0;
    virtual void setVolume(float volume) = 0; // 0..1
    // A tag of the file ("Title", "Author", "Copyright", "Description", "Rating").
    virtual QString tag(const QString& name) const = 0;

signals:
    void positionChanged(qint64 ms);
    void endOfMedia();
    void errorOccurred(const QString& text);
    void pictureChanged(const QImage& picture);
};

using PlayBackendFactory = std::function<PlayBackend*()>;
// Installs the engine for controls made from now on; an empty factory
// restores Qt Multimedia (made by the media plug-in with the first file).
void setPlayBackendFactory(PlayBackendFactory factory);

// A failed operation of the control: the number and description that the
// program's error boxes show.
struct PlayError {
    int number = 0;
    QString description;
};

// Shows the pictures a player hands on, scaled to fit.
class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);
    QImage currentFrame() const { return m_frame; }
    void showPicture(const QImage& picture);
    // Shows no picture until the next one comes.
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_frame;
};

class PlayCtrl : public QWidget {
    Q_OBJECT
public:
    // showsVideo: the control shows the pictures of the file (the video player).
    explicit PlayCtrl(bool showsVideo, QWidget* parent = nullptr);
    ~PlayCtrl() override;

    QString SourceFile() const { return m_source; }
    void setSourceFile(const QString& pathOrAddress);
    QString FileName() const { return m_source; }

    bool Run(PlayError* error = nullptr);
    void Pause();
    void Stop();
    void SeekStart();
    void SeekEnd();
    bool isRunning() const { return m_running; }

    double CurrentPosition() const; // seconds
    void setCurrentPosition(double seconds);
    double Duration() const;

    // The marks the clip saves convert; without marks the whole file.
    bool MarkSelectionStart(PlayError* error = nullptr);
    bool MarkSelectionEnd(PlayError* error = nullptr);
    double SelectionStart() const { return m_selStart; }
    double SelectionEnd() const;

    bool Mute() const { return m_muted; }
    void setMute(bool on);
    int Volume() const { return m_volume; } // 0..100
    void setVolume(int volume);
    int PlayCount() const { return m_playCount; } // 0 repeats endlessly
    void setPlayCount(int count);

    // 1 the pictures in a window of their own, 2 inside the control. The own
    // window stands above the program's window, beside it where the screen
    // has room, else over the control's place, its caption below the
    // program's tools; once moved or sized it comes back where it was left.
    // It always opens wholly on the screen (placeViewWindow). Its close box
    // brings the pictures back into the control (mode 2).
    int VideoWindowMode() const { return m_windowMode; }
    void setVideoWindowMode(int mode);
    // Writes the picture on show to a bitmap file.
    bool SaveStillBitmap(const QString& path);

    QString Title() const { return m_backend->tag(QStringLiteral("Title")); }
    QString Author() const { return m_backend->tag(QStringLiteral("Author")); }
    QString Copyright() const { return m_backend->tag(QStringLiteral("Copyright")); }
    QString Description() const { return m_backend->tag(QStringLiteral("Description")); }
    QString Rating() const { return m_backend->tag(QStringLiteral("Rating")); }

    PlayBackend* backend() const { return m_backend; }

signals:
    // The play position moved (seconds).
    void PositionChange(double seconds);
    // The file played to its end (after the last repeat).
    void PlayComplete();
    // The file cannot be played (raised once for each file given).
    void PlayFailed(const QString& reason);
    // The user closed the pictures' own window: they are back in the control.
    void VideoWindowClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QUrl urlFor(const QString& pathOrAddress) const;
    // Hands the engine a file (a play list's entry, or the source itself).
    void load(const QString& pathOrAddress);
    int loops() const;
    void applyLoops();
    void measure();
    void entryEnded();
    void failed(const QString& reason);
    void placeVideoWindow(const QRect& area);
    QMargins videoWindowFrame() const;
    PlayBackend* m_backend;
    // In the control, or a window of its own owned by the program's window
    // (which may delete it first at its end).
    QPointer<VideoView> m_video;
    QRect m_videoWindowPlace; // the own window where the user left it, frame included; null before
    QRect m_videoPlacedAt;    // its inside as last put on the screen
    std::optional<QMargins> m_videoFrame; // the window manager's frame around it, once it was shown
    QString m_source;
    // The length and first time FFmpeg reads in a file whose length the
    // engine cannot tell (seconds); the positions are then told from that
    // first time on, as the engine's count from it.
    double m_length = 0, m_origin = 0;
    bool m_measuring = false;
    int m_loaded = 0; // counts the files handed to the engine
    double m_selStart = 0, m_selEnd = -1;
    bool m_muted = false;
    int m_volume = 100;
    int m_playCount = 1;
    int m_windowMode = 2;
    bool m_running = false;
    bool m_ended = false;         // played to its end: Run starts it again
    bool m_failureReported = false;
    // A play list's files, played one after another (empty for one file).
    QStringList m_entries;
    int m_entry = 0;
    int m_round = 0; // play-list rounds done, for the play count
};

} // namespace platform
