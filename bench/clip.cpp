// Saving a 60 s clip of a 1280x720 MPEG-4 AVI to a new AVI and to an MP3,
// against the ffmpeg command doing the same (same range, same target type,
// the same streams copied or encoded). A third case re-encodes the pictures
// (MPEG-1 in an MPG file). ffmpeg's times include starting the process.
// Usage: bench_clip [work folder]
#include "platform/MediaConverter.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double kStart = 5.0, kEnd = 65.0;

bool makeSource(const QString& path)
{
    if (QFileInfo(path).size() > 0)
        return true;
    std::printf("making %s (70 s, 1280x720, 25 fps, MPEG-4 with MP3 sound)...\n", qPrintable(path));
    std::fflush(stdout);
    platform::MediaWriter w;
    const double fps = 25;
    const int rate = 44100, seconds = 70;
    if (!w.open(path, {1280, 720, fps, rate, 2, {}, {}}))
        return false;
    QImage img(1280, 720, QImage::Format_RGB32);
    int samples = 0;
    for (int f = 0; f < int(seconds * fps); ++f) {
        img.fill(QColor::fromHsv((f * 3) % 360, 180, 200));
        for (int y = 0; y < 720; y += 2) // moving detail, so the encoder has work
            for (int x = (f * 8 + y) % 1280, n = 0; n < 64; ++n)
                img.setPixel((x + n) % 1280, y, qRgb(n * 4, y % 256, f % 256));
        if (!w.writeFrame(img))
            return false;
        const int until = int(std::lround((f + 1) / fps * rate));
        std::vector<std::int16_t> s(size_t(until - samples) * 2);
        for (int i = 0; i < until - samples; ++i)
            s[2 * i] = s[2 * i + 1] = std::int16_t(6000 * std::sin(2 * M_PI * 440.0 * (samples + i) / rate));
        if (!w.writeAudio(s.data(), until - samples))
            return false;
        samples = until;
    }
    return w.finish();
}

double ours(const QString& src, const QString& target)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(target);
        QElapsedTimer t;
        t.start();
        const platform::ConvertResult r = platform::convertMedia({src, target, kStart, kEnd});
        const double s = t.nsecsElapsed() / 1e9;
        if (!r.ok) {
            std::printf("  failed: %s\n", qPrintable(r.error));
            return -1;
        }
        best = std::min(best, s);
    }
    return best;
}

double theirs(const QString& ffmpeg, const QStringList& args)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(args.last());
        QElapsedTimer t;
        t.start();
        const int rc = QProcess::execute(ffmpeg, args);
        const double s = t.nsecsElapsed() / 1e9;
        if (rc != 0)
            return -1;
        best = std::min(best, s);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/lumivex-bench-clip";
    QDir().mkpath(dir);
    const QString src = dir + "/source.avi";
    if (!makeSource(src)) {
        std::printf("could not make the source file\n");
        return 1;
    }
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    const QString range[] = {"-ss", QString::number(kStart), "-to", QString::number(kEnd), "-i", src};
    const QStringList head = {"-y", "-v", "error", range[0], range[1], range[2], range[3], range[4], range[5]};
    struct Case {
        const char* name;
        QString target, theirTarget;
        QStringList theirArgs;
    } cases[] = {
        {"AVI (streams copied)", dir + "/clip.avi", dir + "/ffmpeg.avi", head + QStringList{"-c", "copy"}},
        // The source's sound is MP3 already: both copy it into the new file.
        {"MP3 (sound copied)", dir + "/clip.mp3", dir + "/ffmpeg.mp3", head + QStringList{"-vn", "-c:a", "copy"}},
        // Pictures re-encoded for the MPEG container with the same settings.
        {"MPG (pictures encoded)", dir + "/clip.mpg", dir + "/ffmpeg.mpg",
         head + QStringList{"-c:v", "mpeg1video", "-q:v", "4", "-g", "12", "-c:a", "copy"}},
    };
    std::printf("60 s clip (%g s to %g s), best of 3 runs\n", kStart, kEnd);
    for (Case& c : cases) {
        const double a = ours(src, c.target);
        if (ffmpeg.isEmpty()) {
            std::printf("%-22s lumivex %7.3f s   (no ffmpeg command to compare with)\n", c.name, a);
            continue;
        }
        const double b = theirs(ffmpeg, c.theirArgs + QStringList{c.theirTarget});
        std::printf("%-22s lumivex %7.3f s   ffmpeg %7.3f s   ratio %5.2f\n", c.name, a, b, b > 0 ? a / b : 0.0);
    }
    return 0;
}
