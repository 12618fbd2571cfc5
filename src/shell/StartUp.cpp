#include "shell/StartUp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace startup {

QString defaultInstallFolder() { return QStringLiteral("/opt/Korrandel3"); }

namespace {
QString& executableFolderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString executableFolder()
{
    const QString& f = executableFolderOverride();
    return f.isEmpty() ? QCoreApplication::applicationDirPath() : f;
}

void setExecutableFolder(const QString& folder) { executableFolderOverride() = folder; }

QString findProgramFolder(const QString& currentFolder, const QString& installFolder,
                          const QString& executableName, const QString& executableFolder, QString* newCurrent)
{
    if (newCurrent)
        *newCurrent = currentFolder;
    if (QFileInfo(QDir(currentFolder).filePath(executableName)).isFile())
        return currentFolder;
    if (QFileInfo(installFolder).isDir()) {
        if (newCurrent)
            *newCurrent = installFolder;
        if (QFileInfo(QDir(installFolder).filePath(executableName)).isFile())
            return installFolder;
    }
    // Started from elsewhere (a launcher, a shell in another folder): the
    // settings stay beside the program, never in an unrelated folder.
    return executableFolder;
}

QStringList getCommandLine(const QStringList& argv, int maxArgs)
{
    QStringList out{QString()};
    if (argv.size() == 1) {
        out << argv.first();
        return out;
    }
    for (const QString& arg : argv) {
        QString current;
        auto flush = [&]() {
            if (!current.isEmpty() && out.size() - 1 < maxArgs)
                out << current;
            current.clear();
        };
        for (QChar c : arg) {
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
                flush();
            else
                current += c;
        }
        flush();
        if (out.size() - 1 >= maxArgs)
            break;
    }
    return out;
}

QString stripCommandQuotes(const QStringList& args6)
{
    QString joined = args6.join(QLatin1Char(' ')).trimmed();
    if (joined.size() > 2 && joined.startsWith(QLatin1Char('"')) && joined.endsWith(QLatin1Char('"')))
        joined = joined.mid(1, joined.size() - 2);
    return joined;
}

Placement placeWindow(Placement p, double screenWidth, double screenHeight)
{
    if (p.left < 0)
        p.left = 0;
    if (p.top < 0)
        p.top = 0;
    if (p.width > screenWidth)
        p.width = screenWidth - 1200;
    if (p.left > screenWidth)
        p.left = screenWidth - p.width;
    if (p.height > screenHeight)
        p.height = screenHeight - 800;
    if (p.top > screenHeight)
        p.top = 100;
    return p;
}

bool coversWorkArea(const QRect& place, const QRect& workArea)
{
    // Twips rounded to pixels may miss an edge by one.
    constexpr int slack = 2;
    return !workArea.isEmpty() && place.left() <= workArea.left() + slack && place.top() <= workArea.top() + slack &&
           place.right() >= workArea.right() - slack && place.bottom() >= workArea.bottom() - slack;
}

int lastSeparatorPosition(const QString& path)
{
    return int(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')))) + 1;
}

} // namespace startup
