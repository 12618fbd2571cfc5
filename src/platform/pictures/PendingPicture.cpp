#include "platform/pictures/PendingPicture.h"

#include "platform/pictures/ImagingCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRect>

#include <condition_variable>
#include <mutex>
#include <stop_token>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

// The decode, shared by the picture and the worker at it.
struct PendingPicture::Decode {
    ~Decode()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Reads the file held open, its state set to Running by the caller.
    PartResult run();

    int fd = -1;
    QString ext;
    int page = 1, pages = 1;
    std::stop_source stop;
    std::mutex lock;
    std::condition_variable doneSignal;
    enum class State { Idle, Queued, Running, Done } state = State::Idle;
    int error = 0;
    PictureData picture;
};

PartResult PendingPicture::Decode::run()
{
    ReadControl control;
    control.stop = stop.get_token();
    PictureData d;
    int r = err::Failure; // not wanted any more: not read at all
    if (!stop.stop_requested()) {
        // Another name of the file held open: the file that was opened,
        // whatever has taken its name since.
        QByteArray bytes;
        r = readWholeFile(QStringLiteral("/proc/self/fd/%1").arg(fd), &bytes);
        if (r == 0)
            r = readPictureBytes(bytes, ext, page, pages, &d, control);
    }
    PartResult result{r, r == 0 && !d.frames.isEmpty() ? d.frames.first() : QImage()};
    {
        const std::lock_guard guard(lock);
        error = r;
        if (r == 0)
            picture = std::move(d);
        state = State::Done;
    }
    doneSignal.notify_all();
    return result;
}

namespace {

// Why the file could not be opened (number: the system's error number).
int openError(int number)
{
    if (number == ENOENT || number == ENOTDIR)
        return err::FileNotFound;
    return number == EACCES ? err::FileOpen : err::FileRead;
}

} // namespace

std::shared_ptr<PendingPicture> PendingPicture::open(const QString& path, int page, int pages, int* error)
{
    auto decode = std::make_shared<Decode>();
    decode->ext = QFileInfo(path).suffix().toUpper();
    decode->page = page;
    decode->pages = pages;
    decode->fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (decode->fd < 0 || ::fstat(decode->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = decode->fd < 0 ? openError(errno) : err::FileNotFound;
        return nullptr;
    }
    PictureInfo info;
    const int r = readPictureHeaderFile(decode->fd, decode->ext, page, &info);
    // A page ImageMagick would refuse before its work is refused now.
    const int refused = r != 0 ? r : magickPageRefusal(QSize(info.width, info.height));
    if (refused != 0) {
        *error = refused;
        return nullptr;
    }
    auto picture = std::make_shared<PendingPicture>();
    picture->m_info = info;
    picture->m_decode = std::move(decode);
    return picture;
}

PendingPicture::~PendingPicture() { m_decode->stop.request_stop(); }

void PendingPicture::later(PartScheduler& scheduler, QObject* context, std::function<void()> done)
{
    m_waiting.emplace_back(context, std::move(done));
    if (m_asked)
        return;
    m_asked = true;
    {
        const std::lock_guard guard(m_decode->lock);
        if (m_decode->state == Decode::State::Idle)
            m_decode->state = Decode::State::Queued;
    }
    const QRect all(QPoint(), size());
    scheduler.later(
        {all, all.size()},
        [decode = m_decode] {
            {
                const std::lock_guard guard(decode->lock);
                if (decode->state != Decode::State::Queued)
                    return PartResult{}; // taken over by a caller that wanted it at once
                decode->state = Decode::State::Running;
            }
            return decode->run();
        },
        &m_context, [this](const PartResult&) { arrived(); });
}

int PendingPicture::now(PartScheduler& scheduler)
{
    Decode& d = *m_decode;
    std::unique_lock lock(d.lock);
    if (d.state == Decode::State::Idle || d.state == Decode::State::Queued) {
        // Wanted now: decoded here; a worker still to start finds it done.
        d.state = Decode::State::Running;
        lock.unlock();
        const QRect all(QPoint(), size());
        scheduler.now({all, all.size()}, [&d] { return d.run(); });
        lock.lock();
    }
    d.doneSignal.wait(lock, [&d] { return d.state == Decode::State::Done; });
    lock.unlock();
    // The others that show it take it as soon as they may.
    QMetaObject::invokeMethod(&m_context, [this] { arrived(); }, Qt::QueuedConnection);
    return d.error;
}

bool PendingPicture::decoded() const
{
    const std::lock_guard guard(m_decode->lock);
    return m_decode->state == Decode::State::Done;
}

int PendingPicture::error() const
{
    const std::lock_guard guard(m_decode->lock);
    return m_decode->error;
}

const PictureData& PendingPicture::picture() const { return m_decode->picture; }

void PendingPicture::arrived()
{
    if (!decoded())
        return;
    const std::shared_ptr<PendingPicture> self = shared_from_this(); // the callers may let it go
    const auto waiting = std::move(m_waiting);
    m_waiting.clear();
    for (const auto& [context, done] : waiting)
        if (context)
            done();
}

} // namespace platform
