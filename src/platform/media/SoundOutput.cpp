#include "platform/media/SoundOutput.h"

#include "platform/media/MediaEngine.h"

namespace platform {

std::unique_ptr<SoundOutput> openSoundOutput(int sampleRate, int channels, QString* error)
{
    using Make = SoundOutput* (*)(int, int, QString*);
    const auto make = reinterpret_cast<Make>(mediaEngineFunction("lumivexMakeSoundOutput"));
    if (!make) {
        *error = mediaEngineError();
        return nullptr;
    }
    return std::unique_ptr<SoundOutput>(make(sampleRate, channels, error));
}

} // namespace platform
