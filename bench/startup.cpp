// Time from process start to the end of the first paint: Lumivex with a fresh
// program folder next to a bare Qt main window with a tab widget and a tool bar.
// Run: build/test/bin/bench_startup [runs]
#include "platform/Dialogs.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* w = qobject_cast<QWidget*>(o);
        if (e->type() == QEvent::Paint && !m_done && w && w->window() == m_window) {
            m_done = true;
            // After this paint has been handled, report and leave.
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", (long long)QDateTime::currentMSecsSinceEpoch());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(o, e);
    }

    QWidget* m_window = nullptr;

private:
    bool m_done = false;
};

int child(int argc, char** argv, bool bare)
{
    QApplication app(argc, argv);
    FirstPaint watcher;
    if (bare) {
        QMainWindow w;
        auto* bar = w.addToolBar(QStringLiteral("Tools"));
        bar->addAction(QStringLiteral("Open"));
        auto* tabs = new QTabWidget;
        for (const char* t : {"Videos", "Music", "Pictures", "ThumbNails", "Documents", "Internet"})
            tabs->addTab(new QWidget, QString::fromLatin1(t));
        w.setCentralWidget(tabs);
        watcher.m_window = &w;
        app.installEventFilter(&watcher);
        w.show();
        return app.exec();
    }
    QTemporaryDir folder; // a fresh program folder
    QDir::setCurrent(folder.path());
    platform::ScopedDialogs dialogs; // the two "Use the Utility Menu Option" boxes answer at once
    Lumivex1 w({});
    watcher.m_window = &w;
    app.installEventFilter(&watcher);
    w.startUp();
    return app.exec();
}

qint64 runOnce(const QString& self, const QString& mode)
{
    QProcess p;
    const qint64 t0 = QDateTime::currentMSecsSinceEpoch();
    p.start(self, {mode});
    p.waitForFinished(60000);
    const qint64 t1 = QString::fromLatin1(p.readAllStandardOutput()).trimmed().toLongLong();
    return t1 > 0 ? t1 - t0 : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    if (mode == QLatin1String("--lumivex"))
        return child(argc, argv, false);
    if (mode == QLatin1String("--bare"))
        return child(argc, argv, true);

    const int runs = mode.toInt() > 0 ? mode.toInt() : 7;
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    auto median = [&](const QString& m) {
        std::vector<qint64> v;
        runOnce(self, m); // warm the file cache
        for (int i = 0; i < runs; ++i)
            v.push_back(runOnce(self, m));
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const qint64 lumivex = median(QStringLiteral("--lumivex"));
    const qint64 bare = median(QStringLiteral("--bare"));
    std::printf("start to first paint (median of %d): Lumivex %lld ms, bare window %lld ms, ratio %.2f\n", runs,
                (long long)lumivex, (long long)bare, bare > 0 ? double(lumivex) / double(bare) : 0.0);
    return 0;
}
