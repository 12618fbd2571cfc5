#include "platform/controls/Units.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace platform {
namespace {
double dpiX()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    const double d = s ? s->logicalDotsPerInchX() : 96.0;
    return d > 0 ? d : 96.0;
}
double dpiY()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    const double d = s ? s->logicalDotsPerInchY() : 96.0;
    return d > 0 ? d : 96.0;
}
} // namespace

double twipsPerPixelX() { return 1440.0 / dpiX(); }
double twipsPerPixelY() { return 1440.0 / dpiY(); }
int pixelsToTwipsX(int px) { return int(std::lround(px * twipsPerPixelX())); }
int pixelsToTwipsY(int px) { return int(std::lround(px * twipsPerPixelY())); }
int twipsToPixelsX(double twips) { return int(std::lround(twips / twipsPerPixelX())); }
int twipsToPixelsY(double twips) { return int(std::lround(twips / twipsPerPixelY())); }

double screenWidthTwips()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return (s ? s->size().width() : 1024) * twipsPerPixelX();
}

double screenHeightTwips()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return (s ? s->size().height() : 768) * twipsPerPixelY();
}

} // namespace platform
