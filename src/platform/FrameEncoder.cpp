#include "platform/FrameEncoder.h"

#include "platform/AvSupport.h"

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

AVPixelFormat pixelFormatOf(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8)
        return AV_PIX_FMT_GRAY8;
    // RGB32 and ARGB32 are 0xAARRGGBB words; the sound alpha is left out.
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
}

} // namespace

struct FrameEncoder::Impl {
    Output output;
    Encoder* video = nullptr;
    SwsContext* sws = nullptr;
    bool open = false;
    ~Impl() { sws_freeContext(sws); }

    // Converts the picture into the encoder's frame.
    bool fill(const QImage& picture, QString* error);
};

bool FrameEncoder::Impl::fill(const QImage& source, QString* error)
{
    AVFrame* f = video->frame;
    if (av_frame_make_writable(f) < 0) {
        *error = QStringLiteral("Out of memory");
        return false;
    }
    QImage picture = source;
    const QImage::Format fmt = picture.format();
    if (fmt != QImage::Format_RGB32 && fmt != QImage::Format_ARGB32 && fmt != QImage::Format_Grayscale8)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    const QSize frameSize(f->width, f->height);
    const QRect r = fittedRect(picture.size(), frameSize);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    const bool planarYuv = desc && (desc->flags & AV_PIX_FMT_FLAG_PLANAR) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    if (r.size() != frameSize && !planarYuv) {
        // Rare encoders work on packed pixels: fit the picture with Qt first.
        QImage canvas(frameSize, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter p(&canvas);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(r, picture);
        p.end();
        return fill(canvas, error);
    }
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
    // Same size: a plain colour conversion; else a good scaler.
    const int flags = r.size() == picture.size() ? SWS_BILINEAR : SWS_BICUBIC;
    sws = sws_getCachedContext(sws, picture.width(), picture.height(), pixelFormatOf(picture), r.width(), r.height(),
                               AVPixelFormat(f->format), flags, nullptr, nullptr, nullptr);
    if (!sws) {
        *error = QStringLiteral("Cannot convert the pictures");
        return false;
    }
    const uint8_t* src[4] = {picture.constBits(), nullptr, nullptr, nullptr};
    const int srcLines[4] = {int(picture.bytesPerLine()), 0, 0, 0};
    sws_scale(sws, src, srcLines, 0, picture.height(), dst, f->linesize);
    return true;
}

FrameEncoder::FrameEncoder() : d(std::make_unique<Impl>()) {}
FrameEncoder::~FrameEncoder() = default;

bool FrameEncoder::open(const QString& target, const FrameFormat& format)
{
    d = std::make_unique<Impl>();
    m_frames = 0;
    m_error.clear();
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
    d->video = d->output.addVideo(format.width, format.height, AVRational{format.rateNum, format.rateDen},
                                  format.encoder, &m_error, tuning);
    if (!d->video)
        return false;
    d->open = d->output.begin(&m_error);
    return d->open;
}

int FrameEncoder::frameWidth() const { return d->video ? d->video->ctx->width : 0; }
int FrameEncoder::frameHeight() const { return d->video ? d->video->ctx->height : 0; }

bool FrameEncoder::addPicture(const QImage& picture, int repeat)
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
