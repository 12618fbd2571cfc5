#pragma once
// The program's small text files: read as UTF-8 (Latin-1 where the bytes are
// not valid UTF-8), CR LF or LF line ends; written whole with CR LF through a
// temporary file that is renamed over the old one, so a failed write never
// leaves a half-written file behind.
#include <QString>
#include <QStringList>

namespace platform {

enum class ReadStatus { Ok, Missing, Unreadable };

// Decodes bytes the way every reader of the program does.
QString decodeText(const QByteArray& bytes);

// Reads the whole file as text.
ReadStatus readText(const QString& path, QString* text);

// Reads the file's lines (without line ends; a final line end adds no empty line).
ReadStatus readLines(const QString& path, QStringList* lines);

// Writes the lines, each followed by CR LF. Returns false (and leaves the old
// file as it was) when the file could not be written; *error gets the reason.
bool writeLines(const QString& path, const QStringList& lines, QString* error = nullptr);

// Writes text as it stands (the caller supplies the line ends).
bool writeText(const QString& path, const QString& text, QString* error = nullptr);

} // namespace platform
