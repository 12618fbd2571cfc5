#include "platform/media/MediaEngine.h"

#include "platform/core/PlugIn.h"

#include <cstdio>
#include <unistd.h>

namespace platform {
namespace {

constexpr const char* kPlugIn = "lumivex_media";

// Qt Multimedia over GStreamer: Debian's FFmpeg back end of Qt 6.4 crashes
// on machines without a sound device.
//
// GStreamer's own AIFF reader starts sending the sound before the player
// has connected its output, now and then on a busy machine, and the file
// then never loads. FFmpeg's reader, which GStreamer has too, announces
// its output first: it reads AIFF files instead. A choice of the user's
// own in the same variable comes after ours, and so wins.
void chooseMediaBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QByteArray ranks = "aiffparse:NONE";
    if (const QByteArray own = qgetenv("GST_PLUGIN_FEATURE_RANK"); !own.isEmpty())
        ranks += ',' + own;
    qputenv("GST_PLUGIN_FEATURE_RANK", ranks);
}

// Chosen before main(): Qt Multimedia settles its back end at its first use,
// which may be a look at the sound devices rather than a player.
const bool kBackendChosen = (chooseMediaBackend(), true);

} // namespace

QFunctionPointer mediaEngineFunction(const char* symbol) { return plugInFunction(kPlugIn, symbol); }

QString mediaEngineError() { return QStringLiteral("The media engine cannot be started: ") + plugInError(kPlugIn); }

void leaveBesideMediaEngine(int code)
{
    if (!plugInLoaded(kPlugIn))
        return;
    using InUse = int (*)();
    const auto inUse = reinterpret_cast<InUse>(mediaEngineFunction("lumivexMediaThreadsInUse"));
    if (!inUse || inUse() == 0)
        return;
    std::fflush(nullptr);
    ::_exit(code);
}

} // namespace platform
