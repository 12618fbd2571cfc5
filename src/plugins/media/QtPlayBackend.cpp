// The media engine of the play control over Qt Multimedia (GStreamer): a
// plug-in library of ours, loaded with the first media file, so that the
// program starts without Qt Multimedia and its back end.
#include "platform/PlayCtrl.h"
#include "platform/VideoPicture.h"

#include <QAudioOutput>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QThreadPool>
#include <QTransform>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

#include <memory>
#include <mutex>
#include <utility>

namespace platform {
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

// The pipeline, the sound output and the video sink are made with the first
// file; settings made before then are kept and handed over.
class QtPlayBackend : public PlayBackend {
public:
    ~QtPlayBackend() override
    {
        if (m_sink)
            m_sink->disconnect(this);
        {
            std::lock_guard lock(m_frameLock);
            m_nextFrame = QVideoFrame();
        }
        m_pictureMaker.waitForDone();
    }
    void setSource(const QUrl& url) override
    {
        QMediaPlayer* p = player();
        p->stop();
        {
            std::lock_guard lock(m_frameLock);
            m_nextFrame = QVideoFrame();
        }
        ++m_file; // a picture of the file before is not shown now
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
            m_converter = std::make_unique<VideoPictureConverter>();
            m_sink = new QVideoSink(this);
            connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) { takeFrame(frame); });
            m_pictureMaker.setMaxThreadCount(1);
        }
        return m_sink;
    }

    // Qt's GStreamer sink hands each frame to this thread while the
    // pipeline's thread waits for it, 300 ms at most, and the play fails
    // ("Internal data stream error") when the answer comes later. Making a
    // picture of a large frame (a video of 3000 x 2000 photos) takes longer
    // than that, so the frame is only kept here and made a picture on a
    // thread of its own; frames that come meanwhile replace the one waiting.
    void takeFrame(const QVideoFrame& frame)
    {
        std::lock_guard lock(m_frameLock);
        m_nextFrame = frame;
        m_nextFrameFile = m_file;
        if (std::exchange(m_makingPictures, true))
            return;
        m_pictureMaker.start([this] { makePictures(); });
    }

    void makePictures()
    {
        // No picture needs more pixels than a screen has.
        static const QSize kLargest(1920, 1200);
        for (;;) {
            QVideoFrame frame;
            int file = 0;
            {
                std::lock_guard lock(m_frameLock);
                frame = std::exchange(m_nextFrame, QVideoFrame());
                file = m_nextFrameFile;
                if (!frame.isValid()) {
                    m_makingPictures = false;
                    return;
                }
            }
            QImage picture = pictureOf(frame, kLargest);
            if (picture.width() > kLargest.width() || picture.height() > kLargest.height())
                picture = picture.scaled(kLargest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QMetaObject::invokeMethod(
                this,
                [this, file, picture = std::move(picture)] {
                    if (file == m_file)
                        emit pictureChanged(picture);
                },
                Qt::QueuedConnection);
        }
    }

    // The frame's picture, made on the processor; Qt's own conversion only
    // for a layout the converter does not know.
    QImage pictureOf(QVideoFrame frame, const QSize& largest)
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
    std::unique_ptr<VideoPictureConverter> m_converter; // used by the picture maker alone
    int m_file = 0; // counts the files set, so that a late picture of one before is dropped
    std::mutex m_frameLock;
    QVideoFrame m_nextFrame;      // the newest frame, not yet made a picture
    int m_nextFrameFile = 0;       // the file it belongs to
    bool m_makingPictures = false; // the picture maker is at work
    QThreadPool m_pictureMaker;    // last: it stops before what it uses goes
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
