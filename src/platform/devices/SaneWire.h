#pragma once
// What the scanner's child (SaneChild.h) tells the program through its
// standard output: a run of records, each a tag byte, the length of what
// follows (32 bits, in the machine's order: both ends are this program on
// this machine) and that many bytes.
//
//   Device  a device SANE knows: its name, vendor, model and type, each
//           ended by a zero byte.
//   Frame   a frame starts: SANE's parameters, six 32-bit numbers (format,
//           last frame, bytes per line, pixels per line, lines, depth).
//   Bytes   samples of the frame going on, as the driver read them.
//   End     the child's work is over: 0 or an imaging error code (32 bits).
//
// The program writes one byte (or closes the pipe) to the child's standard
// input to ask it to cancel.
#include <QByteArray>
#include <QList>

#include <cstdint>

namespace platform::sane::wire {

enum Tag : char { Device = 'D', Frame = 'F', Bytes = 'B', End = 'E' };

// The most a record may hold: the child sends its samples in smaller pieces.
constexpr quint32 kLargestRecord = 1 << 20;

struct Record {
    char tag = 0;
    QByteArray payload;
};

// Takes whole records off the front of the bytes received so far. False when
// the bytes are no run of records (a record longer than any the child sends).
bool takeRecords(QByteArray* received, QList<Record>* out);

// The numbers of a Frame or End record; false when it holds too few bytes.
bool readNumbers(const QByteArray& payload, int count, qint32* out);

// Writes one record to the descriptor, whole; false when the other end is gone.
bool writeRecord(int fd, Tag tag, const void* data, quint32 size);

} // namespace platform::sane::wire
