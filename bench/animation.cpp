// An AVI video from 100 photos of 4000 x 3000 pixels, 8 frames each, at 15
// frames per second (MPEG-2, quantiser 3): the animation builder's writer
// against the ffmpeg command given the same pictures, each decoded once and
// shown for 8 frames (-framerate 15/8 -i photo%03d.jpg -vf fps=15, -c:v
// mpeg2video -q:v 3 -g 12 -motion_est zero, the settings our encoder uses).
// Both run as whole processes, interleaved, for several rounds; each round
// prints both times, and the end the median of the per-round ratios (ours /
// ffmpeg). Both videos are checked for their frame count and size (ffprobe).
// Usage: bench_animation [rounds] [pictures] [work folder]
#include "video/AviWriter.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000, kRepeat = 8, kQuantiser = 3;

// A photo-like picture: soft light, shapes at several scales and sensor grain.
QImage photo(int index)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    std::mt19937 rng(unsigned(index) * 7919u + 1);
    std::uniform_int_distribution<int> grain(-6, 6);
    const double phase = index * 0.37, hue = (index * 37) % 360;
    const QColor base = QColor::fromHsv(int(hue), 120, 200);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const double fy = double(y) / kHeight;
        for (int x = 0; x < kWidth; ++x) {
            const double fx = double(x) / kWidth;
            const double light = 0.55 + 0.35 * std::sin(fx * 3.1 + phase) * std::cos(fy * 2.3 - phase) +
                                 0.08 * std::sin(fx * 60 + fy * 40 + phase) + 0.04 * std::sin((fx - fy) * 400);
            const int g = grain(rng);
            const auto c = [&](int v) { return std::clamp(int(v * light) + g, 0, 255); };
            line[x] = qRgb(c(base.red()), c(base.green()), c(base.blue()));
        }
    }
    return img;
}

QStringList makePhotos(const QString& dir, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString p = QDir(dir).filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        if (QFileInfo(p).size() == 0) {
            std::printf("\rmaking photo %d of %d", i + 1, count);
            std::fflush(stdout);
            photo(i).save(p, "JPEG", 90);
        }
        paths << p;
    }
    std::printf("\n");
    return paths;
}

// Frames and picture size of a video's first video stream, as ffprobe counts them.
QString probe(const QString& ffprobe, const QString& video)
{
    QProcess p;
    p.start(ffprobe, {"-v", "error", "-count_packets", "-select_streams", "v:0", "-show_entries",
                      "stream=nb_read_packets,width,height", "-of", "csv=p=0", video});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return QStringLiteral("unreadable");
    // "width,height,frames"
    const QStringList f =
        QString::fromLatin1(p.readAllStandardOutput()).trimmed().split(QLatin1Char(','), Qt::SkipEmptyParts);
    return f.size() == 3 ? QStringLiteral("%1 frames of %2x%3").arg(f[2], f[0], f[1]) : QStringLiteral("unreadable");
}

// The child process: writes the video as the builder's Save does.
int writeOurs(const QString& listFile, const QString& target)
{
    QFile f(listFile);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    video::VideoJob job;
    job.entries = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    job.frameRepeat = kRepeat;
    job.quantiser = kQuantiser;
    job.target = target;
    const video::VideoResult r = video::writeVideoFile(job);
    if (r.outcome != video::VideoResult::Written) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return 1;
    }
    return 0;
}

// Processor seconds (user and system) of the children that have ended.
double childCpu()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double wall = -1, cpu = -1;
};

Run timed(const QString& program, const QStringList& args)
{
    const double cpu0 = childCpu();
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return {t.nsecsElapsed() / 1e9, childCpu() - cpu0};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--write") {
        QCoreApplication app(argc, argv);
        return writeOurs(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int count = argc > 2 ? std::max(1, atoi(argv[2])) : 100;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QDir::tempPath() + "/lumivex-bench-animation";
    QDir().mkpath(dir);
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    const QString ffprobe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (ffmpeg.isEmpty() || ffprobe.isEmpty()) {
        std::printf("no ffmpeg command to compare with (scripts/bench-deps.sh installs it)\n");
        return 1;
    }
    const QStringList photos = makePhotos(dir, count);
    const QString listFile = QDir(dir).filePath(QStringLiteral("list.txt"));
    QFile list(listFile);
    if (!list.open(QIODevice::WriteOnly))
        return 1;
    list.write(photos.join(QLatin1Char('\n')).toUtf8());
    list.close();
    const QString pattern = QDir(dir).filePath(QStringLiteral("photo%03d.jpg"));
    const QString ours = QDir(dir).filePath(QStringLiteral("ours.avi"));
    const QString theirs = QDir(dir).filePath(QStringLiteral("ffmpeg.avi"));
    // The encoder settings ours uses: fixed quantiser, 12-frame groups, no
    // motion search (nothing moves in a slide show).
    // Each photo is decoded once and repeated by the frame-rate filter, as ours repeats it.
    const QStringList ffmpegArgs = {"-y", "-v", "error", "-framerate", QStringLiteral("15/%1").arg(kRepeat), "-i",
                                    pattern, "-vf", "fps=15", "-c:v", "mpeg2video", "-q:v",
                                    QString::number(kQuantiser), "-g", "12", "-motion_est", "zero", theirs};

    std::printf("%d photos of %dx%d, %d frames each (%d frames), MPEG-2 AVI at 15 frames/s, quantiser %d\n", count,
                kWidth, kHeight, kRepeat, count * kRepeat, kQuantiser);
    std::vector<double> ratios;
    for (int round = 1; round <= rounds; ++round) {
        const Run a = timed(QCoreApplication::applicationFilePath(), {"--write", listFile, ours});
        const Run b = timed(ffmpeg, ffmpegArgs);
        if (a.wall < 0 || b.wall < 0) {
            std::printf("round %d failed\n", round);
            return 1;
        }
        ratios.push_back(a.wall / b.wall);
        std::printf("round %d: lumivex %7.2f s (cpu %7.2f s)   ffmpeg %7.2f s (cpu %7.2f s)   ratio %.2f\n", round,
                    a.wall, a.cpu, b.wall, b.cpu, a.wall / b.wall);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio (lumivex / ffmpeg): %.2f   sizes: lumivex %.1f MB, ffmpeg %.1f MB\n",
                ratios[ratios.size() / 2], QFileInfo(ours).size() / 1e6, QFileInfo(theirs).size() / 1e6);
    const QString expected = QStringLiteral("%1 frames of %2x%3").arg(count * kRepeat).arg(kWidth).arg(kHeight);
    const QString a = probe(ffprobe, ours), b = probe(ffprobe, theirs);
    std::printf("videos: lumivex %s, ffmpeg %s (expected %s)\n", qPrintable(a), qPrintable(b), qPrintable(expected));
    if (a != expected || b != expected) {
        std::printf("the videos differ from what was asked for\n");
        return 1;
    }
    return 0;
}
