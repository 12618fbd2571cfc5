#include "lists/InternetShortcut.h"

#include "platform/text/TextFile.h"

#include <QDir>
#include <QSet>
#include <QStandardPaths>

namespace lists {

namespace {
const QString kEnding = QStringLiteral(".URL");
constexpr int kMaxNameChars = 200; // the whole file name, ending included
constexpr int kMaxNameBytes = 255; // what the file system takes

QStringList subfolders(const QString& path)
{
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
}

// Shortens the part before the ending until the whole name fits.
QString fitName(QString base, const QString& ending)
{
    while (!base.isEmpty() &&
           (base.size() + ending.size() > kMaxNameChars || (base + ending).toUtf8().size() > kMaxNameBytes)) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base.isEmpty() ? QString() : base + ending;
}
} // namespace

QString favoritesFolder()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    const QString folder = QDir(data).filePath(QStringLiteral("Lumivex/Favorites"));
    QDir().mkpath(folder);
    return folder;
}

QStringList internetShortcutLines(const QString& address)
{
    return {QStringLiteral("[DEFAULT]"), QStringLiteral("BASEURL=") + address, QStringLiteral("[InternetShortcut]"),
            QStringLiteral("URL=") + address};
}

bool writeInternetShortcut(const QString& path, const QString& address, QString* error)
{
    if (address.contains(QLatin1Char('\r')) || address.contains(QLatin1Char('\n'))) {
        if (error)
            *error = QStringLiteral("The address holds a line end");
        return false;
    }
    return platform::writeLines(path, internetShortcutLines(address), error);
}

QString readInternetShortcut(const QString& path)
{
    QStringList lines;
    if (platform::readLines(path, &lines) != platform::ReadStatus::Ok || lines.size() < 2)
        return {};
    QString s = lines.at(1);
    if (s.startsWith(QLatin1String("URL")))
        s = s.mid(4);
    if (s.startsWith(QLatin1String("BASEURL")))
        s = s.mid(8);
    return s.trimmed().isEmpty() ? QString() : s;
}

QString cleanShortcutTitle(const QString& title)
{
    QString name = title;
    name.replace(QLatin1Char(':'), QLatin1Char('-'));
    return name;
}

QString shortcutFileName(const QString& title)
{
    if (title.trimmed().isEmpty())
        return {};
    const QString name = cleanShortcutTitle(title);
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)) ||
        name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || name.size() - dot - 1 > 5)
        return fitName(name, kEnding);
    const QString ending = name.mid(dot);
    if (ending.compare(kEnding, Qt::CaseInsensitive) == 0)
        return fitName(name.left(dot), ending);
    return fitName(name.left(dot), kEnding);
}

QString shortcutName(const QString& fileName) { return fileName.left(fileName.size() - kEnding.size()); }

QStringList walkFavoriteFolders(const QString& root, int limit)
{
    QStringList out;
    const QDir base(root);
    for (const QString& top : subfolders(root)) {
        if (out.size() >= limit)
            break;
        // Each top folder's walk reads on from where it was written.
        qsizetype r = out.size();
        out << top;
        for (; r < out.size() && out.size() < limit; ++r) {
            const QString parent = out.at(r);
            for (const QString& sub : subfolders(base.filePath(parent))) {
                if (out.size() >= limit)
                    break;
                out << parent + QLatin1Char('/') + sub;
            }
        }
    }
    return out;
}

QStringList shortcutFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.URL")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

std::vector<FavoriteNode> favoriteNodes(const QString& root, const QStringList& folders)
{
    std::vector<FavoriteNode> nodes;
    QSet<QString> made;
    const QDir base(root);
    const auto addShortcuts = [&](const QString& folderKey) {
        const QString folder = folderKey.isEmpty() ? root : base.filePath(folderKey);
        for (const QString& file : shortcutFiles(folder)) {
            const QString name = shortcutName(file);
            const QString key = folderKey.isEmpty() ? name : folderKey + QLatin1Char('/') + name;
            nodes.push_back({folderKey, key, name, 3, QDir(folder).filePath(file)});
        }
    };
    for (const QString& rel : folders) {
        // The folder and any ancestor not made yet (an ancestor comes first in a walk).
        const QStringList parts = rel.split(QLatin1Char('/'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QString key = parts.mid(0, i + 1).join(QLatin1Char('/'));
            if (made.contains(key))
                continue;
            made.insert(key);
            nodes.push_back({parts.mid(0, i).join(QLatin1Char('/')), key, parts.at(i), 2, base.filePath(key)});
        }
        addShortcuts(rel);
    }
    addShortcuts(QString());
    return nodes;
}

} // namespace lists
