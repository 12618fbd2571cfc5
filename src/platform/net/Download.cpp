#include "platform/net/Download.h"

#include "platform/core/PlugIn.h"

namespace platform {

Download* startDownload(const QUrl& url, qint64 maxBytes, QObject* parent, QString* error)
{
    using Start = Download* (*)(const QUrl&, qint64, QObject*);
    const auto start = reinterpret_cast<Start>(plugInFunction("lumivex_net", "lumivexStartDownload"));
    if (!start) {
        if (error)
            *error = QStringLiteral("The network cannot be reached: ") + plugInError("lumivex_net");
        return nullptr;
    }
    return start(url, maxBytes, parent);
}

} // namespace platform
