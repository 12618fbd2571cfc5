// The ImageMagick plug-in: every call the program makes of Magick++ and
// MagickCore, behind the table of platform/pictures/MagickCodec.h. It is loaded with
// the first picture that needs ImageMagick, never when the program starts.
// Magick++ always reads and writes through memory blobs with the coder named
// (a name like "x[2].png" or "msl:..." is never handed to it).
#include "platform/pictures/MagickCodec.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureLimits.h"

#include <Magick++.h>

#include <QImage>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <stop_token>
#include <vector>

namespace platform {
namespace {

struct ExceptionGuard {
    MagickCore::ExceptionInfo* e = MagickCore::AcquireExceptionInfo();
    ~ExceptionGuard() { MagickCore::DestroyExceptionInfo(e); }
};
struct InfoGuard {
    MagickCore::ImageInfo* i = MagickCore::AcquireImageInfo();
    ~InfoGuard() { MagickCore::DestroyImageInfo(i); }
};
struct ListGuard {
    MagickCore::Image* list = nullptr;
    ~ListGuard()
    {
        if (list)
            MagickCore::DestroyImageList(list);
    }
};

// One read's watch over ImageMagick's work: every operation on its images
// (the coder's own turns and scalings among them) reports its progress
// here, as do the read's own steps; each is told to the read's control, and
// the work ends with a failure when this answers false: the read is not
// wanted any more, or it is past the last guard on its time.
class Watch {
public:
    explicit Watch(const MagickBounds& bounds) : m_bounds(bounds) {}
    // Hands the watch to what is read with this info (the images read take it on).
    void watch(MagickCore::ImageInfo* info) { MagickCore::SetImageInfoProgressMonitor(info, &Watch::progress, this); }
    void watch(MagickCore::Image* image) { MagickCore::SetImageProgressMonitor(image, &Watch::progress, this); }
    // The read comes to this step (ImageMagick's reports of progress belong
    // to it from now on): told to the control, then the verdict.
    int step(ReadStep step)
    {
        m_step = step;
        tell(step);
        return verdict();
    }
    // 0 while the read may go on, else Failure (checked also after calls
    // whose failure ImageMagick's coders pass over, as the WPG coder does
    // with a turn that failed).
    int verdict() { return check() ? 0 : err::Failure; }
    // What ends the read beside its verdict's own checks: its control's
    // stop, the stop of every read going on, and its last guard on time.
    std::stop_token stop() const { return m_bounds.control ? m_bounds.control->stop : std::stop_token(); }
    std::stop_token abandoned() const { return m_bounds.abandoned; }
    std::chrono::steady_clock::time_point deadline() const { return m_bounds.deadline; }

private:
    static MagickCore::MagickBooleanType progress(const char*, MagickCore::MagickOffsetType, MagickCore::MagickSizeType,
                                                  void* self)
    {
        auto* watch = static_cast<Watch*>(self);
        watch->tell(watch->m_step.load());
        return watch->check() ? MagickCore::MagickTrue : MagickCore::MagickFalse;
    }
    // Called from ImageMagick's threads as well.
    void tell(ReadStep step) const
    {
        if (m_bounds.control && m_bounds.control->progress)
            m_bounds.control->progress(step);
    }
    bool check()
    {
        if (m_ended.load())
            return false;
        if ((m_bounds.control && m_bounds.control->stop.stop_requested()) ||
            m_bounds.abandoned.stop_requested() ||
            std::chrono::steady_clock::now() > m_bounds.deadline)
            m_ended = true;
        return !m_ended.load();
    }
    MagickBounds m_bounds;
    std::atomic<ReadStep> m_step{ReadStep::Measuring};
    std::atomic<bool> m_ended{false};
};

int magickError(const MagickCore::ExceptionInfo* e)
{
    switch (e->severity) {
    case MagickCore::ResourceLimitError:
    case MagickCore::ResourceLimitFatalError:
    case MagickCore::CacheError: // its pixel cache past the memory and disk it may take
    case MagickCore::CacheFatalError: return err::NoMemory;
    case MagickCore::FileOpenError:
    case MagickCore::FileOpenFatalError: return err::FileOpen;
    case MagickCore::MissingDelegateError:
    case MagickCore::MissingDelegateFatalError:
    case MagickCore::PolicyError:
    case MagickCore::PolicyFatalError: return err::FormatNotAvailable;
    case MagickCore::BlobError:
    case MagickCore::BlobFatalError: return err::FileRead;
    default: return err::InvalidFormat;
    }
}

void setCoder(MagickCore::ImageInfo* info, const char* coder)
{
    // The coder is named; the data is never asked what it is.
    MagickCore::CopyMagickString(info->magick, coder, MaxTextExtent);
    info->filename[0] = '\0';
}

// Stored bits per pixel; *paletteSize: the colours of a palette picture, else 0.
int magickBits(MagickCore::Image* img, MagickCore::ExceptionInfo* e, int* paletteSize)
{
    *paletteSize = 0;
    switch (MagickCore::IdentifyImageType(img, e)) {
    case MagickCore::BilevelType: return 1;
    case MagickCore::GrayscaleType: return img->depth <= 1 ? 1 : 8;
    case MagickCore::PaletteType:
        // Few colours in a picture stored without a palette are still direct colour.
        if (img->storage_class != MagickCore::PseudoClass || img->colors == 0)
            return 24;
        *paletteSize = int(img->colors);
        return img->colors <= 2 ? 1 : img->colors <= 16 ? 4 : 8;
    case MagickCore::GrayscaleMatteType:
    case MagickCore::PaletteMatteType:
    case MagickCore::TrueColorMatteType:
    case MagickCore::ColorSeparationMatteType: return 32;
    default: return 24;
    }
}

QImage magickToQImage(MagickCore::Image* img, MagickCore::ExceptionInfo* e)
{
    const int w = int(img->columns), h = int(img->rows);
    if (w <= 0 || h <= 0 || tooLarge(QSize(w, h)))
        return {};
    QImage out(w, h, QImage::Format_ARGB32);
    if (out.isNull())
        return {};
    // 32-bit rows are never padded.
    if (!MagickCore::ExportImagePixels(img, 0, 0, size_t(w), size_t(h), "BGRA", MagickCore::CharPixel, out.bits(), e))
        return {};
    if (!img->matte) {
        // Qt holds such a picture as 0xffRRGGBB and draws its fourth byte as
        // alpha where it is not; ImageMagick's opacity of a picture without
        // alpha is whatever its pixel cache held before.
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] |= 0xff000000u;
        }
        out.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return out;
}

// count images of the data from page on (1 = the first), read with the coder named.
MagickCore::Image* readMagickImages(const QByteArray& bytes, const char* coder, int page, size_t count,
                                    MagickCore::ExceptionInfo* e, Watch& watch)
{
    InfoGuard info;
    setCoder(info.i, coder);
    watch.watch(info.i);
    info.i->scene = size_t(page - 1);
    info.i->number_scenes = count;
    return MagickCore::BlobToImage(info.i, bytes.constData(), size_t(bytes.size()), e);
}

// 0 when a read gave images without an error, else the error.
int magickReadError(const MagickCore::Image* images, const MagickCore::ExceptionInfo* e, Watch& watch)
{
    if (const int r = watch.verdict())
        return r;
    if (e->severity >= MagickCore::ErrorException)
        return magickError(e);
    return images ? 0 : err::InvalidFormat;
}

// The first image of a list that holds pixels: a skipped page leaves an empty one.
MagickCore::Image* firstFilled(MagickCore::Image* p)
{
    while (p && (p->columns == 0 || p->rows == 0))
        p = MagickCore::GetNextImageInList(p);
    return p;
}

void sizeLimits(quint64* width, quint64* height)
{
    *width = Magick::ResourceLimits::width();
    *height = Magick::ResourceLimits::height();
}

// Whether ImageMagick takes a picture of this size as its width and height
// limits stand now (it asserts rather than throws on a picture past them).
bool withinLimits(quint64 width, quint64 height)
{
    quint64 maxWidth = 0, maxHeight = 0;
    sizeLimits(&maxWidth, &maxHeight);
    return width <= maxWidth && height <= maxHeight;
}

// The pages a picture declares, as a ping of its data finds them without
// their pixels.
struct PageSize {
    quint64 width = 0, height = 0;
};
using PageSizes = std::vector<PageSize>;

// The sizes of the data's pages (of the first alone when count is 1, of
// all when it is 0); none when the ping fails.
PageSizes pingSizes(const QByteArray& bytes, const char* coder, size_t count, Watch& watch)
{
    ExceptionGuard ex;
    InfoGuard info;
    setCoder(info.i, coder);
    watch.watch(info.i);
    info.i->number_scenes = count;
    ListGuard pinged;
    pinged.list = MagickCore::PingBlob(info.i, bytes.constData(), size_t(bytes.size()), ex.e);
    PageSizes sizes;
    if (!pinged.list || ex.e->severity >= MagickCore::ErrorException)
        return sizes;
    for (MagickCore::Image* p = pinged.list; p; p = MagickCore::GetNextImageInList(p))
        sizes.push_back({p->columns, p->rows});
    return sizes;
}

// A pixel in ImageMagick's pixel cache: its colour, and the index that
// palette and CMYK pictures add.
constexpr qint64 kCacheBytesPerPixel = sizeof(MagickCore::PixelPacket) + sizeof(MagickCore::IndexPacket);

// The room of ImageMagick's pixel caches on its disk (its own limit, as
// setResourceLimits and its policy leave it): a picture larger than its
// memory lives there whole, so this is the most one read may take.
qint64 cacheRoom()
{
    return qint64(std::min<MagickCore::MagickSizeType>(MagickCore::GetMagickResourceLimit(MagickCore::DiskResource),
                                                       MagickCore::MagickSizeType(1) << 62));
}

// The pixels of the pages together (sides past 2^30 count as 2^30).
qint64 pixelsOf(const PageSizes& sizes)
{
    qint64 pixels = 0;
    for (const PageSize& s : sizes)
        pixels += qint64(std::min<quint64>(s.width, 1u << 30)) * qint64(std::min<quint64>(s.height, 1u << 30));
    return pixels;
}

// 0 when ImageMagick takes these pages, read together; else its refusal,
// told before any work: InvalidSize for a side past its width or height
// limit, NoMemory for more pixels than its pixel cache holds (fewer than
// the frames of one read may take, kMaxFramesBytes).
int sizeRefusal(const PageSizes& sizes)
{
    for (const PageSize& s : sizes)
        if (!withinLimits(s.width, s.height))
            return err::InvalidSize;
    return pixelsOf(sizes) > cacheRoom() / kCacheBytesPerPixel ? err::NoMemory : 0;
}

// The room of ImageMagick's pixel caches, shared by the reads going on at
// once: each read takes the room its pages need before it starts (all of
// it when their sizes are not known) and gives it back when it ends, so
// that a picture within the room is never refused for the reads beside it.
// The reads that find the room taken, or others waiting before them, wait
// for it in the order they came: a large picture is not passed over for
// ever by the small ones after it. A read waits until room is given back or
// it is not wanted any more (its stop, the stop of every read, its last
// guard on time), never looking again on a clock of its own. Declared
// before the images of the read, it outlives them.
class RoomTaken {
public:
    ~RoomTaken()
    {
        if (m_bytes == 0)
            return;
        std::lock_guard lock(s_mutex);
        s_taken -= m_bytes;
        s_changed.notify_all();
    }
    // 0, or the watch's verdict when it ended the read while it waited (a
    // wait the read's control is told of as it begins).
    int take(const PageSizes& sizes, Watch& watch)
    {
        const qint64 room = cacheRoom();
        const qint64 bytes = sizes.empty() ? room : std::min(pixelsOf(sizes) * kCacheBytesPerPixel, room);
        // Declared before the lock: a stop asked already runs its callback at once.
        const auto wake = [] {
            std::lock_guard lock(s_mutex);
            s_changed.notify_all();
        };
        const std::stop_callback stopped(watch.stop(), wake);
        const std::stop_callback abandoned(watch.abandoned(), wake);
        std::unique_lock lock(s_mutex);
        s_queue.push_back(this);
        const auto mayTake = [&] { return s_queue.front() == this && s_taken + bytes <= room; };
        int r = 0;
        if (!mayTake()) {
            lock.unlock();
            r = watch.step(ReadStep::Waiting);
            lock.lock();
            while (r == 0 && !mayTake()) {
                s_changed.wait_until(lock, watch.deadline());
                r = watch.verdict();
            }
        }
        s_queue.erase(std::find(s_queue.begin(), s_queue.end(), this));
        // The read after it looks again: it is first now, or this one left the queue.
        s_changed.notify_all();
        if (r != 0)
            return r;
        s_taken += bytes;
        m_bytes = bytes;
        return 0;
    }

private:
    static inline std::mutex s_mutex;
    static inline std::condition_variable s_changed;
    static inline qint64 s_taken = 0;
    static inline std::deque<const RoomTaken*> s_queue; // the reads waiting, first come first
    qint64 m_bytes = 0;
};

MagickCompression compressionOf(const MagickCore::Image* p)
{
    switch (p->compression) {
    case MagickCore::LZWCompression: return MagickCompression::Lzw;
    case MagickCore::FaxCompression:
    case MagickCore::Group4Compression: return MagickCompression::Fax;
    default: return MagickCompression::Other;
    }
}

// A page's resolution in dots per inch (0 when the file holds none).
void resolutionOf(const MagickCore::Image* p, int* x, int* y)
{
    const double perInch = p->units == MagickCore::PixelsPerCentimeterResolution ? 2.54 : 1.0;
    *x = clampToInt(p->x_resolution * perInch + 0.5, 0, 1000000);
    *y = clampToInt(p->y_resolution * perInch + 0.5, 0, 1000000);
}

// The sizes of the count pages from page on (1 = the first).
PageSizes pagesFrom(const PageSizes& all, int page, int count)
{
    const size_t from = std::min(all.size(), size_t(page - 1));
    const size_t to = std::min(all.size(), from + size_t(count));
    return PageSizes(all.begin() + std::ptrdiff_t(from), all.begin() + std::ptrdiff_t(to));
}

// The pages read, up to wanted of them, as d's frames with the facts of the first.
int takeFrames(MagickCore::Image* images, int wanted, MagickCore::ExceptionInfo* e, PictureData* d,
               MagickCompression* compression)
{
    qint64 held = 0;
    for (MagickCore::Image* p = firstFilled(images); p; p = firstFilled(MagickCore::GetNextImageInList(p))) {
        QImage img = magickToQImage(p, e);
        if (img.isNull())
            break;
        held += img.sizeInBytes();
        if (held > kMaxFramesBytes)
            return err::NoMemory;
        if (d->frames.isEmpty()) {
            d->bits = magickBits(p, e, &d->paletteSize);
            *compression = compressionOf(p);
            resolutionOf(p, &d->xRes, &d->yRes);
        }
        d->frames << img;
        d->delays << clampToInt(double(p->delay) * 1000.0 / double(std::max<ssize_t>(1, p->ticks_per_second)), 0,
                                kMaxDelayMs);
        if (d->frames.size() >= wanted)
            break;
    }
    return d->frames.isEmpty() ? err::InvalidFormat : 0;
}

int read(const QByteArray& bytes, const char* coder, bool firstOnly, int page, int pages, PictureData* out,
         MagickCompression* compression, const MagickBounds& bounds)
{
    if (bytes.isEmpty())
        return err::InvalidFormat;
    Watch watch(bounds);
    if (const int r = watch.step(ReadStep::Measuring))
        return r;
    // The pages the file declares, their sizes checked before any work.
    const PageSizes declared = pingSizes(bytes, coder, firstOnly ? 1 : 0, watch);
    if (const int r = watch.verdict())
        return r;
    const int count = int(std::clamp<size_t>(declared.size(), 1, INT_MAX));
    if (page < 1 || page > count)
        page = 1;
    const int wanted = pages == -1 && !firstOnly ? count - page + 1 : 1;
    const PageSizes sizes = pagesFrom(declared, page, wanted);
    if (const int r = sizeRefusal(sizes))
        return r;
    RoomTaken room;
    if (const int r = room.take(sizes, watch))
        return r;
    if (const int r = watch.step(ReadStep::Decoding))
        return r;
    ExceptionGuard ex;
    ListGuard images;
    images.list = readMagickImages(bytes, coder, page, size_t(wanted), ex.e, watch);
    if (const int r = magickReadError(images.list, ex.e, watch))
        return r;
    PictureData d;
    d.pageCount = count;
    d.firstPage = page;
    if (const int r = takeFrames(images.list, wanted, ex.e, &d, compression))
        return r;
    *out = std::move(d);
    return 0;
}

// The bits a page stores and the colours of its palette (0 for direct
// colour), as its header tells them: what magickBits finds in its pixels
// when they are what their storage allows (gray pixels stored as colour
// are told as stored).
int headerBits(const MagickCore::Image* p, int* paletteSize)
{
    *paletteSize = 0;
    if (p->matte)
        return 32;
    if (p->colorspace == MagickCore::GRAYColorspace)
        return p->depth <= 1 ? 1 : 8;
    if (p->colors == 0)
        return 24;
    if (p->colormap) {
        using MagickCore::Quantum; // of QuantumRange
        bool gray = true, blackAndWhite = true;
        for (size_t i = 0; i < p->colors; ++i) {
            const MagickCore::PixelPacket& c = p->colormap[i];
            gray = gray && c.red == c.green && c.green == c.blue;
            blackAndWhite = blackAndWhite && gray && (c.red == 0 || c.red == QuantumRange);
        }
        if (blackAndWhite)
            return 1;
        if (gray)
            return 8;
        if (p->colors > 256)
            return 24;
    }
    // A palette the coder reads after the header (most read it only with
    // the pixels); one of more than 256 entries is a gray ramp.
    if (p->colors > 256)
        return 8;
    *paletteSize = int(p->colors);
    return p->colors <= 2 ? 1 : p->colors <= 16 ? 4 : 8;
}

int ping(const QByteArray& bytes, const char* coder, bool everyPage, QList<MagickFacts>* out,
         const MagickBounds& bounds)
{
    if (bytes.isEmpty())
        return err::InvalidFormat;
    Watch watch(bounds);
    if (const int r = watch.step(ReadStep::Measuring))
        return r;
    ExceptionGuard ex;
    InfoGuard info;
    setCoder(info.i, coder);
    watch.watch(info.i);
    info.i->number_scenes = everyPage ? 0 : 1;
    ListGuard pinged;
    pinged.list = MagickCore::PingBlob(info.i, bytes.constData(), size_t(bytes.size()), ex.e);
    if (const int r = magickReadError(pinged.list, ex.e, watch))
        return r;
    QList<MagickFacts> pages;
    for (MagickCore::Image* p = pinged.list; p; p = MagickCore::GetNextImageInList(p)) {
        if (!withinLimits(p->columns, p->rows))
            return err::InvalidSize;
        MagickFacts f;
        f.width = p->columns;
        f.height = p->rows;
        f.bits = headerBits(p, &f.paletteSize);
        f.compression = compressionOf(p);
        resolutionOf(p, &f.xRes, &f.yRes);
        pages << f;
    }
    *out = std::move(pages);
    return 0;
}

// Whether the orientation turns the picture by a quarter, its width becoming its height.
bool quarterTurn(MagickCore::OrientationType o)
{
    return o == MagickCore::LeftTopOrientation || o == MagickCore::RightTopOrientation ||
           o == MagickCore::RightBottomOrientation || o == MagickCore::LeftBottomOrientation;
}

// The first page fitted within box, turned as its orientation says: scaled
// first, so that only the small picture is turned.
int readScaled(const QByteArray& bytes, const char* coder, const QSize& box, QImage* out, const MagickBounds& bounds)
{
    if (bytes.isEmpty())
        return err::InvalidFormat;
    Watch watch(bounds);
    if (const int r = watch.step(ReadStep::Measuring))
        return r;
    const PageSizes sizes = pingSizes(bytes, coder, 1, watch);
    if (const int r = watch.verdict())
        return r;
    if (const int r = sizeRefusal(sizes))
        return r;
    RoomTaken room;
    if (const int r = room.take(sizes, watch))
        return r;
    if (const int r = watch.step(ReadStep::Decoding))
        return r;
    ExceptionGuard ex;
    ListGuard images;
    images.list = readMagickImages(bytes, coder, 1, 1, ex.e, watch);
    if (const int r = magickReadError(images.list, ex.e, watch))
        return r;
    MagickCore::Image* page = firstFilled(images.list);
    if (!page)
        return err::InvalidFormat;
    const bool turned = quarterTurn(page->orientation);
    const QSize stored(int(std::min<size_t>(page->columns, INT_MAX)), int(std::min<size_t>(page->rows, INT_MAX)));
    const QSize shown = turned ? stored.transposed() : stored;
    const QSize fit = fitWithin(shown, box);
    ListGuard small;
    if (fit != shown) {
        const QSize scaled = turned ? fit.transposed() : fit;
        small.list = MagickCore::ThumbnailImage(page, size_t(scaled.width()), size_t(scaled.height()), ex.e);
        if (const int r = watch.verdict())
            return r;
        if (!small.list)
            return magickError(ex.e);
    }
    ListGuard upright;
    upright.list = MagickCore::AutoOrientImage(small.list ? small.list : page, page->orientation, ex.e);
    if (const int r = watch.verdict())
        return r;
    if (!upright.list)
        return magickError(ex.e);
    QImage img = magickToQImage(upright.list, ex.e);
    if (img.isNull())
        return err::InvalidFormat;
    *out = std::move(img);
    return 0;
}

Magick::Image toMagick(const QImage& src)
{
    const QImage img = src.convertToFormat(src.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QByteArray packed;
    packed.resize(qsizetype(img.width()) * img.height() * 4);
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(packed.data() + qsizetype(y) * img.width() * 4, img.constScanLine(y), size_t(img.width()) * 4);
    Magick::Image m(size_t(img.width()), size_t(img.height()), img.hasAlphaChannel() ? "BGRA" : "BGRP",
                    Magick::CharPixel, packed.constData());
    m.matte(img.hasAlphaChannel());
    return m;
}

void applyBits(Magick::Image& m, int bits, bool gray)
{
    switch (bits) {
    case 1: m.type(Magick::BilevelType); break;
    case 4:
        m.quantizeColors(16);
        m.quantize();
        m.type(Magick::PaletteType);
        break;
    case 8:
        if (gray) {
            m.type(Magick::GrayscaleType);
        } else {
            m.quantizeColors(256);
            m.quantize();
            m.type(Magick::PaletteType);
        }
        break;
    case 32: m.type(Magick::TrueColorMatteType); break;
    case 24: m.type(Magick::TrueColorType); break;
    default: break;
    }
}

int encode(const QList<QImage>& pages, const QList<int>& bits, const MagickWrite& how, QByteArray* out)
{
    for (const QImage& page : pages)
        if (!withinLimits(quint64(page.width()), quint64(page.height())))
            return err::NoMemory;
    try {
        std::vector<Magick::Image> list;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QImage& page = pages.at(i);
            Magick::Image m = toMagick(page);
            m.magick(how.coder);
            applyBits(m, bits.value(i, 24), page.isGrayscale());
            if (how.tiff)
                m.compressType(how.group4 ? Magick::Group4Compression : Magick::NoCompression);
            if (how.bilevel)
                m.type(Magick::BilevelType);
            list.push_back(m);
        }
        if (list.empty())
            return err::InvalidBitmap;
        Magick::Blob blob;
        if (list.size() > 1)
            Magick::writeImages(list.begin(), list.end(), &blob, true);
        else
            list.front().write(&blob);
        if (blob.length() == 0)
            return err::FileWrite;
        *out = QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length()));
        return 0;
    } catch (const Magick::ErrorResourceLimit&) {
        return err::NoMemory;
    } catch (const Magick::ErrorImage&) {
        return err::InvalidSize;
    } catch (const Magick::Exception&) {
        return err::FileWrite;
    } catch (const std::bad_alloc&) {
        return err::NoMemory;
    }
}

int fitPalette(const QImage& picture, int colours, QList<QRgb>* out)
{
    const QImage small = picture.convertToFormat(QImage::Format_RGB32);
    if (small.isNull() || !withinLimits(quint64(small.width()), quint64(small.height())))
        return err::NoMemory;
    try {
        std::vector<uchar> packed(size_t(small.width()) * size_t(small.height()) * 4);
        for (int y = 0; y < small.height(); ++y)
            std::memcpy(packed.data() + size_t(y) * size_t(small.width()) * 4, small.constScanLine(y),
                        size_t(small.width()) * 4);
        Magick::Image m(size_t(small.width()), size_t(small.height()), "BGRP", Magick::CharPixel, packed.data());
        m.quantizeColors(size_t(colours));
        m.quantizeDither(false);
        m.quantize();
        out->clear();
        for (size_t i = 0; i < m.colorMapSize(); ++i) {
            const Magick::Color c = m.colorMap(i);
            const auto byte = [](double q) {
                return int(std::lround(Magick::Color::scaleQuantumToDouble(MagickCore::Quantum(q)) * 255.0));
            };
            *out << qRgb(byte(c.redQuantum()), byte(c.greenQuantum()), byte(c.blueQuantum()));
        }
        return out->isEmpty() ? err::Failure : 0;
    } catch (const Magick::ErrorResourceLimit&) {
        return err::NoMemory;
    } catch (const Magick::Exception&) {
        return err::Failure;
    } catch (const std::bad_alloc&) {
        return err::NoMemory;
    }
}

// ImageMagick's limits, whatever its policy says (a policy can only lower
// them further; Debian's says the same): the size of one picture, the
// memory its pixels may take in all (256 MB on the heap, 256 MB mapped from
// its disk cache; past them they are read and written on the disk), the
// disk, which bounds the pixels of one read (cacheRoom), and the pictures
// one file may hold. Its own time limit is left alone: it counts from the
// first picture of the process, and ends the process when it runs out.
void setResourceLimits()
{
    using namespace MagickCore;
    constexpr MagickSizeType MiB = 1024 * 1024;
    SetMagickResourceLimit(WidthResource, kMagickMaxSide);
    SetMagickResourceLimit(HeightResource, kMagickMaxSide);
    SetMagickResourceLimit(AreaResource, 128 * 1000 * 1000);
    SetMagickResourceLimit(MemoryResource, 256 * MiB);
    SetMagickResourceLimit(MapResource, 256 * MiB);
    SetMagickResourceLimit(DiskResource, 1024 * MiB);
    SetMagickResourceLimit(ListLengthResource, 10000);
}

void initialize()
{
    Magick::InitializeMagick(nullptr);
    setResourceLimits();
}

int pageRefusal(quint64 width, quint64 height) { return sizeRefusal({{width, height}}); }

const MagickFunctions kFunctions{&initialize, &read,        &ping,       &readScaled,
                                 &encode,     &pageRefusal, &sizeLimits, &fitPalette};

} // namespace
} // namespace platform

extern "C" Q_DECL_EXPORT const platform::MagickFunctions* lumivexMagickFunctions() { return &platform::kFunctions; }
