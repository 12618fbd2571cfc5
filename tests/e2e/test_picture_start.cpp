// A picture named on the command line: the program starts with it painted,
// its colours where the picture stands in the window.
#include "E2eSupport.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

// Four quarters of colours no part of the window is painted in.
constexpr QRgb kTopLeft = qRgb(230, 30, 40), kTopRight = qRgb(30, 200, 60), kBottomLeft = qRgb(40, 60, 220),
               kBottomRight = qRgb(240, 200, 20);

QImage quarters(int width, int height)
{
    QImage im(width, height, QImage::Format_RGB32);
    QPainter p(&im);
    p.fillRect(0, 0, width / 2, height / 2, QColor(kTopLeft));
    p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(kTopRight));
    p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(kBottomLeft));
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(kBottomRight));
    return im;
}

struct Quarters {
    QRect box[4];
    int count[4] = {};
};

Quarters findQuarters(const QImage& shot)
{
    Quarters q;
    const QRgb colours[4] = {kTopLeft, kTopRight, kBottomLeft, kBottomRight};
    for (int i = 0; i < 4; ++i)
        q.box[i] = areaOf(shot, colours[i], &q.count[i], 12);
    return q;
}

// The four quarters are painted, each as a solid block of about the same
// size, in their places.
bool painted(const Quarters& q)
{
    for (int i = 0; i < 4; ++i)
        if (q.count[i] < 400 || q.count[i] < q.box[i].width() * q.box[i].height() * 9 / 10)
            return false;
    for (int i = 1; i < 4; ++i)
        if (std::abs(q.count[i] - q.count[0]) > q.count[0] / 5)
            return false;
    return q.box[0].right() < q.box[1].left() && q.box[2].right() < q.box[3].left() &&
           q.box[0].bottom() < q.box[2].top() && q.box[1].bottom() < q.box[3].top();
}

class PictureStart : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(PictureStart, IsPaintedInItsColours)
{
    const QString display = sharedDisplay();
    XDisplay x(display);
    ASSERT_TRUE(x.ok()) << "no X server";
    QTemporaryDir files;
    const QString picture = files.filePath(QStringLiteral("quarters.") + QLatin1String(GetParam()));
    ASSERT_TRUE(quarters(240, 160).save(picture, nullptr, 95));
    // No tip window over the picture.
    ProgramFolder folder([](Options& o) { o.fTipsAtStartup = false; });
    ASSERT_TRUE(folder.ok());
    Program program(folder, display, {picture});
    ASSERT_TRUE(program.started());
    const std::optional<XWindow> main = program.waitForWindow(x, picture, 60000);
    ASSERT_TRUE(main) << qPrintable(program.describeEnd());

    Quarters q;
    QImage shot;
    const bool shown = waitUntil(
        [&] {
            shot = x.grab(main->id);
            q = findQuarters(shot);
            return painted(q) || !program.running();
        },
        60000, 100);
    EXPECT_TRUE(shown && painted(q)) << "quarters painted: " << q.count[0] << ", " << q.count[1] << ", "
                                     << q.count[2] << ", " << q.count[3] << "; " << qPrintable(program.describeEnd())
                                     << "; the window as shown: " << qPrintable(keepShot(shot, "picture-start"));
    EXPECT_TRUE(x.messageBoxes(program.pid()).isEmpty());
    x.closeWindow(main->id);
    EXPECT_TRUE(program.waitForExit(60000));
    EXPECT_FALSE(program.crashed()) << qPrintable(program.describeEnd());
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureStart, ::testing::Values("png", "jpg"));
