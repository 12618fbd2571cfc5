#include "platform/shell/FileIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <algorithm>

namespace platform {

void useDesktopIconTheme()
{
    const QString named = QIcon::themeName();
    if (!named.isEmpty() && named != QLatin1String("hicolor"))
        return;
    const QString adwaita = QStringLiteral("Adwaita");
    QStringList folders = QIcon::themeSearchPaths();
    const bool known = std::any_of(folders.cbegin(), folders.cend(), [&adwaita](const QString& folder) {
        return QFileInfo::exists(folder + QLatin1Char('/') + adwaita + QStringLiteral("/index.theme"));
    });
    if (!known) {
        // A platform without a desktop of its own looks in no folder: the
        // icons folder of the XDG data folders is where the theme is.
        const QString index = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     QStringLiteral("icons/") + adwaita + QStringLiteral("/index.theme"));
        if (index.isEmpty())
            return;
        QDir icons = QFileInfo(index).dir();
        icons.cdUp();
        folders << icons.path();
        QIcon::setThemeSearchPaths(folders);
    }
    QIcon::setThemeName(adwaita);
}

QIcon fileTypeIcon(const QString& fileName, const QIcon& fallback)
{
    // One look-up per extension (per name for names without one): a folder
    // may hold a hundred thousand files of a few types. A null icon stands
    // for a type the theme has no icon for.
    static QHash<QString, QIcon> known;
    static QString theme;
    if (theme != QIcon::themeName()) {
        theme = QIcon::themeName();
        known.clear();
    }
    const int dot = int(fileName.lastIndexOf(QLatin1Char('.')));
    const QString key = (dot > 0 ? fileName.mid(dot) : fileName).toLower();
    auto it = known.find(key);
    if (it == known.end()) {
        static const QMimeDatabase types;
        const QMimeType type = types.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
        QIcon icon;
        for (const QString& name : {type.iconName(), type.genericIconName()})
            if (icon.isNull() && !name.isEmpty() && QIcon::hasThemeIcon(name))
                icon = QIcon::fromTheme(name);
        it = known.insert(key, icon);
    }
    return it->isNull() ? fallback : *it;
}

} // namespace platform
