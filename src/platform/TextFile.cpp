#include "platform/TextFile.h"

#include "platform/ErrorNumbers.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>

namespace platform {

SafeFile::SafeFile(const QString& path) : m_file(path) {}

bool SafeFile::fail()
{
    // errno still holds the system's reason; Qt's error code is coarser.
    const int systemError = errno;
    if (!m_failed) {
        m_failed = true;
        m_errorNumber = systemError ? errorNumberFromErrno(systemError) : errorNumberFromFileError(m_file.error());
        m_errorString = m_file.errorString();
    }
    if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool SafeFile::open()
{
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail();
    return true;
}

bool SafeFile::write(const QByteArray& bytes)
{
    if (m_failed || !m_file.isOpen())
        return false;
    errno = 0;
    if (m_file.write(bytes) != bytes.size())
        return fail();
    return true;
}

bool SafeFile::commit()
{
    if (m_failed || !m_file.isOpen())
        return fail();
    errno = 0;
    if (!m_file.flush())
        return fail();
    if (!m_file.commit()) {
        const int systemError = errno;
        m_failed = true;
        m_errorNumber = systemError ? errorNumberFromErrno(systemError) : errorNumberFromFileError(m_file.error());
        m_errorString = m_file.errorString();
        return false;
    }
    return true;
}

bool writeBytes(const QString& path, const QByteArray& bytes, int* errorNumber, QString* errorText)
{
    SafeFile f(path);
    if (f.open() && f.write(bytes) && f.commit())
        return true;
    if (errorNumber)
        *errorNumber = f.errorNumber();
    if (errorText)
        *errorText = errorDescription(f.errorNumber());
    return false;
}

namespace {
// Windows-1252 at 0x80..0x9F; its undefined bytes stand for themselves.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    QChar* out = s.data();
    for (const char c : bytes) {
        const uchar b = uchar(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return s;
}

QString decodeText(const QByteArray& bytes)
{
    QStringDecoder whole(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = whole.decode(bytes);
    if (whole.hasError()) {
        // One stray byte spoils only its own line.
        text.clear();
        text.reserve(bytes.size());
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = start;
            while (end < bytes.size() && bytes.at(end) != '\n' && bytes.at(end) != '\r')
                ++end;
            while (end < bytes.size() && (bytes.at(end) == '\n' || bytes.at(end) == '\r'))
                ++end;
            const QByteArrayView line(bytes.constData() + start, end - start);
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString decoded = utf8.decode(line);
            text += utf8.hasError() ? decodeWindows1252(line) : decoded;
            start = end;
        }
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList splitLines(const QString& text)
{
    QStringList out;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        out << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        out << text.mid(start);
    return out;
}

ReadStatus readText(const QString& path, QString* text)
{
    QFile f(path);
    if (!QFileInfo(path).isFile())
        return ReadStatus::Missing;
    if (!f.open(QIODevice::ReadOnly))
        return ReadStatus::Unreadable;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return ReadStatus::Unreadable;
    *text = decodeText(bytes);
    return ReadStatus::Ok;
}

ReadStatus readLines(const QString& path, QStringList* lines)
{
    QString text;
    const ReadStatus st = readText(path, &text);
    if (st != ReadStatus::Ok)
        return st;
    *lines = splitLines(text);
    return ReadStatus::Ok;
}

bool writeText(const QString& path, const QString& text, QString* error)
{
    SafeFile f(path);
    if (f.open() && f.write(text.toUtf8()) && f.commit())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

bool writeLines(const QString& path, const QStringList& lines, QString* error)
{
    QString text;
    for (const QString& l : lines) {
        text += l;
        text += QStringLiteral("\r\n");
    }
    return writeText(path, text, error);
}

} // namespace platform
