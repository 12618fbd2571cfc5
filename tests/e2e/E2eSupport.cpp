#include "E2eSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace e2e {

bool waitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, stepMs);
        QThread::msleep(stepMs);
    }
}

// ---------------------------------------------------------------- X servers

XServer::XServer(int width, int height)
{
    // Xvfb picks a free display number itself and writes it to the pipe
    // named by -displayfd: here its standard output. -noreset: a server
    // that resets when its last client leaves drops one still connecting.
    m_process.setProgram(QStringLiteral("Xvfb"));
    m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return;
    QByteArray line;
    QDeadlineTimer deadline(30000);
    while (!line.contains('\n') && !deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(100);
        line += m_process.readAllStandardOutput();
    }
    if (line.contains('\n'))
        m_name = QLatin1Char(':') + QString::fromLatin1(line.trimmed());
}

XServer::~XServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString sharedDisplay()
{
    static QMutex mutex;
    static std::unique_ptr<XServer> own;
    const QMutexLocker lock(&mutex);
    if (const QString d = qEnvironmentVariable("DISPLAY"); !d.isEmpty())
        return d;
    if (!own)
        own = std::make_unique<XServer>();
    return own->name();
}

// ---------------------------------------------------------------- windows

namespace {

template <class R> struct Reply {
    R* r;
    explicit Reply(R* reply) : r(reply) {}
    ~Reply() { std::free(r); }
    R* operator->() const { return r; }
    explicit operator bool() const { return r != nullptr; }
};

QByteArray property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    Reply reply(xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 4096), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.r)),
                      xcb_get_property_value_length(reply.r));
}

quint32 firstWord(const QByteArray& bytes)
{
    quint32 v = 0;
    if (bytes.size() >= 4)
        std::memcpy(&v, bytes.constData(), 4);
    return v;
}

} // namespace

XDisplay::XDisplay(const QString& name) : m_name(name)
{
    xcb_connection_t* c = xcb_connect(name.toLocal8Bit().constData(), nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return;
    }
    m_conn = c;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

XDisplay::~XDisplay()
{
    if (m_conn)
        xcb_disconnect(m_conn);
}

quint32 XDisplay::atom(const char* name) const
{
    Reply reply(xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : 0;
}

QList<XWindow> XDisplay::windows(qint64 pid) const
{
    QList<XWindow> found;
    if (!m_conn)
        return found;
    const xcb_atom_t netName = atom("_NET_WM_NAME"), utf8 = atom("UTF8_STRING"), netPid = atom("_NET_WM_PID"),
                     type = atom("_NET_WM_WINDOW_TYPE"), dialogType = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    // A window manager puts each top-level window into a frame of its own:
    // the program's windows stand one or two levels below the root.
    QList<QPair<xcb_window_t, int>> todo{{m_root, 0}};
    while (!todo.isEmpty()) {
        const auto [parent, depth] = todo.takeFirst();
        Reply tree(xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, parent), nullptr));
        if (!tree)
            continue;
        const xcb_window_t* children = xcb_query_tree_children(tree.r);
        for (int i = 0; i < xcb_query_tree_children_length(tree.r); ++i) {
            const xcb_window_t w = children[i];
            Reply attrs(xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, w), nullptr));
            if (!attrs || attrs->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            const QByteArray pidBytes = property(m_conn, w, netPid, XCB_ATOM_CARDINAL);
            if (pidBytes.isEmpty()) {
                if (depth < 2)
                    todo.append({w, depth + 1});
                continue;
            }
            XWindow x;
            x.id = w;
            x.pid = firstWord(pidBytes);
            if (pid && x.pid != pid)
                continue;
            QByteArray title = property(m_conn, w, netName, utf8);
            x.title = title.isEmpty() ? QString::fromLatin1(property(m_conn, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING))
                                      : QString::fromUtf8(title);
            const QByteArray types = property(m_conn, w, type, XCB_ATOM_ATOM);
            for (int t = 0; t + 4 <= types.size(); t += 4)
                x.dialog = x.dialog || firstWord(types.mid(t, 4)) == dialogType;
            x.dialog = x.dialog || firstWord(property(m_conn, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW)) != 0;
            Reply geo(xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, w), nullptr));
            Reply at(xcb_translate_coordinates_reply(m_conn, xcb_translate_coordinates(m_conn, w, m_root, 0, 0),
                                                     nullptr));
            if (geo && at)
                x.rect = QRect(at->dst_x, at->dst_y, geo->width, geo->height);
            found.append(x);
        }
    }
    return found;
}

std::optional<XWindow> XDisplay::findWindow(const QString& titlePart, qint64 pid, bool dialog) const
{
    for (const XWindow& w : windows(pid))
        if (w.dialog == dialog && w.title.contains(titlePart))
            return w;
    return std::nullopt;
}

QList<XWindow> XDisplay::messageBoxes(qint64 pid, const QStringList& expected) const
{
    QList<XWindow> boxes;
    for (const XWindow& w : windows(pid))
        if (w.dialog && !expected.contains(w.title))
            boxes.append(w);
    return boxes;
}

QImage XDisplay::grab(quint32 window, QRect region) const
{
    if (!m_conn)
        return {};
    Reply geo(xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, window), nullptr));
    if (!geo)
        return {};
    const QRect whole(0, 0, geo->width, geo->height);
    region = region.isEmpty() ? whole : region.intersected(whole);
    if (region.isEmpty())
        return {};
    Reply image(xcb_get_image_reply(m_conn,
                                    xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, window, int16_t(region.x()),
                                                  int16_t(region.y()), uint16_t(region.width()),
                                                  uint16_t(region.height()), ~0u),
                                    nullptr));
    // Depths 24 and 32 come as 32 bits a pixel, blue first: as QImage's RGB32.
    if (!image || (image->depth != 24 && image->depth != 32))
        return {};
    const int bytes = xcb_get_image_data_length(image.r);
    const int perLine = bytes / region.height();
    if (perLine < region.width() * 4)
        return {};
    QImage out(region.size(), QImage::Format_RGB32);
    const uchar* data = xcb_get_image_data(image.r);
    for (int y = 0; y < region.height(); ++y)
        std::memcpy(out.scanLine(y), data + y * perLine, size_t(region.width()) * 4);
    return out;
}

QImage XDisplay::grabScreen(const XWindow& window) const
{
    return grab(m_root, window.rect);
}

bool XDisplay::closeWindow(quint32 window) const
{
    if (!m_conn)
        return false;
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = window;
    e.type = atom("WM_PROTOCOLS");
    e.data.data32[0] = atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_void_cookie_t c = xcb_send_event_checked(m_conn, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                 reinterpret_cast<const char*>(&e));
    xcb_generic_error_t* error = xcb_request_check(m_conn, c);
    std::free(error);
    return error == nullptr;
}

// ---------------------------------------------------------------- input

bool XDisplay::fake(quint8 type, quint8 detail, QPoint p) const
{
    if (!m_conn)
        return false;
    xcb_void_cookie_t c = xcb_test_fake_input_checked(m_conn, type, detail, XCB_CURRENT_TIME, m_root,
                                                      int16_t(p.x()), int16_t(p.y()), 0);
    xcb_generic_error_t* error = xcb_request_check(m_conn, c);
    std::free(error);
    return error == nullptr;
}

bool XDisplay::moveTo(QPoint p) const { return fake(XCB_MOTION_NOTIFY, 0, p); }

bool XDisplay::click(QPoint p, int button) const
{
    return moveTo(p) && fake(XCB_BUTTON_PRESS, quint8(button)) && fake(XCB_BUTTON_RELEASE, quint8(button));
}

bool XDisplay::doubleClick(QPoint p) const
{
    // Both clicks reach the server at once: well within any double-click time.
    return moveTo(p) && fake(XCB_BUTTON_PRESS, 1) && fake(XCB_BUTTON_RELEASE, 1) && fake(XCB_BUTTON_PRESS, 1) &&
           fake(XCB_BUTTON_RELEASE, 1);
}

bool XDisplay::pressKey(quint32 keysym) const
{
    if (!m_conn)
        return false;
    // The first key code whose unshifted symbol is the one asked for.
    const xcb_setup_t* setup = xcb_get_setup(m_conn);
    const quint8 first = setup->min_keycode, count = quint8(setup->max_keycode - first + 1);
    Reply map(xcb_get_keyboard_mapping_reply(m_conn, xcb_get_keyboard_mapping(m_conn, first, count), nullptr));
    if (!map || map->keysyms_per_keycode == 0)
        return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.r);
    for (int k = 0; k < count; ++k)
        if (syms[k * map->keysyms_per_keycode] == keysym)
            return fake(XCB_KEY_PRESS, quint8(first + k)) && fake(XCB_KEY_RELEASE, quint8(first + k));
    return false;
}

// ---------------------------------------------------------------- the program

QString buildFolder() { return QStringLiteral(LUMIVEX_BIN_DIR); }

ProgramFolder::ProgramFolder(const std::function<void(Options&)>& adjust, bool writeSettings)
{
    // The executable and plug-ins are linked, so that the program finds its
    // plug-ins beside itself here; the assets are copied.
    const QDir bin(buildFolder());
    const QDir here(m_dir.path());
    for (const QFileInfo& f : bin.entryInfoList({"Tessamor", "*.so", "BMPS", "Help", "TIPHELP.TXT"})) {
        const QString target = here.filePath(f.fileName());
        if (f.isDir()) {
            QDir().mkpath(target);
            for (const QFileInfo& sub : QDir(f.filePath()).entryInfoList(QDir::Files))
                QFile::copy(sub.filePath(), QDir(target).filePath(sub.fileName()));
        } else if (::link(QFile::encodeName(f.filePath()).constData(), QFile::encodeName(target).constData()) != 0) {
            QFile::copy(f.filePath(), target);
        }
    }
    if (!writeSettings)
        return;
    Options o;
    settings::setDefaultOptions(o, path());
    if (adjust)
        adjust(o);
    settings::writeOptions(file(settings::kOptionsFile), o);
    ColorScheme c;
    settings::setDefaultColors(c);
    settings::writeColors(file(settings::kColorsFile), c);
}

bool ProgramFolder::ok() const { return m_dir.isValid() && QFileInfo(program()).isExecutable(); }

QString ProgramFolder::file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

Program::Program(const ProgramFolder& folder, const QString& display, const QStringList& args,
                 const QProcessEnvironment& extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("LUMIVEX_ASSETS"));
    for (const QString& k : extra.keys())
        env.insert(k, extra.value(k));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(folder.path());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(folder.program(), args);
    m_started = m_process.waitForStarted(20000);
    m_pid = m_started ? m_process.processId() : 0;
}

Program::~Program()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

std::optional<XWindow> Program::waitForWindow(const XDisplay& display, const QString& title, int timeoutMs,
                                              bool dialog)
{
    std::optional<XWindow> found;
    waitUntil(
        [&] {
            output(); // keeps the pipe from filling up
            found = display.findWindow(title, m_pid, dialog);
            return found.has_value() || !running();
        },
        timeoutMs, 25);
    return found;
}

bool Program::waitForExit(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (running() && !deadline.hasExpired()) {
        m_process.waitForFinished(100);
        output();
    }
    return !running();
}

QByteArray Program::output()
{
    m_output += m_process.readAll();
    return m_output;
}

QString Program::describeEnd()
{
    QString s = running()   ? QStringLiteral("still running")
                : crashed() ? QStringLiteral("killed by signal %1").arg(exitCode())
                            : QStringLiteral("exit code %1").arg(exitCode());
    return s + QStringLiteral("; output:\n") + QString::fromLocal8Bit(output());
}

QStringList startsSideBySide(int servers, int startsEach,
                             const std::function<QString(const XDisplay& display, int n)>& start)
{
    QList<QStringList> failures(servers);
    QList<QThread*> threads;
    for (int s = 0; s < servers; ++s)
        threads << QThread::create([&, s] {
            XServer server;
            XDisplay display(server.name());
            if (!display.ok()) {
                failures[s] << QStringLiteral("no X server");
                return;
            }
            for (int i = 0; i < startsEach; ++i)
                if (const QString f = start(display, s * startsEach + i); !f.isEmpty())
                    failures[s] << QStringLiteral("start %1: %2").arg(s * startsEach + i + 1).arg(f);
        });
    for (QThread* t : threads)
        t->start();
    for (QThread* t : threads) {
        t->wait();
        delete t;
    }
    QStringList all;
    for (const QStringList& f : failures)
        all << f;
    return all;
}

// ---------------------------------------------------------------- load

Load::Load(int threads)
{
    if (threads <= 0)
        threads = int(std::thread::hardware_concurrency()) * 3 / 2;
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] {
            volatile unsigned long spin = 0;
            while (!m_stop.load(std::memory_order_relaxed))
                spin = spin + 1;
        });
}

Load::~Load()
{
    m_stop = true;
    for (std::thread& t : m_threads)
        t.join();
}

// ---------------------------------------------------------------- pixels

QString keepShot(const QImage& shot, const QString& name)
{
    static std::atomic<int> count{0};
    const QDir dir(QDir::temp().filePath(QStringLiteral("lumivex-e2e")));
    dir.mkpath(QStringLiteral("."));
    const QString path = dir.filePath(
        QStringLiteral("%1-%2-%3.png").arg(name).arg(QCoreApplication::applicationPid()).arg(++count));
    return shot.save(path) ? path : QStringLiteral("(none)");
}

bool colourNear(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QRect areaOf(const QImage& image, QRgb colour, int* count, int tolerance)
{
    QRect box;
    int n = 0;
    const QImage im = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < im.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(im.constScanLine(y));
        for (int x = 0; x < im.width(); ++x)
            if (colourNear(line[x], colour, tolerance)) {
                ++n;
                box |= QRect(x, y, 1, 1);
            }
    }
    if (count)
        *count = n;
    return box;
}

} // namespace e2e
