#pragma once
// The error numbers the program's messages show, from the system's errno.
#include <QFileDevice>
#include <QString>

namespace platform {

enum ErrorNumber {
    ErrFileNotFound = 53,
    ErrPathNotFound = 76,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrDiskFull = 61,
    ErrDeviceUnavailable = 68,
    ErrPrinter = 482,          // the printer or its driver failed
    ErrPrinterSetUp = 484,     // no printer is set up
};

int errorNumberFromErrno(int err);
int errorNumberFromFileError(QFileDevice::FileError err);
QString errorDescription(int number);

} // namespace platform
