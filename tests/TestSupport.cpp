#include "TestSupport.h"
#include "platform/controls/OleColor.h"

#include <QAbstractButton>
#include <QAbstractNativeEventFilter>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPaintEngine>
#include <QTest>
#include <QTextItem>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <vector>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <xcb/xproto.h>

namespace testsupport {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

namespace {

// A page that keeps every text painted on it.
class TextRecorder : public QPaintDevice {
public:
    explicit TextRecorder(QSize size) : m_engine(this), m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    QStringList texts;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder* page) : QPaintEngine(AllFeatures), m_page(page) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { m_page->texts << item.text(); }
        Type type() const override { return User; }

    private:
        TextRecorder* m_page;
    };
    mutable Engine m_engine;
    QSize m_size;
};

} // namespace

namespace {

// Where the caption's text is drawn, in the caption's own coordinates: the
// whole height, as wide as the text.
QRect captionTextRect(QWidget* caption)
{
    caption->ensurePolished();
    const QFontMetrics metrics(caption->font());
    if (auto* label = qobject_cast<QLabel*>(caption)) {
        const QRect area = label->contentsRect();
        const QRect text = metrics.boundingRect(area, int(label->alignment()), label->text());
        return QRect(text.left(), 0, text.width(), caption->height());
    }
    auto* button = qobject_cast<QAbstractButton*>(caption);
    if (!button)
        return caption->rect();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    const QRect contents = caption->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, caption);
    return QRect(contents.left(), 0, metrics.horizontalAdvance(button->text()), caption->height());
}

int distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

} // namespace

double captionContrast(QWidget* caption, const QColor& text)
{
    QWidget* window = caption->window();
    const QImage shown = window->grab().toImage();
    const QRect local = captionTextRect(caption) & caption->rect();
    const QRect r(caption->mapTo(window, local.topLeft()), local.size());
    std::vector<double> contrasts;
    bool inked = false;
    for (int x = r.left(); x <= r.right(); ++x) {
        QColor background = text;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const QColor c = shown.pixelColor(x, y);
            inked = inked || distance(c, text) < 60;
            if (distance(c, text) > distance(background, text))
                background = c;
        }
        contrasts.push_back(platform::contrastRatio(text, background));
    }
    if (!inked || contrasts.empty())
        return 0;
    std::nth_element(contrasts.begin(), contrasts.begin() + contrasts.size() / 2, contrasts.end());
    return contrasts[contrasts.size() / 2];
}

QStringList paintedTexts(QWidget* widget)
{
    TextRecorder page(widget->size());
    widget->render(&page);
    return page.texts;
}

void doubleClick(QWidget* widget, const QPoint& at)
{
    const QPoint point = at.isNull() ? widget->rect().center() : at;
    QTest::mouseClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
}

bool dropFiles(QWidget* target, const QPoint& at, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    const QDir src(from);
    for (const QFileInfo& fi : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(fi.fileName());
        if (fi.isDir())
            copyTree(fi.filePath(), target);
        else
            QFile::copy(fi.filePath(), target);
    }
}

QString assetsFolder()
{
    const QString env = qEnvironmentVariable("LUMIVEX_ASSETS");
    return env.isEmpty() ? QStringLiteral(LUMIVEX_SOURCE_DIR "/assets") : env;
}

ProgramFolder::ProgramFolder(bool withAssets) : m_oldCurrent(QDir::currentPath())
{
    if (withAssets)
        copyTree(assetsFolder(), m_dir.path());
    // The folder holds the program's executable, so a window started here
    // takes it for the program folder.
    writeFile(file(QStringLiteral("Tessamor")), QByteArray());
    QDir::setCurrent(m_dir.path());
}

ProgramFolder::~ProgramFolder() { QDir::setCurrent(m_oldCurrent); }

namespace {
qint64 statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}
} // namespace

void PeakMemory::start()
{
    // Writing 5 to clear_refs lowers the high-water mark to the present size.
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = f.open(QIODevice::WriteOnly) && f.write("5") == 1;
    f.close();
    m_startKb = reset ? statusKb("VmRSS:") : -1;
}

qint64 PeakMemory::grownKb() const
{
    if (m_startKb < 0)
        return -1;
    return std::max<qint64>(0, statusKb("VmHWM:") - m_startKb);
}

FullDisk::FullDisk(const QString& folder) : m_folder(QDir(folder).absolutePath())
{
    QDir().mkpath(m_folder);
    const QByteArray where = QFile::encodeName(m_folder);
    m_mounted = ::geteuid() == 0 && ::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
    // A process whose current folder is the covered one sees the mount from now on.
    if (m_mounted && QDir::currentPath() == m_folder)
        QDir::setCurrent(m_folder);
}

FullDisk::~FullDisk()
{
    release();
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

void FullDisk::fill()
{
    if (m_full)
        return;
    m_full = true;
    if (m_mounted) {
        const int fd = ::open(QFile::encodeName(m_folder + QStringLiteral("/.filler")).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const QByteArray block(4096, '\0');
        while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
        return;
    }
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_oldLimit = limit.rlim_cur;
    limit.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

void FullDisk::release()
{
    if (!m_full)
        return;
    m_full = false;
    if (m_mounted) {
        QFile::remove(m_folder + QStringLiteral("/.filler"));
        return;
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_oldLimit);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

namespace {

// Drops the X server's focus events before Qt's xcb platform reads them.
class XFocusFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto kind = static_cast<const xcb_generic_event_t*>(message)->response_type & 0x7f;
        return kind == XCB_FOCUS_IN || kind == XCB_FOCUS_OUT;
    }
};

} // namespace

InProcessFocus::InProcessFocus() : m_filter(std::make_unique<XFocusFilter>())
{
    QCoreApplication::instance()->installNativeEventFilter(m_filter.get());
}

InProcessFocus::~InProcessFocus() { QCoreApplication::instance()->removeNativeEventFilter(m_filter.get()); }

bool InProcessFocus::activate(QWidget* widget)
{
    // This is where the platform's report of a newly focused window ends in
    // Qt's widgets.
    QWidget* window = widget->window();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
    return window->isActiveWindow() && QApplication::activeWindow() == window;
}

} // namespace testsupport
