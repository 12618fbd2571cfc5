// A 6000 x 4000 photo shown through DisplayFile up to its first painted
// frame, next to a bare QImageReader decode of the same file: time and peak
// memory of each, and the ratios. Run: bench_picture [runs]
#include "platform/Dialogs.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Resident memory figures of this process in kB.
qint64 statusField(const char* name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(qstrlen(name))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Starts a new peak: the high-water mark drops to the present size.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

struct Measure {
    double ms;
    qint64 peakKb;
};

template <typename F> Measure measure(F run)
{
    resetPeak();
    const qint64 before = statusField("VmRSS:");
    QElapsedTimer t;
    t.start();
    run();
    const double ms = t.nsecsElapsed() / 1e6;
    return {ms, statusField("VmHWM:") - before};
}

QImage photo(int w, int h)
{
    // Smooth gradients with grain, so the JPEG decodes like a photograph.
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24));
            line[x] = qRgb((x * 255 / w + n) & 0xff, (y * 255 / h + n) & 0xff, ((x + y) * 128 / (w + h) + n) & 0xff);
        }
    }
    return img;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    {
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        if (!writer.write(photo(6000, 4000))) {
            std::fprintf(stderr, "could not write the photo\n");
            return 1;
        }
    }
    const double decodedMb = 6000.0 * 4000 * 4 / (1024 * 1024);

    platform::ScopedDialogs dialogs;
    auto* window = new Lumivex1({QStringLiteral("Tessamor")});
    window->resize(1200, 900);
    window->show();
    window->finishStartUp();
    QCoreApplication::processEvents();
    gs.fAutoPictures = true;
    dialogs.service.messages.clear(); // the start-up's notes about missing settings

    // Warm the file cache and the decoder once.
    QImageReader::setAllocationLimit(1024);
    { QImage warm = QImageReader(path).read(); }

    std::vector<double> bare, shown;
    qint64 barePeak = 0, shownPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Measure b = measure([&] {
            QImageReader reader(path);
            const QImage img = reader.read();
            if (img.isNull())
                std::fprintf(stderr, "decode failed\n");
        });
        bare.push_back(b.ms);
        barePeak = std::max(barePeak, b.peakKb);

        window->Image1->ClearBitmap();
        window->Image2->ClearBitmap();
        window->List3->clear();
        QCoreApplication::processEvents();
        const Measure d = measure([&] {
            window->DisplayFile(path);
            window->Image1->repaint(); // the first frame, painted now
        });
        shown.push_back(d.ms);
        shownPeak = std::max(shownPeak, d.peakKb);
        if (!dialogs.service.messages.isEmpty())
            std::fprintf(stderr, "message: %s\n", qPrintable(dialogs.service.messages.last().text));
    }

    const double tBare = median(bare), tShown = median(shown);
    std::printf("picture 6000 x 4000 JPEG, %d runs (medians)\n", runs);
    std::printf("  bare QImageReader decode : %8.1f ms, peak %7.1f MB\n", tBare, barePeak / 1024.0);
    std::printf("  DisplayFile to painted   : %8.1f ms, peak %7.1f MB\n", tShown, shownPeak / 1024.0);
    std::printf("  time ratio               : %8.2f (target <= 1.25)\n", tShown / tBare);
    std::printf("  memory / decoded picture : %8.2f (target <= 3.00; decoded %.1f MB)\n",
                shownPeak / 1024.0 / decodedMb, decodedMb);

    delete window;
    QDir::setCurrent(oldCurrent);
    return 0;
}
