// The tip of the day, opened by the program at start over the main window,
// as the screen shows it: its panel and words, not the black of a window
// nothing was put on.
#include "E2eSupport.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

// The share of the image's pixels that are not black, in percent.
int shownPercent(const QImage& shot)
{
    if (shot.isNull() || shot.width() * shot.height() == 0)
        return 0;
    const QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    qint64 shown = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (!colourNear(line[x], qRgb(0, 0, 0), 16))
                ++shown;
    }
    return int(shown * 100 / (qint64(rgb.width()) * rgb.height()));
}

} // namespace

TEST(TipWindow, AtStartIsPaintedOnTheScreen)
{
    const QString display = sharedDisplay();
    XDisplay x(display);
    ASSERT_TRUE(x.ok()) << "no X server";
    ProgramFolder folder([](Options& o) { o.fTipsAtStartup = true; });
    ASSERT_TRUE(folder.ok());
    Program program(folder, display);
    ASSERT_TRUE(program.started());
    const std::optional<XWindow> main = program.waitForWindow(x, kMainTitle, 60000);
    ASSERT_TRUE(main) << qPrintable(program.describeEnd());
    const std::optional<XWindow> tip = program.waitForWindow(x, kTipTitle, 60000);
    ASSERT_TRUE(tip) << qPrintable(program.describeEnd());

    // Most of the window is its panel, its words and its buttons; read from
    // the screen, not from the window alone, so that what covers it counts,
    // and read over a second, so that a first frame later lost does not pass.
    QImage shot;
    int seen = 0;
    const bool painted = waitUntil(
        [&] {
            shot = x.grabScreen(*tip);
            seen = shownPercent(shot) > 50 ? seen + 1 : 0;
            return seen >= 10 || !program.running();
        },
        20000, 100);
    EXPECT_TRUE(painted && program.running())
        << "shown: " << shownPercent(shot) << "% of " << tip->rect.width() << "x" << tip->rect.height() << "; "
        << qPrintable(program.describeEnd()) << "; the window as shown: " << qPrintable(keepShot(shot, "tip-window"));
    EXPECT_TRUE(x.messageBoxes(program.pid()).isEmpty());
    x.closeWindow(main->id);
    EXPECT_TRUE(program.waitForExit(60000));
    EXPECT_FALSE(program.crashed()) << qPrintable(program.describeEnd());
}
