// A large picture shown through DisplayFile, up to its first painted frame,
// against Qt's image reader decoding the same file scaled to a screen
// (1920 x 1080) and whole: each run in a process of its own, interleaved,
// timed inside the process from the request to the painted frame or the
// decoded picture, with the memory each took at its peak. Twice: as the
// picture opens (at its own size, the part that fits the window), and
// fitted to the window (Fit Image to Window right after it opened).
// Run: bench_picture [rounds, default 5] (the pictures are kept in
// /tmp/lumivex-bench-picture for the next run)
#include "BenchSupport.h"
#include "PhotoMaker.h"

#include "platform/Dialogs.h"
#include "platform/Lead.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWindow>

namespace {

const QSize kScreen(1920, 1080);
const QSize kWindow(1200, 900);

// Notes the first frame in which Image1 painted the picture.
class PictureFrame : public QObject {
public:
    explicit PictureFrame(Lumivex1* w) : m_window(w) {}
    bool painted = false;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o == m_window->Image1 && m_window->Image1->HasBitmap()) {
            m_seen = true;
            // A paint outside a frame's update (a repaint now) is flushed at once.
            painted = painted || !m_inside;
        }
        if ((e->type() == QEvent::Expose || e->type() == QEvent::UpdateRequest) && qobject_cast<QWindow*>(o) &&
            !m_inside) {
            m_inside = true;
            m_seen = false;
            o->event(e);
            m_inside = false;
            painted = painted || m_seen;
            return true;
        }
        return false;
    }

private:
    Lumivex1* m_window;
    bool m_inside = false, m_seen = false;
};

// The child: the main window shows the file (fitted to the window when fit);
// prints time, peak and shown size.
int show(int argc, char** argv, const QString& file, bool fit)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir program;
    QDir::setCurrent(program.path());
    platform::ScopedDialogs dialogs; // the notes about missing settings answer at once
    Lumivex1 w({});
    w.resize(kWindow);
    w.startUp();
    w.finishStartUp();
    QCoreApplication::processEvents();
    gs.fAutoPictures = true;
    dialogs.service.messages.clear();
    PictureFrame frame(&w);
    app.installEventFilter(&frame);

    bench::resetPeak();
    const qint64 before = bench::statusKb("VmRSS:");
    const qint64 t0 = bench::nowNs();
    w.DisplayFile(file);
    if (fit)
        w.FitImageToWindow();
    while (!frame.painted && dialogs.service.messages.isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 t1 = bench::nowNs();
    const qint64 peak = bench::statusKb("VmHWM:") - before;
    if (!dialogs.service.messages.isEmpty()) {
        std::printf("failed %s\n", qPrintable(dialogs.service.messages.first().text));
        return 1;
    }
    const QSize shown = w.Image1->size().boundedTo(QSize(w.Image1->DstWidth(), w.Image1->DstHeight()));
    std::printf("ms %.3f\npeak_kb %lld\nshown_kb %lld\n", (t1 - t0) / 1e6, peak,
                qint64(shown.width()) * shown.height() * 4 / 1024);
    std::fflush(stdout);
    std::_Exit(0);
}

struct Picture {
    const char* name;
    QString file;
    int rounds;
};

void compare(const QString& self, const QString& anchor, const Picture& pic, bool fit)
{
    bench::Series ours{QStringLiteral("Lumivex"), {}}, scaled{QStringLiteral("scaled decode"), {}},
        full{QStringLiteral("full decode"), {}};
    qint64 oursPeak = 0, shownKb = 0, scaledPeak = 0, fullPeak = 0;
    QString failure;
    for (int r = 0; r < pic.rounds; ++r) {
        const bench::Process a = bench::run(self, {fit ? QStringLiteral("--fit") : QStringLiteral("--show"), pic.file});
        const bench::Process b =
            bench::run(anchor, {QStringLiteral("--scaled"), QString::number(kScreen.width()),
                                QString::number(kScreen.height()), pic.file});
        const bench::Process c = bench::run(anchor, {QStringLiteral("--full"), pic.file});
        if (!a.ok())
            failure = QString::fromLocal8Bit(a.out).trimmed();
        else
            ours.values.push_back(bench::field(a.out, "ms"));
        if (b.ok())
            scaled.values.push_back(bench::field(b.out, "ms"));
        if (c.ok())
            full.values.push_back(bench::field(c.out, "ms"));
        oursPeak = std::max(oursPeak, qint64(bench::field(a.out, "peak_kb")));
        shownKb = std::max(shownKb, qint64(bench::field(a.out, "shown_kb")));
        scaledPeak = std::max(scaledPeak, qint64(bench::field(b.out, "peak_kb")));
        fullPeak = std::max(fullPeak, qint64(bench::field(c.out, "peak_kb")));
    }
    std::printf("%s, %s, %d rounds\n", pic.name, fit ? "fitted to the window" : "as it opens (normal size)",
                pic.rounds);
    if (ours.values.empty()) {
        std::printf("  Lumivex does not show it: %s\n", qPrintable(failure));
    } else {
        bench::report("  DisplayFile to painted frame", ours, scaled, 1.2);
        if (!full.values.empty())
            bench::report("", ours, full);
    }
    if (full.values.empty())
        std::printf("  (the full decode fails: the picture passes the reader's allocation limit)\n");
    std::printf("  peak memory: Lumivex %.1f MB (%.2f x the shown picture of %.1f MB; target <= 2), "
                "scaled decode %.1f MB, full decode %.1f MB\n",
                oursPeak / 1024.0, shownKb > 0 ? double(oursPeak) / double(shownKb) : 0.0, shownKb / 1024.0,
                scaledPeak / 1024.0, fullPeak / 1024.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && (QByteArray(argv[1]) == "--show" || QByteArray(argv[1]) == "--fit"))
        return show(argc, argv, QFile::decodeName(argv[2]), QByteArray(argv[1]) == "--fit");
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 5;
    const QString self = QCoreApplication::applicationFilePath();
    const QString anchor = bench::sibling(argv[0], QStringLiteral("bench_picture_decode"));
    const QString dir = QDir::tempPath() + QStringLiteral("/lumivex-bench-picture");
    QDir().mkpath(dir);
    std::printf("making the pictures (kept in %s) ...\n", qPrintable(dir));
    std::fflush(stdout);
    const Picture pictures[] = {
        {"6000 x 4000 JPEG (quality 90)", dir + QStringLiteral("/photo.jpg"), rounds},
        {"6000 x 4000 PNG", dir + QStringLiteral("/photo.png"), rounds},
        {"16000 x 16000 JPEG (quality 90)", dir + QStringLiteral("/huge.jpg"), std::max(1, rounds / 2)},
        {"30000 x 20000 PNG", dir + QStringLiteral("/vast.png"), 1},
    };
    const bool made = bench::writePhoto(pictures[0].file, {6000, 4000}, 1, "jpeg") &&
                      bench::writePhoto(pictures[1].file, {6000, 4000}, 2, "png") &&
                      bench::writePhoto(pictures[2].file, {16000, 16000}, 3, "jpeg") &&
                      bench::writePhoto(pictures[3].file, {30000, 20000}, 4, "png", 90, false);
    if (!made) {
        std::fprintf(stderr, "could not make the pictures\n");
        return 1;
    }
    std::printf("window %dx%d; the anchor decodes to fit %dx%d\n", kWindow.width(), kWindow.height(),
                kScreen.width(), kScreen.height());
    for (const Picture& p : pictures) {
        compare(self, anchor, p, false);
        compare(self, anchor, p, true);
    }
    return 0;
}
