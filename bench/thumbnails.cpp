// The thumbnail view of a folder of photographs, from the start of the
// process to the last thumbnail shown, against Debian's vipsthumbnail making
// thumbnails of the same size from the same files as eight parallel
// processes (xargs -P8): 300 JPEGs of 3000 x 2000 at quality 90, then 300
// PNGs of 2000 x 1500; whole processes, interleaved. Then the memory of a
// thumbnail view of 10,000 pictures.
// Run: bench_thumbnails [rounds, default 5] (the pictures are kept in
// /tmp/lumivex-bench-thumbnails for the next run)
#include "ScriptedDialogs.h"
#include "BenchSupport.h"
#include "PhotoMaker.h"

#include "platform/controls/Dialogs.h"
#include "platform/controls/ImageList.h"
#include "shared/SharedState.h"
#include "browser/ThumbnailRun.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QComboBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <malloc.h>

namespace {

// The child: the main window's thumbnail view of the folder; prints the
// thumbnails made, the time inside the process, and resident memory.
int thumbnails(int argc, char** argv, const QString& folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program;
    QDir::setCurrent(program.path());
    platform::ScopedDialogs dialogs;
    Lumivex1 w({});
    w.resize(1200, 900);
    w.startUp();
    w.finishStartUp();
    // Every picture file of the folder, whatever its type.
    w.CMBFILTER->setCurrentIndex(w.CMBFILTER->findText(QStringLiteral("All Picture Files")));
    QCoreApplication::processEvents();
    malloc_trim(0);
    const qint64 before = bench::statusKb("VmRSS:");
    const qint64 t0 = bench::nowNs();
    w.setFileListFolder(folder);
    w.thumbnails().cThumbFolder.clear();
    w.ToggleThumbnails();
    const qint64 t1 = bench::nowNs();
    malloc_trim(0);
    std::printf("made %d\nms %.3f\nrss_before_kb %lld\nrss_after_kb %lld\ncell %dx%d\n", w.ImagList1->Count(),
                (t1 - t0) / 1e6, before, bench::statusKb("VmRSS:"), gs.nThumbWidth, gs.nThumbHeight);
    std::fflush(stdout);
    std::_Exit(0);
}

void compare(const QString& self, const QString& vips, const char* what, const QString& folder,
             const QStringList& files, int rounds)
{
    const QString out = QDir::tempPath() + QStringLiteral("/lumivex-bench-thumbnails/vips-out");
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    // The file names go to xargs through a list file: 8 processes, the files shared out evenly.
    const QString list = out + QStringLiteral(".list");
    QFile f(list);
    if (f.open(QIODevice::WriteOnly))
        f.write(QFile::encodeName(files.join(QLatin1Char('\n'))) + '\n');
    f.close();
    const int perProcess = int((files.size() + 7) / 8);
    const QString theirCommand = QStringLiteral("xargs -P8 -n %1 -a '%2' '%3' -s 115x115 -o '%4/%s.jpg'")
                                     .arg(perProcess)
                                     .arg(list, vips, out);
    bench::Series ours{QStringLiteral("Lumivex"), {}}, theirs{QStringLiteral("vipsthumbnail"), {}};
    std::vector<double> inside;
    int made = 0;
    for (int r = 0; r < rounds; ++r) {
        const bench::Process a = bench::run(self, {QStringLiteral("--thumbnails"), folder});
        const bench::Process b = bench::shell(theirCommand);
        if (!a.ok() || !b.ok()) {
            std::fprintf(stderr, "a process failed\n");
            return;
        }
        ours.values.push_back(a.ms);
        theirs.values.push_back(b.ms);
        inside.push_back(bench::field(a.out, "ms"));
        made = int(bench::field(a.out, "made"));
    }
    std::printf("%s: %d thumbnails by Lumivex, %lld by vipsthumbnail; %d rounds\n", what, made,
                qlonglong(QDir(out).entryList(QDir::Files).size()), rounds);
    bench::report("  whole process", ours, theirs, 0.4);
    std::printf("  (inside the Lumivex process, from the tool to the last thumbnail: %.1f ms)\n",
                bench::median(inside));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--thumbnails")
        return thumbnails(argc, argv, QFile::decodeName(argv[2]));
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 5;
    const QString self = QCoreApplication::applicationFilePath();
    const QString base = QDir::tempPath() + QStringLiteral("/lumivex-bench-thumbnails");
    std::printf("making the pictures (kept in %s) ...\n", qPrintable(base));
    std::fflush(stdout);
    const QStringList jpegs = bench::writePhotos(base + QStringLiteral("/jpeg"), QStringLiteral("photo"), 300,
                                                 {3000, 2000}, "jpeg", 90);
    const QStringList pngs = bench::writePhotos(base + QStringLiteral("/png"), QStringLiteral("photo"), 300,
                                                {2000, 1500}, "png");
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty()) {
        std::printf("vipsthumbnail not found (Debian package libvips-tools): no comparison\n");
        return 1;
    }
    compare(self, vips, "300 JPEGs of 3000 x 2000", base + QStringLiteral("/jpeg"), jpegs, rounds);
    compare(self, vips, "300 PNGs of 2000 x 1500", base + QStringLiteral("/png"), pngs, rounds);

    bench::writePhotos(base + QStringLiteral("/many"), QStringLiteral("small"), 10000, {640, 480}, "jpeg", 90);
    const bench::Process m = bench::run(self, {QStringLiteral("--thumbnails"), base + QStringLiteral("/many")});
    const double before = bench::field(m.out, "rss_before_kb") / 1024, after = bench::field(m.out, "rss_after_kb") / 1024;
    std::printf("10,000 pictures: %d thumbnails in %.1f s; resident %.0f MB before, %.0f MB with them "
                "(+%.0f MB; target < 300 MB); peak of the process %.0f MB\n",
                int(bench::field(m.out, "made")), bench::field(m.out, "ms") / 1000, before, after, after - before,
                m.peakKb / 1024.0);
    return 0;
}
