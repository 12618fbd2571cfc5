// Times the file search over a tree of 20,000 folders whose last folder holds
// the only match, from the root to that match (the folder tree expanded for
// display as the walk goes), against `find ROOT -iname '*.jpg' -print -quit`
// on the same tree.
#include "platform/Dialogs.h"
#include "platform/ShellList.h"
#include "platform/ShellTree.h"
#include "shared/SharedState.h"
#include "browser/SearchSession.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// root/dNN/eNN/fNN: 20 x 10 x 100 leaf folders (20,220 folders in all).
QString makeTree(const QString& base)
{
    const QString root = QDir(base).filePath(QStringLiteral("root"));
    QString last;
    for (int d = 0; d < 20; ++d)
        for (int e = 0; e < 10; ++e)
            for (int f = 0; f < 100; ++f) {
                last = QStringLiteral("%1/d%2/e%3/f%4")
                           .arg(root)
                           .arg(d, 2, 10, QLatin1Char('0'))
                           .arg(e, 2, 10, QLatin1Char('0'))
                           .arg(f, 2, 10, QLatin1Char('0'));
                QDir().mkpath(last);
            }
    QFile match(QDir(last).filePath(QStringLiteral("match.JPG")));
    match.open(QIODevice::WriteOnly);
    match.write("x");
    return root;
}

double timeFind(const QString& root, QString* hit)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.jpg"), QStringLiteral("-print"),
                                      QStringLiteral("-quit")});
    p.waitForFinished(-1);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    *hit = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    return ms;
}

double timeSearch(const QString& root, QString* shown, int* items)
{
    platform::ScopedDialogs dialogs;
    Lumivex1 w(QStringList{});
    w.PTxShTree1->setRootFolders({root});
    gs.cLastFolder = root;
    w.resize(1000, 700);
    w.show();
    w.finishStartUp();
    QCoreApplication::processEvents();
    // The questions past the search counts are the user's; keep them out.
    gs.nSearchFirstCount = 1000000;
    w.search().cFindPattern = QStringLiteral("*.JPG");
    w.search().nSearchResumeIndex = 0;
    QElapsedTimer t;
    t.start();
    w.FindNext();
    QCoreApplication::processEvents(); // the tree lays out what the walk expanded
    const double ms = double(t.nsecsElapsed()) / 1e6;
    *shown = w.fileListFolder();
    *items = w.PTxShTree1->Items().Count();
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program; // the window's settings files go here
    QDir::setCurrent(program.path());
    QTemporaryDir dir;
    QString root = qEnvironmentVariable("BENCH_ROOT"); // an existing tree, to time again
    if (root.isEmpty()) {
        std::printf("making 20,220 folders...\n");
        root = makeTree(dir.path());
        ::sync(); // let the new folders settle on disk before timing
    }

    QString hit, shown;
    int items = 0;
    timeFind(root, &hit); // warm the caches
    std::vector<double> finds, searches;
    for (int run = 0; run < 7; ++run) {
        finds.push_back(timeFind(root, &hit));
        searches.push_back(timeSearch(root, &shown, &items));
    }
    const double f = median(finds), s = median(searches);
    std::printf("find:   %8.1f ms  (%s)\n", f, qPrintable(hit));
    std::printf("search: %8.1f ms  (%s, %d tree items)\n", s, qPrintable(shown), items);
    std::printf("ratio:  %8.2f x find\n", s / f);
    return 0;
}
