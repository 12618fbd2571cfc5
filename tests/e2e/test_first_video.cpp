// The first video after start plays: named on the command line, on a busy
// machine, the program shows its moving pictures in the video area, and no
// message box says it cannot play the file (the video sink gives up when the
// window's thread does not take a frame in time).
#include "E2eSupport.h"

#include "platform/MediaConverter.h"

#include <QColor>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace e2e;

namespace {

// Whole frames of colours no part of the window is painted in, each held
// for a fifth of a second, so that a picture seen twice tells whether it moves.
const QRgb kFrameColours[] = {qRgb(240, 30, 200), qRgb(30, 220, 220), qRgb(250, 130, 20)};
constexpr int kColourCount = int(std::size(kFrameColours));
constexpr double kFps = 15, kSeconds = 12;

bool makeVideo(const QString& path, bool withSound)
{
    platform::MediaWriter w;
    const int rate = 44100;
    if (!w.open(path, {320, 240, kFps, withSound ? rate : 0, withSound ? 2 : 0, {}, {}}))
        return false;
    std::vector<std::int16_t> silence;
    int samplesDone = 0;
    const int frames = int(std::lround(kSeconds * kFps));
    for (int f = 0; f < frames; ++f) {
        QImage frame(320, 240, QImage::Format_RGB32);
        frame.fill(kFrameColours[(f / 3) % kColourCount]);
        if (!w.writeFrame(frame))
            return false;
        if (withSound) {
            const int until = int(std::lround((f + 1) / kFps * rate));
            silence.assign(size_t(until - samplesDone) * 2, 0);
            if (!w.writeAudio(silence.data(), until - samplesDone))
                return false;
            samplesDone = until;
        }
    }
    return w.finish();
}

// The frame colours that cover a good part of the shot.
QSet<int> coloursShown(const QImage& shot)
{
    QSet<int> shown;
    for (int i = 0; i < kColourCount; ++i) {
        int count = 0;
        areaOf(shot, kFrameColours[i], &count, 40);
        if (count >= 4000)
            shown << i;
    }
    return shown;
}

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
    QSet<int> seen;
    QString box;
    const auto look = [&] {
        if (const QList<XWindow> boxes = display.messageBoxes(program.pid()); !boxes.isEmpty())
            box = boxes.first().title;
        seen += coloursShown(display.grab(main->id));
        return !box.isEmpty() || !program.running();
    };
    waitUntil([&] { return look() || !seen.isEmpty(); }, 60000, 50);
    if (!seen.isEmpty())
        waitUntil([&] { return look() || seen.size() >= 2; }, 5000, 50);
    display.closeWindow(main->id);
    if (!program.waitForExit(60000))
        return QStringLiteral("did not end after its window was closed");
    if (!box.isEmpty())
        return QStringLiteral("a message box: ") + box;
    if (program.crashed())
        return program.describeEnd();
    if (seen.size() < 2)
        return QStringLiteral("%1 of the video's colours shown").arg(seen.size());
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
        ASSERT_TRUE(makeVideo(videos.last(), k.sound)) << k.name;
    }
    const Load load;
    const QStringList all = startsSideBySide(4, 5, [&videos](const XDisplay& display, int n) {
        const QString& video = videos[n % videos.size()];
        const QString f = startWithVideo(display, video);
        return f.isEmpty() ? f : video + QStringLiteral(": ") + f;
    });
    EXPECT_TRUE(all.isEmpty()) << qPrintable(all.join(QLatin1Char('\n')));
}
