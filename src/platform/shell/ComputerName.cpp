#include "platform/shell/ComputerName.h"

#include <QSysInfo>

namespace platform {

QString computerNameOf(const QString& hostName)
{
    return hostName.trimmed().section(QLatin1Char('.'), 0, 0).left(255);
}

QString computerName() { return computerNameOf(QSysInfo::machineHostName()); }

} // namespace platform
