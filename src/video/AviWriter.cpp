#include "video/AviWriter.h"

#include "platform/media/FrameEncoder.h"
#include "platform/pictures/PictureCodec.h" // withinImagingLimits
#include "shared/FileTypes.h"

#include <QThread>

#include <algorithm>
#include <deque>
#include <future>

namespace video {
namespace {

using platform::StillPicture;

// Decodes the pictures a few ahead of the encoder, on other threads, each
// fitted within the frame.
class PictureQueue {
public:
    PictureQueue(const QStringList& paths, const QSize& frame)
        : m_paths(paths), m_frame(frame), m_ahead(std::clamp(QThread::idealThreadCount() / 2, 1, 3))
    {
    }

    bool atEnd() const { return m_taken >= m_paths.size(); }
    const QString& nextPath() const { return m_paths.at(m_taken); }

    StillPicture take()
    {
        fill();
        StillPicture img = m_pending.front().get();
        m_pending.pop_front();
        ++m_taken;
        fill();
        return img;
    }

private:
    void fill()
    {
        while (int(m_pending.size()) < m_ahead && m_started < m_paths.size())
            m_pending.push_back(std::async(std::launch::async, &StillPicture::read, m_paths.at(m_started++), m_frame));
    }

    QStringList m_paths;
    QSize m_frame;
    int m_ahead;
    qsizetype m_started = 0, m_taken = 0;
    std::deque<std::future<StillPicture>> m_pending;
};

} // namespace

bool IsVideoFramePicture(const QString& path)
{
    // By the extension alone: ".jpeg", ".tiff" or ".png" pictures are not taken.
    static const QStringList accepted = {"TIF", "JPG", "BMP", "WMF", "EMF", "ICO", "CUR", "GIF"};
    return accepted.contains(GetFileExt(path));
}

VideoResult writeVideoFile(const VideoJob& job, const std::atomic<bool>* cancel)
{
    VideoResult result;
    // The frame size is the first entry's, whatever its type.
    const QSize frame = job.entries.isEmpty() ? QSize() : StillPicture::sizeOf(job.entries.first());
    if (frame.isEmpty() || !platform::withinImagingLimits(frame.width(), frame.height())) {
        result.outcome = VideoResult::NoFrameSize;
        result.error = QStringLiteral("The first entry of the list is not a picture that can be read");
        return result;
    }
    QStringList pictures;
    for (const QString& entry : job.entries)
        if (IsVideoFramePicture(entry))
            pictures << entry;
    if (pictures.isEmpty()) {
        result.error = QStringLiteral("The list holds no picture that a video can be made of "
                                      "(TIF, JPG, BMP, WMF, EMF, ICO, CUR or GIF)");
        return result;
    }

    platform::FrameEncoder encoder;
    platform::FrameFormat format;
    format.width = frame.width();
    format.height = frame.height();
    format.rateNum = kVideoFramesPerSecond;
    format.quantiser = job.quantiser;
    if (!encoder.open(job.target, format)) {
        result.error = encoder.error();
        return result;
    }
    result.width = encoder.frameWidth();
    result.height = encoder.frameHeight();
    PictureQueue queue(pictures, frame);
    while (!queue.atEnd()) {
        if (cancel && cancel->load()) {
            result.outcome = VideoResult::Stopped;
            result.error = QStringLiteral("The writing was stopped");
            return result;
        }
        const QString path = queue.nextPath();
        const StillPicture picture = queue.take();
        if (picture.isNull()) {
            result.unreadable << path; // only its own frames are missing
            continue;
        }
        if (!encoder.addPicture(picture, job.frameRepeat)) {
            result.error = encoder.error();
            return result;
        }
    }
    result.frames = encoder.framesWritten();
    if (result.frames == 0) {
        result.error = QStringLiteral("The list holds no picture that can be read");
        return result;
    }
    if (!encoder.finish()) {
        result.error = encoder.error();
        return result;
    }
    result.outcome = VideoResult::Written;
    return result;
}

} // namespace video
