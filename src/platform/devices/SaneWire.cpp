#include "platform/devices/SaneWire.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace platform::sane::wire {

namespace {
constexpr int kHead = 1 + sizeof(quint32);
}

bool takeRecords(QByteArray* received, QList<Record>* out)
{
    qsizetype at = 0;
    bool ok = true;
    while (received->size() - at >= kHead) {
        quint32 size = 0;
        std::memcpy(&size, received->constData() + at + 1, sizeof size);
        if (size > kLargestRecord) {
            ok = false;
            break;
        }
        if (received->size() - at - kHead < qsizetype(size))
            break;
        *out << Record{received->at(at), received->mid(at + kHead, size)};
        at += kHead + size;
    }
    received->remove(0, at);
    return ok;
}

bool readNumbers(const QByteArray& payload, int count, qint32* out)
{
    if (payload.size() < qsizetype(count * sizeof(qint32)))
        return false;
    std::memcpy(out, payload.constData(), count * sizeof(qint32));
    return true;
}

namespace {

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

bool writeRecord(int fd, Tag tag, const void* data, quint32 size)
{
    char head[kHead];
    head[0] = tag;
    std::memcpy(head + 1, &size, sizeof size);
    return writeAll(fd, head, sizeof head) && writeAll(fd, static_cast<const char*>(data), size);
}

} // namespace platform::sane::wire
