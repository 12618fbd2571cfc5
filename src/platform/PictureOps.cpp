#include "platform/PictureOps.h"

#include <QPainter>
#include <algorithm>
#include <array>

namespace platform::ops {
namespace {

using Lut = std::array<uchar, 256>;

void applyLut(QImage& image, const Lut& lut)
{
    if (image.isNull())
        return;
    switch (image.format()) {
    case QImage::Format_Indexed8:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: {
        QList<QRgb> table = image.colorTable();
        for (QRgb& c : table)
            c = qRgba(lut[qRed(c)], lut[qGreen(c)], lut[qBlue(c)], qAlpha(c));
        image.setColorTable(table);
        return;
    }
    case QImage::Format_Grayscale8:
        for (int y = 0; y < image.height(); ++y) {
            uchar* p = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x)
                p[x] = lut[p[x]];
        }
        return;
    default: break;
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            p[x] = qRgba(lut[qRed(p[x])], lut[qGreen(p[x])], lut[qBlue(p[x])], qAlpha(p[x]));
    }
}

uchar clampByte(double v) { return uchar(std::clamp(v + 0.5, 0.0, 255.0)); }

} // namespace

void intensity(QImage& image, int change)
{
    change = std::clamp(change, -1000, 1000);
    if (change == 0)
        return;
    Lut lut;
    const double factor = (1000.0 + change) / 1000.0;
    for (int v = 0; v < 256; ++v)
        lut[v] = clampByte(v * factor);
    applyLut(image, lut);
}

void contrast(QImage& image, int change)
{
    change = std::clamp(change, -1000, 1000);
    if (change == 0)
        return;
    Lut lut;
    const double factor = change > 0 ? 1000.0 / std::max(1, 1000 - change) : (1000.0 + change) / 1000.0;
    for (int v = 0; v < 256; ++v)
        lut[v] = clampByte((v - 127.5) * factor + 127.5);
    applyLut(image, lut);
}

QImage resized(const QImage& image, int width, int height, bool resample)
{
    if (image.isNull() || width < 1 || height < 1)
        return {};
    if (image.width() == width && image.height() == height)
        return image;
    return image.scaled(width, height, Qt::IgnoreAspectRatio,
                        resample ? Qt::SmoothTransformation : Qt::FastTransformation);
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
