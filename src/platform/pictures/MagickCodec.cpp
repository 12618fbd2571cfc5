#include "platform/pictures/MagickCodec.h"

#include "platform/pictures/PictureCodec.h"
#include "platform/core/PlugIn.h"

namespace platform {
namespace {

constexpr const char* kPlugIn = "lumivex_magick";

struct Loaded {
    const MagickFunctions* functions = nullptr;
    QString error;
};

// Tried once: a plug-in that cannot be loaded is not looked for again with
// every picture of a folder.
const Loaded& loaded()
{
    static const Loaded once = [] {
        Loaded l;
        using Get = const MagickFunctions* (*)();
        const auto get = reinterpret_cast<Get>(plugInFunction(kPlugIn, "lumivexMagickFunctions"));
        if (!get) {
            l.error = QStringLiteral("ImageMagick cannot be loaded: ") + plugInError(kPlugIn);
            return l;
        }
        l.functions = get();
        l.functions->initialize();
        return l;
    }();
    return once;
}

} // namespace

const MagickFunctions* magickFunctions(QString* error)
{
    const Loaded& l = loaded();
    if (!l.functions && error)
        *error = l.error;
    return l.functions;
}

bool magickLoaded() { return plugInLoaded(kPlugIn); }

void ensureMagick() { magickFunctions(); }

} // namespace platform
