// The anchor of bench_folder, a program of its own: the program's file list
// control alone in a window, showing one folder. Prints the monotonic clock
// (ns) once the filled list has been painted and flushed, and leaves.
// Usage: bench_folder_list FOLDER [view style]
#include "platform/ShellList.h"

#include <QApplication>
#include <QFile>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class ListFrame : public QObject {
public:
    explicit ListFrame(platform::ShellList* list) : m_list(list) {}
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && m_list->isAncestorOf(w) && m_list->Count() > 0)
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
    platform::ShellList* m_list;
    bool m_inside = false, m_seen = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    platform::ShellList list;
    ListFrame probe(&list);
    app.installEventFilter(&probe);
    list.setViewStyle(argc > 2 ? atoi(argv[2]) : 0);
    list.resize(400, 700);
    list.show();
    if (!list.setFolderPath(QFile::decodeName(argv[1])))
        return 1;
    return app.exec();
}
