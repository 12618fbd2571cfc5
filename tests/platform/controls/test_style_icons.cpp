// The style's icons, made once and read when first drawn, draw as the
// style's own.
#include "platform/controls/StyleIcons.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <gtest/gtest.h>

using platform::styleIcon;

TEST(StyleIcons, DrawAsTheStylesOwnAndAreMadeOnce)
{
    for (QStyle::StandardPixmap which : {QStyle::SP_MediaPlay, QStyle::SP_DirIcon, QStyle::SP_FileLinkIcon}) {
        const QIcon icon = styleIcon(which);
        EXPECT_FALSE(icon.isNull());
        const QIcon own = QApplication::style()->standardIcon(which);
        for (int size : {16, 32}) {
            const QImage a = icon.pixmap(size, size).toImage(), b = own.pixmap(size, size).toImage();
            ASSERT_FALSE(a.isNull());
            EXPECT_EQ(a.convertToFormat(QImage::Format_ARGB32), b.convertToFormat(QImage::Format_ARGB32))
                << "icon " << int(which) << " at " << size;
        }
        EXPECT_EQ(icon.actualSize(QSize(32, 32)), own.actualSize(QSize(32, 32)));
        EXPECT_EQ(styleIcon(which).cacheKey(), icon.cacheKey()) << "one icon, shared";
    }
    // A theme icon the desktop lacks is the style's.
    const QIcon fallback = platform::themeIcon("lumivex-no-such-icon", QStyle::SP_FileIcon);
    EXPECT_EQ(fallback.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
              QApplication::style()->standardIcon(QStyle::SP_FileIcon).pixmap(16, 16).toImage().convertToFormat(
                  QImage::Format_ARGB32));
    // On a button, as the player panels show them.
    QPushButton button;
    button.setIcon(styleIcon(QStyle::SP_MediaStop));
    button.resize(80, 30);
    EXPECT_FALSE(button.grab().isNull());
    QPushButton own;
    own.setIcon(QApplication::style()->standardIcon(QStyle::SP_MediaStop));
    EXPECT_EQ(button.sizeHint(), own.sizeHint()) << "laid out as with the style's own icon";
}
