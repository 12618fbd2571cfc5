#include "platform/ShellList.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QSet>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

// For the benchmarks, which time the program as a whole process: with
// LUMIVEX_PAINT_PROBE set, the program prints the monotonic clock (ns) once
// the first frame that shows what is asked for has been painted and flushed,
// and leaves at once. "window": the main window's first frame; "list": the
// file list once start-up has filled it; "picture": the picture on show.
// It then names every shared object mapped at that moment ("mapped NAME").
// A modal dialog (a message about missing settings, say) would wait for a
// user who is not there: the program prints "message" and the dialog's
// title and text instead, and leaves with exit code 3.
class PaintProbe : public QObject {
public:
    explicit PaintProbe(QByteArray what) : m_what(std::move(what)) {}
    // Set once the window is made; dialogs of its making are caught before.
    void setWindow(Lumivex1* window) { m_window = window; }

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(o); dialog && dialog->isModal())
                leaveAtDialog(dialog);
        if (!m_window)
            return false;
        if (e->type() == QEvent::Paint) {
            if (auto* w = qobject_cast<QWidget*>(o); w && wanted(w))
                m_seen = true;
            return false;
        }
        // A frame is painted and flushed while its window handles these.
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
            std::printf("painted %lld\nitems %d\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec,
                        m_window->PTxShList1->Count());
            printMappedObjects();
            std::fflush(stdout);
            std::_Exit(0);
        }
        return true;
    }

private:
    [[noreturn]] static void leaveAtDialog(QDialog* dialog)
    {
        QString text = dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            text += QStringLiteral(": ") + box->text();
        std::printf("message %s\n", qPrintable(text.simplified()));
        std::fflush(stdout);
        std::_Exit(3);
    }

    static void printMappedObjects()
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (!maps.open(QIODevice::ReadOnly))
            return;
        QSet<QByteArray> seen;
        for (const QByteArray& line : maps.readAll().split('\n')) {
            const QByteArray name = line.mid(line.lastIndexOf('/') + 1);
            if (line.contains('/') && name.contains(".so") && !seen.contains(name)) {
                seen.insert(name);
                std::printf("mapped %s\n", name.constData());
            }
        }
    }

    bool wanted(QWidget* w) const
    {
        if (w->window() != m_window)
            return false;
        if (m_what == "list")
            return !m_window->fStartingUp && m_window->PTxShList1->isAncestorOf(w) &&
                   m_window->PTxShList1->Count() > 0;
        if (m_what == "picture")
            return !m_window->fStartingUp && w == m_window->Image1 && m_window->Image1->HasBitmap();
        return true;
    }

    Lumivex1* m_window = nullptr;
    QByteArray m_what;
    bool m_inside = false, m_seen = false;
};

} // namespace

int main(int argc, char** argv)
{
    // The web engine's sandbox cannot run as root.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    std::unique_ptr<PaintProbe> probe;
    if (const QByteArray what = qgetenv("LUMIVEX_PAINT_PROBE"); !what.isEmpty()) {
        probe = std::make_unique<PaintProbe>(what);
        app.installEventFilter(probe.get());
    }
    Lumivex1 window(QApplication::arguments().mid(1));
    if (probe)
        probe->setWindow(&window);
    window.startUp();
    return app.exec();
}
