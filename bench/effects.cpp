// The picture effects on a 6000 x 4000 photo against ImageMagick's convert.
// Both run as whole processes that read an uncompressed PPM, apply one
// effect and write a PPM, interleaved, several rounds; each pair, the median
// of the per-round ratios and the ratio of the sums are printed. Then the
// effect alone in this process, one slider step of the real editor windows
// (the effect and the repaint) and the editors' peak memory. The first
// steps of an editor pay for touching fresh memory; later ones reuse it.
// Run: bench_effects [rounds]   (needs `convert` on the path)
#include "editor/EdtColors1.h"
#include "editor/EdtImage1.h"
#include "platform/Lead.h"
#include "platform/PictureEffects.h"
#include "shared/SharedState.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace fx = platform::effects;

namespace {

struct Op {
    const char* name;
    QStringList convertArgs;
    std::function<int(QImage&)> ours;
};

const std::vector<Op>& ops()
{
    static const std::vector<Op> list = {
        {"posterize 4", {"-posterize", "4"}, [](QImage& p) { return fx::posterize(p, 4); }},
        {"median 5", {"-median", "5"}, [](QImage& p) { return fx::median(p, 5); }},
        {"sharpen", {"-sharpen", "0x1"}, [](QImage& p) { return fx::sharpen(p, 500); }},
        {"emboss", {"-emboss", "1"}, [](QImage& p) { return fx::emboss(p, 1, 500); }},
        {"rotate 20", {"-rotate", "20"}, [](QImage& p) { return fx::rotate(p, 2000, qRgb(255, 255, 255)); }},
        {"contrast", {"-brightness-contrast", "0x30"}, [](QImage& p) { return fx::contrast(p, 300); }},
        {"gamma 1.5", {"-gamma", "1.5"}, [](QImage& p) { return fx::gammaCorrect(p, 150); }},
        {"gray scale", {"-colorspace", "Gray"}, [](QImage& p) { return fx::grayscale(p, 8); }},
        {"invert", {"-negate"}, [](QImage& p) { return fx::invert(p); }},
    };
    return list;
}

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

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

QImage photo(int w, int h)
{
    // Smooth gradients with grain, like a photograph.
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

double runProcess(const QString& program, const QStringList& args)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
    return t.nsecsElapsed() / 1e6;
}

// The child: read the PPM, apply one effect, write the result.
int applyOne(const QString& name, const QString& in, const QString& out)
{
    QImageReader::setAllocationLimit(1024);
    QImage picture = QImageReader(in).read();
    for (const Op& op : ops())
        if (name == QLatin1String(op.name)) {
            if (picture.isNull() || op.ours(picture) != 0)
                return 2;
            const char* format = picture.format() == QImage::Format_Grayscale8 ? "pgm" : "ppm";
            return QImageWriter(out, format).write(picture) ? 0 : 3;
        }
    return 1;
}

void compareProcesses(const QString& self, const QString& in, const QString& dir, int rounds)
{
    std::printf("whole processes, PPM in and out, %d rounds (medians, ms)\n", rounds);
    std::printf("  %-12s %9s %9s %7s\n", "effect", "ours", "convert", "ratio");
    double sumOurs = 0, sumTheirs = 0;
    for (const Op& op : ops()) {
        std::vector<double> ours, theirs, ratios;
        for (int r = 0; r < rounds; ++r) {
            const double a = runProcess(self, {"--apply", op.name, in, dir + "/ours.ppm"});
            const double b = runProcess("convert", QStringList{in} + op.convertArgs + QStringList{dir + "/theirs.ppm"});
            ours.push_back(a);
            theirs.push_back(b);
            ratios.push_back(a / b);
        }
        const double mo = median(ours), mt = median(theirs);
        sumOurs += mo;
        sumTheirs += mt;
        std::printf("  %-12s %9.0f %9.0f %7.2f\n", op.name, mo, mt, median(ratios));
    }
    std::printf("  %-12s %9.0f %9.0f %7.2f  (target <= 0.50)\n", "sum", sumOurs, sumTheirs, sumOurs / sumTheirs);
}

void effectsAlone(const QImage& picture, int rounds)
{
    // As in an open editor: results reuse the memory of the last one given up.
    fx::SpareMemory spare;
    std::printf("the effect alone on the decoded picture, %d cores (median ms)\n", QThread::idealThreadCount());
    for (const Op& op : ops()) {
        std::vector<double> t;
        for (int r = 0; r < rounds; ++r) {
            QImage p = picture;
            QElapsedTimer timer;
            timer.start();
            op.ours(p);
            t.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("  %-12s %8.1f\n", op.name, median(t));
    }
}

// One step of a slider: its change handler runs the effect, the working copy is painted.
double step(platform::Lead* shown, QScrollBar* bar, int value)
{
    QElapsedTimer t;
    t.start();
    bar->setValue(value);
    const double change = t.nsecsElapsed() / 1e6;
    QCoreApplication::processEvents();
    shown->repaint();
    const double all = t.nsecsElapsed() / 1e6;
    if (qEnvironmentVariableIsSet("BENCH_STEPS"))
        std::printf("    %-16s %5d: change %7.1f, painted %7.1f\n", qPrintable(bar->objectName()), value, change, all);
    return all;
}

template <class Editor> Editor* openEditor()
{
    auto* e = new Editor(editor::EditorHost{});
    e->resize(1000, 850);
    e->show();
    QCoreApplication::processEvents();
    return e;
}

void editorSteps(const QString& file, double decodedMb)
{
    gs.cEditFile = file;
    resetPeak();
    const qint64 before = statusField("VmRSS:");
    std::vector<double> image, colour;
    auto* effects = openEditor<EdtImage1>();
    for (int v = 3; v <= 6; ++v)
        image.push_back(step(effects->Image2, effects->SCPosterize, v));
    image.push_back(step(effects->Image2, effects->SCMedian, 5));
    image.push_back(step(effects->Image2, effects->SCSharpen, 300));
    image.push_back(step(effects->Image2, effects->SCEmboss, 600));
    for (int v : {10, 20, 30})
        image.push_back(step(effects->Image2, effects->SCRotateFree, v));
    image.push_back(step(effects->Image2, effects->SCNoise, 600));
    const double imageMax = *std::max_element(image.begin(), image.end());
    const qint64 imagePeak = statusField("VmHWM:") - before;
    delete effects;

    resetPeak();
    const qint64 before2 = statusField("VmRSS:");
    auto* colours = openEditor<EdtColors1>();
    for (QScrollBar* bar : {colours->SCContrast, colours->SCBrightness, colours->SCHistContrast, colours->SCHue,
                            colours->SCSaturation})
        for (int v : {100, 200})
            colour.push_back(step(colours->Image2, bar, v));
    colour.push_back(step(colours->Image2, colours->SCGamma, 150));
    colour.push_back(step(colours->Image2, colours->SCHalfTone, 45));
    const double colourMax = *std::max_element(colour.begin(), colour.end());
    const qint64 colourPeak = statusField("VmHWM:") - before2;
    delete colours;

    std::printf("one slider step of the editors, 24 MP (effect and repaint, ms)\n");
    std::printf("  effects editor: median %6.1f, slowest %6.1f (target median < 150)\n", median(image), imageMax);
    std::printf("  colour editor : median %6.1f, slowest %6.1f (the rebuild applies every active adjustment)\n",
                median(colour), colourMax);
    std::printf("peak memory of an open editor / decoded picture (%.0f MB)\n", decodedMb);
    std::printf("  effects editor: %5.2f   colour editor: %5.2f (target <= 4)\n", imagePeak / 1024.0 / decodedMb,
                colourPeak / 1024.0 / decodedMb);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && QByteArray(argv[1]) == "--apply") {
        QCoreApplication app(argc, argv);
        return applyOne(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        QString::fromLocal8Bit(argv[4]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("photo.ppm"));
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    {
        const QImage picture = photo(6000, 4000);
        QImageWriter jpegWriter(jpeg, "jpeg");
        jpegWriter.setQuality(90);
        if (!QImageWriter(in, "ppm").write(picture) || !jpegWriter.write(picture)) {
            std::fprintf(stderr, "could not write the photo\n");
            return 1;
        }
        effectsAlone(picture, rounds);
    }
    if (!qEnvironmentVariableIsSet("BENCH_STEPS"))
        compareProcesses(QCoreApplication::applicationFilePath(), in, dir.path(), rounds);
    editorSteps(jpeg, 6000.0 * 4000 * 4 / (1024 * 1024));
    return 0;
}
