#include "platform/media/SoundOutput.h"

#include "platform/core/PlugIn.h"

namespace platform {

std::unique_ptr<SoundOutput> openSoundOutput(int sampleRate, int channels, QString* error)
{
    using Make = SoundOutput* (*)(int, int, QString*);
    const auto make = reinterpret_cast<Make>(plugInFunction("lumivex_media", "lumivexMakeSoundOutput"));
    if (!make) {
        *error = QStringLiteral("The media engine cannot be started: ") + plugInError("lumivex_media");
        return nullptr;
    }
    return std::unique_ptr<SoundOutput>(make(sampleRate, channels, error));
}

} // namespace platform
