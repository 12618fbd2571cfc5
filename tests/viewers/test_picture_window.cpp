// The picture view and the main window's size: Resize through the New Size
// dialog as a user fills it in, the view following the window's size, and
// where the pan window opens.
#include "ViewerFixture.h"

#include "editor/NewSize1.h"
#include "platform/controls/ToolBarComp.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

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
    // The tool's button on the tool bar that shows it.
    QWidget* toolButton(const char* id) const
    {
        platform::Tool* t = w->ToolBarComp1->Item(QString::fromLatin1(id));
        for (int n = 2; t && n <= w->ToolBarComp1->ToolBarsCount(); ++n)
            if (QToolBar* bar = w->ToolBarComp1->toolBar(n); bar && bar->isVisible())
                if (QWidget* b = bar->widgetForAction(t->action()); b && b->isVisible())
                    return b;
        return nullptr;
    }
    // The picture view shows the whole picture at its own size: the control
    // is the picture and its frame, inside the panel, and the panel's
    // painting shows the picture's last rows and columns.
    void expectWholePicture(QSize picture, const char* when)
    {
        SCOPED_TRACE(when);
        EXPECT_EQ(w->Image1->PaintSizeMode(), 0);
        EXPECT_EQ(w->Image1->size(), picture + QSize(2, 2));
        const QRect shown = w->Image1->geometry();
        EXPECT_TRUE(w->Frame3->rect().contains(shown)) << "the panel does not cut it";
        const QImage panel = w->Frame3->grab().toImage();
        const QPoint origin = shown.topLeft() + QPoint(1, 1);
        EXPECT_EQ(panel.pixelColor(origin + QPoint(picture.width() / 2, picture.height() - 1)), QColor(Qt::red))
            << "the last row shows";
        EXPECT_EQ(panel.pixelColor(origin + QPoint(picture.width() - 1, picture.height() / 2)), QColor(Qt::green))
            << "the last column shows";
    }
    // Resizes the window and lets it take the new size.
    bool resizeTo(QSize size)
    {
        w->resize(size);
        return QTest::qWaitFor([&] { return w->size() == size; });
    }
};

} // namespace

TEST_F(PictureWindow, AfterResizeThePictureViewFollowsTheWindowsSize)
{
    openFromFileList(marked(QStringLiteral("tall.png"), QSize(600, 800)));
    ASSERT_FALSE(HasFatalFailure());

    // The Resize tool; the user types the new width into the focused field and clicks OK.
    QWidget* resize = toolButton("ID_Resize");
    ASSERT_TRUE(resize);
    bool answered = false;
    testsupport::whenModal<NewSize1>([&](NewSize1* d) {
        QWidget* focused = d->focusWidget();
        EXPECT_EQ(focused, d->TxtWidth1);
        QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focused, QStringLiteral("300"));
        EXPECT_EQ(d->TxtHeight1->text(), "400") << "the proportions kept";
        QTest::mouseClick(d->OKBtn, Qt::LeftButton);
        answered = true;
    });
    QTest::mouseClick(resize, Qt::LeftButton);
    ASSERT_TRUE(answered);
    ASSERT_EQ(w->Image1->Bitmap().size(), QSize(300, 400));
    // The window's client area takes the picture's size, as far as the
    // window allows (it is never narrower than its tools need): the view
    // follows it and shows what room is left of the picture, from its top
    // left corner, inside the panel.
    const int least = std::max(300, w->minimumSizeHint().width());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->size() == QSize(least, 400); })) << w->width() << "x" << w->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->Frame3->rect().contains(w->Image1->geometry()); }));
    EXPECT_EQ(w->Image1->PaintSizeMode(), 0);
    // Smaller than the picture: the view is the panel's size, and the picture is cut.
    ASSERT_TRUE(resizeTo(QSize(700, 450)));
    EXPECT_LT(w->Image1->height(), 402);
    EXPECT_TRUE(w->Frame3->rect().contains(w->Image1->geometry()));
    // Larger again: the whole picture, as before.
    ASSERT_TRUE(resizeTo(QSize(1300, 900)));
    expectWholePicture(QSize(300, 400), "after growing the window");

    // Fitted, the picture follows the window as it grows and shrinks.
    platform::Tool* fit = w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"));
    fit->action()->trigger();
    ASSERT_EQ(w->Image1->PaintSizeMode(), 3);
    const QSize fitted = w->Image1->size();
    ASSERT_TRUE(resizeTo(QSize(1100, 800)));
    EXPECT_EQ(w->Image1->size(), fitted - QSize(200, 100)) << "the panel lost 200 x 100";
    ASSERT_TRUE(resizeTo(QSize(1300, 900)));
    EXPECT_EQ(w->Image1->size(), fitted);
}

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
