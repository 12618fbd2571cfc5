#pragma once
// The tool windows' default instances. Each window is known by its name
// ("About1", "PrntPict1"); its code registers a function that makes it, and
// the main window opens it by name: created on first use, one instance at a
// time, no owner. A window sets its own open flag when it loads and clears it
// when it unloads; a closed window is deleted, so the next use loads it anew.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace toolwindows {

using Creator = std::function<QWidget*()>;

// A window that keeps its own single instance opens itself: "open" brings it
// to the front or shows it modeless, "modal" shows it modal on a page (0 when
// it has no pages).
struct Openers {
    std::function<void()> open;
    std::function<void(int page)> modal;
};

// Registers (or replaces) the maker of a window's default instance.
void registerWindow(const QString& name, Creator creator);
// Registers a window that opens itself; it takes the place of a maker.
void registerOpeners(const QString& name, Openers openers);
void unregisterWindow(const QString& name);
bool isRegistered(const QString& name);

// The program's own tool windows register here, once, before first use.
void registerProgramWindows();

// The open flag of a window in the shared state (nullptr for windows without one).
bool* openFlag(const QString& name);

// The default instance: made on first use (nullptr when nothing is registered).
QWidget* instance(const QString& name);
// The instance when it exists, without making one.
QWidget* existing(const QString& name);

// Brings the window to the front when its open flag is set and it exists,
// otherwise shows it modeless.
void open(const QString& name);
// Shows it modeless (and to the front) without looking at its flag.
void showModeless(const QString& name);
// Shows it modal, on the page of its tab strip "TabStrip1" when page > 0;
// returns when it was closed or hidden.
void showModal(const QString& name, int page = 0);
// Closes the window when it exists.
void unload(const QString& name);

// Replaces a window's maker for the life of the object (tests).
class ScopedWindow {
public:
    ScopedWindow(const QString& name, Creator creator);
    ~ScopedWindow();
    ScopedWindow(const ScopedWindow&) = delete;
    ScopedWindow& operator=(const ScopedWindow&) = delete;

private:
    QString m_name;
    Creator m_old;
    Openers m_oldOpeners;
};

} // namespace toolwindows
