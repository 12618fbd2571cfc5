#pragma once
// A picture ImageMagick reads whole, opened from its header and decoded on
// a worker: its facts (the true size among them) are there at once, its
// pages once the decode has them. The file stays open from its header to
// its decode, so that the pages are the file's that was opened. The
// controls that show it share it; the decode is no longer wanted, and
// stops wherever it is, once none holds it.
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureSource.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

class PendingPicture : public std::enable_shared_from_this<PendingPicture> {
public:
    // The page of the file (page, pages: as readPicture takes them) as its
    // header tells it; nullptr and *error when the header cannot be read.
    static std::shared_ptr<PendingPicture> open(const QString& path, int page, int pages, int* error);
    PendingPicture() = default;
    ~PendingPicture();
    PendingPicture(const PendingPicture&) = delete;
    PendingPicture& operator=(const PendingPicture&) = delete;

    // As the header tells it: sizes, bits, format, pages.
    const PictureInfo& info() const { return m_info; }
    QSize size() const { return {m_info.width, m_info.height}; }

    // Asked on the window's thread: the decode runs through the scheduler
    // (asked of it once, by the first caller); done runs on the window's
    // thread once it is there, for every caller whose context is still there.
    void later(PartScheduler& scheduler, QObject* context, std::function<void()> done);
    // The decode now, through the scheduler's now on the calling thread,
    // unless a worker is at it already (then it waits for that one);
    // 0 or the imaging error code it ended with.
    int now(PartScheduler& scheduler);

    // Once decoded: 0 or the error it ended with, and what it read.
    bool decoded() const;
    int error() const;
    const PictureData& picture() const;

private:
    struct Decode;
    void arrived();

    PictureInfo m_info;
    std::shared_ptr<Decode> m_decode; // shared with the worker at it
    bool m_asked = false;
    QObject m_context; // the decode's arrival is told while the picture is held
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_waiting;
};

} // namespace platform
