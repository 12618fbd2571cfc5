// The first video after start plays when the user double-clicks it in the
// file list: on a busy machine, started with the folder that holds it as the
// last folder, the program shows its moving pictures in the video area and
// no message box says it cannot play the file.
#include "E2eSupport.h"
#include "MovingVideo.h"

#include "shared/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr quint32 kHomeKey = 0xff50; // XK_Home

// The file filter that shows videos.
int videoFilterRow()
{
    const auto& names = tables::filterNames();
    for (int r = 0; r < int(names.size()); ++r)
        if (QString::fromLatin1(names[size_t(r)]).startsWith(QLatin1String("Audio-Video")))
            return r;
    return 0;
}

// The file list's area in a shot of the main window: it fills the lower
// left corner with its background colour, up to the filter box above it.
QRect fileListArea(const QImage& shot)
{
    const QPoint corner(12, shot.height() - 12);
    if (!shot.rect().contains(corner))
        return {};
    const QRgb background = shot.pixel(corner);
    int top = corner.y(), right = corner.x();
    while (top > 0 && colourNear(shot.pixel(corner.x(), top - 1), background))
        --top;
    while (right + 1 < shot.width() && colourNear(shot.pixel(right + 1, corner.y()), background))
        ++right;
    return QRect(QPoint(corner.x() - 8, top), QPoint(right, corner.y())).adjusted(0, 4, -4, 0);
}

// Where two shots of the same size differ.
QRect difference(const QImage& a, const QImage& b)
{
    QRect box;
    if (a.size() != b.size())
        return box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!colourNear(a.pixel(x, y), b.pixel(x, y), 24))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Finds the only item of the file list as a user would (it stands out of the
// list's background; clicking the list and pressing Home highlights it) and
// double-clicks it. Empty when done, else what was seen.
QString doubleClickTheItem(const XDisplay& display, Program& program, const XWindow& main)
{
    QRect list;
    QImage before;
    const bool shown = waitUntil(
        [&] {
            program.output();
            const QImage shot = display.grab(main.id);
            list = fileListArea(shot);
            if (list.width() < 100 || list.height() < 100)
                return false;
            before = shot.copy(list);
            int background = 0;
            areaOf(before, before.pixel(before.width() - 1, before.height() - 1), &background, 24);
            return background < before.width() * before.height() - 100;
        },
        60000, 100);
    if (!shown)
        return QStringLiteral("no item in the file list, see ") + keepShot(display.grab(main.id), "no-item");
    const QPoint origin = main.rect.topLeft() + list.topLeft();
    if (!display.click(origin + QPoint(list.width() - 10, list.height() - 10)) || !display.pressKey(kHomeKey))
        return QStringLiteral("the X server took no input");
    QRect item;
    if (!waitUntil(
            [&] {
                item = difference(before, display.grab(main.id, list));
                return item.width() > 8 && item.height() > 8;
            },
            30000, 100))
        return QStringLiteral("Home highlighted no item, see ") + keepShot(display.grab(main.id), "no-highlight");
    display.doubleClick(origin + item.center());
    return {};
}

// One start with the video's folder as the last folder; an empty string when
// the double-clicked video's pictures moved in the window (a second colour
// within five seconds of the first) and no message box came up.
QString startAndDoubleClick(const XDisplay& display, const QString& video)
{
    QTemporaryDir videoFolder;
    const QString copy = QDir(videoFolder.path()).filePath(QFileInfo(video).fileName());
    if (!QFile::copy(video, copy))
        return QStringLiteral("no copy of the video");
    // The window as large as the screen leaves room for, with the video
    // filter chosen, as a user who plays videos leaves it.
    ProgramFolder folder([&](Options& o) {
        o.nWindowLeft = o.nWindowTop = 0;
        o.nWindowWidth = 1590 * 15;
        o.nWindowHeight = 990 * 15;
        o.cLastFolder = videoFolder.path();
        o.nFilterIndex = videoFilterRow();
    });
    if (!folder.ok())
        return QStringLiteral("no program folder");
    Program program(folder, display.name());
    if (!program.started())
        return QStringLiteral("did not start");
    const std::optional<XWindow> main = program.waitForWindow(display, kMainTitle, 60000);
    if (!main)
        return QStringLiteral("no main window: ") + program.describeEnd();
    if (const QString f = doubleClickTheItem(display, program, *main); !f.isEmpty())
        return f;
    const VideoSeen seen = watchMovingVideo(display, program, main->id);
    const QString title = display.findWindow(kMainTitle, program.pid()).value_or(XWindow{}).title;
    // A message box left open keeps the window from closing.
    if (!seen.box.isEmpty())
        return QStringLiteral("a message box: ") + seen.box;
    display.closeWindow(main->id);
    if (!program.waitForExit(60000))
        return QStringLiteral("did not end after its window was closed");
    if (program.crashed())
        return program.describeEnd();
    if (!title.contains(copy))
        return QStringLiteral("the double-click opened no file; the title: ") + title;
    if (seen.colours.size() < 2)
        return QStringLiteral("%1 of the video's colours shown").arg(seen.colours.size());
    return {};
}

} // namespace

// Six starts, side by side on X servers of their own, while every core is
// busy: MPEG-1 with sound and silent MPEG-4 in AVI.
TEST(FirstDoubleClick, PlaysTheVideoDoubleClickedInTheFileListOfABusyMachine)
{
    QTemporaryDir files;
    const QStringList videos{files.filePath(QStringLiteral("with sound.mpg")),
                             files.filePath(QStringLiteral("silent.AVI"))};
    ASSERT_TRUE(makeMovingVideo(videos[0], true));
    ASSERT_TRUE(makeMovingVideo(videos[1], false));
    const Load load;
    const QStringList all = startsSideBySide(3, 2, [&videos](const XDisplay& display, int n) {
        const QString& video = videos[n % videos.size()];
        const QString f = startAndDoubleClick(display, video);
        return f.isEmpty() ? f : QFileInfo(video).fileName() + QStringLiteral(": ") + f;
    });
    EXPECT_TRUE(all.isEmpty()) << qPrintable(all.join(QLatin1Char('\n')));
}
