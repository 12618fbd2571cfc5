#pragma once
// Whole-program tests: the built Tessamor runs as a process of its own, from
// a temporary program folder, on a real X server, and the tests read what a
// user would see there: window titles, message boxes and pixels.
//
//   e2e::XServer          an Xvfb of the test's own on a free display number
//                         (for starts run side by side on displays of their own).
//   e2e::sharedDisplay()  the display the whole suite runs on: $DISPLAY
//                         (./test starts one), else one Xvfb for this process.
//   e2e::XDisplay         a connection to a display:
//       windows(pid)      the shown top-level windows (all, or one process's):
//                         id, title, pid, place on the screen, dialog or not;
//       findWindow(t,pid) the first main window (or dialog) whose title contains t;
//       messageBoxes(pid) the dialogs of a process other than the ones named;
//       grab(w, rect)     the pixels of a window (or a part of it) as shown;
//       grabScreen(w)     the screen's pixels where a window stands;
//       closeWindow(w)    what a window manager's close button sends;
//       click(p), doubleClick(p), pressKey(keysym)  a user's mouse and keys,
//                         through the X server's XTEST extension (screen
//                         coordinates; keys go to the window with the focus).
//   e2e::ProgramFolder    a temporary folder holding Tessamor, its plug-ins and
//                         assets (linked, not copied, where they can be) and,
//                         unless asked otherwise, settings files written from
//                         the defaults (adjust changes them first).
//   e2e::Program          Tessamor started from a program folder on a display
//                         (QProcess): pid, waitForWindow(title), close(),
//                         waitForExit(), crashed(), exitCode(), output().
//   e2e::waitUntil(f, ms) polls f (serving events) until true or the time is out.
//   e2e::Load             busy loops on every core while it lives, so starts
//                         run on a loaded machine as on a user's busy one.
//   e2e::colourNear(...), areaOf(...)  pixel comparisons with a tolerance;
//   e2e::keepShot(image, name)  a screenshot kept for a failure message.
// Everything here may be used from several threads at once, each with its own
// XDisplay, Program and ProgramFolder objects.
#include "shell/Settings.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

struct xcb_connection_t;

namespace e2e {

// The program's main window title with no file shown.
inline const QString kMainTitle = QStringLiteral("Brevanto Lumivex 3.0");
inline const QString kTipTitle = QStringLiteral("Quick Tip of the Day");

// Polls done() every stepMs, serving this thread's events meanwhile, until it
// is true (returns true) or timeoutMs have passed (returns false).
bool waitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs = 20);

// An Xvfb on a free display number, stopped with the object.
class XServer {
public:
    explicit XServer(int width = 1600, int height = 1000);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool ok() const { return !m_name.isEmpty(); }
    QString name() const { return m_name; } // ":93"

private:
    QProcess m_process;
    QString m_name;
};

// The display every test of this process may share: $DISPLAY when set, else
// an Xvfb started for the process at first use. Empty when there is none.
QString sharedDisplay();

struct XWindow {
    quint32 id = 0;
    QString title;
    qint64 pid = 0;
    QRect rect;          // on the screen, without a window manager's frame
    bool dialog = false; // a dialog window, or one standing for another (transient)
};

class XDisplay {
public:
    explicit XDisplay(const QString& name);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;
    bool ok() const { return m_conn != nullptr; }
    QString name() const { return m_name; }

    // The shown (mapped) top-level windows; pid 0: of every process.
    QList<XWindow> windows(qint64 pid = 0) const;
    // The first window whose title contains titlePart: by default a main
    // window (not a dialog, which may bear the same title).
    std::optional<XWindow> findWindow(const QString& titlePart, qint64 pid = 0, bool dialog = false) const;
    // The process's dialogs whose title is none of those named (by default
    // the tip window, which the program opens at start).
    QList<XWindow> messageBoxes(qint64 pid, const QStringList& expected = {kTipTitle}) const;
    // The window's pixels as shown on the screen; region in the window's
    // coordinates, empty for all of it. A null image when it cannot be read.
    QImage grab(quint32 window, QRect region = {}) const;
    // The screen's pixels in the window's place: what the user sees there,
    // with whatever stands above the window.
    QImage grabScreen(const XWindow& window) const;
    // Asks the window to close, as a window manager's close button does
    // (WM_DELETE_WINDOW).
    bool closeWindow(quint32 window) const;

    // A user's input, as the X server's input devices would give it. The
    // points are on the screen (XWindow::rect tells where a window stands).
    bool moveTo(QPoint p) const;
    bool click(QPoint p, int button = 1) const;
    bool doubleClick(QPoint p) const;
    // Presses and releases the key bearing the keysym (XK_Home: 0xff50).
    bool pressKey(quint32 keysym) const;

private:
    quint32 atom(const char* name) const;
    bool fake(quint8 type, quint8 detail, QPoint p = {}) const;
    QString m_name;
    xcb_connection_t* m_conn = nullptr;
    quint32 m_root = 0;
};

// Where Tessamor was built (with its plug-ins and assets).
QString buildFolder();

class ProgramFolder {
public:
    explicit ProgramFolder(const std::function<void(Options&)>& adjust = {}, bool writeSettings = true);
    bool ok() const;
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    QString program() const { return file(QStringLiteral("Tessamor")); }

private:
    QTemporaryDir m_dir;
};

// Tessamor started from a program folder on a display. The process is ended
// with the object if it is still running.
class Program {
public:
    Program(const ProgramFolder& folder, const QString& display, const QStringList& args = {},
            const QProcessEnvironment& extra = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return m_started; }
    qint64 pid() const { return m_pid; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    // Waits for a shown window of this process whose title contains title.
    std::optional<XWindow> waitForWindow(const XDisplay& display, const QString& title, int timeoutMs,
                                         bool dialog = false);
    bool waitForExit(int timeoutMs);
    bool crashed() const { return m_process.exitStatus() == QProcess::CrashExit; }
    // The exit code, or the signal number when it crashed.
    int exitCode() const { return m_process.exitCode(); }
    // What it wrote to stdout and stderr so far.
    QByteArray output();
    // A line saying how it ended, for failure messages.
    QString describeEnd();

private:
    QProcess m_process;
    qint64 m_pid = 0;
    bool m_started = false;
    QByteArray m_output;
};

// Starts run side by side: `servers` threads, each with an X server of its
// own, each making `startsEach` starts one after another. start(display, n)
// makes start n (0-based over all) and returns what went wrong, empty when
// nothing did. The failures of all, each headed by its start's number.
QStringList startsSideBySide(int servers, int startsEach,
                             const std::function<QString(const XDisplay& display, int n)>& start);

// Busy loops on every core (or the number asked) while the object lives.
class Load {
public:
    explicit Load(int threads = 0);
    ~Load();

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

// Keeps a screenshot for a failure message: saved under the temporary
// folder's lumivex-e2e/, it returns the file's path.
QString keepShot(const QImage& shot, const QString& name);
// True when every channel of a and b differs by at most tolerance.
bool colourNear(QRgb a, QRgb b, int tolerance = 8);
// The part of the image whose pixels are near the colour, as a bounding box,
// and the count of such pixels.
QRect areaOf(const QImage& image, QRgb colour, int* count = nullptr, int tolerance = 8);

} // namespace e2e
