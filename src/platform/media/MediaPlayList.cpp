#include "platform/media/MediaPlayList.h"

#include "platform/text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace platform {
namespace {

// An address stays as it is; a file:// address becomes its path; a path is
// taken from the list's folder when it is relative.
QString resolveEntry(const QString& entry, const QDir& folder)
{
    if (entry.contains(QLatin1String("://"))) {
        const QUrl url(entry);
        return url.isLocalFile() ? url.toLocalFile() : entry;
    }
    const QString path = QString(entry).replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(folder.absoluteFilePath(path));
}

} // namespace

bool isMediaPlayList(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    return ext == QLatin1String("M3U") || ext == QLatin1String("M3U8") || ext == QLatin1String("ASX");
}

QStringList readMediaPlayList(const QString& path)
{
    QString text;
    if (readText(path, &text) != ReadStatus::Ok)
        return {};
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QDir folder = QFileInfo(path).absoluteDir();
    QStringList entries;
    if (QFileInfo(path).suffix().toUpper() == QLatin1String("ASX")) {
        static const QRegularExpression ref(QStringLiteral("<\\s*ref\\s[^>]*href\\s*=\\s*[\"']([^\"']*)[\"']"),
                                            QRegularExpression::CaseInsensitiveOption);
        for (auto it = ref.globalMatch(text); it.hasNext();) {
            const QString entry = it.next().captured(1).trimmed();
            if (!entry.isEmpty())
                entries << resolveEntry(entry, folder);
        }
        return entries;
    }
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            entries << resolveEntry(line, folder);
    }
    return entries;
}

} // namespace platform
