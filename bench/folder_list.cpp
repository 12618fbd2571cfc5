// The anchor of bench_folder, a program of its own: the program's file list
// control alone in a window.
//   bench_folder_list FOLDER STYLE            shows the folder from the start, prints
//                                             the monotonic clock (ns) once the filled
//                                             list is painted, and leaves;
//   bench_folder_list --navigate FOLDER STYLE  shows an empty folder first, then times
//                                             the change to FOLDER up to the painted list.
#include "BenchSupport.h"
#include "FrameProbe.h"

#include "platform/shell/ShellList.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool navigate = argc == 4 && QByteArray(argv[1]) == "--navigate";
    if (argc != 3 && !navigate)
        return 2;
    const QString folder = QFile::decodeName(argv[navigate ? 2 : 1]);
    platform::ShellList list;
    list.setViewStyle(atoi(argv[navigate ? 3 : 2]));
    list.resize(400, 700);
    bench::FrameProbe probe(&list, [&] { return list.Count() > 0; });
    QTemporaryDir empty;
    if (navigate) {
        list.setFolderPath(empty.path());
        list.show();
        QCoreApplication::processEvents();
    }
    app.installEventFilter(&probe);
    const double c0 = bench::cpuMs();
    const qint64 t0 = bench::nowNs();
    if (!navigate)
        list.show();
    if (!list.setFolderPath(folder))
        return 1;
    while (!probe.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 t1 = bench::nowNs();
    std::printf("painted %lld\nms %.3f\ncpu_ms %.3f\nitems %d\n", t1, (t1 - t0) / 1e6, bench::cpuMs() - c0,
                list.Count());
    std::fflush(stdout);
    std::_Exit(0);
}
