// Joining two 5-minute 1280x720 MPEG-4 AVIs with PCM sound, and replacing the
// sound of one with a 5-minute WAV, against the ffmpeg command doing the same
// (the concat demuxer with every stream copied; the pictures of one input and
// the sound of the other, both copied). Both run as whole processes: this
// program starts itself for our side. Rounds are interleaved; it prints each
// side's median and the median of the per-round ratios, and whether the two
// results are the same file byte for byte or, when not, hold the same
// packets (ffmpeg's framemd5 of every stream copied).
// Usage: bench_join [work folder] [rounds]
//        bench_join --join target a b | --replace target video audio   (one run of ours)
#include "VideoMaker.h"

#include "platform/media/MediaJoin.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSeconds = 300;
using benchvideo::kRate;
using benchvideo::tone;

bool makeVideo(const QString& path)
{
    return benchvideo::makeVideo(path, kSeconds, QStringLiteral("pcm_s16le"), "PCM");
}

bool makeWav(const QString& path)
{
    if (QFileInfo(path).size() > 0)
        return true;
    platform::MediaWriter w;
    if (!w.open(path, {0, 0, 0, kRate, 2, {}, {}}))
        return false;
    for (int done = 0; done < kSeconds * kRate; done += 4096) {
        const int n = std::min(4096, kSeconds * kRate - done);
        if (!w.writeAudio(tone(880, done, n, 2).data(), n))
            return false;
    }
    return w.finish();
}

// One run of ours, as its own process.
int runOnce(const QStringList& args)
{
    platform::ConvertResult r;
    if (args.size() == 5 && args[1] == "--join")
        r = platform::JoinVideoFiles({{args[3], args[4]}, args[2]});
    else if (args.size() == 5 && args[1] == "--replace")
        r = platform::ReplaceAudio({args[3], args[4], args[2]});
    else
        return 2;
    if (!r.ok)
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
    return r.ok ? 0 : 1;
}

double timed(const QString& program, const QStringList& args, const QString& target)
{
    QFile::remove(target);
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute(program, args);
    const double s = t.nsecsElapsed() / 1e9;
    return rc == 0 && QFileInfo(target).size() > 0 ? s : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Whether two files hold the same bytes.
bool sameBytes(const QString& a, const QString& b)
{
    QFile x(a), y(b);
    if (!x.open(QIODevice::ReadOnly) || !y.open(QIODevice::ReadOnly) || x.size() != y.size())
        return false;
    while (!x.atEnd())
        if (x.read(1 << 20) != y.read(1 << 20))
            return false;
    return true;
}

// The checksum of every packet of every stream, as ffmpeg lists them.
QByteArray packetSums(const QString& ffmpeg, const QString& file)
{
    QProcess p;
    p.start(ffmpeg, {"-v", "error", "-i", file, "-map", "0", "-c", "copy", "-f", "framemd5", "-"});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return {};
    QByteArray sums;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (!line.startsWith('#'))
            sums += line + '\n';
    return sums;
}

// How the two results compare.
QString sameness(const QString& ffmpeg, const QString& a, const QString& b)
{
    if (sameBytes(a, b))
        return QStringLiteral("byte-identical");
    const QByteArray x = packetSums(ffmpeg, a);
    if (x.isEmpty() || x != packetSums(ffmpeg, b))
        return QStringLiteral("DIFFERENT");
    return QStringLiteral("the same packets, headers %1 bytes apart").arg(QFileInfo(b).size() - QFileInfo(a).size());
}

struct Case {
    const char* name;
    QStringList ours;   // arguments to this program
    QStringList theirs; // arguments to ffmpeg
    QString ourTarget, theirTarget;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args[1].startsWith("--"))
        return runOnce(args);
    const QString dir = args.size() > 1 ? args[1] : QDir::tempPath() + "/lumivex-bench-join";
    const int rounds = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;
    QDir().mkpath(dir);
    const QString a = dir + "/a.avi", b = dir + "/b.avi", wav = dir + "/sound.wav";
    if (!makeVideo(a) || !makeWav(wav) || (!QFileInfo(b).exists() && !QFile::copy(a, b))) {
        std::printf("could not make the source files\n");
        return 1;
    }
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        std::printf("no ffmpeg command to compare with (scripts/bench-deps.sh installs it)\n");
        return 1;
    }
    QFile list(dir + "/list.txt");
    if (!list.open(QIODevice::WriteOnly))
        return 1;
    list.write(QStringLiteral("file '%1'\nfile '%2'\n").arg(a, b).toUtf8());
    list.close();
    const QStringList quiet = {"-y", "-v", "error"};
    const Case cases[] = {
        {"join (copied)", {"--join", dir + "/joined.avi", a, b},
         quiet + QStringList{"-f", "concat", "-safe", "0", "-i", list.fileName(), "-c", "copy", dir + "/ff-joined.avi"},
         dir + "/joined.avi", dir + "/ff-joined.avi"},
        {"replace audio", {"--replace", dir + "/replaced.avi", a, wav},
         quiet + QStringList{"-i", a, "-i", wav, "-map", "0:v", "-map", "1:a", "-c:v", "copy", "-c:a", "copy",
                             dir + "/ff-replaced.avi"},
         dir + "/replaced.avi", dir + "/ff-replaced.avi"},
    };
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("%d rounds, ours and ffmpeg interleaved, whole processes\n", rounds);
    for (const Case& c : cases) {
        std::vector<double> ours, theirs, ratios;
        for (int round = 0; round < rounds; ++round) {
            const double o = timed(self, c.ours, c.ourTarget);
            const double t = timed(ffmpeg, c.theirs, c.theirTarget);
            if (o < 0 || t < 0) {
                std::printf("%s: a run failed\n", c.name);
                return 1;
            }
            ours.push_back(o);
            theirs.push_back(t);
            ratios.push_back(o / t);
        }
        std::printf("%-14s lumivex %7.3f s   ffmpeg %7.3f s   median ratio %5.2f   results: %s\n", c.name,
                    median(ours), median(theirs), median(ratios),
                    qPrintable(sameness(ffmpeg, c.ourTarget, c.theirTarget)));
        QFile::remove(c.ourTarget);
        QFile::remove(c.theirTarget);
    }
    return 0;
}
