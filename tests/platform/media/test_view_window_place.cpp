// Where the video's own window opens: beside the program's window, or over
// its video area below the tools, and always wholly on the screen, its frame
// and caption included.
#include "platform/media/ViewWindowPlace.h"

#include <gtest/gtest.h>

using platform::placeViewWindow;
using platform::ViewWindowScene;

namespace {

const QMargins kFrame(1, 21, 1, 4); // a window manager's caption and borders

// The program's window over a 1600 x 1000 screen, as a window manager shows
// it: menu bar, two tool bars and the tab captions, the video area below.
ViewWindowScene fullScreen()
{
    ViewWindowScene s;
    s.available = QRect(0, 0, 1600, 1000);
    s.program = QRect(0, 0, 1600, 1000);
    s.tools = {QRect(1, 22, 1598, 24), QRect(1, 46, 1598, 44), QRect(1, 90, 1598, 26), QRect(270, 116, 1060, 24)};
    s.area = QRect(275, 140, 1054, 793);
    s.frame = kFrame;
    return s;
}

QRect outer(const QRect& inside) { return inside.marginsAdded(kFrame); }

bool coversATool(const ViewWindowScene& s, const QRect& inside)
{
    for (const QRect& t : s.tools)
        if (t.intersects(outer(inside)))
            return true;
    return false;
}

} // namespace

TEST(ViewWindowPlace, OverTheVideoAreaItsCaptionStandsBelowTheTabs)
{
    ViewWindowScene s = fullScreen();
    QRect inside = placeViewWindow(s);
    EXPECT_EQ(outer(inside), s.area) << "the frame, caption included, where the video area was";
    EXPECT_FALSE(coversATool(s, inside));

    // A video area reaching past the screen's bottom: moved up, but not
    // over the tabs; made smaller instead.
    s.area = QRect(275, 140, 1054, 1000);
    inside = placeViewWindow(s);
    EXPECT_EQ(outer(inside), QRect(275, 140, 1054, 860));
    EXPECT_FALSE(coversATool(s, inside));

    // A video area too small for the least window: the least one, below the tools.
    s.area = QRect(275, 960, 1054, 40);
    s.least = QSize(80, 60);
    inside = placeViewWindow(s);
    EXPECT_EQ(outer(inside), QRect(275, 1000 - 85, 1054, 85));
    EXPECT_FALSE(coversATool(s, inside));

    // No room below the tools (a screen 200 pixels high): on the screen all
    // the same, though it covers some of them.
    s.available = QRect(0, 0, 1600, 200);
    s.area = QRect(275, 140, 1054, 793);
    EXPECT_EQ(outer(placeViewWindow(s)), QRect(275, 0, 1054, 200));
}

TEST(ViewWindowPlace, BesideTheProgramsWindowWhereTheScreenHasRoom)
{
    ViewWindowScene s = fullScreen();
    s.program = QRect(100, 80, 800, 600);
    QRect inside = placeViewWindow(s);
    EXPECT_EQ(outer(inside), QRect(900, 80, 642, 505)) << "level with the program's window, on its right";
    EXPECT_EQ(inside.size(), QSize(640, 480));

    // More room on the left: there; the room it has, down to 320 x 240.
    s.program = QRect(1000, 600, 600, 400);
    inside = placeViewWindow(s);
    EXPECT_EQ(outer(inside), QRect(358, 600, 642, 400));
    EXPECT_EQ(inside.size(), QSize(640, 375));
    s.program = QRect(1000, 735, 600, 265);
    EXPECT_EQ(placeViewWindow(s), QRect(359, 756, 640, 240));
    s.program = QRect(1000, 736, 600, 264); // no longer room for 240 inside
    EXPECT_EQ(outer(placeViewWindow(s)), s.area);
    s.program = QRect(1600 - 321 - 1, 0, 322, 1000);
    EXPECT_EQ(placeViewWindow(s).width(), 640) << "room on the left";
    s.program = QRect(321, 0, 1600 - 321 * 2, 1000);
    EXPECT_EQ(outer(placeViewWindow(s)), s.area) << "321 px each side leave 319 inside";
}

TEST(ViewWindowPlace, WhereTheUserLeftItOnTheScreenStill)
{
    ViewWindowScene s = fullScreen();
    // Moved to (500, 300) at 1054 x 793 inside: brought back up onto the screen.
    s.left = outer(QRect(500, 300, 1054, 793));
    QRect inside = placeViewWindow(s);
    EXPECT_EQ(inside.size(), QSize(1054, 793));
    EXPECT_EQ(outer(inside).bottomRight(), QPoint(1554, 999));
    EXPECT_EQ(inside.topLeft(), QPoint(500, 1000 - 4 - 793));

    // Left wholly on the screen: where it was, whatever it covers.
    s.left = QRect(10, 10, 400, 300);
    EXPECT_EQ(outer(placeViewWindow(s)), s.left);

    // Larger than the screen, or off its left and top: smaller, on it.
    s.left = QRect(-200, -50, 2000, 1200);
    EXPECT_EQ(outer(placeViewWindow(s)), s.available);
    s.available = QRect(0, 30, 1600, 940); // a panel above and below
    s.left = QRect(1500, 900, 400, 300);
    EXPECT_EQ(outer(placeViewWindow(s)), QRect(1200, 670, 400, 300));
}

TEST(ViewWindowPlace, FittingMovesBackAndMakesSmaller)
{
    const QRect room(100, 50, 800, 600);
    EXPECT_EQ(platform::fitInto(QRect(150, 60, 100, 100), room), QRect(150, 60, 100, 100));
    EXPECT_EQ(platform::fitInto(QRect(850, 600, 100, 100), room), QRect(800, 550, 100, 100));
    EXPECT_EQ(platform::fitInto(QRect(0, 0, 100, 100), room), QRect(100, 50, 100, 100));
    EXPECT_EQ(platform::fitInto(QRect(0, 0, 900, 700), room), room);
}

TEST(ViewWindowPlace, AWindowOfItsOwnSizeWantedOverTheToolsOpensBelowThem)
{
    // The pan window, 150 x 200 inside, wanted a little inside the program's
    // window's top left corner: below the tab captions, as large as it is.
    ViewWindowScene s = fullScreen();
    s.least = QSize(150, 200);
    s.area = QRect(QPoint(7, 7), s.least.grownBy(kFrame));
    QRect inside = platform::placeOverTheArea(s);
    EXPECT_EQ(inside.size(), QSize(150, 200));
    EXPECT_EQ(outer(inside).topLeft(), QPoint(7, 140));
    EXPECT_FALSE(coversATool(s, inside));

    // Clear of the tools already: where it is wanted.
    s.area.moveTopLeft(QPoint(700, 400));
    EXPECT_EQ(outer(platform::placeOverTheArea(s)), s.area);
    // Wanted past the screen's bottom right corner: moved back onto it.
    s.area.moveTopLeft(QPoint(1550, 950));
    EXPECT_EQ(outer(platform::placeOverTheArea(s)).bottomRight(), QPoint(1599, 999));
}
