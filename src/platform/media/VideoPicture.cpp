#include "platform/media/VideoPicture.h"

#include "platform/core/LibraryLoad.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

AVPixelFormat ffmpegFormat(PixelLayout layout)
{
    switch (layout) {
    case PixelLayout::Yuv420p:
    case PixelLayout::Yv12: return AV_PIX_FMT_YUV420P; // the chroma planes swapped
    case PixelLayout::Yuv422p: return AV_PIX_FMT_YUV422P;
    case PixelLayout::Nv12: return AV_PIX_FMT_NV12;
    case PixelLayout::Nv21: return AV_PIX_FMT_NV21;
    case PixelLayout::Uyvy: return AV_PIX_FMT_UYVY422;
    case PixelLayout::Yuyv: return AV_PIX_FMT_YUYV422;
    case PixelLayout::P010: return AV_PIX_FMT_P010LE;
    case PixelLayout::Gray8: return AV_PIX_FMT_GRAY8;
    case PixelLayout::Gray16: return AV_PIX_FMT_GRAY16LE;
    case PixelLayout::Xrgb8888: return AV_PIX_FMT_0RGB;
    case PixelLayout::Argb8888: return AV_PIX_FMT_ARGB;
    case PixelLayout::Xbgr8888: return AV_PIX_FMT_0BGR;
    case PixelLayout::Abgr8888: return AV_PIX_FMT_ABGR;
    case PixelLayout::Rgbx8888: return AV_PIX_FMT_RGB0;
    case PixelLayout::Rgba8888: return AV_PIX_FMT_RGBA;
    case PixelLayout::Bgrx8888: return AV_PIX_FMT_BGR0;
    case PixelLayout::Bgra8888: return AV_PIX_FMT_BGRA;
    case PixelLayout::Unknown: break;
    }
    return AV_PIX_FMT_NONE;
}

int swsMatrix(ColourMatrix matrix)
{
    switch (matrix) {
    case ColourMatrix::Bt709: return SWS_CS_ITU709;
    case ColourMatrix::Bt2020: return SWS_CS_BT2020;
    case ColourMatrix::Bt601: break;
    }
    return SWS_CS_ITU601;
}

// Sets the frame's range and matrix on the context, which keeps them only
// until a change of size or layout makes it a new one. swscale knows the
// range of its own formats only by their names (the "J" ones are full), and
// engines hand full-range pictures in the plain layouts with a flag beside.
bool applyColours(SwsContext* sws, const VideoPlanes& planes, AVPixelFormat from)
{
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(from);
    if ((desc->flags & AV_PIX_FMT_FLAG_RGB) || desc->nb_components < 3)
        return true; // no colour differences to turn into RGB
    const int* const wanted = sws_getCoefficients(swsMatrix(planes.matrix));
    const int wantedRange = planes.range == ColourRange::Full ? 1 : 0;
    int *inv = nullptr, *table = nullptr;
    int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) < 0)
        return false;
    if (inv && std::equal(wanted, wanted + 4, inv) && srcRange == wantedRange && dstRange == 1)
        return true;
    return sws_setColorspaceDetails(sws, wanted, wantedRange, table, 1, brightness, contrast, saturation) >= 0;
}

// QImage's 32-bit formats hold one native-endian word a pixel: 0xAARRGGBB.
constexpr AVPixelFormat kImageFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;

} // namespace

VideoPictureConverter::VideoPictureConverter() : m_loaded(mediaLibrariesLoaded()) {}

VideoPictureConverter::~VideoPictureConverter()
{
    if (m_sws)
        sws_freeContext(m_sws);
}

QImage VideoPictureConverter::convert(const VideoPlanes& planes, const QSize& largest)
{
    const AVPixelFormat from = ffmpegFormat(planes.layout);
    if (!m_loaded || from == AV_PIX_FMT_NONE || planes.size.isEmpty())
        return {};
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(from);
    const int planeCount = av_pix_fmt_count_planes(from);
    const uint8_t* source[4] = {};
    int strides[4] = {};
    for (int i = 0; i < planeCount; ++i) {
        if (!planes.data[i] || planes.bytesPerLine[i] <= 0)
            return {};
        source[i] = planes.data[i];
        strides[i] = planes.bytesPerLine[i];
    }
    if (planes.layout == PixelLayout::Yv12) {
        std::swap(source[1], source[2]);
        std::swap(strides[1], strides[2]);
    }
    const int w = planes.size.width(), h = planes.size.height();
    QSize size = planes.size;
    if (largest.isValid() && (w > largest.width() || h > largest.height()))
        size = planes.size.scaled(largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    // swscale's vector code may write past the end of a line: each line gets
    // room to spare, and the picture one line more than it shows.
    const qsizetype stride = (qsizetype(size.width()) * 4 + 127) & ~qsizetype(63);
    auto* pixels = static_cast<uchar*>(std::aligned_alloc(64, size_t(stride) * size_t(size.height() + 1)));
    if (!pixels)
        return {};
    QImage image(pixels, size.width(), size.height(), stride,
                 (desc->flags & AV_PIX_FMT_FLAG_ALPHA) ? QImage::Format_ARGB32 : QImage::Format_RGB32, std::free,
                 pixels);
    if (image.isNull()) {
        std::free(pixels);
        return {};
    }
    m_sws = sws_getCachedContext(m_sws, w, h, from, size.width(), size.height(), kImageFormat, SWS_BILINEAR, nullptr,
                                 nullptr, nullptr);
    if (!m_sws || !applyColours(m_sws, planes, from))
        return {};
    uint8_t* target[4] = {pixels, nullptr, nullptr, nullptr};
    const int targetStride[4] = {int(stride), 0, 0, 0};
    if (sws_scale(m_sws, source, strides, 0, h, target, targetStride) != size.height())
        return {};
    return image;
}

} // namespace platform
