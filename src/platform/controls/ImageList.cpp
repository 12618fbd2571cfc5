#include "platform/controls/ImageList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace platform {

namespace {
constexpr int kGap = 6;
}

ImageList::ImageList(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_back = palette().color(QPalette::Base);
    m_fore = palette().color(QPalette::Text);
    m_selBack = palette().color(QPalette::Highlight);
    m_selFore = palette().color(QPalette::HighlightedText);
}

void ImageList::Clear()
{
    m_items.clear();
    m_items.shrink_to_fit();
    m_selected = -1;
    verticalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void ImageList::Insert(const QImage& bitmap, const QString& text, int position)
{
    position = std::clamp(position, 0, Count());
    m_items.insert(m_items.begin() + position, ImageListItem{bitmap, text, QString()});
    if (m_selected >= position)
        ++m_selected;
    updateScrollBars();
    if (itemRect(position).intersects(viewport()->rect()) || position < Count() - 1)
        viewport()->update();
}

ImageListItem& ImageList::Item(int position)
{
    if (position < 0 || position >= Count()) {
        m_empty = ImageListItem{};
        return m_empty;
    }
    return m_items[size_t(position)];
}

void ImageList::setItemWidth(int w)
{
    m_itemWidth = std::max(1, w);
    updateScrollBars();
    viewport()->update();
}

void ImageList::setItemHeight(int h)
{
    m_itemHeight = std::max(1, h);
    updateScrollBars();
    viewport()->update();
}

void ImageList::setColors(const QColor& back, const QColor& fore, const QColor& selBack, const QColor& selFore)
{
    m_back = back;
    m_fore = fore;
    m_selBack = selBack;
    m_selFore = selFore;
    viewport()->update();
}

int ImageList::pitchX() const { return m_itemWidth + kGap; }
int ImageList::pitchY() const { return m_itemHeight + fontMetrics().height() + 2 * kGap; }
int ImageList::columns() const { return std::max(1, (viewport()->width() - kGap) / pitchX()); }

QRect ImageList::itemRect(int position) const
{
    const int col = position % columns();
    const int row = position / columns();
    return QRect(kGap + col * pitchX(), kGap + row * pitchY() - verticalScrollBar()->value(), m_itemWidth,
                 pitchY() - kGap);
}

int ImageList::itemAt(const QPoint& point) const
{
    const int y = point.y() + verticalScrollBar()->value() - kGap;
    const int x = point.x() - kGap;
    if (x < 0 || y < 0)
        return -1;
    const int col = x / pitchX();
    const int row = y / pitchY();
    if (col >= columns() || x % pitchX() >= m_itemWidth)
        return -1;
    const int pos = row * columns() + col;
    return pos < Count() ? pos : -1;
}

void ImageList::updateScrollBars()
{
    const int rows = (Count() + columns() - 1) / columns();
    const int total = kGap + rows * pitchY();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, total - viewport()->height()));
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(pitchY() / 3);
}

void ImageList::EnsureVisible(bool partialOk)
{
    const int pos = m_selected >= 0 ? m_selected : 0;
    if (Count() == 0)
        return;
    const QRect r = itemRect(pos);
    const QRect view = viewport()->rect();
    if (partialOk ? r.intersects(view) : view.contains(r))
        return;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + r.top() - kGap);
}

void ImageList::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ImageList::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), m_back);
    if (m_items.empty())
        return;
    const int cols = columns();
    const int first = std::max(0, (verticalScrollBar()->value() / pitchY()) * cols);
    const int last = std::min(Count() - 1, first + (viewport()->height() / pitchY() + 2) * cols);
    const int textH = fontMetrics().height();
    for (int i = first; i <= last; ++i) {
        const QRect cell = itemRect(i);
        const ImageListItem& item = m_items[size_t(i)];
        const QRect picture(cell.left(), cell.top(), m_itemWidth, m_itemHeight);
        if (i == m_selected)
            p.fillRect(cell.adjusted(-2, -2, 2, 2), m_selBack);
        if (!item.Bitmap.isNull()) {
            const QSize s = item.Bitmap.size().boundedTo(picture.size());
            const QSize fit = item.Bitmap.size().scaled(s, Qt::KeepAspectRatio);
            const QRect target(picture.left() + (picture.width() - fit.width()) / 2,
                               picture.top() + (picture.height() - fit.height()) / 2, fit.width(), fit.height());
            p.drawImage(target, item.Bitmap);
        }
        p.setPen(i == m_selected ? m_selFore : m_fore);
        const QRect text(cell.left(), picture.bottom() + 2, cell.width(), textH);
        p.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                   fontMetrics().elidedText(item.Text, Qt::ElideMiddle, cell.width()));
    }
}

void ImageList::select(int position, bool click)
{
    if (position < 0 || position >= Count())
        return;
    m_selected = position;
    EnsureVisible(false);
    viewport()->update();
    if (click)
        emit ItemClick(position);
}

void ImageList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    select(itemAt(event->position().toPoint()), true);
}

void ImageList::keyPressEvent(QKeyEvent* event)
{
    const int cols = columns();
    int pos = m_selected;
    switch (event->key()) {
    case Qt::Key_Left: pos = std::max(0, pos - 1); break;
    case Qt::Key_Right: pos = std::min(Count() - 1, pos + 1); break;
    case Qt::Key_Up: pos = std::max(0, pos - cols); break;
    case Qt::Key_Down: pos = std::min(Count() - 1, pos < 0 ? 0 : pos + cols); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: select(m_selected, true); return;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    select(pos, false);
}

} // namespace platform
