// What the picture control paints of a picture the user opens from the file
// list: every pixel of it inside the control's frame, read from a grab, at
// normal size, fitted and stretched.
#include "ViewerFixture.h"

#include "platform/controls/ToolBarComp.h"

#include <QPainter>
#include <QTest>

namespace {

const QColor kRing(255, 0, 255), kInside(255, 255, 0);

class PictureFrame : public viewertest::ShownViewer {
protected:
    // A picture of the size: a ring of one pixel around the inside colour.
    QString ringed(const QString& name, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(kRing);
        QPainter(&img).fillRect(QRect(QPoint(1, 1), size - QSize(2, 2)), kInside);
        return savePicture(name, img);
    }
    void clickTool(const char* id)
    {
        platform::Tool* t = w->ToolBarComp1->Item(QString::fromLatin1(id));
        ASSERT_TRUE(t && t->action()->isEnabled()) << id;
        t->action()->trigger();
    }
    QImage painted() const { return w->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QColor frame() const { return w->Image1->palette().color(QPalette::Dark); }
};

// Each pixel of the rectangle's outline has the colour.
int offOutline(const QImage& img, const QRect& r, const QColor& c)
{
    const QRgb want = c.rgb();
    int off = 0;
    for (int x = r.left(); x <= r.right(); ++x)
        off += (img.pixel(x, r.top()) != want) + (img.pixel(x, r.bottom()) != want);
    for (int y = r.top() + 1; y < r.bottom(); ++y)
        off += (img.pixel(r.left(), y) != want) + (img.pixel(r.right(), y) != want);
    return off;
}

} // namespace

TEST_F(PictureFrame, EveryPixelOfThePictureShowsInsideTheFrame)
{
    openFromFileList(ringed(QStringLiteral("ringed.png"), QSize(60, 40)));
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(w->Image1->size(), QSize(62, 42)) << "the picture and a frame of one pixel around it";
    QImage shot = painted();
    EXPECT_EQ(offOutline(shot, shot.rect(), frame()), 0) << "the frame around it";
    EXPECT_EQ(offOutline(shot, shot.rect().adjusted(1, 1, -1, -1), kRing), 0) << "the picture's outer pixels";
    EXPECT_EQ(shot.pixelColor(30, 20), kInside);

    // Pictures one and two pixels across: the picture, not a grey line.
    for (const QSize size : {QSize(1, 30), QSize(80, 2)}) {
        QImage line(size, QImage::Format_RGB32);
        line.fill(Qt::red);
        openFromFileList(savePicture(QStringLiteral("line%1x%2.png").arg(size.width()).arg(size.height()), line));
        ASSERT_FALSE(HasFatalFailure());
        shot = painted();
        ASSERT_EQ(shot.size(), size + QSize(2, 2));
        for (int y = 1; y <= size.height(); ++y)
            for (int x = 1; x <= size.width(); ++x)
                ASSERT_EQ(shot.pixelColor(x, y), QColor(Qt::red)) << x << "," << y;
        EXPECT_EQ(offOutline(shot, shot.rect(), frame()), 0);
    }
}

TEST_F(PictureFrame, FittedAndStretchedThePictureFillsTheInsideOfTheFrame)
{
    openFromFileList(ringed(QStringLiteral("ringed.png"), QSize(60, 40)));
    ASSERT_FALSE(HasFatalFailure());

    // Fitted: the whole picture, as large as the control's inside allows.
    clickTool("ID_ViewFitImage");
    ASSERT_EQ(w->Image1->PaintSizeMode(), 3);
    QImage shot = painted();
    EXPECT_EQ(offOutline(shot, shot.rect(), frame()), 0);
    const QRect inside = shot.rect().adjusted(1, 1, -1, -1);
    const double scale = std::min(inside.width() / 60.0, inside.height() / 40.0);
    ASSERT_GT(scale, 4) << "the panel is large enough to see the ring grow";
    const QSize fitted(int(60 * scale + 0.5), int(40 * scale + 0.5));
    const QRect drawn(inside.left() + (inside.width() - fitted.width()) / 2,
                      inside.top() + (inside.height() - fitted.height()) / 2, fitted.width(), fitted.height());
    EXPECT_TRUE(inside.contains(drawn));
    EXPECT_EQ(offOutline(shot, drawn.adjusted(1, 1, -1, -1), kRing), 0) << "the ring, grown, at the picture's edges";
    EXPECT_EQ(shot.pixelColor(drawn.center()), kInside);

    // Stretched: the picture over the whole inside.
    clickTool("ID_ViewStretch");
    ASSERT_EQ(w->Image1->PaintSizeMode(), 1);
    shot = painted();
    EXPECT_EQ(offOutline(shot, shot.rect(), frame()), 0);
    EXPECT_EQ(offOutline(shot, shot.rect().adjusted(1, 1, -1, -1), kRing), 0);
    EXPECT_EQ(shot.pixelColor(shot.rect().center()), kInside);
}
