#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace platform {

QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
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
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList out = text.split(QLatin1Char('\n'));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    for (QString& l : out)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    *lines = out;
    return ReadStatus::Ok;
}

bool writeText(const QString& path, const QString& text, QString* error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(text.toUtf8());
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
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
