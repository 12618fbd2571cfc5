#include "platform/pictures/PictureOps.h"

#include <QPainter>

namespace platform::ops {

QImage resized(const QImage& image, int width, int height, bool resample)
{
    if (image.isNull() || width < 1 || height < 1)
        return {};
    if (image.width() == width && image.height() == height)
        return image;
    return image.scaled(width, height, Qt::IgnoreAspectRatio,
                        resample ? Qt::SmoothTransformation : Qt::FastTransformation);
}

QImage shrunk(const QImage& image, const QSize& size)
{
    const bool sampleFirst =
        image.depth() < 32 && (image.width() > 2 * size.width() || image.height() > 2 * size.height());
    return (sampleFirst ? image.scaled(size * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation) : image)
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void fill(QImage& image, const QPainterPath& area, const QColor& color)
{
    if (image.isNull() || area.isEmpty())
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(area, color);
}

} // namespace platform::ops
