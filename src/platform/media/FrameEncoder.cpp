#include "platform/media/FrameEncoder.h"
#include "platform/core/LibraryLoad.h"

#include "platform/media/AvSupport.h"
#include "platform/pictures/PictureCodec.h"

#include <QFileInfo>
#include <QPainter>
#include <QSysInfo>

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace platform {

using namespace av;

namespace {

// Where a picture of size `from` stands in a frame of size `to`: as large as
// fits with its shape kept, centred, on even pixels (so chroma lines up).
QRect fittedRect(const QSize& from, const QSize& to)
{
    if (from == to || from.isEmpty())
        return QRect(QPoint(0, 0), to);
    const double scale = std::min(double(to.width()) / from.width(), double(to.height()) / from.height());
    const int w = std::clamp(int(std::lround(from.width() * scale / 2)) * 2, 2, to.width());
    const int h = std::clamp(int(std::lround(from.height() * scale / 2)) * 2, 2, to.height());
    return QRect(((to.width() - w) / 2) & ~1, ((to.height() - h) / 2) & ~1, w, h);
}

// Pixels to convert: planes, their lines, size, layout and range.
struct Source {
    const uint8_t* data[4] = {};
    int lines[4] = {};
    int width = 0, height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    bool fullRange = false;
};

Source sourceOf(const QImage& image)
{
    Source s;
    s.data[0] = image.constBits();
    s.lines[0] = int(image.bytesPerLine());
    s.width = image.width();
    s.height = image.height();
    // RGB32 and ARGB32 are 0xAARRGGBB words; the alpha is left out.
    s.format = image.format() == QImage::Format_Grayscale8 ? AV_PIX_FMT_GRAY8
               : QSysInfo::ByteOrder == QSysInfo::LittleEndian ? AV_PIX_FMT_BGRA
                                                               : AV_PIX_FMT_ARGB;
    s.fullRange = true;
    return s;
}

} // namespace

StillPicture StillPicture::read(const QString& path, const QSize& box)
{
    StillPicture p;
    QImage image;
    if (readScaledPicture(path, box, &image) == 0)
        p.m_image = std::move(image);
    return p;
}

QSize StillPicture::sizeOf(const QString& path)
{
    PictureInfo info;
    if (readPictureInfo(path, 1, &info) != 0 || info.width < 1 || info.height < 1)
        return {};
    return {info.width, info.height};
}

StillPicture StillPicture::fromImage(const QImage& image)
{
    StillPicture p;
    p.m_image = image;
    return p;
}

struct FrameEncoder::Impl {
    Output output;
    Encoder* video = nullptr;
    SwsContext* sws = nullptr;
    bool open = false;
    ~Impl()
    {
        if (sws)
            sws_freeContext(sws);
    }

    // Converts the picture into the encoder's frame.
    bool fill(const StillPicture& picture, QString* error);
    bool convert(const Source& source, QString* error);
};

bool FrameEncoder::Impl::fill(const StillPicture& picture, QString* error)
{
    QImage image = picture.m_image;
    const QImage::Format fmt = image.format();
    if (fmt != QImage::Format_RGB32 && fmt != QImage::Format_ARGB32 && fmt != QImage::Format_Grayscale8)
        image = image.convertToFormat(QImage::Format_RGB32);
    const AVFrame* f = video->frame;
    const QSize frameSize(f->width, f->height);
    const QRect r = fittedRect(image.size(), frameSize);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    if (r.size() != frameSize && (!(desc->flags & AV_PIX_FMT_FLAG_PLANAR) || (desc->flags & AV_PIX_FMT_FLAG_RGB))) {
        // Rare encoders work on packed pixels: fit the picture with Qt first.
        QImage canvas(frameSize, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter p(&canvas);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(r, image);
        p.end();
        image = canvas;
    }
    return convert(sourceOf(image), error);
}

bool FrameEncoder::Impl::convert(const Source& source, QString* error)
{
    AVFrame* f = video->frame;
    if (av_frame_make_writable(f) < 0) {
        *error = QStringLiteral("Out of memory");
        return false;
    }
    const QSize frameSize(f->width, f->height);
    const QRect r = fittedRect(QSize(source.width, source.height), frameSize);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    uint8_t* dst[4] = {f->data[0], f->data[1], f->data[2], f->data[3]};
    if (r.size() != frameSize) {
        ptrdiff_t lines[4] = {f->linesize[0], f->linesize[1], f->linesize[2], f->linesize[3]};
        av_image_fill_black(f->data, lines, AVPixelFormat(f->format), AVCOL_RANGE_MPEG, f->width, f->height);
        for (int i = 0; i < 4 && dst[i]; ++i) {
            const int sx = i == 1 || i == 2 ? desc->log2_chroma_w : 0;
            const int sy = i == 1 || i == 2 ? desc->log2_chroma_h : 0;
            dst[i] += (r.y() >> sy) * f->linesize[i] + (r.x() >> sx);
        }
    }
    // Same size: a plain conversion; else a good scaler.
    const bool same = r.width() == source.width && r.height() == source.height;
    sws = sws_getCachedContext(sws, source.width, source.height, source.format, r.width(), r.height(),
                               AVPixelFormat(f->format), same ? SWS_BILINEAR : SWS_BICUBIC, nullptr, nullptr,
                               nullptr);
    if (!sws) {
        *error = QStringLiteral("Cannot convert the pictures");
        return false;
    }
    const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(sws, coefficients, source.fullRange, coefficients, 0, 0, 1 << 16, 1 << 16);
    sws_scale(sws, source.data, source.lines, 0, source.height, dst, f->linesize);
    return true;
}

FrameEncoder::FrameEncoder() : d(std::make_unique<Impl>()) {}
FrameEncoder::~FrameEncoder() = default;

bool FrameEncoder::open(const QString& target, const FrameFormat& format)
{
    d = std::make_unique<Impl>();
    m_frames = 0;
    m_error.clear();
    if (!mediaLibrariesLoaded(&m_error))
        return false;
    if (format.width < 1 || format.height < 1 || format.rateNum < 1 || format.rateDen < 1) {
        m_error = QStringLiteral("The frame size or rate is not valid");
        return false;
    }
    if (!d->output.open(target, &m_error))
        return false;
    VideoTuning tuning;
    tuning.exactRate = true;
    tuning.quantiser = format.quantiser;
    tuning.stillPictures = true;
    tuning.fromRgb = true;
    d->video = d->output.addVideo(format.width, format.height, AVRational{format.rateNum, format.rateDen},
                                  format.encoder, &m_error, tuning);
    if (!d->video)
        return false;
    d->open = d->output.begin(&m_error);
    return d->open;
}

int FrameEncoder::frameWidth() const { return d->video ? d->video->ctx->width : 0; }
int FrameEncoder::frameHeight() const { return d->video ? d->video->ctx->height : 0; }

bool FrameEncoder::addPicture(const StillPicture& picture, int repeat)
{
    if (!d->open) {
        m_error = QStringLiteral("The file is not open");
        return false;
    }
    if (repeat < 1)
        return true;
    if (picture.isNull()) {
        m_error = QStringLiteral("The picture is empty");
        return false;
    }
    if (!d->fill(picture, &m_error))
        return false;
    for (int i = 0; i < repeat; ++i) {
        if (!d->output.encodeAgain(*d->video, m_frames, &m_error))
            return false;
        ++m_frames;
    }
    return true;
}

bool FrameEncoder::finish()
{
    if (!d->open) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The file is not open");
        return false;
    }
    d->open = false;
    if (m_frames == 0) {
        m_error = QStringLiteral("No frame was written");
        d->output.abort();
        return false;
    }
    if (!d->output.encodeVideo(*d->video, nullptr, 0, &m_error) || !d->output.finish(&m_error)) {
        d->output.abort();
        return false;
    }
    return true;
}

} // namespace platform
