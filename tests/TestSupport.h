#pragma once
// Helpers the tests share: temporary program folders and files.
#include <QApplication>
#include <QDir>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

class QAbstractNativeEventFilter;
class QColor;
class QWidget;

namespace testsupport {

// Writes bytes to a file (creating folders).
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Copies a folder tree.
void copyTree(const QString& from, const QString& to);
// The run-time assets of the source tree (BMPS/, Help/, TIPHELP.TXT).
QString assetsFolder();

// The texts a widget paints, in painting order, as its painting drew them
// (cut or wrapped names as shown, one text per drawn piece).
QStringList paintedTexts(QWidget* widget);

// How a caption (a label, a check box or an option) stands out from what is
// painted beneath it, read from a grab of its window: in each column of its
// text the pixel farthest from the text colour is taken for the background,
// and the contrast ratio of the text colour against it is measured (1 the
// same, 21 black on white). The median over the columns; 0 when no pixel of
// the text colour is drawn there.
double captionContrast(QWidget* caption, const QColor& text);

// Drops files on a widget (the viewport of an item view) as a drag from
// outside the program does: it enters, moves to the point and drops. True
// when the widget took the drop.
bool dropFiles(QWidget* target, const QPoint& at, const QStringList& paths);

// A double-click with the left button as Qt hands a user's double-click to
// the widget under the pointer: press, release, then a double-click in place
// of the second press, release. (Qt keeps that press itself from widgets.)
void doubleClick(QWidget* widget, const QPoint& at = QPoint());

// Runs the step on the modal window of type T as soon as one is up (the
// caller then opens it and waits in its event loop).
template <class T> void whenModal(std::function<void(T*)> step)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

// The active window of this process, decided in the process and not by the
// X server. With no window manager the X server gives the keyboard focus to
// the client that asked for it last, and the tests running beside this one
// ask too: an activation may be refused, and a window made active may lose
// the focus at any moment. While an object lives, the X server's focus
// changes do not reach Qt, and activate() makes a window the active one as a
// window manager's activation does once it reaches Qt: the window gets its
// activation events, its focus widget (or the first in its tab order) takes
// the focus, and keys sent to its widgets go through Qt's own delivery.
class InProcessFocus {
public:
    InProcessFocus();
    ~InProcessFocus();
    InProcessFocus(const InProcessFocus&) = delete;
    InProcessFocus& operator=(const InProcessFocus&) = delete;
    // Makes the widget's window the active one; false if Qt did not take it.
    bool activate(QWidget* widget);

private:
    std::unique_ptr<QAbstractNativeEventFilter> m_filter;
};

// A temporary folder holding a stand-in executable "Tessamor" and the
// run-time assets, made the current folder for the life of the object: the
// program folder of the windows a test starts.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withAssets = true);
    ~ProgramFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_oldCurrent;
};

// The most memory this process held since start(), above what it held then
// (kB); -1 when the system cannot start a new peak.
class PeakMemory {
public:
    void start();
    qint64 grownKb() const;

private:
    qint64 m_startKb = -1;
};

// A folder on a full disk, for the writers' tests. Where the test may mount
// one (as root), a 64 KB tmpfs is mounted over the folder and fill() takes
// its last byte; elsewhere the folder stays as it is and fill() lowers the
// process's file-size limit to nothing, so every write that would grow a
// file fails (EFBIG) as it would on a full disk (ENOSPC). release() makes
// room again; the destructor releases and unmounts.
class FullDisk {
public:
    explicit FullDisk(const QString& folder);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    bool mounted() const { return m_mounted; }
    void fill();
    void release();

private:
    QString m_folder;
    bool m_mounted = false;
    bool m_full = false;
    unsigned long long m_oldLimit = 0;
};

} // namespace testsupport

#include <ostream>
// Readable QStrings in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
