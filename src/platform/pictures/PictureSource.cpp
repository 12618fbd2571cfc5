#include "platform/pictures/PictureSource.h"

#include "platform/pictures/ImagingCodes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

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

// Parts on the decoders, their results posted to the UI thread; the whole
// picture where it is wanted.
class DecodingThreads final : public PartScheduler {
public:
    void later(const PartRequest&, Decode decode, QObject* context, Done done) override
    {
        QPointer<QObject> guard(context);
        decoders().start([decode = std::move(decode), guard, done = std::move(done)] {
            PartResult r = decode();
            post(guard, [done, r = std::move(r)] { done(r); });
        });
    }
    PartResult now(const PartRequest&, const Decode& decode) override { return decode(); }
};

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

PartScheduler& decodingThreads()
{
    static DecodingThreads threads;
    return threads;
}

std::shared_ptr<PictureSource> PictureSource::open(const QString& path, int page, int pages)
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
    if (!openPartialPicture(path, &p, page) || qint64(p.info.width) * p.info.height < kPartialPixels ||
        (pages != 1 && p.info.page < p.info.pageCount))
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
    if (changed())
        return err::FileRead;
    QImage img;
    const int r = readPicturePart(m_picture, source, size, &img);
    // Written over while it was read: not this picture's pixels.
    if (changed())
        return err::FileRead;
    // A damaged part may still hold the rows before the damage.
    if (!img.isNull())
        *out = std::move(img);
    return r;
}

void PictureSource::partLater(PartScheduler& scheduler, const QRect& source, const QSize& size, QObject* context,
                              std::function<void(int, const QImage&)> done) const
{
    auto self = shared_from_this();
    scheduler.later(
        {source, size},
        [self, source, size] {
            PartResult r;
            r.error = self->part(source, size, &r.image);
            return r;
        },
        context, [done = std::move(done)](const PartResult& r) { done(r.error, r.image); });
}

int PictureSource::whole(PartScheduler& scheduler, QImage* out)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_state == State::Idle || m_state == State::Queued) {
        // Wanted now: decoded here; a worker still queued finds it done.
        m_state = State::Running;
        lock.unlock();
        const QRect all(QPoint(), size());
        finish(scheduler.now({all, all.size()}, [this] { return decodeWhole(); }));
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
        self->finish(self->decodeWhole());
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

PartResult PictureSource::decodeWhole() const
{
    if (!m_fits)
        return {err::NoMemory, {}};
    // A TIFF's page is read from the file held open as a part: all of it at
    // its own size, without a second copy of the file in memory.
    if (m_picture.kind == PartialPicture::Kind::Tiff) {
        PartResult r;
        r.error = part(QRect(QPoint(), size()), size(), &r.image);
        if (r.error != 0)
            r.image = QImage();
        return r;
    }
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
    return {r, r == 0 && !d.frames.isEmpty() ? d.frames.first() : QImage()};
}

void PictureSource::finish(PartResult result)
{
    std::vector<std::function<void()>> waiting;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_error = result.error;
        m_whole = std::move(result.image);
        m_state = State::Done;
        waiting.swap(m_waiting);
    }
    m_doneSignal.notify_all();
    for (auto& w : waiting)
        w();
}

} // namespace platform
