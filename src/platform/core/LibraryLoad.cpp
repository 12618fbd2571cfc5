#include "platform/core/LibraryLoad.h"

extern "C" int lumivex_lazy_media_load(char* error, unsigned long size);
extern "C" int lumivex_lazy_devices_load(char* error, unsigned long size);

namespace platform {
namespace {

bool loaded(int (*load)(char*, unsigned long), const char* what, QString* error)
{
    char why[512] = {};
    if (load(why, sizeof why))
        return true;
    if (error)
        *error = QStringLiteral("The %1 libraries cannot be loaded: %2").arg(QLatin1String(what), QString::fromLocal8Bit(why));
    return false;
}

} // namespace

bool mediaLibrariesLoaded(QString* error)
{
    return loaded(lumivex_lazy_media_load, "FFmpeg", error);
}

bool deviceLibrariesLoaded(QString* error)
{
    return loaded(lumivex_lazy_devices_load, "SANE and libcdio", error);
}

} // namespace platform
