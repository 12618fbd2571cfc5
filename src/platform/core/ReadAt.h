#pragma once
// Reading an open file at a place of its own (pread), so that readers of
// one descriptor read side by side without a shared position.
#include <QtGlobal>

#include <cerrno>

#include <unistd.h>

namespace platform {

// Up to length bytes of the file from offset into buffer, read on through
// interruptions: the count read, fewer than asked at the file's end or on
// an error.
inline qint64 readAt(int fd, char* buffer, qint64 length, qint64 offset)
{
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, buffer + done, size_t(length - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace platform
