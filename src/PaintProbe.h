#pragma once
// For the benchmarks, which time the program as a whole process: with
// LUMIVEX_PAINT_PROBE set, the program prints the monotonic clock (ns) once
// the first frame that shows what is asked for has been painted and flushed,
// and leaves at once. "window": the main window's first frame; "list": the
// file list once start-up has filled it; "picture": the picture on show,
// painted at the size it shows; "picture-fitted": the same after Fit Image
// to Window, given as soon as the picture is loaded. With
// LUMIVEX_PAINT_PROBE_SAVE set to a file name, the picture's shown area is
// saved there (PNG) before the program leaves. It then names every shared
// object mapped at that moment ("mapped NAME"). A modal window (a message)
// ends the program at once: it prints "message", the window's title and
// text, and leaves with exit code 3, as nobody is there to answer it.
#include <QByteArray>
#include <QObject>

class Lumivex1;
class QWidget;

class PaintProbe : public QObject {
public:
    explicit PaintProbe(QByteArray what) : m_what(std::move(what)) {}
    void setWindow(Lumivex1* window) { m_window = window; }
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    bool picture() const { return m_what.startsWith("picture"); }
    bool wanted(QWidget* w) const;
    // Known once the frame's paints are done.
    bool painted() const;
    [[noreturn]] void report();
    [[noreturn]] static void modalShown(QWidget* w);

    Lumivex1* m_window = nullptr;
    QByteArray m_what;
    bool m_inside = false, m_seen = false, m_fitted = false;
};
