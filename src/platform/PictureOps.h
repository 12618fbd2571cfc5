#pragma once
// Changes made to a picture in place: brightness, contrast, new size and a
// filled ellipse. Palette and gray pictures keep their kind where they can.
#include <QImage>
#include <QPainterPath>

namespace platform::ops {

// change: -1000..1000; 0 leaves the picture as it is.
void intensity(QImage& image, int change);
void contrast(QImage& image, int change);
// resample: smooth filtering; otherwise nearest pixels.
QImage resized(const QImage& image, int width, int height, bool resample);
// Fills the area (picture coordinates) with the colour.
void fill(QImage& image, const QPainterPath& area, const QColor& color);

} // namespace platform::ops
