#include "platform/core/ErrorNumbers.h"

#include <cerrno>

namespace platform {

int errorNumberFromErrno(int err)
{
    switch (err) {
    case ENOENT: return ErrFileNotFound;
    case ENOTDIR: return ErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrDiskFull; // no room for the file, as on a full disk
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case EIO: return ErrDeviceUnavailable;
    default: return ErrPathFileAccess;
    }
}

int errorNumberFromFileError(QFileDevice::FileError err)
{
    switch (err) {
    case QFileDevice::OpenError: return errorNumberFromErrno(errno);
    case QFileDevice::PermissionsError: return ErrPermissionDenied;
    case QFileDevice::ResourceError: return ErrDiskFull;
    case QFileDevice::WriteError: return errno == ENOSPC ? ErrDiskFull : ErrPathFileAccess;
    default: return ErrPathFileAccess;
    }
}

QString errorDescription(int number)
{
    switch (number) {
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrPathNotFound: return QStringLiteral("Path not found");
    case ErrPermissionDenied: return QStringLiteral("Permission denied");
    case ErrPathFileAccess: return QStringLiteral("Path/File access error");
    case ErrDiskFull: return QStringLiteral("Disk full");
    case ErrDeviceUnavailable: return QStringLiteral("Device unavailable");
    case ErrPrinter: return QStringLiteral("Printer error");
    case ErrPrinterSetUp:
        return QStringLiteral("Problem getting printer information from the system. Make sure the printer is set up "
                              "correctly.");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

} // namespace platform
