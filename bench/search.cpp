// The file search over a tree of 20,220 folders (20,000 leaves) holding
// 200,000 files, from the start of the process to the search's end, against
// `find` over the same tree; whole processes, interleaved. Twice: a pattern
// that matches nothing (a full walk) and one whose only match lies in the
// last folder.
// Run: bench_search [rounds, default 7] (the tree is kept in
// /tmp/lumivex-bench-search for the next run)
#include "ScriptedDialogs.h"
#include "BenchSupport.h"

#include "platform/controls/Dialogs.h"
#include "platform/shell/ShellTree.h"
#include "shared/SharedState.h"
#include "browser/SearchSession.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QTemporaryDir>

namespace {

// root/dNN/eNN/fNN: 20 x 10 x 100 leaf folders, ten files in each.
bool makeTree(const QString& root)
{
    const QString done = root + QStringLiteral("/.made");
    if (QFileInfo::exists(done))
        return true;
    QDir(root).removeRecursively();
    QString last;
    for (int d = 0; d < 20; ++d)
        for (int e = 0; e < 10; ++e)
            for (int f = 0; f < 100; ++f) {
                last = QStringLiteral("%1/d%2/e%3/f%4")
                           .arg(root)
                           .arg(d, 2, 10, QLatin1Char('0'))
                           .arg(e, 2, 10, QLatin1Char('0'))
                           .arg(f, 2, 10, QLatin1Char('0'));
                if (!QDir().mkpath(last))
                    return false;
                for (int n = 0; n < 10; ++n) {
                    QFile file(QStringLiteral("%1/note%2.txt").arg(last).arg(n));
                    if (!file.open(QIODevice::WriteOnly))
                        return false;
                }
            }
    QFile match(QDir(last).filePath(QStringLiteral("match.JPG")));
    if (!match.open(QIODevice::WriteOnly))
        return false;
    match.close();
    QFile mark(done);
    return mark.open(QIODevice::WriteOnly);
}

// The child: the main window searches the tree; prints what it found and the
// time of the search inside the process.
int search(int argc, char** argv, const QString& root, const QString& pattern)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program;
    QDir::setCurrent(program.path());
    platform::ScopedDialogs dialogs; // "not found" answers at once
    Lumivex1 w({});
    w.PTxShTree1->setRootFolders({root});
    gs.cLastFolder = root;
    w.resize(1000, 700);
    w.startUp();
    w.finishStartUp();
    QCoreApplication::processEvents();
    gs.nSearchFirstCount = 1000000; // the questions past the search counts are the user's
    w.search().cFindPattern = pattern;
    w.search().nSearchResumeIndex = 0;
    const qint64 t0 = bench::nowNs();
    w.FindNext();
    QCoreApplication::processEvents(); // the tree lays out what the walk expanded
    const qint64 t1 = bench::nowNs();
    std::printf("ms %.3f\nshown %s\n", (t1 - t0) / 1e6, qPrintable(w.fileListFolder()));
    std::fflush(stdout);
    std::_Exit(0);
}

void compare(const QString& self, const QString& root, const char* what, const QString& pattern, int rounds)
{
    bench::Series ours{QStringLiteral("Lumivex"), {}}, theirs{QStringLiteral("find"), {}};
    std::vector<double> inside;
    QString shown, hit;
    for (int r = 0; r < rounds; ++r) {
        const bench::Process a = bench::run(self, {QStringLiteral("--search"), root, pattern});
        const bench::Process b = bench::run(QStringLiteral("find"), {root, QStringLiteral("-iname"), pattern,
                                                                     QStringLiteral("-print"), QStringLiteral("-quit")});
        if (!a.ok() || !b.ok()) {
            std::fprintf(stderr, "a process failed\n");
            return;
        }
        ours.values.push_back(a.ms);
        theirs.values.push_back(b.ms);
        inside.push_back(bench::field(a.out, "ms"));
        for (const QByteArray& line : a.out.split('\n'))
            if (line.startsWith("shown "))
                shown = QString::fromLocal8Bit(line.mid(6));
        hit = QString::fromLocal8Bit(b.out).trimmed();
    }
    std::printf("%s (%s): Lumivex shows %s, find prints %s\n", what, qPrintable(pattern), qPrintable(shown),
                hit.isEmpty() ? "nothing" : qPrintable(hit));
    bench::report("  whole process", ours, theirs, pattern == QLatin1String("*.xyz") ? 0.5 : 0);
    std::printf("  (inside the Lumivex process, the search alone: %.1f ms)\n", bench::median(inside));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--search")
        return search(argc, argv, QFile::decodeName(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 7;
    const QString self = QCoreApplication::applicationFilePath();
    const QString root = QDir::tempPath() + QStringLiteral("/lumivex-bench-search");
    std::printf("making 20,220 folders and 200,001 files in %s ...\n", qPrintable(root));
    std::fflush(stdout);
    if (!makeTree(root)) {
        std::fprintf(stderr, "could not make the tree\n");
        return 1;
    }
    bench::run(QStringLiteral("find"), {root}, {}, {}, true); // warm the caches
    compare(self, root, "no match, a full walk", QStringLiteral("*.xyz"), rounds);
    compare(self, root, "one match in the last folder", QStringLiteral("*.jpg"), rounds);
    return 0;
}
