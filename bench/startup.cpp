// Start-up: the real Tessamor process, from just before it is started to its
// first painted frame, against a separate minimal Qt program (a main window
// with a menu bar, a tool bar, a tree view and six tabs, built with the same
// flags), both whole processes, interleaved. Also counts the shared objects
// Tessamor loads before its first frame and names the imaging libraries
// mapped by then (there should be none).
// Run: bench_startup [rounds, default 15]  (on QT_QPA_PLATFORM: offscreen
//      unless set, e.g. xcb with DISPLAY)
//      bench_startup --keep FOLDER  (makes a program folder in FOLDER and
//      leaves it there, to run or profile the program by hand)
#include "BenchSupport.h"
#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

QString platformName()
{
    const QString set = qEnvironmentVariable("QT_QPA_PLATFORM");
    return set.isEmpty() ? QStringLiteral("offscreen") : set;
}

// Milliseconds from the start of the process to its first frame, or -1;
// out: what it printed (the objects it had mapped, for Tessamor).
double firstFrame(const QString& program, const QString& folder, QByteArray* out = nullptr)
{
    const bench::Process p = bench::run(program, {}, folder, {QStringLiteral("LUMIVEX_PAINT_PROBE=window")});
    const double painted = bench::field(p.out, "painted");
    if (out)
        *out = p.out;
    return p.ok() && painted > 0 ? (painted - double(p.startNs)) / 1e6 : -1;
}

// Shared objects mapped by a process that has just painted its first frame.
int sharedObjects(const QString& program, const QString& folder)
{
    const bench::Process p = bench::shell(
        QStringLiteral("LUMIVEX_PAINT_PROBE=window LD_DEBUG=files '%1' 2>&1 >/dev/null | grep -c 'calling init:'")
            .arg(program),
        folder);
    return p.out.trimmed().toInt();
}

// The imaging libraries among the objects the probe named.
QStringList imagingLibraries(const QByteArray& out)
{
    QStringList found;
    for (const QByteArray& line : out.split('\n'))
        for (const char* lib : {"liblumivex_magick", "libMagick", "libfftw3", "liblqr", "liblcms2", "libxml2", "libvips"})
            if (line.startsWith("mapped ") && line.contains(lib))
                found << QString::fromLatin1(line.mid(7));
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--keep") {
        const bench::ProgramFolder kept(QCoreApplication::applicationDirPath(), {}, QFile::decodeName(argv[2]));
        std::printf("%s\n", qPrintable(kept.path()));
        return kept.ok() ? 0 : 1;
    }
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 15;
    const QString bin = QCoreApplication::applicationDirPath();
    bench::ProgramFolder folder(bin);
    const QString bare = bench::sibling(argv[0], QStringLiteral("bench_startup_bare"));
    if (!folder.ok() || !QFileInfo(bare).isExecutable()) {
        std::fprintf(stderr, "build Tessamor and bench_startup_bare first\n");
        return 1;
    }
    const QString tmp = QDir::tempPath();
    // Every child is started on this platform.
    qputenv("QT_QPA_PLATFORM", platformName().toLocal8Bit());
    firstFrame(folder.program(), folder.path()); // the file cache, warmed for both
    firstFrame(bare, tmp);
    bench::Series ours{QStringLiteral("Tessamor"), {}}, theirs{QStringLiteral("bare Qt"), {}};
    for (int r = 0; r < rounds; ++r) {
        const double a = firstFrame(folder.program(), folder.path());
        const double b = firstFrame(bare, tmp);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "a process did not paint (round %d)\n", r + 1);
            return 1;
        }
        ours.values.push_back(a);
        theirs.values.push_back(b);
    }
    std::printf("start-up to first painted frame (%s), median of %d interleaved rounds\n",
                qPrintable(platformName()), rounds);
    bench::report("exec to first frame", ours, theirs, 1.15);
    QByteArray probed;
    firstFrame(folder.program(), folder.path(), &probed);
    const QStringList imaging = imagingLibraries(probed);
    std::printf("imaging libraries mapped at the first frame: %s\n",
                imaging.isEmpty() ? "none" : qPrintable(imaging.join(' ')));
    const bench::Process linked = bench::shell(QStringLiteral("ldd '%1' | wc -l").arg(folder.program()));
    std::printf("shared objects: %d linked by Tessamor (ldd), %d loaded by its first frame; %d loaded by the bare "
                "program\n",
                linked.out.trimmed().toInt(), sharedObjects(folder.program(), folder.path()),
                sharedObjects(bare, tmp));
    return 0;
}
