#pragma once
// Changes made to a picture: a new size and a filled ellipse. The colour and
// neighbourhood effects live in PictureEffects.h.
#include <QImage>
#include <QPainterPath>

namespace platform::ops {

// resample: smooth filtering; otherwise nearest pixels.
QImage resized(const QImage& image, int width, int height, bool resample);
// The picture made smaller to size, smoothed in full colour. A palette or
// one-bit picture is first sampled down to twice that size, so that the
// smoothing works on that instead of a direct-colour copy of it all.
QImage shrunk(const QImage& image, const QSize& size);
// Fills the area (picture coordinates) with the colour.
void fill(QImage& image, const QPainterPath& area, const QColor& color);

} // namespace platform::ops
