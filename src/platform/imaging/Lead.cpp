#include "platform/imaging/Lead.h"

#include "platform/controls/Dialogs.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureEffects.h"
#include "platform/pictures/PictureOps.h"
#include "platform/devices/AcquireWindow.h"
#include "platform/devices/SaneSource.h"
#include "platform/media/ViewWindowPlace.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

#include <cmath>

namespace platform {

// ---------------------------------------------------------------- pan window

class PanWindow : public QWidget {
public:
    explicit PanWindow(Lead* lead) : QWidget(lead->window(), Qt::Tool), m_lead(lead)
    {
        setObjectName(QStringLiteral("PanWindow"));
        setAttribute(Qt::WA_DeleteOnClose, false);
    }

protected:
    QRectF pictureArea() const
    {
        if (!m_lead->HasBitmap())
            return {};
        const QSizeF s = QSizeF(m_lead->BitmapWidth(), m_lead->BitmapHeight()).scaled(size(), Qt::KeepAspectRatio);
        return QRectF(QPointF((width() - s.width()) / 2, (height() - s.height()) / 2), s);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::darkGray);
        const QRectF area = pictureArea();
        if (area.isEmpty())
            return;
        m_lead->Render(&p, area.toRect());
        // The part the control shows.
        const QRectF shown = m_lead->displayRect();
        if (shown.isEmpty())
            return;
        const double sx = area.width() / shown.width(), sy = area.height() / shown.height();
        const QRect client = m_lead->clientRect();
        QRectF view(area.left() + (client.left() - shown.left()) * sx, area.top() + (client.top() - shown.top()) * sy,
                    client.width() * sx, client.height() * sy);
        p.setPen(QPen(resolveOleColor(m_lead->PanWinRectColor), 1));
        p.drawRect(view.intersected(area));
    }
    void mousePressEvent(QMouseEvent* e) override { moveView(e->position()); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            moveView(e->position());
    }

private:
    void moveView(const QPointF& at)
    {
        const QRectF area = pictureArea();
        const QRectF shown = m_lead->displayRect();
        if (area.isEmpty() || shown.isEmpty())
            return;
        const double fx = (at.x() - area.left()) / area.width(), fy = (at.y() - area.top()) / area.height();
        const QRect client = m_lead->clientRect();
        m_lead->setPanOffset(QPoint(int(fx * shown.width() - client.width() / 2.0),
                                    int(fy * shown.height() - client.height() / 2.0)));
        update();
    }
    Lead* m_lead;
};

// ---------------------------------------------------------------- the control

namespace {
sane::Device g_twainDevice; // the source chosen last, for the whole program
}

Lead::Lead(QWidget* parent, PartScheduler& parts) : QWidget(parent), m_parts(&parts)
{
    setUpImageReaders();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    m_animationTimer.setSingleShot(true);
    connect(&m_animationTimer, &QTimer::timeout, this, &Lead::nextFrame);
}

Lead::~Lead()
{
    abortFetch();
    delete m_panWindow;
}

// ---- files

int Lead::Load(const QString& file, int bits, int page, int pages)
{
    // A large picture as stored is shown in parts until every pixel is needed.
    if (bits == 0)
        if (std::shared_ptr<PictureSource> source = PictureSource::open(file, page, pages)) {
            abortFetch();
            m_frames.clear();
            m_delays = {0};
            m_index = 0;
            dropSource();
            m_source = std::move(source);
            m_bits = m_source->info().bits;
            m_loadedPage = m_source->info().page;
            m_info = m_source->info();
            m_region = QPainterPath();
            m_pan = QPoint();
            pictureChanged(true);
            return 0;
        }
    if (bits == 0 && readThroughMagick(file))
        return loadLater(file, page, pages);
    PictureData d;
    const int r = readPicture(file, page, pages, &d);
    if (r != 0)
        return r;
    if (bits != 0) {
        QImage::Format f = QImage::Format_Invalid;
        switch (bits) {
        case 1: f = QImage::Format_Mono; break;
        case 8: f = QImage::Format_Indexed8; break;
        case 24: f = QImage::Format_RGB32; break;
        case 32: f = QImage::Format_ARGB32; break;
        default: return err::InvalidBitsPerPixel;
        }
        for (QImage& img : d.frames)
            img = img.convertToFormat(f);
        d.bits = bits;
    }
    abortFetch();
    dropSource();
    m_frames = d.frames;
    m_delays = d.delays;
    m_index = 0;
    m_bits = d.bits;
    m_loadedPage = d.firstPage;
    m_info = infoOf(d, QFileInfo(file).size());
    m_region = QPainterPath();
    m_pan = QPoint();
    pictureChanged(true);
    return 0;
}

// A picture ImageMagick reads: its facts from its header at once, its
// pages from a decode on a worker, the hourglass until they are there.
int Lead::loadLater(const QString& file, int page, int pages)
{
    int error = 0;
    std::shared_ptr<PendingPicture> pending = PendingPicture::open(file, page, pages, &error);
    if (!pending)
        return error;
    abortFetch();
    m_frames.clear();
    m_delays.clear();
    m_index = 0;
    dropSource();
    m_pending = std::move(pending);
    m_info = m_pending->info();
    m_bits = m_info.bits;
    m_loadedPage = m_info.page;
    m_region = QPainterPath();
    m_pan = QPoint();
    waitForPending();
    pictureChanged(true);
    return 0;
}

// Asks for the decode of the picture opened from its header (its first
// asker starts it) and shows the hourglass until it is there.
void Lead::waitForPending()
{
    const PendingPicture* asked = m_pending.get(); // not held: the picture holds what it calls back
    m_pending->later(*m_parts, this, [this, asked] {
        if (asked == m_pending.get())
            pendingArrived();
    });
    showPointer();
}

// The decode of the picture opened from its header is there: its pages
// take the place of the wait, or, when it failed, the control is empty.
// 0 or the decode's error.
int Lead::takePending()
{
    const std::shared_ptr<PendingPicture> pending = std::move(m_pending);
    const int r = pending->error();
    m_index = 0;
    if (r == 0) {
        const PictureData& d = pending->picture();
        m_frames = d.frames;
        m_delays = d.delays;
        m_bits = d.bits;
        m_loadedPage = d.firstPage;
        m_info = infoOf(d, m_info.sizeDisk);
    } else {
        m_frames.clear();
        m_delays.clear();
        m_bits = 0;
        m_info = PictureInfo();
        m_region = QPainterPath();
    }
    ++m_generation;
    showPointer();
    return r;
}

void Lead::pendingArrived()
{
    const QSize told = m_pending->size();
    if (const int r = takePending()) {
        update();
        if (!m_failureTold) {
            m_failureTold = true;
            emit PictureFailed(r);
        }
        return;
    }
    const bool resized = told != QSize(BitmapWidth(), BitmapHeight());
    pictureChanged(resized);
    restartAnimation();
    if (resized)
        emit PictureResized();
}

int Lead::GetFileInfo(const QString& file, int page, int)
{
    PictureInfo info;
    const int r = readPictureInfo(file, page, &info);
    if (r == 0)
        m_info = info;
    return r;
}

int Lead::Save(const QString& file, int format, int bits, int quality, int mode)
{
    m_saveFileError = 0;
    if (!HasBitmap())
        return err::InvalidBitmap;
    if (mode != 0 && mode != 3 && mode != 1)
        return err::InvalidParameter;
    if (const int r = wholePicture())
        return r;
    const bool append = mode == 3;
    const bool multi = m_saveMultiPage || mode == 1;
    const QList<QImage> pages = multi ? m_frames : QList<QImage>{Bitmap()};
    return writePicture(file, pages, format, bits, quality, multi, append, &m_saveFileError);
}

// ---- the picture

QImage Lead::Bitmap() const
{
    if (wholePicture() != 0 || m_frames.isEmpty())
        return {};
    return m_frames.at(std::clamp(m_index, 0, int(m_frames.size()) - 1));
}

void Lead::setBitmap(const QImage& image)
{
    if (image.isNull()) {
        ClearBitmap();
        return;
    }
    dropSource();
    m_frames = {image};
    m_delays = {0};
    m_index = 0;
    m_bits = bitsOfImage(image);
    m_region = QPainterPath();
    pictureChanged(true);
}

void Lead::CopyBitmap(const Lead& from)
{
    if (&from == this)
        return;
    m_frames = from.m_frames; // implicitly shared: copied on the first change
    m_delays = from.m_delays;
    m_source = from.m_source; // a large load not yet decoded whole: shared too
    m_pending = from.m_pending; // a picture opened from its header: its decode too
    m_part = from.m_part;
    m_partRect = from.m_partRect;
    m_partAsked = false;
    m_failedPart = {};
    m_overview = from.m_overview;
    m_overviewAsked = false;
    m_failedOverview = {};
    m_magPart = from.m_magPart;
    m_magRect = from.m_magRect;
    m_magAsked = false;
    m_failureTold = false;
    m_index = from.m_index;
    m_bits = from.m_bits;
    m_region = QPainterPath();
    if (m_pending)
        waitForPending();
    else
        showPointer();
    pictureChanged(true);
}

void Lead::ClearBitmap()
{
    dropSource();
    m_frames.clear();
    m_delays.clear();
    m_index = 0;
    m_bits = 0;
    m_region = QPainterPath();
    m_pan = QPoint();
    pictureChanged(true);
}

int Lead::BitmapListCount() const
{
    // How many pages a picture opened from its header holds is known once it is decoded.
    if (m_pending)
        wholePicture();
    return m_source ? 1 : int(m_frames.size());
}

int Lead::BitmapWidth() const
{
    if (m_pending)
        return m_pending->size().width();
    if (m_source)
        return m_source->size().width();
    return HasBitmap() ? m_frames.at(std::clamp(m_index, 0, int(m_frames.size()) - 1)).width() : 0;
}

int Lead::BitmapHeight() const
{
    if (m_pending)
        return m_pending->size().height();
    if (m_source)
        return m_source->size().height();
    return HasBitmap() ? m_frames.at(std::clamp(m_index, 0, int(m_frames.size()) - 1)).height() : 0;
}

int Lead::wholePicture() const
{
    if (m_pending) {
        m_pending->now(*m_parts);
        return const_cast<Lead*>(this)->takePending();
    }
    if (!m_source)
        return 0;
    QImage whole;
    if (const int r = m_source->whole(*m_parts, &whole))
        return r;
    takeWhole(whole);
    return 0;
}

int Lead::DecodeWhole()
{
    if (m_source && m_source->changed())
        if (const int r = reloadChanged(false))
            return r;
    const bool large = m_source || m_pending;
    const int r = wholePicture();
    if (r != 0 && large)
        m_failureTold = true;
    return r;
}

void Lead::takeWhole(const QImage& whole) const
{
    m_frames = {whole};
    m_delays = {0};
    m_source.reset();
    m_part = QImage();
    m_partRect = QRect();
    m_overview = QImage();
    m_magPart = QImage();
    m_magRect = QRect();
    ++m_generation;
}

void Lead::dropSource()
{
    if (m_pending) {
        m_pending.reset();
        showPointer();
    }
    m_source.reset();
    m_part = QImage();
    m_partRect = QRect();
    m_partAsked = false;
    m_failedPart = {};
    m_overview = QImage();
    m_overviewAsked = false;
    m_failedOverview = {};
    m_magPart = QImage();
    m_magRect = QRect();
    m_magAsked = false;
    m_failureTold = false;
}

void Lead::setBitmapListIndex(int index)
{
    if (index < 0 || index >= m_frames.size() || index == m_index)
        return;
    m_index = index;
    pictureChanged(false);
}

int Lead::BitmapDelay() const { return m_index < m_delays.size() ? m_delays.at(m_index) : 0; }

void Lead::setBitmapDelay(int ms)
{
    if (m_index < m_delays.size())
        m_delays[m_index] = std::max(0, ms);
}

int Lead::InsertBitmapListItem(int index, const QImage& image, int delayMs)
{
    if (image.isNull())
        return err::InvalidBitmap;
    if (const int r = wholePicture())
        return r;
    if (index < 0 || index > m_frames.size())
        index = int(m_frames.size());
    const bool first = m_frames.isEmpty();
    m_frames.insert(index, image);
    m_delays.insert(index, std::max(0, delayMs));
    if (first)
        m_bits = bitsOfImage(image);
    pictureChanged(first);
    return 0;
}

void Lead::setAnimationEnable(bool on)
{
    m_animationEnable = on;
    restartAnimation();
}

void Lead::restartAnimation()
{
    m_animationTimer.stop();
    if (m_animationEnable && m_frames.size() > 1)
        m_animationTimer.start(std::max(10, BitmapDelay()));
}

void Lead::nextFrame()
{
    if (!m_animationEnable || m_frames.size() < 2)
        return;
    int next = m_index + 1;
    if (next >= m_frames.size()) {
        if (!m_animationLoop)
            return;
        next = 0;
    }
    m_index = next;
    ++m_generation;
    update();
    m_animationTimer.start(std::max(10, BitmapDelay()));
}

// ---- display

void Lead::pictureChanged(bool sizeMayChange)
{
    ++m_generation;
    if (sizeMayChange) {
        applyAutoSize();
        clampPan();
        restartAnimation();
    }
    if (m_panWindow)
        m_panWindow->update();
    if (m_autoRepaint)
        update();
}

void Lead::applyAutoSize()
{
    if (!m_autoSize || m_paintSizeMode != 0 || !HasBitmap())
        return;
    resize(sizeForPicture());
}

QSize Lead::sizeForPicture() const
{
    const double z = m_zoom / 100.0;
    const int frame = 2 * frameWidth();
    return QSize(int(std::lround(BitmapWidth() * z)) + frame, int(std::lround(BitmapHeight() * z)) + frame);
}

void Lead::setPaintSizeMode(int mode)
{
    m_paintSizeMode = mode == 1 || mode == 3 ? mode : 0;
    m_pan = QPoint();
    pictureChanged(true);
}

void Lead::setPaintZoomFactor(int percent)
{
    m_zoom = std::clamp(percent, 1, 3200);
    pictureChanged(true);
}

QRect Lead::clientRect() const
{
    const int f = frameWidth();
    return rect().adjusted(f, f, -f, -f);
}

QRectF Lead::displayRect() const
{
    if (!HasBitmap())
        return {};
    const double bw = BitmapWidth(), bh = BitmapHeight();
    const QRectF c(clientRect());
    switch (m_paintSizeMode) {
    case 1: return c;
    case 3: {
        const double s = std::min(c.width() / bw, c.height() / bh);
        const QSizeF size(bw * s, bh * s);
        return QRectF(c.topLeft() + QPointF((c.width() - size.width()) / 2, (c.height() - size.height()) / 2), size);
    }
    default: {
        const double z = m_zoom / 100.0;
        return QRectF(c.left() - m_pan.x(), c.top() - m_pan.y(), bw * z, bh * z);
    }
    }
}

// What shows of the picture's area: a control as large as its picture is
// cut by the panel that holds it. The whole area when the control is not on
// screen (drawn into a picture).
QRect Lead::visibleArea() const
{
    const QRect area = visibleRegion().boundingRect();
    return (area.isEmpty() ? rect() : area).intersected(clientRect());
}

QRect Lead::ShownArea() const { return displayRect().toAlignedRect().intersected(visibleArea()); }

int Lead::DstWidth() const { return int(std::lround(displayRect().width())); }
int Lead::DstHeight() const { return int(std::lround(displayRect().height())); }

QPointF Lead::toPicture(const QPointF& w) const
{
    const QRectF d = displayRect();
    if (d.isEmpty())
        return {};
    return QPointF((w.x() - d.left()) * BitmapWidth() / d.width(), (w.y() - d.top()) * BitmapHeight() / d.height());
}

QRectF Lead::toWidget(const QRectF& r) const
{
    const QRectF d = displayRect();
    if (d.isEmpty())
        return {};
    const double sx = d.width() / BitmapWidth(), sy = d.height() / BitmapHeight();
    return QRectF(d.left() + r.left() * sx, d.top() + r.top() * sy, r.width() * sx, r.height() * sy);
}

void Lead::setAutoSize(bool on)
{
    m_autoSize = on;
    applyAutoSize();
}

void Lead::setAutoRepaint(bool on)
{
    m_autoRepaint = on;
    if (on)
        update();
}

void Lead::setBackColor(OleColor c)
{
    m_backColor = c;
    update();
}

void Lead::setAppearance(int v)
{
    m_appearance = v;
    update();
}

void Lead::setBorderStyle(int v)
{
    m_borderStyle = v;
    applyAutoSize();
    clampPan();
    update();
}

void Lead::setMousePointer(int pointer)
{
    m_mousePointer = pointer;
    showPointer();
}

// The pointer asked for, or the hourglass while the picture's decode is not there.
void Lead::showPointer()
{
    if (m_pending) {
        setCursor(Qt::WaitCursor);
        return;
    }
    switch (m_mousePointer) {
    case 0: unsetCursor(); break;
    case 1: setCursor(Qt::ArrowCursor); break;
    case 2: setCursor(Qt::CrossCursor); break;
    case 11: setCursor(Qt::WaitCursor); break;
    default: unsetCursor(); break;
    }
}

void Lead::ForceRepaint()
{
    ++m_generation;
    update();
    if (m_panWindow)
        m_panWindow->update();
}

void Lead::setPanOffset(const QPoint& p)
{
    m_pan = p;
    clampPan();
    update();
    if (m_panWindow)
        m_panWindow->update();
}

void Lead::clampPan()
{
    if (m_paintSizeMode != 0 || !HasBitmap()) {
        m_pan = QPoint();
        return;
    }
    const double z = m_zoom / 100.0;
    const QRect client = clientRect();
    const int maxX = std::max(0, int(BitmapWidth() * z) - client.width());
    const int maxY = std::max(0, int(BitmapHeight() * z) - client.height());
    m_pan = QPoint(std::clamp(m_pan.x(), 0, maxX), std::clamp(m_pan.y(), 0, maxY));
}

void Lead::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    clampPan();
}

void Lead::Render(QPainter* painter, const QRect& target) const
{
    if (!painter || !HasBitmap() || m_pending || target.isEmpty())
        return;
    QImage img;
    if (m_source) {
        // A large load: the part decoded already when it shows the whole
        // picture finely enough, else the whole picture at this size, decoded
        // on a worker (nothing is drawn until it is there).
        const QRect all(QPoint(), m_source->size());
        const QSize want = target.size().boundedTo(all.size());
        if (m_partRect == all && m_part.width() >= want.width() && m_part.height() >= want.height())
            img = m_part;
        else if (m_overview.width() >= want.width() && m_overview.height() >= want.height())
            img = m_overview;
        else
            return askForOverview(want);
    } else {
        img = Bitmap();
    }
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(target, img);
    painter->restore();
}

void Lead::askForOverview(const QSize& size) const
{
    // A size that failed is not asked again.
    if (m_overviewAsked || size == m_failedOverview)
        return;
    m_overviewAsked = true;
    const std::shared_ptr<PictureSource> source = m_source;
    auto* self = const_cast<Lead*>(this);
    const QRect all(QPoint(), source->size());
    source->partLater(*m_parts, all, size, self, [self, source, size](int r, const QImage& img) {
        if (source != self->m_source)
            return;
        self->m_overviewAsked = false;
        // Damaged: what was decoded before the damage still shows, in the
        // picture's own shape, the rest as background.
        if (!img.isNull()) {
            self->m_overview = img;
            self->update();
            if (self->m_panWindow)
                self->m_panWindow->update();
        }
        if (r != 0) {
            self->m_failedOverview = size;
            self->partFailed(r);
        }
    });
}

void Lead::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), resolveColor(ColorRole::Background, m_backColor));
    m_picturePainted = false;
    // A picture whose decode is not there yet shows nothing but the hourglass.
    if (HasBitmap() && !m_pending) {
        // The picture stays inside the frame.
        p.save();
        p.setClipRect(clientRect());
        const QRectF d = displayRect();
        m_picturePainted = !m_source;
        if (m_source) {
            paintPart(p, d);
        } else if (m_paintSizeMode == 0) {
            const QImage& img = m_frames.at(std::clamp(m_index, 0, int(m_frames.size()) - 1));
            // Only the part of the picture that shows is drawn.
            const QRectF visible = d.intersected(QRectF(clientRect()));
            if (!visible.isEmpty()) {
                const double z = m_zoom / 100.0;
                const QRectF source((visible.left() - d.left()) / z, (visible.top() - d.top()) / z,
                                    visible.width() / z, visible.height() / z);
                if (m_zoom == 100)
                    p.drawImage(visible.topLeft(), img, source);
                else
                    p.drawImage(visible, img, source);
            }
        } else {
            const QImage& img = m_frames.at(std::clamp(m_index, 0, int(m_frames.size()) - 1));
            const QSize want = d.size().toSize();
            if (want.width() < img.width() || want.height() < img.height()) {
                if (m_cacheGeneration != m_generation || m_cacheSize != want) {
                    m_cache = ops::shrunk(img, want);
                    m_cacheSize = want;
                    m_cacheGeneration = m_generation;
                }
                p.drawImage(d.topLeft(), m_cache);
            } else {
                p.drawImage(d, img);
            }
        }
        // The marked region and the ellipse being dragged.
        if (!m_region.isEmpty()) {
            p.setPen(QPen(Qt::white, 1, Qt::DashLine));
            p.drawEllipse(toWidget(m_region.boundingRect()));
        }
        if (m_marking) {
            p.setPen(QPen(Qt::white, 1, Qt::DashLine));
            p.drawEllipse(QRect(m_markStart, m_markNow).normalized());
        }
        if (m_mag.active && m_mag.showing)
            paintMagnifier(p);
        p.restore();
    }
    if (m_borderStyle != 0) {
        p.setPen(palette().color(m_appearance == 1 ? QPalette::Dark : QPalette::WindowText));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

namespace {

// Whether an image of the picture's area `at` has at least as many pixels
// per picture pixel as `part` shows at `shown` (one pixel spare).
bool fineEnough(const QImage& img, const QRect& at, const QRect& part, const QSize& shown)
{
    return !img.isNull() && at.contains(part) &&
           qint64(img.width()) * part.width() + at.width() >= qint64(shown.width()) * at.width() &&
           qint64(img.height()) * part.height() + at.height() >= qint64(shown.height()) * at.height();
}

} // namespace

// A large load: the part of the picture that shows, decoded at the size it
// shows on a worker. A paint never decodes: it draws what it holds, the
// whole picture at the control's size under the part decoded last, so that
// what is not decoded sharply yet shows coarser, never as background.
void Lead::paintPart(QPainter& p, const QRectF& d)
{
    const QRectF visible = d.intersected(QRectF(visibleArea()));
    if (visible.isEmpty())
        return;
    const bool covered = askForShown(d, visible);
    p.save();
    p.setClipRect(visible, Qt::IntersectClip);
    drawDecoded(p, d, QRectF(QPointF(), QSizeF(m_source->size())));
    p.restore();
    m_picturePainted = covered;
}

// Asks workers for what the control shows (`visible` of the picture drawn at
// `d`) and what it is likely to show next, unless held or asked already.
// True when what is held covers what shows finely enough.
bool Lead::askForShown(const QRectF& d, const QRectF& visible)
{
    const QRect all(QPoint(), m_source->size());
    const double sx = d.width() / all.width(), sy = d.height() / all.height();
    const auto pictureArea = [&](const QRectF& w) {
        return QRectF((w.left() - d.left()) / sx, (w.top() - d.top()) / sy, w.width() / sx, w.height() / sy)
            .toAlignedRect()
            .intersected(all);
    };
    const auto shownSize = [&](const QRect& r) {
        return QSize(std::min(r.width(), int(std::ceil(r.width() * sx))),
                     std::min(r.height(), int(std::ceil(r.height() * sy))));
    };
    const QRect part = pictureArea(visible);
    if (part.isEmpty())
        return false;
    const QSize shown = shownSize(part);
    if (m_source->changed() && !m_failureTold) {
        // Written over in place: loaded again, after this paint, as the picture it is now.
        m_failureTold = true;
        const std::shared_ptr<PictureSource> was = m_source;
        QMetaObject::invokeMethod(
            this,
            [this, was] {
                if (was == m_source)
                    reloadChanged(true);
            },
            Qt::QueuedConnection);
    }
    const bool covered = fineEnough(m_part, m_partRect, part, shown) || fineEnough(m_overview, all, part, shown);
    if (part == all) {
        // The whole picture shows: it is the overview that is wanted, finer.
        if (m_overview.isNull())
            askForOverview(overviewSize());
        if (!covered && !m_overviewAsked)
            askForOverview(shown);
        return covered;
    }
    // The overview, for what is not decoded sharply yet while the picture
    // moves, is asked for once the part on show is painted, so that it
    // never competes with that part.
    if (covered && m_overview.isNull() && !m_overviewAsked)
        QMetaObject::invokeMethod(
            this,
            [this, held = m_source] {
                if (held == m_source && m_overview.isNull())
                    askForOverview(overviewSize());
            },
            Qt::QueuedConnection);
    // A margin of a quarter of the view on every side, asked for before
    // the view reaches the edge of the part held, keeps a moving picture
    // sharp. While nothing held shows the view, the view alone is asked for
    // first: it shows sooner, and its margin follows.
    const double mx = visible.width() / 4, my = visible.height() / 4;
    const QRect nearby = pictureArea(visible.adjusted(-mx / 2, -my / 2, mx / 2, my / 2));
    if (!fineEnough(m_part, m_partRect, nearby, shownSize(nearby))) {
        const QRect wanted = covered ? pictureArea(visible.adjusted(-mx, -my, mx, my)) : part;
        askForPart(wanted, shownSize(wanted));
    }
    return covered;
}

// The whole picture fitted into what shows of the control (at most the screen).
QSize Lead::overviewSize() const
{
    const QSize picture = m_source->size();
    QSize box = visibleArea().size();
    if (const QScreen* s = screen())
        box = box.boundedTo(s->size());
    return QSizeF(picture).scaled(QSizeF(box), Qt::KeepAspectRatio).toSize().expandedTo({1, 1}).boundedTo(picture);
}

// Draws the picture's area `source` into `target` from the decodes held,
// the coarsest first, so that a finer one covers it where it is there.
void Lead::drawDecoded(QPainter& p, const QRectF& target, const QRectF& source) const
{
    if (source.isEmpty())
        return;
    const double sx = target.width() / source.width(), sy = target.height() / source.height();
    const QRectF all(QPointF(), QSizeF(m_source->size()));
    // Pixels of the image per pixel drawn.
    const auto density = [&](const QImage& img, const QRectF& at) { return img.width() / (at.width() * sx); };
    // A part much finer than it is drawn would only be sampled down unevenly
    // over the overview, once that is fine enough itself.
    const bool overviewFine = !m_overview.isNull() && density(m_overview, all) >= 0.99;
    const auto draw = [&](const QImage& img, const QRectF& at) {
        if (img.isNull() || !at.intersects(source) || (&img != &m_overview && overviewFine && density(img, at) > 2))
            return;
        const QRectF to(target.left() + (at.left() - source.left()) * sx, target.top() + (at.top() - source.top()) * sy,
                        at.width() * sx, at.height() * sy);
        p.setRenderHint(QPainter::SmoothPixmapTransform, to.size().toSize() != img.size());
        p.drawImage(to, img);
    };
    p.save();
    p.setClipRect(target, Qt::IntersectClip);
    draw(m_overview, all);
    draw(m_part, QRectF(m_partRect));
    draw(m_magPart, QRectF(m_magRect));
    p.restore();
}

void Lead::askForPart(const QRect& part, const QSize& size)
{
    // One decode at a time: the paint that follows its arrival asks for
    // whatever is wanted by then. A part that failed is not asked again.
    if (m_partAsked || m_failedPart == std::pair(part, size))
        return;
    m_partAsked = true;
    const std::shared_ptr<PictureSource> source = m_source;
    source->partLater(*m_parts, part, size, this, [this, source, part, size](int r, const QImage& img) {
        if (source != m_source)
            return;
        m_partAsked = false;
        m_failedPart = r != 0 ? std::pair(part, size) : std::pair(QRect(), QSize());
        // Damaged: the rows before the damage, as for the overview.
        if (!img.isNull()) {
            m_part = img;
            m_partRect = part;
            update();
            if (m_panWindow)
                m_panWindow->update();
        }
        if (r != 0)
            partFailed(r);
    });
}

// The part under the magnifier at its own size (and as much around it as the
// glass shows again), unless a part held has it so already.
void Lead::askForMagnified(const QRectF& source)
{
    const QRect all(QPoint(), m_source->size());
    const QRect under = source.toAlignedRect().intersected(all);
    if (under.isEmpty() || m_magAsked || fineEnough(m_magPart, m_magRect, under, under.size()) ||
        fineEnough(m_part, m_partRect, under, under.size()))
        return;
    const QRect wanted = under.adjusted(-under.width(), -under.height(), under.width(), under.height()).intersected(all);
    m_magAsked = true;
    const std::shared_ptr<PictureSource> held = m_source;
    held->partLater(*m_parts, wanted, wanted.size(), this, [this, held, wanted](int r, const QImage& img) {
        if (held != m_source)
            return;
        m_magAsked = false;
        if (r != 0)
            return partFailed(r);
        m_magPart = img;
        m_magRect = wanted;
        update();
    });
}

// A part of a large load could not be decoded. The file written over since
// it was opened is loaded again, as the new picture it is; otherwise it is
// damaged where its header did not tell, and that is told, once.
void Lead::partFailed(int error)
{
    if (m_source && m_source->changed())
        return void(reloadChanged(true));
    if (m_failureTold)
        return;
    m_failureTold = true;
    emit PictureFailed(error);
}

// Loads the file written over in place again, as the picture it is now; a
// failure is told (by the signal when `tell`, else by what it returns) once.
int Lead::reloadChanged(bool tell)
{
    if (const int r = Load(m_source->path(), 0, m_loadedPage)) {
        m_failureTold = true;
        if (tell)
            emit PictureFailed(r);
        return r;
    }
    emit PictureReloaded();
    return 0;
}

void Lead::paintMagnifier(QPainter& p)
{
    const QSizeF glass(m_mag.width, m_mag.height);
    const QRectF target(QPointF(m_mag.at) - QPointF(glass.width() / 2, glass.height() / 2), glass);
    const QPointF centre = toPicture(m_mag.at);
    const double z = std::max(1, m_mag.zoom) / 100.0;
    const QRectF source(centre.x() - glass.width() / (2 * z), centre.y() - glass.height() / (2 * z),
                        glass.width() / z, glass.height() / z);
    p.save();
    QPainterPath clip;
    if (m_mag.elliptic)
        clip.addEllipse(target);
    else
        clip.addRect(target);
    p.setClipPath(clip);
    p.fillRect(target, resolveColor(ColorRole::Background, m_mag.back));
    if (m_source) {
        // A large load: from what is decoded, and the part under the glass
        // at its own size from a worker.
        drawDecoded(p, target, source);
        askForMagnified(source);
    } else {
        p.drawImage(target, Bitmap(), source);
    }
    if (m_mag.crossHair != 0) {
        p.setPen(QPen(resolveOleColor(m_mag.pen), 1));
        p.drawLine(QPointF(target.center().x(), target.top()), QPointF(target.center().x(), target.bottom()));
        p.drawLine(QPointF(target.left(), target.center().y()), QPointF(target.right(), target.center().y()));
    }
    p.restore();
    p.setPen(QPen(resolveOleColor(m_mag.pen), std::max(1.0, m_mag.border)));
    if (m_mag.elliptic)
        p.drawEllipse(target);
    else
        p.drawRect(target);
}

// ---- mouse and keys

void Lead::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    int button = 0;
    switch (e->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: break;
    }
    m_pressed = true;
    m_ownFirstPress = true;
    m_pressPos = at;
    if (e->button() == Qt::LeftButton) {
        if (m_rgnMarkingMode == 3 && HasBitmap()) {
            m_marking = true;
            m_markStart = m_markNow = at;
        } else if (m_mag.active) {
            m_mag.showing = true;
            m_mag.at = at;
            update();
        } else if (m_autoPan && m_paintSizeMode == 0) {
            m_panning = true;
            m_panStart = at;
            m_panOrigin = m_pan;
        }
    }
    emit MouseDown(button, vbShift(e->modifiers()), at.x(), at.y());
}

void Lead::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (m_marking) {
        m_markNow = at;
        update();
    } else if (m_mag.showing) {
        m_mag.at = at;
        update();
    } else if (m_panning) {
        setPanOffset(m_panOrigin - (at - m_panStart));
    }
}

void Lead::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (m_marking) {
        m_marking = false;
        const QRect r = QRect(m_markStart, at).normalized();
        if (r.width() >= 2 && r.height() >= 2)
            SetRgnEllipse(QRectF(toPicture(r.topLeft()), toPicture(r.bottomRight())).toRect());
        update();
    }
    if (m_mag.showing) {
        m_mag.showing = false;
        update();
    }
    m_panning = false;
    const bool click = m_pressed && (at - m_pressPos).manhattanLength() < QApplication::startDragDistance();
    m_pressed = false;
    if (click && e->button() == Qt::LeftButton)
        emit Click();
}

void Lead::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!m_ownFirstPress)
        return mousePressEvent(e);
    m_ownFirstPress = false;
    emit DblClick();
}

// The pointer came in, or the control came up under it: the press before
// came to another control.
void Lead::enterEvent(QEnterEvent* e)
{
    m_ownFirstPress = false;
    QWidget::enterEvent(e);
}

void Lead::showEvent(QShowEvent* e)
{
    m_ownFirstPress = false;
    QWidget::showEvent(e);
}

void Lead::hideEvent(QHideEvent* e)
{
    m_ownFirstPress = false;
    QWidget::hideEvent(e);
}

void Lead::keyPressEvent(QKeyEvent* e)
{
    const int code = vbKeyCode(e->key(), e->modifiers());
    if (code != 0)
        emit KeyDown(code, vbShift(e->modifiers()));
    QWidget::keyPressEvent(e);
}

// ---- pan window

int Lead::ShowPanWin(bool show)
{
    if (!show) {
        if (m_panWindow)
            m_panWindow->hide();
        return 0;
    }
    if (!HasBitmap())
        return err::InvalidBitmap;
    if (!m_panWindow)
        m_panWindow = new PanWindow(this);
    m_panWindow->setWindowTitle(PanWinTitle);
    if (!PanWinIcon.isNull())
        m_panWindow->setWindowIcon(PanWinIcon);
    m_panWindow->setGeometry(panWindowPlace());
    m_panWindow->show();
    m_panWindow->update();
    return 0;
}

// The pan window's frame stands at PanWinX and PanWinY, unless it would
// cover the menus, tool bars or tabs of the window it belongs to: then below
// them. Either way the whole window, its caption too, is on the screen.
QRect Lead::panWindowPlace() const
{
    const QWidget* owner = window();
    const QMargins known = frameOf(m_panWindow);
    ViewWindowScene scene;
    scene.frame = known.isNull() ? frameLike(owner) : known;
    scene.least = QSize(std::max(16, PanWinWidth), std::max(16, PanWinHeight));
    scene.area = QRect(QPoint(PanWinX, PanWinY), scene.least.grownBy(scene.frame));
    scene.program = owner->frameGeometry();
    scene.tools = toolsOf(owner);
    const QScreen* screen = QGuiApplication::screenAt(scene.area.center());
    if (!screen)
        screen = owner->screen();
    scene.available = screen ? screen->availableGeometry() : scene.area;
    return placeOverTheArea(scene);
}

bool Lead::PanWinShown() const { return m_panWindow && m_panWindow->isVisible(); }
QWidget* Lead::panWindow() const { return m_panWindow; }

// ---- magnifier

int Lead::StartMagGlass(double width, double height, int zoom, OleColor penColor, OleColor backColor, bool elliptic,
                        double borderWidth, bool, int crossHair, bool, bool)
{
    if (width < 1 || height < 1 || zoom < 1)
        return err::InvalidParameter;
    m_mag.active = true;
    m_mag.showing = false;
    m_mag.width = width;
    m_mag.height = height;
    m_mag.zoom = zoom;
    m_mag.pen = penColor;
    m_mag.back = backColor;
    m_mag.elliptic = elliptic;
    m_mag.border = borderWidth;
    m_mag.crossHair = crossHair;
    return 0;
}

int Lead::StopMagGlass()
{
    m_mag.active = false;
    m_mag.showing = false;
    update();
    return 0;
}

// ---- regions

void Lead::setRgnMarkingMode(int mode)
{
    m_rgnMarkingMode = mode;
    if (mode != 3)
        m_marking = false;
    update();
}

void Lead::setRgnFrameType(int t)
{
    m_rgnFrameType = t;
    update();
}

int Lead::RgnLeft() const { return int(std::lround(m_region.boundingRect().left())); }
int Lead::RgnTop() const { return int(std::lround(m_region.boundingRect().top())); }
int Lead::RgnWidth() const { return int(std::lround(m_region.boundingRect().width())); }
int Lead::RgnHeight() const { return int(std::lround(m_region.boundingRect().height())); }

int Lead::SetRgnEllipse(const QRect& bounds)
{
    if (!HasBitmap())
        return err::InvalidBitmap;
    const QRect r = bounds.normalized().intersected(QRect(0, 0, BitmapWidth(), BitmapHeight()));
    if (r.isEmpty())
        return err::InvalidParameter;
    m_region = QPainterPath();
    m_region.addEllipse(r);
    update();
    return 0;
}

int Lead::FillRgn(OleColor color)
{
    if (!HasBitmap())
        return err::InvalidBitmap;
    if (m_region.isEmpty())
        return 0;
    if (const int r = wholePicture())
        return r;
    QImage img = Bitmap();
    ops::fill(img, m_region, resolveOleColor(color));
    m_frames[m_index] = img;
    m_bits = std::max(m_bits, bitsOfImage(img) == 32 ? 32 : 24);
    pictureChanged(false);
    return 0;
}

int Lead::FreeRgn()
{
    m_region = QPainterPath();
    update();
    return 0;
}

// ---- changes

int Lead::changeEveryFrame(int change, int (*op)(QImage&, int))
{
    if (!HasBitmap())
        return err::InvalidBitmap;
    if (change < -1000 || change > 1000)
        return err::InvalidParameter;
    if (const int r = wholePicture())
        return r;
    if (m_frames.size() == 1) {
        // One frame: the effect changes it whole or not at all.
        if (const int r = op(m_frames.first(), change))
            return r;
        pictureChanged(false);
        return 0;
    }
    // Every frame changes, or none does.
    QList<QImage> changed = m_frames;
    for (QImage& f : changed)
        if (const int r = op(f, change))
            return r;
    m_frames = changed;
    pictureChanged(false);
    return 0;
}

int Lead::Intensity(int change) { return changeEveryFrame(change, &effects::intensity); }
int Lead::Contrast(int change) { return changeEveryFrame(change, &effects::contrast); }

int Lead::Size(int width, int height, int flags)
{
    if (!HasBitmap())
        return err::InvalidBitmap;
    if (width < 1 || height < 1 || width > 65535 || height > 65535)
        return err::InvalidSize;
    // A size the imaging library could not hold or write is refused.
    if (!withinImagingLimits(width, height))
        return err::NoMemory;
    if (const int r = wholePicture())
        return r;
    QList<QImage> resized;
    for (const QImage& f : m_frames) {
        QImage r = ops::resized(f, width, height, flags == 2);
        if (r.isNull())
            return err::NoMemory;
        resized << r;
    }
    m_frames = resized;
    if (flags == 2 && m_bits < 24)
        m_bits = bitsOfImage(m_frames.first());
    m_region = QPainterPath();
    pictureChanged(true);
    return 0;
}

// ---- clipboard and screen

int Lead::Copy(int)
{
    if (!HasBitmap())
        return err::InvalidBitmap;
    if (const int r = wholePicture())
        return r;
    QGuiApplication::clipboard()->setImage(Bitmap());
    return 0;
}

int Lead::Capture(WId window, double left, double top, double width, double height)
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return err::Failure;
    const QPixmap shot = screen->grabWindow(window, int(left), int(top), int(width), int(height));
    if (shot.isNull())
        return err::Failure;
    setBitmap(shot.toImage().convertToFormat(QImage::Format_RGB32));
    return 0;
}

// ---- internet

void Lead::abortFetch()
{
    if (Download* d = m_fetch) {
        m_fetch = nullptr;
        d->disconnect(this);
        d->abort();
        d->deleteLater();
    }
}

void Lead::setFileNameHint(const QString& address)
{
    abortFetch();
    m_hint = address;
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    Download* fetch = nullptr;
    QString error;
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        fetch = startDownload(url, kMaxDownload, this, &error);
    if (!fetch) {
        if (!error.isEmpty())
            qWarning("%s", qPrintable(error));
        QMetaObject::invokeMethod(this, [this] { emit LoadStatus(3); }, Qt::QueuedConnection);
        return;
    }
    m_fetch = fetch;
    connect(fetch, &Download::finished, this, &Lead::fetchFinished);
    QMetaObject::invokeMethod(
        this,
        [this, fetch] {
            if (fetch == m_fetch)
                emit LoadStatus(1);
        },
        Qt::QueuedConnection);
}

void Lead::fetchFinished(bool ok, const QByteArray& data, const QUrl& url)
{
    Download* fetch = m_fetch;
    if (!fetch || fetch != sender())
        return;
    m_fetch = nullptr;
    fetch->deleteLater();
    if (!ok) {
        emit LoadStatus(3);
        return;
    }
    PictureData d;
    const QString ext = QFileInfo(url.path()).suffix().toUpper();
    if (readPictureBytes(data, ext, 1, 1, &d) != 0 && readPictureBytes(data, QString(), 1, 1, &d) != 0) {
        emit LoadStatus(3);
        return;
    }
    dropSource();
    m_frames = d.frames;
    m_delays = d.delays;
    m_index = 0;
    m_bits = d.bits;
    m_info = infoOf(d, data.size());
    m_region = QPainterPath();
    m_pan = QPoint();
    pictureChanged(true);
    emit LoadStatus(4);
    emit LoadDone();
}

// ---- acquisition

int Lead::TwainSelect(QWidget* owner)
{
    // The window keeps answering while SANE looks for its devices.
    QList<sane::Device> list;
    const int r = sane::listDevicesWithHourglass(owner ? owner : window(), &list);
    if (r != 0)
        return r;
    QStringList names;
    int current = 0;
    for (int i = 0; i < list.size(); ++i) {
        names << list.at(i).sourceName() + QStringLiteral(" (") + list.at(i).name + QLatin1Char(')');
        if (list.at(i).name == g_twainDevice.name)
            current = i;
    }
    const int chosen = dialogs().chooseItem(QStringLiteral("Select Source"), QStringLiteral("Sources:"), names, current);
    if (chosen < 0 || chosen >= list.size())
        return err::TwainCancelled;
    g_twainDevice = list.at(chosen);
    return 0;
}

int Lead::TwainAcquire(QWidget* owner)
{
    // The window keeps answering while the device scans; the device chosen
    // is opened by its name, without another look for devices.
    QImage image;
    QString source;
    const int r = sane::acquireWithWindow(owner ? owner : this, g_twainDevice, &image, &source);
    if (r != 0)
        return r;
    m_twainSourceName = source;
    abortFetch();
    setBitmap(image);
    return 0;
}

int Lead::TwainSetup(QWidget*) { return 0; }

// ---------------------------------------------------------------- keys

int vbKeyCode(int key, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return 96 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 110;
        case Qt::Key_Slash: return 111;
        case Qt::Key_Enter: return 13;
        default: break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 48 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F16)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Plus:
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    default: return 0;
    }
}

int vbShift(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

} // namespace platform
