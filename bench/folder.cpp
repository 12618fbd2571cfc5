// A folder of 100,000 files: the real Tessamor process started on it (the
// folder it showed last), from just before it is started to its file list
// painted with the files, against the program's list control alone in a
// program of its own, and against `ls -l` of the folder; all whole
// processes, interleaved. The folder's first file is a 6000 x 4000 photo,
// which the program shows as the first picture of the folder.
// Run: bench_folder [rounds, default 7] (the folder is kept in
// /tmp/lumivex-bench-folder for the next run)
#include "BenchSupport.h"
#include "PhotoMaker.h"
#include "ProgramFolder.h"

#include <QCoreApplication>

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
        if (i % 50000 == 0) {
            const QString copy = QDir(dir).filePath(QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0')));
            if (!QFile::copy(small, copy))
                return false;
            from = QFile::encodeName(copy);
            continue;
        }
        const QByteArray to = QFile::encodeName(QDir(dir).filePath(QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'))));
        if (::link(from.constData(), to.constData()) != 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
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
    const QString list = bench::sibling(argv[0], QStringLiteral("bench_folder_list"));
    if (!program.ok() || !QFileInfo(list).isExecutable()) {
        std::fprintf(stderr, "build Tessamor and bench_folder_list first\n");
        return 1;
    }
    const QStringList env{QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    auto painted = [](const bench::Process& p) {
        const double at = bench::field(p.out, "painted");
        return p.ok() && at > 0 ? (at - double(p.startNs)) / 1e6 : -1.0;
    };
    bench::Series ours{QStringLiteral("Tessamor"), {}}, alone{QStringLiteral("list alone"), {}},
        ls{QStringLiteral("ls -l"), {}};
    const auto listing = [&] { return bench::run(QStringLiteral("ls"), {QStringLiteral("-l"), dir}, {}, {}, true); };
    listing(); // warm the caches
    for (int r = 0; r < rounds; ++r) {
        const double a = painted(bench::run(program.program(), {}, program.path(),
                                            env + QStringList{QStringLiteral("LUMIVEX_PAINT_PROBE=list")}));
        const double b = painted(bench::run(list, {dir, QString::number(style)}, {}, env));
        const bench::Process c = listing();
        if (a < 0 || b < 0 || !c.ok()) {
            std::fprintf(stderr, "a process failed (round %d)\n", r + 1);
            return 1;
        }
        ours.values.push_back(a);
        alone.values.push_back(b);
        ls.values.push_back(c.ms);
    }
    std::printf("%d-file folder to its painted list, median of %d interleaved rounds\n", kFiles, rounds);
    bench::report("exec to painted list", ours, alone, 1.2);
    bench::report("", ours, ls);
    return 0;
}
