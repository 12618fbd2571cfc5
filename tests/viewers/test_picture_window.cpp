// The picture view's windows: where the pan window opens.
#include "ViewerFixture.h"

#include "platform/controls/ToolBarComp.h"

#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

class PictureWindow : public viewertest::ShownViewer {
protected:
    // Blue, its bottom rows red and its right columns green, a tenth of it each.
    QString marked(const QString& name, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::blue);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                if (y >= size.height() * 9 / 10)
                    img.setPixel(x, y, qRgb(255, 0, 0));
                else if (x >= size.width() * 9 / 10)
                    img.setPixel(x, y, qRgb(0, 255, 0));
        return savePicture(name, img);
    }
};

} // namespace

TEST_F(PictureWindow, ThePanWindowOpensWhollyOnTheScreenClearOfTheMenusAndToolBars)
{
    const QRect screen = w->screen()->availableGeometry();
    w->move(screen.topLeft()); // where a window manager puts a window it maximises, say
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry().topLeft() == screen.topLeft(); }));
    openFromFileList(marked(QStringLiteral("wide.png"), QSize(1600, 1200)));
    ASSERT_FALSE(HasFatalFailure());

    // The arrow of the View button, then "Pan Image" in the menu it opens.
    auto* view = w->findChild<QToolButton*>(QStringLiteral("ID_ViewImage_Button"));
    ASSERT_TRUE(view && view->isVisible());
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->width() - 4, view->height() / 2));
    QMenu* menu = w->ToolBarComp1->Item(QStringLiteral("ID_mnuImageViewDropDown"))->menu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    QAction* pan = w->ToolBarComp1->Item(QStringLiteral("ID_ViewPan"))->action();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(pan).center());
    QWidget* window = w->Image1->panWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Pan Window");
    EXPECT_EQ(window->size(), QSize(150, 200));

    // With no window manager here, its caption is not drawn: room is left
    // above its inside for the one a window manager puts there.
    const int caption = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QRect outer = window->geometry().adjusted(-1, -caption, 1, 1);
    EXPECT_TRUE(screen.contains(outer)) << "wholly on the screen, its caption too";
    const auto globalRect = [](const QWidget* wgt) { return QRect(wgt->mapToGlobal(QPoint(0, 0)), wgt->size()); };
    EXPECT_FALSE(outer.intersects(globalRect(w->ToolBarComp1->menuBar()))) << "the menus stay in sight";
    for (int n = 2; n <= w->ToolBarComp1->ToolBarsCount(); ++n) {
        if (QToolBar* bar = w->ToolBarComp1->toolBar(n); bar && bar->isVisible()) {
            EXPECT_FALSE(outer.intersects(globalRect(bar))) << "tool bar " << n;
        }
    }
    EXPECT_FALSE(outer.intersects(globalRect(w->TabStrip1->tabBar()))) << "the tabs";
    EXPECT_LE(outer.left(), w->frameGeometry().left() + 10) << "at the left of the program's window";

    // It shows the picture, and where the view is in it.
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 60), QColor(Qt::blue));
}
