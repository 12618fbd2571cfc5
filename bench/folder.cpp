// A folder of 100,000 files, its first a 6000 x 4000 photo: the file list
// painted with the files, against the program's list control alone (a
// program of its own) and against `ls -l`; interleaved rounds.
//  - Moving to the folder, timed inside each process from the request to
//    the painted list: the main window (which also lists the folder's
//    pictures and shows the first) against the list control alone.
//  - Whole processes started on the folder, from just before the start to
//    the painted list: Tessamor (the folder it showed last), the list
//    control's program and `ls -l`.
// Run: bench_folder [rounds, default 7] (the folder is kept in
// /tmp/lumivex-bench-folder for the next run)
#include "ScriptedDialogs.h"
#include "BenchSupport.h"
#include "FrameProbe.h"
#include "PhotoMaker.h"
#include "ProgramFolder.h"

#include "platform/controls/Dialogs.h"
#include "platform/shell/ShellList.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

constexpr int kFiles = 100000;

bool makeFolder(const QString& dir)
{
    if (QDir(dir).entryList(QDir::Files).size() == kFiles)
        return true;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString first = QDir(dir).filePath(QStringLiteral("IMG_000000.jpg"));
    const QString small = QDir(dir).filePath(QStringLiteral("IMG_000001.jpg"));
    if (!bench::writePhoto(first, {6000, 4000}, 7, "jpeg") || !bench::writePhoto(small, {64, 48}, 8, "jpeg"))
        return false;
    // The others: small pictures, links of the second (a file takes at most
    // 65,000 links on some file systems: a new copy every 50,000).
    QByteArray from = QFile::encodeName(small);
    for (int i = 2; i < kFiles; ++i) {
        const QString name = QDir(dir).filePath(QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0')));
        if (i % 50000 == 0) {
            if (!QFile::copy(small, name))
                return false;
            from = QFile::encodeName(name);
        } else if (::link(from.constData(), QFile::encodeName(name).constData()) != 0) {
            return false;
        }
    }
    return true;
}

// The child: the main window, started on an empty folder, moves to the folder.
int navigate(int argc, char** argv, const QString& folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program;
    QDir::setCurrent(program.path());
    platform::ScopedDialogs dialogs; // the notes about missing settings answer at once
    Lumivex1 w({});
    w.resize(1200, 900);
    w.startUp();
    w.finishStartUp();
    QCoreApplication::processEvents();
    bench::FrameProbe probe(w.PTxShList1, [&] { return w.PTxShList1->Count() > 0; });
    app.installEventFilter(&probe);
    const double c0 = bench::cpuMs();
    const qint64 t0 = bench::nowNs();
    w.setFileListFolder(folder);
    while (!probe.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 t1 = bench::nowNs();
    std::printf("ms %.3f\ncpu_ms %.3f\nitems %d\npicture %d\n", (t1 - t0) / 1e6, bench::cpuMs() - c0,
                w.PTxShList1->Count(), w.Image1->HasBitmap() ? 1 : 0);
    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--navigate")
        return navigate(argc, argv, QFile::decodeName(argv[2]));
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 7;
    const QString dir = QDir::tempPath() + QStringLiteral("/lumivex-bench-folder");
    std::printf("making %d files in %s ...\n", kFiles, qPrintable(dir));
    std::fflush(stdout);
    if (!makeFolder(dir)) {
        std::fprintf(stderr, "could not make the folder\n");
        return 1;
    }
    int style = 0;
    bench::ProgramFolder program(QCoreApplication::applicationDirPath(), [&](Options& o) {
        o.cLastFolder = dir;
        o.fSaveLastFolder = true;
        o.fTipsAtStartup = false;
        style = o.nListViewStyle;
    });
    const QString self = QCoreApplication::applicationFilePath();
    const QString list = bench::sibling(argv[0], QStringLiteral("bench_folder_list"));
    if (!program.ok() || !QFileInfo(list).isExecutable()) {
        std::fprintf(stderr, "build Tessamor and bench_folder_list first\n");
        return 1;
    }
    const QStringList env{QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    const QString styleArg = QString::number(style);
    auto complete = [](const bench::Process& p) { return p.ok() && bench::field(p.out, "items") >= kFiles; };
    auto painted = [&](const bench::Process& p) {
        return complete(p) ? (bench::field(p.out, "painted") - double(p.startNs)) / 1e6 : -1.0;
    };
    auto inside = [&](const bench::Process& p) { return complete(p) ? bench::field(p.out, "ms") : -1.0; };
    const auto listing = [&] { return bench::run(QStringLiteral("ls"), {QStringLiteral("-l"), dir}, {}, {}, true); };
    listing(); // warm the caches

    bench::Series moveOurs{QStringLiteral("Lumivex"), {}}, moveAlone{QStringLiteral("list alone"), {}};
    bench::Series cpuOurs{QStringLiteral("Lumivex"), {}}, cpuAlone{QStringLiteral("list alone"), {}};
    bench::Series startOurs{QStringLiteral("Tessamor"), {}}, startAlone{QStringLiteral("list alone"), {}},
        ls{QStringLiteral("ls -l"), {}};
    for (int r = 0; r < rounds; ++r) {
        const bench::Process a = bench::run(self, {QStringLiteral("--navigate"), dir});
        const bench::Process b = bench::run(list, {QStringLiteral("--navigate"), dir, styleArg}, {}, env);
        const bench::Process c = bench::run(program.program(), {}, program.path(),
                                            env + QStringList{QStringLiteral("LUMIVEX_PAINT_PROBE=list")});
        const bench::Process d = bench::run(list, {dir, styleArg}, {}, env);
        const bench::Process e = listing();
        const double values[] = {inside(a), inside(b), painted(c), painted(d), e.ok() ? e.ms : -1};
        if (*std::min_element(std::begin(values), std::end(values)) < 0) {
            std::fprintf(stderr, "a process failed (round %d)\n", r + 1);
            return 1;
        }
        cpuOurs.values.push_back(bench::field(a.out, "cpu_ms"));
        cpuAlone.values.push_back(bench::field(b.out, "cpu_ms"));
        moveOurs.values.push_back(values[0]);
        moveAlone.values.push_back(values[1]);
        startOurs.values.push_back(values[2]);
        startAlone.values.push_back(values[3]);
        ls.values.push_back(values[4]);
    }
    std::printf("%d-file folder to its painted list, median of %d interleaved rounds\n", kFiles, rounds);
    bench::report("move to the folder (in-process)", moveOurs, moveAlone, 1.2);
    bench::report("  the same, CPU time", cpuOurs, cpuAlone);
    bench::report("start on the folder (whole)", startOurs, startAlone);
    bench::report("", startOurs, ls);
    return 0;
}
