#pragma once
// The style's standard icons (folders, media buttons, files), made once each
// and read from their picture files only when first drawn: asking the style
// reads every size of the icon at once, which made the start-up read
// hundreds of small pictures for buttons nobody had seen yet.
#include <QIcon>
#include <QStyle>

namespace platform {

// The application style's icon.
QIcon styleIcon(QStyle::StandardPixmap which);
// The desktop theme's icon of that name, else the style's icon.
QIcon themeIcon(const QString& name, QStyle::StandardPixmap fallback);

} // namespace platform
