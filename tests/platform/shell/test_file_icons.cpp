// The icons of file types: the desktop theme's, by the freedesktop names of
// each file's type, and the caller's own where the theme has none.
#include "platform/shell/FileIcons.h"

#include <QPixmap>
#include <gtest/gtest.h>

TEST(FileIcons, TheThemesIconOfTheFilesTypeElseTheFallback)
{
    const QString before = QIcon::themeName();
    QPixmap page(16, 16);
    page.fill(Qt::white);
    const QIcon fallback(page);

    QIcon::setThemeName(QStringLiteral("hicolor")); // what Qt stands in with when no desktop names one
    EXPECT_EQ(platform::fileTypeIcon(QStringLiteral("a.png"), fallback).cacheKey(), fallback.cacheKey())
        << "a theme without icons of file types: the fallback";
    platform::useDesktopIconTheme();
    ASSERT_EQ(QIcon::themeName(), "Adwaita") << "scripts/deps.sh installs adwaita-icon-theme";
    const struct {
        const char* file;
        const char* icon;
    } types[] = {{"holiday.JPG", "image-x-generic"},
                 {"song.mp3", "audio-x-generic"},
                 {"clip.avi", "video-x-generic"},
                 {"notes.txt", "text-x-generic"}};
    for (const auto& t : types)
        EXPECT_EQ(platform::fileTypeIcon(QString::fromLatin1(t.file), fallback).name(), t.icon) << t.file;

    // A theme the desktop names stays.
    QIcon::setThemeName(QStringLiteral("breeze"));
    platform::useDesktopIconTheme();
    EXPECT_EQ(QIcon::themeName(), "breeze");
    QIcon::setThemeName(before);
}
