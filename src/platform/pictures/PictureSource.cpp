#include "platform/pictures/PictureSource.h"

#include "platform/pictures/ImagingCodes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Decoding for the shown pictures runs here, apart from the thumbnails.
QThreadPool& decoders()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        return p;
    }();
    return *pool;
}

// Runs f on the UI thread, unless the object it is for is gone by then.
void post(const QPointer<QObject>& guard, std::function<void()> f)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guard, f = std::move(f)] {
            if (guard)
                f();
        },
        Qt::QueuedConnection);
}

std::atomic<int> g_wholePictures{0};
std::atomic<qint64> g_largestPart{0};
std::atomic<int> g_uiThreadParts{0};
std::mutex g_hookLock;
PartHook g_partHook;

PartHook partHook()
{
    const std::lock_guard<std::mutex> guard(g_hookLock);
    return g_partHook;
}

} // namespace

DecodeCounts decodeCounts() { return {g_wholePictures.load(), g_largestPart.load(), g_uiThreadParts.load()}; }

void setPartHook(PartHook hook)
{
    const std::lock_guard<std::mutex> guard(g_hookLock);
    g_partHook = std::move(hook);
}

void resetDecodeCounts()
{
    g_wholePictures = 0;
    g_largestPart = 0;
    g_uiThreadParts = 0;
}

namespace {

bool fileStamp(int fd, qint64* size, qint64* time)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    *size = st.st_size;
    *time = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

} // namespace

std::shared_ptr<PictureSource> PictureSource::open(const QString& path)
{
    auto source = std::make_shared<PictureSource>();
    source->m_path = path;
    source->m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (source->m_fd < 0 || !fileStamp(source->m_fd, &source->m_fileSize, &source->m_fileTime))
        return nullptr;
    // Read through the descriptor held: another name for the same open file
    // that keeps its own position, so that workers read it side by side.
    const QString held = QStringLiteral("/proc/self/fd/%1").arg(source->m_fd);
    PartialPicture p;
    if (!openPartialPicture(path, &p) || qint64(p.info.width) * p.info.height < kPartialPixels)
        return nullptr;
    // Nothing past the header is read here: damage is found where a
    // worker's decode meets it.
    p.path = held;
    source->m_picture = std::move(p);
    source->m_fits = platform::fitsInMemory(source->size());
    if (source->changed())
        return nullptr;
    return source;
}

PictureSource::~PictureSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PictureSource::changed() const
{
    qint64 size = 0, time = 0;
    return !fileStamp(m_fd, &size, &time) || size != m_fileSize || time != m_fileTime;
}

int PictureSource::part(const QRect& source, const QSize& size, QImage* out) const
{
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        ++g_uiThreadParts;
    if (changed())
        return err::FileRead;
    QImage img;
    const int r = readPicturePart(m_picture, source, size, &img);
    // Written over while it was read: not this picture's pixels.
    if (changed())
        return err::FileRead;
    // A damaged part may still hold the rows before the damage.
    if (!img.isNull()) {
        *out = std::move(img);
        const qint64 pixels = qint64(out->width()) * out->height();
        for (qint64 was = g_largestPart; pixels > was && !g_largestPart.compare_exchange_weak(was, pixels);) {
        }
    }
    return r;
}

void PictureSource::partLater(const QRect& source, const QSize& size, QObject* context,
                              std::function<void(int, const QImage&)> done) const
{
    auto self = shared_from_this();
    QPointer<QObject> guard(context);
    if (const PartHook hook = partHook())
        hook(source, size);
    decoders().start([self, source, size, guard, done = std::move(done)] {
        QImage img;
        const int r = self->part(source, size, &img);
        post(guard, [done, r, img] { done(r, img); });
    });
}

int PictureSource::whole(QImage* out)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_state == State::Idle || m_state == State::Queued) {
        // Wanted now: decoded here; a worker still queued finds it done.
        m_state = State::Running;
        lock.unlock();
        decodeWhole();
        lock.lock();
    }
    m_doneSignal.wait(lock, [this] { return m_state == State::Done; });
    if (m_error == 0)
        *out = m_whole;
    return m_error;
}

void PictureSource::wholeLater(QObject* context, std::function<void()> done)
{
    std::unique_lock<std::mutex> lock(m_lock);
    const QPointer<QObject> guard(context);
    if (m_state == State::Done) {
        lock.unlock();
        post(guard, std::move(done));
        return;
    }
    m_waiting.push_back([guard, done = std::move(done)] { post(guard, done); });
    if (m_state != State::Idle)
        return;
    m_state = State::Queued;
    auto self = shared_from_this();
    decoders().start([self] {
        {
            const std::lock_guard<std::mutex> guard(self->m_lock);
            if (self->m_state != State::Queued)
                return; // taken over by a caller that wanted it at once
            self->m_state = State::Running;
        }
        self->decodeWhole();
    });
}

bool PictureSource::wholeReady() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_state == State::Done && m_error == 0;
}

bool PictureSource::wholeFailed() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_state == State::Done && m_error != 0;
}

void PictureSource::decodeWhole()
{
    if (!m_fits) {
        finish(err::NoMemory, {});
        return;
    }
    ++g_wholePictures;
    // The bytes of the file held open, read as the name's extension tells.
    QFile file(m_picture.path);
    QByteArray bytes;
    if (!changed() && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    PictureData d;
    int r = bytes.size() == m_fileSize ? readPictureBytes(bytes, QFileInfo(m_path).suffix().toUpper(), 1, 1, &d)
                                       : err::FileRead;
    if (r == 0 && changed())
        r = err::FileRead;
    finish(r, r == 0 && !d.frames.isEmpty() ? d.frames.first() : QImage());
}

void PictureSource::finish(int error, QImage image)
{
    std::vector<std::function<void()>> waiting;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_error = error;
        m_whole = std::move(image);
        m_state = State::Done;
        waiting.swap(m_waiting);
    }
    m_doneSignal.notify_all();
    for (auto& w : waiting)
        w();
}

} // namespace platform
