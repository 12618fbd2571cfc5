#include "platform/shell/RenameFile.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    struct stat st {};
    if (::lstat(src.constData(), &st) != 0)
        return errno;
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP)
        return err;
    // The file system cannot refuse for us: a hard link can, where there are links.
    if (::link(src.constData(), dst.constData()) == 0) {
        if (::unlink(src.constData()) != 0) {
            err = errno;
            ::unlink(dst.constData());
            return err;
        }
        return 0;
    }
    err = errno;
    if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP)
        return err;
    if (::lstat(dst.constData(), &st) == 0)
        return EEXIST;
    return ::rename(src.constData(), dst.constData()) == 0 ? 0 : errno;
}

} // namespace platform
