// The sound output of the CD player over Qt Multimedia, in the media plug-in.
#include "platform/media/SoundOutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace platform {
namespace {

class QtSoundOutput : public SoundOutput {
public:
    QtSoundOutput(const QAudioDevice& device, const QAudioFormat& format) : m_sink(device, format) {}
    bool start(QIODevice* source) override
    {
        m_sink.start(source);
        return m_sink.error() == QAudio::NoError;
    }
    void suspend() override { m_sink.suspend(); }
    void stop() override { m_sink.stop(); }
    qint64 processedUSecs() const override { return m_sink.processedUSecs(); }
    bool isActive() const override { return m_sink.state() == QAudio::ActiveState; }

private:
    QAudioSink m_sink;
};

} // namespace
} // namespace platform

extern "C" Q_DECL_EXPORT platform::SoundOutput* lumivexMakeSoundOutput(int sampleRate, int channels, QString* error)
{
    const QAudioDevice out = QMediaDevices::defaultAudioOutput();
    if (out.isNull()) {
        *error = QStringLiteral("No sound device is available to play the CD");
        return nullptr;
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return new platform::QtSoundOutput(out, format);
}
