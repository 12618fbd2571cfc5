#pragma once
// Changes made to a picture: a new size and a filled ellipse. The colour and
// neighbourhood effects live in PictureEffects.h.
#include <QImage>
#include <QPainterPath>

namespace platform::ops {

// resample: smooth filtering; otherwise nearest pixels.
QImage resized(const QImage& image, int width, int height, bool resample);
// Fills the area (picture coordinates) with the colour.
void fill(QImage& image, const QPainterPath& area, const QColor& color);

} // namespace platform::ops
