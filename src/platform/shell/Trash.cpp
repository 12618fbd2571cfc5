#include "platform/shell/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

bool moveToTrash(const QString& path, QString* inTrash)
{
    // The trash lives under the user's data folder, which a new account may
    // not have yet.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        QDir().mkpath(data);
    QString where;
    if (!QFile::moveToTrash(path, &where))
        return false;
    if (QFileInfo(where).isAbsolute()) {
        if (inTrash)
            *inTrash = where;
        return true;
    }
    // When Qt cannot set up the trash folder it reports success with a place
    // relative to the current folder, where it moved the file: put it back.
    const QDir current = QDir::current();
    QFile::rename(current.absoluteFilePath(where), path);
    QFile::remove(current.absoluteFilePath(QStringLiteral("info/") + QFileInfo(where).fileName() +
                                           QStringLiteral(".trashinfo")));
    for (const char* dir : {"files", "info"})
        current.rmdir(QString::fromLatin1(dir)); // only when empty
    return false;
}

} // namespace platform
