#pragma once
// Twips at the widget edge: settings hold twips, widgets pixels.
#include <QRect>

namespace platform {

// Twips per pixel of the primary screen (1440 / logical DPI; 15 at 96 DPI).
double twipsPerPixelX();
double twipsPerPixelY();

int pixelsToTwipsX(int px);
int pixelsToTwipsY(int px);
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);

// The primary screen's size in twips.
double screenWidthTwips();
double screenHeightTwips();

} // namespace platform
