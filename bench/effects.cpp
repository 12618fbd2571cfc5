// The picture effects on a 6000 x 4000 photo against vips and ImageMagick.
// Each side runs as a whole process that reads the JPEG photo, applies one
// effect and writes a JPEG (quality 90, 4:2:0): ours through the program's
// own picture reader and writer (as the editors load and save), vips with
// the operation that does the same work (`maplut` with our posterize table,
// `rank`, `conv` with our sharpen and emboss kernels, `affine` turning about
// the centre, `linear`, `gamma`, `recomb` with our gray weights, `invert`),
// ImageMagick's /usr/bin/convert as the second anchor. The rounds are
// interleaved; per effect the medians and the median of the per-round
// ratios are printed, and the sums of the nine. Every result of ours is
// checked, unencoded, against the anchor doing the same work (the largest
// and the mean difference allowed are printed beside it). Then the effect
// alone in this process, one slider step of the real editor windows (the
// effect and the repaint) and the editors' peak memory. The first steps of
// an editor pay for touching fresh memory; later ones reuse it.
// Run: bench_effects [rounds]   (needs vips and /usr/bin/convert: scripts/bench-deps.sh)
//      BENCH_PART=alone|processes|steps runs one part; BENCH_STEPS=1 prints every slider step;
//      BENCH_KEEP=1 keeps the work folder with both results of every effect.
#include "BenchSupport.h"

#include "editor/EdtColors1.h"
#include "editor/EdtImage1.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureEffects.h"
#include "shared/SharedState.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace fx = platform::effects;

namespace {

// What the anchors are given: IN, OUT and DIR (the work folder) are replaced.
// Each result is checked, unencoded, against the anchor that does the same
// work: the largest and the mean difference of a channel, in levels.
struct Op {
    const char* name;
    std::function<int(QImage&)> ours;
    QStringList vips;    // arguments to vips
    QStringList convert; // arguments to convert between IN and OUT
    bool checkedByVips;  // else by convert
    int largest;
    double mean;
    const char* why; // why more than nothing differs
};

const std::vector<Op>& ops()
{
    static const std::vector<Op> list = {
        {"posterize 4", [](QImage& p) { return fx::posterize(p, 4); }, {"maplut", "IN", "OUT", "DIR/posterize.pgm"},
         {"-posterize", "4"}, true, 0, 0, ""},
        {"median 5", [](QImage& p) { return fx::median(p, 5); }, {"rank", "IN", "OUT", "5", "5", "12"},
         {"-statistic", "Median", "5x5"}, false, 0, 0,
         "checked by convert: vips 8.14's rank gives other values than a 5 x 5 median"},
        {"sharpen", [](QImage& p) { return fx::sharpen(p, 500); },
         {"conv", "IN", "OUT", "DIR/sharpen.mat", "--precision", "integer"}, {"-sharpen", "0x1"}, true, 4, 1.0,
         "vips's integer convolution rounds in steps of its own"},
        {"emboss", [](QImage& p) { return fx::emboss(p, 1, 500); },
         {"conv", "IN", "OUT", "DIR/emboss.mat", "--precision", "integer"}, {"-emboss", "1"}, true, 0, 0, ""},
        {"rotate 20", [](QImage& p) { return fx::rotate(p, 2000, qRgb(255, 255, 255)); },
         {"affine", "IN", "OUT", "ROTATION", "--oarea", "AREA", "ODX", "ODY", "--background", "255"}, {"-rotate", "20"},
         true, 2, 0.1, "bilinear weights in 256ths against vips's floating point"},
        {"contrast", [](QImage& p) { return fx::contrast(p, 300); },
         {"linear", "--uchar", "--", "IN", "OUT", "1.4285714", "-54.642857"}, {"-brightness-contrast", "0x30"}, true, 1,
         0.5, "rounding"},
        {"gamma 1.5", [](QImage& p) { return fx::gammaCorrect(p, 150); }, {"gamma", "IN", "OUT", "--exponent", "1.5"},
         {"-gamma", "1.5"}, true, 1, 0.6, "rounding"},
        {"gray scale", [](QImage& p) { return fx::grayscale(p, 8); }, {"recomb", "IN", "OUT", "DIR/gray.mat"},
         {"-colorspace", "Gray"}, true, 1, 0.5, "vips's weights in floating point (colourspace b-w weighs linear light)"},
        {"invert", [](QImage& p) { return fx::invert(p); }, {"invert", "IN", "OUT"}, {"-negate"}, true, 0, 0, ""},
    };
    return list;
}

constexpr int kWidth = 6000, kHeight = 4000, kQuality = 90;

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

// The child: reads the file, applies one effect, writes the result, as the editor loads and saves.
int applyOne(const QString& name, const QString& in, const QString& out)
{
    for (const Op& op : ops())
        if (name == QLatin1String(op.name)) {
            const qint64 t0 = bench::nowNs();
            platform::PictureData data;
            if (platform::readPicture(in, 1, 1, &data) != 0 || data.frames.isEmpty())
                return 2;
            QImage picture = data.frames.first();
            data.frames.clear();
            const qint64 t1 = bench::nowNs();
            if (op.ours(picture) != 0)
                return 3;
            const qint64 t2 = bench::nowNs();
            // The checks read the result unencoded.
            if (out.endsWith(QLatin1String(".ppm")))
                return QImageWriter(out).write(picture) ? 0 : 4;
            const int written = platform::writePicture(out, {picture}, platform::fmt::Jpeg, 0, 100 - kQuality, false);
            if (qEnvironmentVariableIsSet("BENCH_PHASES"))
                std::fprintf(stderr, "read %.1f, effect %.1f, write %.1f ms\n", (t1 - t0) / 1e6, (t2 - t1) / 1e6,
                             (bench::nowNs() - t2) / 1e6);
            return written == 0 ? 0 : 4;
        }
    return 1;
}

// The tables and kernels vips is given: the same numbers ours works with.
bool writeAnchorFiles(const QString& dir)
{
    QImage lut(256, 1, QImage::Format_Grayscale8);
    QImage ramp(256, 1, QImage::Format_RGB32);
    for (int v = 0; v < 256; ++v)
        ramp.setPixel(v, 0, qRgb(v, v, v));
    if (fx::posterize(ramp, 4) != 0)
        return false;
    for (int v = 0; v < 256; ++v)
        lut.scanLine(0)[v] = uchar(qRed(ramp.pixel(v, 0)));
    // v + 2 (v - the 1-2-1 blur): sharpen 500; 128 + 2 (north-east - south-west): emboss north-east, 500;
    // gray: red, green and blue in 256ths, 77, 150 and 29.
    const auto write = [&](const char* name, const char* text) {
        QFile f(QDir(dir).filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::WriteOnly) && f.write(text) == qint64(qstrlen(text));
    };
    return QImageWriter(QDir(dir).filePath(QStringLiteral("posterize.pgm")), "pgm").write(lut) &&
           write("sharpen.mat", "3 3 8 0\n-1 -2 -1\n-2 20 -2\n-1 -2 -1\n") &&
           write("emboss.mat", "3 3 1 128\n0 0 2\n0 0 0\n-2 0 0\n") &&
           write("gray.mat", "3 1 1 0\n0.30078125 0.5859375 0.11328125\n");
}

// The arguments with the placeholders filled in. The rotation turns
// clockwise about the picture's centre and keeps its size, as ours does:
// vips maps (x, y) to R (x, y) + offset, ours the pixels' centres about the
// picture's centre, so the offset is c - R c with c the centre less half a pixel.
QStringList filled(const QStringList& args, const QString& in, const QString& out, const QString& dir)
{
    const double a = 20 * M_PI / 180, c = std::cos(a), s = std::sin(a);
    const double cx = kWidth / 2.0 - 0.5, cy = kHeight / 2.0 - 0.5;
    const auto number = [](double v) { return QString::number(v, 'g', 12); };
    QStringList r;
    for (QString arg : args) {
        if (arg == QLatin1String("IN"))
            arg = in;
        else if (arg == QLatin1String("OUT"))
            arg = out;
        else if (arg == QLatin1String("ROTATION"))
            arg = QStringList{number(c), number(-s), number(s), number(c)}.join(QLatin1Char(' '));
        else if (arg == QLatin1String("AREA"))
            arg = QStringLiteral("0 0 %1 %2").arg(kWidth).arg(kHeight);
        else if (arg == QLatin1String("ODX"))
            arg = QStringLiteral("--odx=") + number(cx - (cx * c - cy * s));
        else if (arg == QLatin1String("ODY"))
            arg = QStringLiteral("--ody=") + number(cy - (cx * s + cy * c));
        arg.replace(QLatin1String("DIR"), dir);
        r << arg;
    }
    return r;
}

struct Difference {
    double mean = -1; // mean channel difference in levels, -1 when unreadable or of another size
    int largest = 0;
};

// Both results decoded, channel by channel (red, green and blue; gray counts as all three).
Difference compareFiles(const QString& a, const QString& b)
{
    const QImage x = QImage(a).convertToFormat(QImage::Format_RGB32);
    const QImage y = QImage(b).convertToFormat(QImage::Format_RGB32);
    Difference d;
    if (x.isNull() || x.size() != y.size())
        return d;
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i)
            if (i % 4 != 3) {
                const int e = std::abs(p[i] - q[i]);
                sum += e;
                d.largest = std::max(d.largest, e);
            }
    }
    d.mean = double(sum) / (double(x.width()) * x.height() * 3);
    return d;
}

// Ours against the anchor that does the same work, both unencoded.
Difference checkResult(const Op& op, const QString& self, const QString& vips, const QString& convert,
                       const QString& in, const QString& dir)
{
    const QString ours = dir + QStringLiteral("/check-ours.ppm");
    const QString theirs = dir + (op.checkedByVips ? QStringLiteral("/check-vips.png") : QStringLiteral("/check-convert.png"));
    const bench::Process a = bench::run(self, {QStringLiteral("--apply"), QString::fromLatin1(op.name), in, ours}, {}, {}, true);
    const bench::Process b = op.checkedByVips ? bench::run(vips, filled(op.vips, in, theirs, dir), {}, {}, true)
                                              : bench::run(convert, QStringList{in} + op.convert + QStringList{theirs}, {}, {}, true);
    return a.ok() && b.ok() ? compareFiles(ours, theirs) : Difference{};
}

void compareProcesses(const QString& self, const QString& in, const QString& dir, int rounds)
{
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    const QString convert = QStringLiteral("/usr/bin/convert");
    if (vips.isEmpty() || !QFileInfo(convert).isExecutable() || !writeAnchorFiles(dir)) {
        std::printf("no vips or /usr/bin/convert to compare with (scripts/bench-deps.sh installs them)\n");
        return;
    }
    const QString ours = dir + QStringLiteral("/ours.jpg"), theirs = dir + QStringLiteral("/vips.jpg"),
                  magick = dir + QStringLiteral("/convert.jpg");
    const QString vipsOut = theirs + QStringLiteral("[Q=%1,subsample-mode=on]").arg(kQuality);
    const QStringList magickOut{QStringLiteral("-quality"), QString::number(kQuality), QStringLiteral("-sampling-factor"),
                                QStringLiteral("4:2:0"), magick};
    std::printf("whole processes, %dx%d JPEG in and out (quality %d, 4:2:0), %d interleaved rounds (medians, ms)\n",
                kWidth, kHeight, kQuality, rounds);
    std::printf("  %-12s %7s %7s %8s %6s %6s  %s\n", "effect", "ours", "vips", "convert", "/vips", "/conv",
                "result, unencoded, against the anchor doing the same: largest, mean difference (allowed)");
    double sumOurs = 0, sumVips = 0, sumConvert = 0;
    std::vector<std::array<double, 3>> perRound(size_t(rounds), {0, 0, 0});
    bool allSame = true;
    for (const Op& op : ops()) {
        bench::Series o{QStringLiteral("ours"), {}}, v{QStringLiteral("vips"), {}}, c{QStringLiteral("convert"), {}};
        bool sized = true;
        for (int r = 0; r < rounds; ++r) {
            const bench::Process a =
                bench::run(self, {QStringLiteral("--apply"), QString::fromLatin1(op.name), in, ours}, {}, {}, true);
            const bench::Process b = bench::run(vips, filled(op.vips, in, vipsOut, dir), {}, {}, true);
            const bench::Process m = bench::run(convert, QStringList{in} + op.convert + magickOut, {}, {}, true);
            if (!a.ok() || !b.ok() || !m.ok()) {
                std::printf("  %-12s failed (ours %d, vips %d, convert %d)\n", op.name, a.status, b.status, m.status);
                return;
            }
            sized = sized && QImageReader(ours).size() == QSize(kWidth, kHeight) &&
                    QImageReader(theirs).size() == QSize(kWidth, kHeight);
            o.values.push_back(a.ms);
            v.values.push_back(b.ms);
            c.values.push_back(m.ms);
            perRound[size_t(r)] = {perRound[size_t(r)][0] + a.ms, perRound[size_t(r)][1] + b.ms,
                                   perRound[size_t(r)][2] + m.ms};
        }
        const Difference d = checkResult(op, self, vips, convert, in, dir);
        const bool same = sized && d.mean >= 0 && d.largest <= op.largest && d.mean <= op.mean + 1e-9;
        allSame = allSame && same;
        sumOurs += o.median();
        sumVips += v.median();
        sumConvert += c.median();
        std::printf("  %-12s %7.0f %7.0f %8.0f %6.2f %6.2f  %s %d, %.3f (%d, %.1f)%s%s\n", op.name, o.median(),
                    v.median(), c.median(), bench::ratio(o, v), bench::ratio(o, c), same ? "same" : "DIFFERENT",
                    d.largest, d.mean, op.largest, op.mean, *op.why ? ": " : "", op.why);
        std::fflush(stdout);
    }
    std::vector<double> toVips, toConvert;
    for (const auto& r : perRound) {
        toVips.push_back(r[0] / r[1]);
        toConvert.push_back(r[0] / r[2]);
    }
    std::printf("  %-12s %7.0f %7.0f %8.0f %6.2f %6.2f  (sums of the medians; ratios: medians of the per-round sums; "
                "target <= 1.00 to vips)\n",
                "sum", sumOurs, sumVips, sumConvert, bench::median(toVips), bench::median(toConvert));
    if (!allSame)
        std::printf("  some results differ from the anchor's beyond what is allowed\n");
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
        std::printf("  %-12s %8.1f\n", op.name, bench::median(t));
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
    bench::resetPeak();
    const qint64 before = bench::statusKb("VmRSS:");
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
    const qint64 imagePeak = bench::statusKb("VmHWM:") - before;
    delete effects;

    bench::resetPeak();
    const qint64 before2 = bench::statusKb("VmRSS:");
    auto* colours = openEditor<EdtColors1>();
    for (QScrollBar* bar : {colours->SCContrast, colours->SCBrightness, colours->SCHistContrast, colours->SCHue,
                            colours->SCSaturation})
        for (int v : {100, 200})
            colour.push_back(step(colours->Image2, bar, v));
    colour.push_back(step(colours->Image2, colours->SCGamma, 150));
    colour.push_back(step(colours->Image2, colours->SCHalfTone, 45));
    const double colourMax = *std::max_element(colour.begin(), colour.end());
    const qint64 colourPeak = bench::statusKb("VmHWM:") - before2;
    delete colours;

    std::printf("one slider step of the editors, 24 MP (effect and repaint, ms)\n");
    std::printf("  effects editor: median %6.1f, slowest %6.1f (target median <= 60)\n", bench::median(image), imageMax);
    std::printf("  colour editor : median %6.1f, slowest %6.1f (the rebuild applies every active adjustment)\n",
                bench::median(colour), colourMax);
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
    // BENCH_PART=alone, processes or steps runs that part alone.
    const QByteArray part = qgetenv("BENCH_PART");
    const auto wanted = [&](const char* name) { return part.isEmpty() || part == name; };
    QTemporaryDir dir;
    if (qEnvironmentVariableIsSet("BENCH_KEEP")) {
        dir.setAutoRemove(false);
        std::printf("work folder %s\n", qPrintable(dir.path()));
    }
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    {
        const QImage picture = photo(kWidth, kHeight);
        QImageWriter jpegWriter(jpeg, "jpeg");
        jpegWriter.setQuality(kQuality);
        if (!jpegWriter.write(picture)) {
            std::fprintf(stderr, "could not write the photo\n");
            return 1;
        }
        if (wanted("alone"))
            effectsAlone(picture, rounds);
    }
    if (wanted("processes"))
        compareProcesses(QCoreApplication::applicationFilePath(), jpeg, dir.path(), rounds);
    if (wanted("steps"))
        editorSteps(jpeg, double(kWidth) * kHeight * 4 / (1024 * 1024));
    return 0;
}
