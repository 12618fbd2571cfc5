#pragma once
// The program's small text files: read line by line as UTF-8 (Windows-1252
// for a line whose bytes are not valid UTF-8), with CR LF, LF or CR line ends;
// written whole with CR LF through a temporary file that is renamed over the
// old one, so a failed write never leaves a half-written file behind.
// SafeFile is that one writer, for text and binary files alike.
#include <QFile>
#include <QString>
#include <QStringList>

namespace platform {

// The temporary file beside the target that a write goes to first:
// ".<name>.<8 hex digits>.part", the name cut short (at a whole character)
// where the whole would pass the longest name the folder's file system takes.
QString temporaryPathFor(const QString& target);

// Writes a file whole: the bytes go to a temporary file beside the target,
// unbuffered, so a full disk shows at the write that meets it; the sync to
// disk and the close are checked as well. Only when every byte was written
// does the temporary file replace the target (keeping the old file's
// permissions); after any error it is removed and the old file stays as it
// was. An object that is not committed writes nothing.
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    // False once any write failed; later writes are refused.
    bool write(const QByteArray& bytes);
    // Moves to a byte of the file written so far (writers that go back to
    // fill in sizes); false after any error.
    bool seek(qint64 position);
    qint64 position() const { return m_file.pos(); }
    qint64 size() const { return m_file.size(); }
    // Replaces the target; false (and nothing replaced) after any error.
    bool commit();

    // The program's error number of the first failure (ErrorNumbers.h: 61 for
    // a full disk) and the system's text of it.
    int errorNumber() const { return m_errorNumber; }
    QString errorString() const { return m_errorString; }
    // The system's errno of the first failure; 0 when it gave none.
    int systemError() const { return m_systemError; }

private:
    bool fail();
    void discard();
    QString m_target;
    QFile m_file; // the temporary file
    bool m_failed = false;
    int m_errorNumber = 0;
    int m_systemError = 0;
    QString m_errorString;
};

// Writes the bytes whole through SafeFile. On failure *errorNumber and
// *errorText (the program's description of the number) tell why.
bool writeBytes(const QString& path, const QByteArray& bytes, int* errorNumber = nullptr, QString* errorText = nullptr);

enum class ReadStatus { Ok, Missing, Unreadable };

// Decodes bytes the way every reader of the program does: each line as UTF-8
// where it is valid UTF-8, else as Windows-1252 (line ends are kept).
QString decodeText(const QByteArray& bytes);

// Windows-1252: the euro sign, curly quotes, dashes and the rest at
// 0x80..0x9F; the five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) and everything else as Latin-1.
QString decodeWindows1252(QByteArrayView bytes);

// Splits text into lines at CR LF, LF or CR; a final line end adds no empty line.
QStringList splitLines(const QString& text);

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
