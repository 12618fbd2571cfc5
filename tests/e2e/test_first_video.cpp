// The first video after start plays: named on the command line, on a busy
// machine, the program shows its moving pictures in the video area, and no
// message box says it cannot play the file (the video sink gives up when the
// window's thread does not take a frame in time).
#include "E2eSupport.h"

#include "MovingVideo.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

// One start with the video on the command line; an empty string when its
// pictures moved in the window (a second colour within five seconds of the
// first) and no message box came up, else what was seen. The start itself
// may take long on a busy machine: the first picture is waited for longer.
QString startWithVideo(const XDisplay& display, const QString& video)
{
    // The window as large as the screen leaves room for, so that the tip
    // window which opens beside it leaves the video area in sight.
    ProgramFolder folder([](Options& o) {
        o.nWindowLeft = o.nWindowTop = 0;
        o.nWindowWidth = 1590 * 15;
        o.nWindowHeight = 990 * 15;
    });
    if (!folder.ok())
        return QStringLiteral("no program folder");
    Program program(folder, display.name(), {video});
    if (!program.started())
        return QStringLiteral("did not start");
    const std::optional<XWindow> main = program.waitForWindow(display, video, 60000);
    if (!main)
        return QStringLiteral("no window showing the file: ") + program.describeEnd();
    const VideoSeen seen = watchMovingVideo(display, program, main->id);
    // A message box left open keeps the window from closing.
    if (!seen.box.isEmpty())
        return QStringLiteral("a message box: ") + seen.box;
    display.closeWindow(main->id);
    if (!program.waitForExit(60000))
        return QStringLiteral("did not end after its window was closed");
    if (program.crashed())
        return program.describeEnd();
    if (seen.colours.size() < 2)
        return QStringLiteral("%1 of the video's colours shown").arg(seen.colours.size());
    return {};
}

} // namespace

// Twenty starts, side by side on X servers of their own, while every core is
// busy: MPEG-1 and MPEG-4 in AVI, each with and without sound.
TEST(FirstVideo, PlaysWhenNamedOnTheCommandLineOfABusyMachine)
{
    QTemporaryDir files;
    const struct {
        const char* name;
        bool sound;
    } kinds[] = {{"with sound.mpg", true}, {"silent.MPG", false}, {"with sound.avi", true}, {"silent.AVI", false}};
    QStringList videos;
    for (const auto& k : kinds) {
        videos << files.filePath(QString::fromLatin1(k.name));
        ASSERT_TRUE(makeMovingVideo(videos.last(), k.sound)) << k.name;
    }
    const Load load;
    const QStringList all = startsSideBySide(4, 5, [&videos](const XDisplay& display, int n) {
        const QString& video = videos[n % videos.size()];
        const QString f = startWithVideo(display, video);
        return f.isEmpty() ? f : video + QStringLiteral(": ") + f;
    });
    EXPECT_TRUE(all.isEmpty()) << qPrintable(all.join(QLatin1Char('\n')));
}
