// The status tools at the menu bar's right (the filter's name, the date and
// the time), read from what the menu bar draws.
#include "ShellTestWindow.h"
#include "shared/Tables.h"

#include <QCoreApplication>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace shelltest;
using StatusTools = ShellTest;

namespace {

// Pixels in the rectangle that stand out from its first pixel (the bar's
// background there).
int inkIn(const QImage& image, const QRect& r)
{
    const QRect inside = r.intersected(image.rect());
    if (inside.isEmpty())
        return 0;
    const QColor back = image.pixelColor(inside.topLeft());
    int ink = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) +
                    std::abs(c.blue() - back.blue()) > 120)
                ++ink;
        }
    return ink;
}

// What the menu bar shows of a status tool: its text drawn inside the bar,
// with no extension button hiding it.
void expectShown(TestWindow& w, const char* id)
{
    QMenuBar* bar = w.ToolBarComp1->menuBar();
    auto* area = bar->findChild<QToolBar*>(QStringLiteral("StatusTools"));
    ASSERT_NE(area, nullptr);
    QWidget* button = area->widgetForAction(w.ToolBarComp1->Item(QString::fromLatin1(id))->action());
    ASSERT_NE(button, nullptr) << id;
    EXPECT_TRUE(button->isVisible()) << id << " is behind the extension button";
    const QRect inBar(button->mapTo(bar, QPoint(0, 0)), button->size());
    EXPECT_TRUE(bar->rect().contains(inBar)) << id;
    EXPECT_TRUE(area->rect().contains(button->geometry())) << id << " stands outside its bar";
    EXPECT_GT(inkIn(bar->grab().toImage(), inBar), 20) << id << " shows no text";
}

bool extensionShown(TestWindow& w)
{
    auto* area = w.ToolBarComp1->menuBar()->findChild<QToolBar*>(QStringLiteral("StatusTools"));
    for (QToolButton* b : area->findChildren<QToolButton*>())
        if (b->objectName() == QLatin1String("qt_toolbar_ext_button") && b->isVisible())
            return true;
    return false;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST_F(StatusTools, ALongerFilterNameOrTimeTakesTheRoomTheBarHas)
{
    // The window comes up with a short filter name; the user then picks the
    // text files' long one on the Documents tab, from the filter menu, while
    // the clock ticks.
    w.resize(1600, 1000);
    w.click(FileFilterTable.names[3]); // "Icons and Cursors"
    w.show();
    w.finishStartUp();
    settle();
    w.TabStrip1->setCurrentIndex(4);
    w.click(FileFilterTable.names[34]);
    w.Timer1_Timer();
    settle();
    ASSERT_GT(FileFilterTable.names[34].trimmed().size(), 20);
    EXPECT_FALSE(extensionShown(w)) << "the bar has hundreds of empty pixels";
    for (const char* id : {"ID_FilterName", "ID_Date", "ID_Time"})
        expectShown(w, id);

    // A shorter name on the Pictures tab, then a longer one again.
    w.TabStrip1->setCurrentIndex(2);
    w.click(FileFilterTable.names[31]); // "All Picture Files"
    w.Timer1_Timer();
    settle();
    EXPECT_FALSE(extensionShown(w));
    for (const char* id : {"ID_FilterName", "ID_Date", "ID_Time"})
        expectShown(w, id);
    w.click(FileFilterTable.names[15]); // "Portable Network Graphics Format (PNG)"
    settle();
    EXPECT_FALSE(extensionShown(w));
    for (const char* id : {"ID_FilterName", "ID_Date", "ID_Time"})
        expectShown(w, id);

    // In a narrow window the tools still stand inside the bar (whole, or
    // behind the extension button); none is drawn past the bar's end.
    w.resize(700, 800);
    w.click(FileFilterTable.names[34]);
    settle();
    auto* area = w.ToolBarComp1->menuBar()->findChild<QToolBar*>(QStringLiteral("StatusTools"));
    EXPECT_LE(area->geometry().right(), w.ToolBarComp1->menuBar()->rect().right());
}
