#include "platform/pictures/ThumbnailGenerator.h"

#include "platform/pictures/PictureCodec.h"
#include "platform/shell/FileMask.h"
#include "platform/pictures/ImagingCodes.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QMutex>
#include <QPainter>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QVector>
#include <algorithm>
#include <stop_token>
#include <vector>

namespace platform {

namespace {

struct Decoded {
    bool done = false;
    int error = 0;
    QImage image;
};

// What the workers of one walk share with it. A stopped walk returns without
// waiting for the pictures still being decoded: it clears the waker under the
// mutex, and the workers that finish later wake no one.
struct Walk {
    QMutex mutex;
    std::vector<Decoded> results;
    std::stop_source cancelled;
    QObject* waker = nullptr;

    void wake()
    {
        QMutexLocker lock(&mutex);
        if (waker)
            QMetaObject::invokeMethod(waker, "quit", Qt::QueuedConnection);
    }
};

class DecodeTask : public QRunnable {
public:
    DecodeTask(std::shared_ptr<Walk> walk, size_t index, QString path, int w, int h, int bits, QColor back)
        : m_walk(std::move(walk)), m_index(index), m_path(std::move(path)), m_w(w), m_h(h), m_bits(bits),
          m_back(back)
    {
    }
    void run() override
    {
        QImage img;
        const std::stop_token stop = m_walk->cancelled.get_token();
        const int error = stop.stop_requested()
                              ? int(err::Failure)
                              : ThumbnailGenerator::makeThumbnail(m_path, m_w, m_h, m_bits, m_back, &img, stop);
        {
            QMutexLocker lock(&m_walk->mutex);
            m_walk->results[m_index].done = true;
            m_walk->results[m_index].error = error;
            m_walk->results[m_index].image = std::move(img);
        }
        m_walk->wake();
    }

private:
    std::shared_ptr<Walk> m_walk;
    size_t m_index;
    QString m_path;
    int m_w, m_h, m_bits;
    QColor m_back;
};

// The thumbnail in the given bits per pixel: 32 ARGB, 24 RGB, 16 RGB565, 8 to
// 2 a palette of 2^bits colours, 1 black and white.
QImage convertToBits(const QImage& image, int bits)
{
    if (image.isNull())
        return image;
    switch (bits) {
    case 32: return image.convertToFormat(QImage::Format_ARGB32);
    case 24: return image.convertToFormat(QImage::Format_RGB888);
    case 16: return image.convertToFormat(QImage::Format_RGB16);
    case 8: return image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    case 1: return image.convertToFormat(QImage::Format_Mono, Qt::DiffuseDither);
    default: break;
    }
    if (bits < 2 || bits > 7)
        return image;
    // A fixed palette of 2^bits colours: the bits shared out among red, green
    // and blue (green first), four greys for 2 bits.
    QVector<QRgb> table;
    const auto level = [](int i, int n) { return n < 2 ? 128 : i * 255 / (n - 1); };
    if (bits == 2) {
        for (int i = 0; i < 4; ++i)
            table << qRgb(level(i, 4), level(i, 4), level(i, 4));
    } else {
        const int g = bits / 3 + (bits % 3 >= 1 ? 1 : 0);
        const int r = bits / 3 + (bits % 3 >= 2 ? 1 : 0);
        const int b = bits / 3;
        const int nr = 1 << r, ng = 1 << g, nb = 1 << b;
        for (int ir = 0; ir < nr; ++ir)
            for (int ig = 0; ig < ng; ++ig)
                for (int ib = 0; ib < nb; ++ib)
                    table << qRgb(level(ir, nr), level(ig, ng), level(ib, nb));
    }
    return image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, table,
                                                                       Qt::DiffuseDither);
}

// The picture as it shows on `back`: transparent pixels take its colour,
// partly transparent ones are blended with it.
QImage onBackground(const QImage& image, const QColor& back)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(back.rgb());
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

// The folder's file names in name order, letter case ignored, as the file
// list shows them.
QStringList fileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
}

QStringList matchingPaths(const QString& folder, const QStringList& names, const QString& mask)
{
    const QDir dir(folder);
    const platform::FileMask masks(mask);
    QStringList paths;
    for (const QString& n : names)
        if (masks.matches(n))
            paths << dir.filePath(n);
    return paths;
}

} // namespace

ThumbnailGenerator::ThumbnailGenerator(QObject* parent) : QObject(parent), m_pool(new QThreadPool(this))
{
    m_pool->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

// The decodes still going on belong to walks that have ended, and were
// abandoned with them: they end at their next step.
ThumbnailGenerator::~ThumbnailGenerator() { m_pool->waitForDone(); }

int ThumbnailGenerator::makeThumbnail(const QString& path, int width, int height, int bits, const QColor& back,
                                      QImage* out, std::stop_token stop)
{
    ReadControl control;
    control.stop = std::move(stop);
    QImage img;
    if (const int r = readScaledPicture(path, QSize(std::max(1, width), std::max(1, height)), &img, control))
        return r;
    *out = convertToBits(onBackground(img, back), bits);
    return out->isNull() ? int(err::NoMemory) : 0;
}

void ThumbnailGenerator::stopBrowse()
{
    if (!m_browsing)
        return;
    m_stopAsked = true;
    if (m_waker)
        m_waker->quit();
}

QStringList ThumbnailGenerator::listFiles(const QString& folder, QEventLoop& waker)
{
    if (folder == m_listedFolder)
        return matchingPaths(folder, m_listedNames, m_mask);
    // A folder of thousands of files takes a while to read: it is read on a
    // worker while the message loop runs.
    struct Listing {
        QMutex mutex;
        bool done = false;
        QStringList names;
        QObject* waker = nullptr;
    };
    auto listing = std::make_shared<Listing>();
    listing->waker = &waker;
    m_pool->start([listing, folder] {
        QStringList names = fileNames(folder);
        QMutexLocker lock(&listing->mutex);
        listing->names = std::move(names);
        listing->done = true;
        if (listing->waker)
            QMetaObject::invokeMethod(listing->waker, "quit", Qt::QueuedConnection);
    });
    for (;;) {
        {
            QMutexLocker lock(&listing->mutex);
            if (listing->done)
                break;
            if (m_stopAsked) {
                // The walk was stopped while the folder was read: the names come to no one.
                listing->waker = nullptr;
                return {};
            }
        }
        waker.exec();
    }
    QCoreApplication::removePostedEvents(&waker);
    m_listedFolder = folder;
    m_listedNames = std::move(listing->names);
    return matchingPaths(folder, m_listedNames, m_mask);
}

int ThumbnailGenerator::Browse(const QString& folder)
{
    if (m_browsing)
        return kBusy;
    m_browsing = true;
    m_stopAsked = false;
    QEventLoop waker;
    m_waker = &waker;
    const QStringList files = listFiles(folder, waker);
    if (m_stopAsked || files.isEmpty()) {
        m_waker = nullptr;
        m_browsing = false;
        return m_stopAsked ? kAborted : kNoFiles;
    }

    auto walk = std::make_shared<Walk>();
    walk->results.resize(size_t(files.size()));
    walk->waker = &waker;

    // Keep a few pictures ahead of the one being reported: enough to keep
    // every worker busy, few enough that a stop is quick and memory small.
    const size_t ahead = size_t(m_pool->maxThreadCount()) * 2;
    size_t queued = 0;
    const auto feed = [&](size_t upTo) {
        while (queued < size_t(files.size()) && queued <= upTo) {
            m_pool->start(new DecodeTask(walk, queued, files.at(int(queued)), m_width, m_height, m_bits, m_back));
            ++queued;
        }
    };

    int result = 0;
    for (size_t i = 0; i < size_t(files.size()) && !m_stopAsked; ++i) {
        feed(i + ahead);
        QImage image;
        int error = 0;
        for (;;) {
            {
                QMutexLocker lock(&walk->mutex);
                if (walk->results[i].done) {
                    error = walk->results[i].error;
                    image = std::move(walk->results[i].image);
                    walk->results[i].image = QImage();
                    break;
                }
            }
            if (m_stopAsked)
                break;
            // Clicks and repaints are handled while the workers decode.
            waker.exec();
        }
        if (m_stopAsked)
            break;
        m_continue = true;
        emit ThumbReady(image, files.at(int(i)), error, 0);
        if (!m_continue) {
            result = kAborted;
            break;
        }
    }
    if (m_stopAsked)
        result = kAborted;
    // Pictures not started are dropped, and those being decoded are
    // abandoned, so a stopped walk gives the window back at once.
    walk->cancelled.request_stop();
    {
        QMutexLocker lock(&walk->mutex);
        walk->waker = nullptr;
    }
    // Wake-ups posted by the last workers go to the loop that is about to die.
    QCoreApplication::removePostedEvents(&waker);
    m_waker = nullptr;
    m_browsing = false;
    return result;
}

} // namespace platform
