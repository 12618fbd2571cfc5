// The anchor of bench_startup: a minimal Qt Widgets program, built with the
// same flags as Lumivex, that shows a main window with a menu bar, a tool
// bar, a tree view beside six tabs, prints the monotonic clock (ns) once its
// first frame is painted and flushed, and leaves.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class FirstFrame : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            m_seen = true;
            return false;
        }
        if ((e->type() != QEvent::Expose && e->type() != QEvent::UpdateRequest) || !qobject_cast<QWindow*>(o) ||
            m_inside)
            return false;
        m_inside = true;
        m_seen = false;
        o->event(e);
        m_inside = false;
        if (m_seen) {
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::printf("painted %lld\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return true;
    }

private:
    bool m_inside = false, m_seen = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FirstFrame probe;
    app.installEventFilter(&probe);
    QMainWindow w;
    for (const char* m : {"&File", "&Edit", "&View", "&Tools", "&Help"}) {
        QMenu* menu = w.menuBar()->addMenu(QString::fromLatin1(m));
        for (const char* t : {"Open", "Save", "Print", "Options"})
            menu->addAction(QString::fromLatin1(t));
    }
    QToolBar* bar = w.addToolBar(QStringLiteral("Tools"));
    for (const char* t : {"Open", "Save", "Print", "Copy", "Paste", "Delete"})
        bar->addAction(QString::fromLatin1(t));
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    for (const char* t : {"Home", "Computer"}) {
        auto* root = new QTreeWidgetItem(tree, {QString::fromLatin1(t)});
        for (const char* c : {"Documents", "Music", "Pictures", "Videos"})
            new QTreeWidgetItem(root, {QString::fromLatin1(c)});
        root->setExpanded(true);
    }
    auto* tabs = new QTabWidget;
    for (const char* t : {"Videos", "Music", "Pictures", "ThumbNails", "Documents", "Internet"})
        tabs->addTab(new QWidget, QString::fromLatin1(t));
    auto* split = new QSplitter;
    split->addWidget(tree);
    split->addWidget(tabs);
    w.setCentralWidget(split);
    w.resize(1000, 700);
    w.show();
    return app.exec();
}
