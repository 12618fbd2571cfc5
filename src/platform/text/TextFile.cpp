#include "platform/text/TextFile.h"

#include "platform/core/ErrorNumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

QString temporaryPathFor(const QString& target)
{
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
    if (longest <= 0)
        longest = 255;
    const QString tail = QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const qsizetype room = qsizetype(longest) - 1 - QFile::encodeName(tail).size();
    QString name = info.fileName();
    while (!name.isEmpty() && QFile::encodeName(name).size() > room) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return QDir(info.absolutePath()).filePath(QLatin1Char('.') + name + tail);
}

SafeFile::SafeFile(const QString& path) : m_target(path)
{
    // A link is left a link: the file it names is the one replaced.
    const QFileInfo info(path);
    if (info.isSymLink())
        m_target = info.symLinkTarget();
}

SafeFile::~SafeFile() { discard(); }

void SafeFile::discard()
{
    if (m_file.fileName().isEmpty())
        return;
    m_file.close();
    m_file.remove();
    m_file.setFileName(QString());
}

bool SafeFile::fail()
{
    // errno still holds the system's reason; Qt's error code is coarser.
    const int systemError = errno;
    if (!m_failed) {
        m_failed = true;
        m_systemError = systemError;
        m_errorNumber = systemError ? errorNumberFromErrno(systemError) : errorNumberFromFileError(m_file.error());
        m_errorString = systemError ? QString::fromLocal8Bit(strerror(systemError)) : m_file.errorString();
    }
    discard();
    return false;
}

bool SafeFile::open()
{
    // A name taken meanwhile by another writer: another name.
    for (int attempt = 0; attempt < 20; ++attempt) {
        m_file.setFileName(temporaryPathFor(m_target));
        errno = 0;
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (errno != EEXIST)
            return fail();
    }
    if (!m_file.isOpen())
        return fail();
    const QFile old(m_target);
    if (old.exists())
        m_file.setPermissions(old.permissions());
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

bool SafeFile::seek(qint64 position)
{
    if (m_failed || !m_file.isOpen())
        return false;
    errno = 0;
    if (!m_file.seek(position))
        return fail();
    return true;
}

bool SafeFile::commit()
{
    if (m_failed || !m_file.isOpen())
        return fail();
    errno = 0;
    // A file system that cannot sync (EINVAL) has nothing to report there.
    if (!m_file.flush() || (::fsync(m_file.handle()) != 0 && errno != EINVAL))
        return fail();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        return fail();
    errno = 0;
    if (::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_target).constData()) != 0)
        return fail();
    m_file.setFileName(QString());
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

QString decodeText(const QByteArray& allBytes)
{
    // The byte-order mark goes before any line is decoded: a first line in
    // Windows-1252 would otherwise show it as three characters of its own.
    QByteArrayView bytes(allBytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
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
