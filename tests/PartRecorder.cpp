#include "PartRecorder.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>

namespace platform {

PartRecorder::~PartRecorder()
{
    std::unique_lock lock(m_mutex);
    m_held.clear();
    m_idle.wait(lock, [this] { return m_atWork == 0; });
}

void PartRecorder::later(const PartRequest& request, Decode decode, QObject* context, Done done)
{
    if (onAsked)
        onAsked(request);
    std::unique_lock lock(m_mutex);
    m_asked.append(request);
    if (m_holding) {
        m_held.append([this, decode = std::move(decode), context = QPointer<QObject>(context), done] {
            start(decode, context, done);
        });
        return;
    }
    lock.unlock();
    start(std::move(decode), context, std::move(done));
}

void PartRecorder::start(Decode decode, QObject* context, Done done)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_atWork;
    }
    // Decoded where the program's own threads decode it: the record says
    // where that was, and what it gave.
    decodingThreads().later(
        {},
        [this, decode = std::move(decode)] {
            PartResult r = decode();
            const bool windowsThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            const std::lock_guard lock(m_mutex);
            m_partsOnTheWindowsThread += windowsThread;
            m_largestPart = std::max(m_largestPart, qint64(r.image.width()) * r.image.height());
            --m_atWork;
            m_idle.notify_all();
            return r;
        },
        context, std::move(done));
}

PartResult PartRecorder::now(const PartRequest& request, const Decode& decode)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_wholePictures;
    }
    return decodingThreads().now(request, decode);
}

QList<PartRequest> PartRecorder::asked() const
{
    const std::lock_guard lock(m_mutex);
    return m_asked;
}

int PartRecorder::wholePictures() const
{
    const std::lock_guard lock(m_mutex);
    return m_wholePictures;
}

qint64 PartRecorder::largestPart() const
{
    const std::lock_guard lock(m_mutex);
    return m_largestPart;
}

int PartRecorder::partsOnTheWindowsThread() const
{
    const std::lock_guard lock(m_mutex);
    return m_partsOnTheWindowsThread;
}

void PartRecorder::forget()
{
    const std::lock_guard lock(m_mutex);
    m_asked.clear();
    m_wholePictures = 0;
    m_largestPart = 0;
    m_partsOnTheWindowsThread = 0;
}

void PartRecorder::hold()
{
    const std::lock_guard lock(m_mutex);
    m_holding = true;
}

void PartRecorder::release()
{
    QList<std::function<void()>> held;
    {
        const std::lock_guard lock(m_mutex);
        m_holding = false;
        held.swap(m_held);
    }
    for (const auto& go : held)
        go();
}

int PartRecorder::partsHeld() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_held.size());
}

} // namespace platform
