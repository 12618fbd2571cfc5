// A large picture opened by its name: the whole program started with the
// file on its command line, from just before the start to the frame that
// shows the picture painted at the size it shows (the program's paint probe
// prints the moment and leaves), against vips doing the same work on the
// same file, as a process too, writing vips's own format (the cheapest it
// writes): as it opens (normal size: the part that shows, at 1:1) against
// `vips crop` of that region, read sequentially (vips reads no further than
// the region's last row); fitted to the window (Fit Image to Window given as
// soon as the picture is loaded) against `vipsthumbnail --size WxH` at the
// picture area's size. Interleaved rounds; medians and the median of the
// per-round ratios; the peak resident memory of each process (wait4).
// Outputs checked once per picture and view before the rounds: the shown
// area the program saves against vips's crop or thumbnail, the mean
// difference of the colour channels within the control's border at most
// kTolerance.
// The platform is the environment's (QT_QPA_PLATFORM; offscreen when unset):
// run it under Xvfb (xcb) and offscreen. A program that shows a message
// (a modal window) or does not paint within two minutes fails the benchmark
// at once with what it said.
// The TIFFs (uncompressed noise, LZW gradient) and the Targa are written by
// vips and ImageMagick's convert from a PPM of the same photo-like picture.
// Run: bench_picture [rounds, default 5] [text: only the pictures whose name
// holds it, such as "PNG"] (the pictures are kept in
// /tmp/lumivex-bench-picture for the next run). BENCH_PROGRAM_FOLDER names
// the build folder of another Tessamor (with its plug-ins) to time instead
// of the one built beside the benchmark.
#include "BenchSupport.h"
#include "PhotoMaker.h"
#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

constexpr double kTolerance = 3.0; // mean difference of a colour channel, of 255

struct Picture {
    const char* name;
    QString file;
    int rounds;
    double timeTarget, memoryTarget; // memory: x vips's peak, or MB when above 100
    double fittedTarget = -1;        // the time's target fitted, when not timeTarget
};

struct Run {
    double ms = -1;
    qint64 peakKb = 0;
    QSize area, shown;
    QString failure;
};

QSize sizeField(const QByteArray& out, const char* key)
{
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() >= 3 && parts.first() == key)
            return {parts.at(1).toInt(), parts.at(2).toInt()};
    }
    return {};
}

// Tessamor with the file, to its painted picture.
Run ours(const bench::ProgramFolder& program, const QString& file, bool fit, const QString& save = {})
{
    QStringList env{QStringLiteral("LUMIVEX_PAINT_PROBE=") + (fit ? "picture-fitted" : "picture")};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        env << QStringLiteral("QT_QPA_PLATFORM=offscreen");
    if (!save.isEmpty())
        env << QStringLiteral("LUMIVEX_PAINT_PROBE_SAVE=") + save;
    const bench::Process p =
        bench::run(QStringLiteral("timeout"), {QStringLiteral("120"), program.program(), file}, program.path(), env);
    Run r;
    r.peakKb = p.peakKb;
    if (p.status == 3)
        r.failure = QStringLiteral("it showed a message: ") + QString::fromLocal8Bit(p.out).trimmed();
    else if (p.status == 124)
        r.failure = QStringLiteral("it did not paint the picture within two minutes");
    else if (!p.ok() || bench::field(p.out, "painted") <= 0)
        r.failure = QStringLiteral("it ended (%1) without painting the picture").arg(p.status);
    if (!r.failure.isEmpty())
        return r;
    r.ms = (bench::field(p.out, "painted") - double(p.startNs)) / 1e6;
    r.area = sizeField(p.out, "area");
    r.shown = sizeField(p.out, "shown");
    return r;
}

// vips's work for the same view: fitted, its thumbnail at the area's size;
// at normal size, its crop of the region shown (from the top left corner).
bench::Process vipsRun(const QString& file, bool fit, QSize size, const QString& out)
{
    if (fit)
        return bench::run(QStringLiteral("vipsthumbnail"),
                          {QStringLiteral("--size"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                           QStringLiteral("-o"), out, file});
    return bench::run(QStringLiteral("vips"),
                      {QStringLiteral("crop"), file + QStringLiteral("[access=sequential]"), out, QStringLiteral("0"),
                       QStringLiteral("0"), QString::number(size.width()), QString::number(size.height())});
}

Run vips(const QString& file, bool fit, QSize size, const QString& out)
{
    const bench::Process p = vipsRun(file, fit, size, out);
    Run r;
    r.peakKb = p.peakKb;
    if (p.ok())
        r.ms = p.ms;
    else
        r.failure = QStringLiteral("vips failed (%1)").arg(p.status);
    return r;
}

// The mean difference of the colour channels of a and b (sizes within two
// pixels: the two round the fitted size apart), inside a two-pixel margin;
// -1 when the sizes differ more.
double meanDifference(const QImage& a, const QImage& b)
{
    if (a.isNull() || b.isNull() || std::abs(a.width() - b.width()) > 2 || std::abs(a.height() - b.height()) > 2)
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    qint64 n = 0;
    for (int r = 2; r < std::min(x.height(), y.height()) - 2; ++r)
        for (int c = 2; c < std::min(x.width(), y.width()) - 2; ++c, n += 3) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return n > 0 ? sum / double(n) : -1;
}

// One check run of each: the size vips is given (fitted: the picture area;
// normal size: the region shown), and whether both show the same picture.
// False (with the reason printed) when ours fails.
bool check(const bench::ProgramFolder& program, const Picture& pic, bool fit, const QString& dir, QSize* size)
{
    const QString mine = dir + QStringLiteral("/ours.png"), theirs = dir + QStringLiteral("/theirs.png");
    QFile::remove(mine);
    QFile::remove(theirs);
    const Run r = ours(program, pic.file, fit, mine);
    if (!r.failure.isEmpty()) {
        std::printf("  Lumivex fails: %s\n", qPrintable(r.failure));
        return false;
    }
    const QImage shown(mine);
    *size = fit ? r.area : shown.size();
    vipsRun(pic.file, fit, *size, theirs);
    const double d = meanDifference(shown, QImage(theirs));
    std::printf("  area %dx%d, shown %dx%d; painted picture against vips's %s: ", r.area.width(), r.area.height(),
                shown.width(), shown.height(), fit ? "thumbnail" : "crop of the corner");
    if (d < 0)
        std::printf("NOT THE SAME SIZE (%dx%d)\n", QImage(theirs).width(), QImage(theirs).height());
    else
        std::printf("mean difference %.2f of 255 (tolerance %.1f) %s\n", d, kTolerance, d <= kTolerance ? "same" : "DIFFERENT");
    return true;
}

void compare(const bench::ProgramFolder& program, const Picture& pic, bool fit, const QString& dir)
{
    std::printf("%s, %s, %d rounds\n", pic.name, fit ? "fitted to the window" : "as it opens (normal size)", pic.rounds);
    std::fflush(stdout);
    QSize size;
    if (!check(program, pic, fit, dir, &size))
        return;
    const QString anchor = fit ? QStringLiteral("vipsthumbnail") : QStringLiteral("vips crop");
    bench::Series a{QStringLiteral("Tessamor"), {}}, b{anchor, {}};
    bench::Series am{QStringLiteral("Tessamor"), {}}, bm{anchor, {}};
    for (int i = 0; i < pic.rounds; ++i) {
        const Run x = ours(program, pic.file, fit);
        const Run y = vips(pic.file, fit, size, dir + QStringLiteral("/out.v"));
        if (!x.failure.isEmpty() || !y.failure.isEmpty()) {
            std::printf("  failed: %s\n", qPrintable(x.failure.isEmpty() ? y.failure : x.failure));
            return;
        }
        a.values.push_back(x.ms);
        b.values.push_back(y.ms);
        am.values.push_back(x.peakKb / 1024.0);
        bm.values.push_back(y.peakKb / 1024.0);
    }
    bench::report("  start to painted picture", a, b, fit && pic.fittedTarget >= 0 ? pic.fittedTarget : pic.timeTarget);
    bench::report("  peak resident memory", am, bm, pic.memoryTarget <= 100 ? pic.memoryTarget : 0, "MB");
    if (pic.memoryTarget > 100)
        std::printf("  (target: Tessamor's peak <= %.0f MB)\n", pic.memoryTarget);
    std::fflush(stdout);
}

// A picture written by another tool (vips tiffsave, ImageMagick's convert)
// from a PPM of a photo-like picture, unless it is there already.
bool writeThrough(const QString& path, QSize size, int seed, bool grain, const QString& tool, QStringList args)
{
    if (QFileInfo(path).size() > 0)
        return true;
    const QString ppm = path + QStringLiteral(".ppm"), part = path + QStringLiteral(".part.") + QFileInfo(path).suffix();
    const QImage img = bench::photo(size, seed, grain, QImage::Format_RGB888);
    if (img.isNull() || !img.save(ppm, "PPM"))
        return false;
    args.replaceInStrings(QStringLiteral("IN"), ppm);
    args.replaceInStrings(QStringLiteral("OUT"), part);
    const bool ok = bench::run(tool, args).ok() && QFile::rename(part, path);
    QFile::remove(ppm);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 5;
    const QString dir = QDir::tempPath() + QStringLiteral("/lumivex-bench-picture");
    QDir().mkpath(dir);
    std::printf("making the pictures (kept in %s) ...\n", qPrintable(dir));
    std::fflush(stdout);
    // Targets: at normal size a large PNG is no slower than vips's crop of
    // the region shown.
    const Picture pictures[] = {
        {"6000 x 4000 PNG", dir + QStringLiteral("/photo.png"), rounds, 1.0, 0},
        {"16000 x 16000 JPEG (quality 90)", dir + QStringLiteral("/huge.jpg"), std::max(3, rounds / 2), 1.2, 2.0},
        {"30000 x 20000 PNG", dir + QStringLiteral("/vast.png"), std::max(3, rounds / 2), 1.0, 400},
        // TIFF, the scanners' and archives' format: no slower than 1.25 x
        // vips's crop at normal size, in at most twice its memory; fitted,
        // no slower than vipsthumbnail.
        {"10000 x 10000 TIFF, uncompressed noise", dir + QStringLiteral("/noise.tif"), std::max(3, rounds / 2), 1.25, 2.0, 1.0},
        {"10000 x 10000 TIFF, LZW gradient", dir + QStringLiteral("/gradient.tif"), std::max(3, rounds / 2), 1.25, 2.0, 1.0},
        {"8000 x 5000 Targa", dir + QStringLiteral("/photo.tga"), std::max(3, rounds / 2), 0, 0},
    };
    const bool made = bench::writePhoto(pictures[0].file, {6000, 4000}, 2, "png") &&
                      bench::writePhoto(pictures[1].file, {16000, 16000}, 3, "jpeg") &&
                      bench::writePhoto(pictures[2].file, {30000, 20000}, 4, "png", 90, false) &&
                      writeThrough(pictures[3].file, {10000, 10000}, 5, true, QStringLiteral("vips"),
                                   {QStringLiteral("tiffsave"), QStringLiteral("IN"), QStringLiteral("OUT"),
                                    QStringLiteral("--compression"), QStringLiteral("none")}) &&
                      writeThrough(pictures[4].file, {10000, 10000}, 6, false, QStringLiteral("vips"),
                                   {QStringLiteral("tiffsave"), QStringLiteral("IN"), QStringLiteral("OUT"),
                                    QStringLiteral("--compression"), QStringLiteral("lzw")}) &&
                      writeThrough(pictures[5].file, {8000, 5000}, 7, true, QStringLiteral("convert"),
                                   {QStringLiteral("IN"), QStringLiteral("OUT")});
    if (!made) {
        std::fprintf(stderr, "could not make the pictures\n");
        return 1;
    }
    // The processes started share this one's memory until they load their
    // program, and would take its peak (the pictures made) for theirs.
    bench::resetPeak();
    // Settings beside the program: started with a file, it takes its own
    // folder for the program folder, so the executable is a copy, not a link.
    const QString built = qEnvironmentVariableIsSet("BENCH_PROGRAM_FOLDER")
                              ? qEnvironmentVariable("BENCH_PROGRAM_FOLDER")
                              : QCoreApplication::applicationDirPath();
    bench::ProgramFolder program(built, [](Options& o) {
        o.fTipsAtStartup = false;
        o.fAutoPictures = true;
        // 1400 x 900 pixels (twips at 96 dots per inch), cut to the screen.
        o.nWindowLeft = o.nWindowTop = 150;
        o.nWindowWidth = 1400 * 15;
        o.nWindowHeight = 900 * 15;
    });
    QFile::remove(program.program());
    if (!QFile::copy(QDir(built).filePath(QStringLiteral("Tessamor")), program.program()) || !program.ok()) {
        std::fprintf(stderr, "build Tessamor first\n");
        return 1;
    }
    if (bench::run(QStringLiteral("vipsthumbnail"), {QStringLiteral("--vips-version")}).status != 0) {
        std::fprintf(stderr, "vipsthumbnail is missing: scripts/bench-deps.sh installs it\n");
        return 1;
    }
    QTemporaryDir work;
    std::printf("program %s; platform %s; the anchors: vips crop of the region shown (normal size), "
                "vipsthumbnail --size WxH of the picture area (fitted)\n",
                qPrintable(built),
                qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM"))
                                                             : "offscreen");
    ours(program, pictures[0].file, false); // the file cache, warmed
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (const Picture& p : pictures) {
        if (!QString::fromLatin1(p.name).contains(only))
            continue;
        bench::run(QStringLiteral("cat"), {p.file}, {}, {}, true);
        compare(program, p, false, work.path());
        compare(program, p, true, work.path());
    }
    return 0;
}
