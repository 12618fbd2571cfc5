#include "platform/PictureSource.h"

#include "platform/ImagingCodes.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <atomic>

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

} // namespace

DecodeCounts decodeCounts() { return {g_wholePictures.load(), g_largestPart.load(), g_uiThreadParts.load()}; }

void resetDecodeCounts()
{
    g_wholePictures = 0;
    g_largestPart = 0;
    g_uiThreadParts = 0;
}

std::shared_ptr<PictureSource> PictureSource::open(const QString& path)
{
    PartialPicture p;
    if (!openPartialPicture(path, &p) || qint64(p.info.width) * p.info.height < kPartialPixels)
        return nullptr;
    auto source = std::make_shared<PictureSource>();
    source->m_picture = std::move(p);
    source->m_fits = platform::fitsInMemory(source->size());
    return source;
}

int PictureSource::part(const QRect& source, const QSize& size, QImage* out) const
{
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        ++g_uiThreadParts;
    const int r = readPicturePart(m_picture, source, size, out);
    if (r == 0) {
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
    PictureData d;
    const int r = readPicture(m_picture.path, 1, 1, &d);
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
