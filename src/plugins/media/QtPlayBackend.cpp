// The media engine of the play control over Qt Multimedia (GStreamer): a
// plug-in library of ours, loaded with the first media file, so that the
// program starts without Qt Multimedia and its back end.
#include "platform/PlayCtrl.h"

#include <QAudioOutput>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

namespace platform {
namespace {

// The pipeline, the sound output and the video sink are made with the first
// file; settings made before then are kept and handed over.
class QtPlayBackend : public PlayBackend {
public:
    void setSource(const QUrl& url) override
    {
        QMediaPlayer* p = player();
        p->stop();
        p->setSource(url);
        m_reloads = 0;
    }
    void play() override
    {
        player()->play();
        if (m_player->mediaStatus() == QMediaPlayer::LoadingMedia && m_player->source().isLocalFile())
            m_stuck.start();
    }
    void pause() override
    {
        if (m_player)
            m_player->pause();
    }
    void stop() override
    {
        if (m_player)
            m_player->stop();
    }
    qint64 position() const override { return m_player ? m_player->position() : 0; }
    void setPosition(qint64 ms) override
    {
        if (m_player)
            m_player->setPosition(ms);
    }
    qint64 duration() const override { return m_player ? m_player->duration() : 0; }
    void setLoops(int loops) override
    {
        m_loops = loops;
        if (m_player)
            m_player->setLoops(loops < 0 ? QMediaPlayer::Infinite : loops);
    }
    void setMuted(bool muted) override
    {
        m_muted = muted;
        if (m_audio)
            m_audio->setMuted(muted);
    }
    void setVolume(float volume) override
    {
        m_volume = volume;
        if (m_audio)
            m_audio->setVolume(volume);
    }
    void setShowsPictures(bool on) override
    {
        m_pictures = on;
        if (m_player)
            m_player->setVideoSink(on ? sink() : nullptr);
    }
    QString tag(const QString& name) const override
    {
        if (!m_player)
            return {};
        const QMediaMetaData md = m_player->metaData();
        QMediaMetaData::Key key = QMediaMetaData::Title;
        if (name == QLatin1String("Author"))
            key = QMediaMetaData::Author;
        else if (name == QLatin1String("Copyright"))
            key = QMediaMetaData::Copyright;
        else if (name == QLatin1String("Description"))
            key = QMediaMetaData::Description;
        else if (name == QLatin1String("Rating"))
            key = QMediaMetaData::Comment;
        return md.stringValue(key);
    }

private:
    QVideoSink* sink()
    {
        if (!m_sink) {
            m_sink = new QVideoSink(this);
            connect(m_sink, &QVideoSink::videoFrameChanged, this,
                    [this](const QVideoFrame& frame) { emit pictureChanged(frame.toImage()); });
        }
        return m_sink;
    }

    QMediaPlayer* player()
    {
        if (m_player)
            return m_player;
        m_player = new QMediaPlayer(this);
        m_stuck.setSingleShot(true);
        m_stuck.setInterval(2000);
        connect(&m_stuck, &QTimer::timeout, this, [this] { reloadWhenStuck(); });
        m_audio = new QAudioOutput(this);
        m_player->setAudioOutput(m_audio);
        m_audio->setMuted(m_muted);
        m_audio->setVolume(m_volume);
        m_player->setLoops(m_loops < 0 ? QMediaPlayer::Infinite : m_loops);
        if (m_pictures)
            m_player->setVideoSink(sink());
        connect(m_player, &QMediaPlayer::positionChanged, this, &PlayBackend::positionChanged);
        connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
            if (s == QMediaPlayer::EndOfMedia)
                emit endOfMedia();
        });
        connect(m_player, &QMediaPlayer::errorOccurred, this,
                [this](QMediaPlayer::Error, const QString& text) { emit errorOccurred(text); });
        return m_player;
    }

    // GStreamer's parsers can lose a race with the pipeline's linking and
    // then never finish loading a local file (seen with AIFF): the file is
    // loaded again, five times at most, rather than leaving the player silent.
    void reloadWhenStuck()
    {
        if (!m_player || m_player->mediaStatus() != QMediaPlayer::LoadingMedia ||
            m_player->playbackState() != QMediaPlayer::PlayingState || m_reloads >= 5)
            return;
        ++m_reloads;
        const QUrl url = m_player->source();
        m_player->stop();
        m_player->setSource(QUrl());
        m_player->setSource(url);
        m_player->play();
        m_stuck.start();
    }

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QVideoSink* m_sink = nullptr;
    QTimer m_stuck;
    int m_reloads = 0;
    int m_loops = 1;
    bool m_muted = false, m_pictures = false;
    float m_volume = 1.0f;
};

} // namespace
} // namespace platform

// The plug-in's one entry: an engine for one play control.
extern "C" Q_DECL_EXPORT platform::PlayBackend* lumivexMakePlayBackend()
{
    // Debian's FFmpeg back end of Qt 6.4 crashes without a sound device.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    return new platform::QtPlayBackend;
}
