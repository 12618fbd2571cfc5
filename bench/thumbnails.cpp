// Times the thumbnail view of a folder of 300 photographs (3000 x 2000 JPEGs)
// at the default size and depth, from the tool click to the last thumbnail
// shown, against Debian's vipsthumbnail making 115 x 115 thumbnails of the
// same files; then measures the memory of 10,000 thumbnails.
//   cmake --build build/release --target bench_thumbnails && build/release/bin/bench_thumbnails
#include "platform/Dialogs.h"
#include "platform/ImageList.h"
#include "shared/SharedState.h"
#include "browser/ThumbnailRun.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <malloc.h>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// Resident memory of this process in MB, after the C library has handed
// its free memory back, so that freed picture buffers do not count.
double residentMB()
{
    malloc_trim(0);
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// count photo-like JPEGs (gradients, shapes and grain) of the given size, on all cores.
QStringList makeJpegs(const QString& folder, int count, QSize size)
{
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << QDir(folder).filePath(QStringLiteral("photo%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        workers.emplace_back([&, t]() {
            QRandomGenerator rng(1234 + t);
            for (int i = next++; i < count; i = next++) {
                QImage img(size, QImage::Format_RGB32);
                QPainter p(&img);
                QLinearGradient g(0, 0, size.width(), size.height());
                g.setColorAt(0, QColor::fromHsv((i * 37) % 360, 160, 220));
                g.setColorAt(1, QColor::fromHsv((i * 37 + 120) % 360, 200, 90));
                p.fillRect(img.rect(), g);
                for (int k = 0; k < 40; ++k) {
                    p.setBrush(QColor::fromRgb(rng.generate()));
                    p.drawEllipse(QPoint(int(rng.bounded(size.width())), int(rng.bounded(size.height()))),
                                  int(rng.bounded(size.width() / 6 + 1)), int(rng.bounded(size.height() / 6 + 1)));
                }
                p.end();
                for (int y = 0; y < size.height(); y += 2) {
                    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                    for (int x = 0; x < size.width(); x += 3)
                        line[x] ^= rng.generate() & 0x0f0f0f;
                }
                img.save(files.at(i), "JPEG", 88);
            }
        });
    for (auto& w : workers)
        w.join();
    return files;
}

// The thumbnail view of the folder, from the tool click to the last thumbnail.
double timeThumbnailView(Lumivex1& w, const QString& folder, int* made)
{
    w.setFileListFolder(folder);
    w.thumbnails().cThumbFolder.clear();
    QElapsedTimer t;
    t.start();
    w.ToggleThumbnails();
    const double seconds = t.nsecsElapsed() / 1e9;
    *made = w.ImagList1->Count();
    w.ToggleThumbnails(); // back to the file list
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program, photos, small, vipsOut;
    QDir::setCurrent(program.path());
    platform::ScopedDialogs dialogs;
    Lumivex1 w({QStringLiteral("Tessamor")});
    std::printf("thumbnail cell %dx%d, depth index %d, filter row %d\n", gs.nThumbWidth, gs.nThumbHeight,
                gs.nThumbBitsIndex, w.nFilterRow);

    std::printf("making 300 JPEGs of 3000x2000 ...\n");
    std::fflush(stdout);
    const QStringList files = makeJpegs(photos.path(), 300, QSize(3000, 2000));

    int made = 0;
    const double ours = timeThumbnailView(w, photos.path(), &made);
    std::printf("Lumivex thumbnail view:  %6.2f s for %d thumbnails (%.1f ms each)\n", ours, made,
                1000.0 * ours / std::max(1, made));

    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty()) {
        std::printf("vipsthumbnail not found (Debian package libvips-tools): no comparison\n");
    } else {
        QStringList args{QStringLiteral("-s"), QStringLiteral("115x115"), QStringLiteral("-o"),
                         QDir(vipsOut.path()).filePath(QStringLiteral("%s.jpg"))};
        args << files;
        QElapsedTimer t;
        t.start();
        QProcess::execute(vips, args);
        const double theirs = t.nsecsElapsed() / 1e9;
        std::printf("vipsthumbnail 115x115:   %6.2f s for %lld thumbnails\n", theirs,
                    qlonglong(QDir(vipsOut.path()).entryList(QDir::Files).size()));
        std::printf("ratio Lumivex / vipsthumbnail: %.2f (target <= 1.00)\n", ours / theirs);
    }

    std::printf("making 10,000 JPEGs of 640x480 ...\n");
    std::fflush(stdout);
    makeJpegs(small.path(), 10000, QSize(640, 480));
    w.ImagList1->Clear();
    const double before = residentMB();
    w.setFileListFolder(small.path());
    w.thumbnails().cThumbFolder.clear();
    QElapsedTimer t;
    t.start();
    w.ToggleThumbnails();
    const double seconds = t.nsecsElapsed() / 1e9;
    const double after = residentMB();
    std::printf("10,000-file folder: %d thumbnails in %.2f s; resident memory %.0f MB before, %.0f MB with "
                "them (+%.0f MB; target < 300 MB)\n",
                w.ImagList1->Count(), seconds, before, after, after - before);
    return 0;
}
