#include "MovingVideo.h"

#include "E2eSupport.h"
#include "platform/media/MediaConverter.h"

#include <QFile>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <iterator>
#include <vector>

namespace e2e {

namespace {

const QRgb kFrameColours[] = {qRgb(240, 30, 200), qRgb(30, 220, 220), qRgb(250, 130, 20)};
constexpr int kColourCount = int(std::size(kFrameColours));
constexpr double kFps = 15, kSeconds = 12;
// The processor time a playing program is given to show the video's next
// colour: it needs a tenth of a second of it on a loaded machine, and under
// half a second pinned to one core beside busy loops.
constexpr double kWorkToMove = 2.0;

// The processor time the process has had, in seconds: the user and system
// time of all its threads, from /proc; -1 once it has gone.
double processorSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The fields after the command's name, which is in parentheses and may
    // hold spaces: the state first, the user and system times 12th and 13th.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

bool makeMovingVideo(const QString& path, bool withSound)
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

QSet<int> movingVideoColours(const QImage& shot)
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

VideoSeen watchMovingVideo(const XDisplay& display, Program& program, quint32 window)
{
    VideoSeen v;
    const auto look = [&] {
        program.output();
        if (const QList<XWindow> boxes = display.messageBoxes(program.pid()); !boxes.isEmpty() && v.box.isEmpty())
            v.box = boxes.first().title + QStringLiteral(", see ") + keepShot(display.grab(boxes.first().id), "box");
        v.colours += movingVideoColours(display.grab(window));
        return !v.box.isEmpty() || !program.running();
    };
    waitUntil([&] { return look() || !v.colours.isEmpty(); }, 60000, 50);
    if (v.colours.isEmpty())
        return v;
    // The next colour is waited for as long as the program works towards it:
    // a machine too busy to give it the processor only makes the wait longer.
    const double from = processorSeconds(program.pid());
    waitUntil(
        [&] {
            return look() || v.colours.size() >= 2 || processorSeconds(program.pid()) - from >= kWorkToMove;
        },
        60000, 50);
    return v;
}

} // namespace e2e
