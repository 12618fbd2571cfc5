// Saving a 60 s clip of a 70 s 1280x720 MPEG-4 AVI with MP3 sound: the
// program's converter in a process of its own against the ffmpeg command
// doing the same (same range, same target type, the same streams copied or
// encoded), both whole processes, interleaved: to an AVI (streams copied), to
// an MP3 (sound copied) and to an MPG (pictures encoded as MPEG-1).
// Run: bench_clip [rounds, default 5] [work folder]
#include "BenchSupport.h"
#include "VideoMaker.h"

#include "platform/media/MediaConverter.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cmath>

namespace {

constexpr double kStart = 5.0, kEnd = 65.0;

bool makeSource(const QString& path) { return benchvideo::makeVideo(path, 70, {}, "MP3"); }

// The child: one clip saved by the converter.
int convert(const QString& source, const QString& target)
{
    QFile::remove(target);
    const platform::ConvertResult r = platform::convertMedia({source, target, kStart, kEnd});
    if (!r.ok) {
        std::printf("failed %s\n", qPrintable(r.error));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--convert")
        return convert(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 5;
    const QString dir = argc > 2 ? QFile::decodeName(argv[2]) : QDir::tempPath() + "/lumivex-bench-clip";
    QDir().mkpath(dir);
    const QString src = dir + "/source.avi";
    if (!makeSource(src)) {
        std::printf("could not make the source file\n");
        return 1;
    }
    const QString self = QCoreApplication::applicationFilePath();
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        std::printf("no ffmpeg command to compare with (Debian package ffmpeg)\n");
        return 1;
    }
    const QStringList head = {"-y", "-v", "error", "-ss", QString::number(kStart), "-to", QString::number(kEnd),
                              "-i", src};
    struct Case {
        const char* name;
        QString target, theirTarget;
        QStringList theirArgs;
    } cases[] = {
        {"AVI (streams copied)", dir + "/clip.avi", dir + "/ffmpeg.avi", head + QStringList{"-c", "copy"}},
        // The source's sound is MP3 already: both copy it into the new file.
        {"MP3 (sound copied)", dir + "/clip.mp3", dir + "/ffmpeg.mp3", head + QStringList{"-vn", "-c:a", "copy"}},
        // Pictures encoded for the MPEG container with the same settings.
        {"MPG (pictures encoded)", dir + "/clip.mpg", dir + "/ffmpeg.mpg",
         head + QStringList{"-c:v", "mpeg1video", "-q:v", "4", "-g", "12", "-c:a", "copy"}},
    };
    std::printf("60 s clip (%g s to %g s), median of %d interleaved rounds\n", kStart, kEnd, rounds);
    for (Case& c : cases) {
        bench::Series ours{QStringLiteral("Lumivex"), {}}, theirs{QStringLiteral("ffmpeg"), {}};
        for (int r = 0; r < rounds; ++r) {
            const bench::Process a = bench::run(self, {QStringLiteral("--convert"), src, c.target});
            QFile::remove(c.theirTarget);
            const bench::Process b = bench::run(ffmpeg, c.theirArgs + QStringList{c.theirTarget});
            if (!a.ok() || !b.ok()) {
                std::printf("%s: failed %s\n", c.name, a.out.constData());
                break;
            }
            ours.values.push_back(a.ms);
            theirs.values.push_back(b.ms);
        }
        bench::report(c.name, ours, theirs);
    }
    // What the converter logs while it writes the MPEG file.
    const bench::Process logged = bench::shell(
        QStringLiteral("'%1' --convert '%2' '%3' 2>&1 >/dev/null | grep -c 'buffer underflow'").arg(self, src,
                                                                                                    cases[2].target));
    std::printf("'buffer underflow' lines logged while saving the MPG clip: %d\n", logged.out.trimmed().toInt());
    return 0;
}
