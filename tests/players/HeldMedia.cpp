#include "HeldMedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gst/gst.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString HeldMedia::load()
{
    static const QString error = [] {
        gst_init(nullptr, nullptr);
        GError* e = nullptr;
        GstPlugin* plugin = gst_plugin_load_file(LUMIVEX_HELD_MEDIA_PLUGIN, &e);
        if (!plugin) {
            const QString why = QString::fromUtf8(e ? e->message : "unknown");
            g_clear_error(&e);
            return QStringLiteral("the tests' GStreamer plug-in cannot be loaded: ") + why;
        }
        return QString(); // kept loaded
    }();
    return error;
}

HeldMedia::HeldMedia(const QString& folder) : m_folder(QDir(folder).filePath(QStringLiteral("held")))
{
    QDir().mkpath(m_folder);
    for (const char* pipe : {"news", "gate"})
        ::mkfifo(QFile::encodeName(QDir(m_folder).filePath(QLatin1String(pipe))).constData(), 0600);
    // Read and write: the pipe never reads as ended while the plug-in's
    // writers come and go.
    m_newsFd = ::open(QFile::encodeName(QDir(m_folder).filePath(QStringLiteral("news"))).constData(),
                      O_RDWR | O_NONBLOCK | O_CLOEXEC);
    m_notifier = std::make_unique<QSocketNotifier>(m_newsFd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readNews(); });
}

HeldMedia::~HeldMedia()
{
    openGate(); // nothing stays held by a test that has ended
    m_notifier.reset();
    if (m_newsFd >= 0)
        ::close(m_newsFd);
}

void HeldMedia::makeFile(const QString& path) const
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("LUMIVEX-HELD-MEDIA\n" + QFile::encodeName(m_folder) + "\n");
}

void HeldMedia::waitFor(const QString& news, int n)
{
    while (count(news) < n)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void HeldMedia::openGate()
{
    // A writer of the pipe: the teardowns waiting to open it for reading go on.
    if (m_gateFd < 0)
        m_gateFd = ::open(QFile::encodeName(QDir(m_folder).filePath(QStringLiteral("gate"))).constData(),
                          O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

void HeldMedia::shutGate()
{
    if (m_gateFd >= 0)
        ::close(m_gateFd);
    m_gateFd = -1;
}

void HeldMedia::readNews()
{
    char buffer[512];
    ssize_t n;
    while ((n = ::read(m_newsFd, buffer, sizeof buffer)) > 0)
        m_partial.append(buffer, int(n));
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        ++m_news[QString::fromUtf8(m_partial.left(end))];
        m_partial.remove(0, end + 1);
    }
}
