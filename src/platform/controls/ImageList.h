#pragma once
// The image list: a grid of pictures, each with a text under it and the path
// of the file it shows. It paints only the cells in view, so it holds tens of
// thousands of thumbnails without slowing down.
#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

namespace platform {

struct ImageListItem {
    QImage Bitmap;
    QString Text;
    QString FilePath;
};

class ImageList : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ImageList(QWidget* parent = nullptr);

    void Clear();
    // Inserts at position (0 = first; past the end appends).
    void Insert(const QImage& bitmap, const QString& text, int position);
    int Count() const { return int(m_items.size()); }
    // The item at position; positions outside the list give an empty item.
    ImageListItem& Item(int position);

    // The cell each picture stands in, in pixels (the text goes below it).
    int ItemWidth() const { return m_itemWidth; }
    void setItemWidth(int w);
    int ItemHeight() const { return m_itemHeight; }
    void setItemHeight(int h);
    int DisplayStyle() const { return m_displayStyle; }
    void setDisplayStyle(int s) { m_displayStyle = s; }

    int selectedIndex() const { return m_selected; }
    // Scrolls so that the selected item (or the first one) is in view.
    void EnsureVisible(bool partialOk);

    // Colours of the list, its text and the selected item.
    void setColors(const QColor& back, const QColor& fore, const QColor& selBack, const QColor& selFore);
    QColor BackColor() const { return m_back; }
    QColor ForeColor() const { return m_fore; }
    QColor SelBackColor() const { return m_selBack; }
    QColor SelForeColor() const { return m_selFore; }

    // The rectangle of an item in viewport coordinates (for tests and tips).
    QRect itemRect(int position) const;
    // The item under a viewport point, or -1.
    int itemAt(const QPoint& point) const;

signals:
    void ItemClick(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int columns() const;
    int pitchX() const;
    int pitchY() const;
    void updateScrollBars();
    void select(int position, bool click);

    std::vector<ImageListItem> m_items;
    ImageListItem m_empty;
    int m_itemWidth = 115, m_itemHeight = 115;
    int m_displayStyle = 0;
    int m_selected = -1;
    QColor m_back, m_fore, m_selBack, m_selFore;
};

} // namespace platform
