#pragma once
// Plays raw 16-bit samples read from a device on the default sound output
// (the CD player's digital audio). Qt Multimedia behind it lives in the media
// plug-in, loaded with the first sound played.
#include <QString>
#include <memory>

class QIODevice;

namespace platform {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts reading and playing; false when the sound device refuses.
    virtual bool start(QIODevice* source) = 0;
    virtual void suspend() = 0;
    virtual void stop() = 0;
    // Microseconds of sound played since the start.
    virtual qint64 processedUSecs() const = 0;
    virtual bool isActive() const = 0;
};

// An output of 16-bit samples at the rate and channel count, or nullptr with
// *error when there is no sound device or the media plug-in is missing.
std::unique_ptr<SoundOutput> openSoundOutput(int sampleRate, int channels, QString* error);

} // namespace platform
