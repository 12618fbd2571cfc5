#include "platform/devices/SaneSource.h"
#include "platform/core/LibraryLoad.h"

#include "platform/pictures/ImagingCodes.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <QCoreApplication>
#include <QPointer>
#include <QtEndian>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include <dlfcn.h>
#include <pthread.h>

namespace platform::sane {
namespace {

// Held by whoever is inside SANE, which serves one caller at a time.
std::atomic<bool> g_inside{false};

bool claim()
{
    bool expected = false;
    return g_inside.compare_exchange_strong(expected, true);
}

void release() { g_inside = false; }

int errorFromStatus(SANE_Status s)
{
    switch (s) {
    case SANE_STATUS_GOOD: return 0;
    case SANE_STATUS_CANCELLED: return err::TwainCancelled;
    case SANE_STATUS_NO_MEM: return err::TwainNoMemory;
    case SANE_STATUS_DEVICE_BUSY: return err::TwainBusy;
    case SANE_STATUS_INVAL: return err::TwainBadValue;
    default: return err::TwainFailure;
    }
}

// sane_init for the life of the object.
class Session {
public:
    Session() { m_ok = deviceLibrariesLoaded() && sane_init(nullptr, nullptr) == SANE_STATUS_GOOD; }
    ~Session()
    {
        if (m_ok)
            sane_exit();
    }
    bool ok() const { return m_ok; }

private:
    bool m_ok = false;
};

int devices(QList<Device>* out)
{
    const SANE_Device** list = nullptr;
    const SANE_Status s = sane_get_devices(&list, SANE_TRUE);
    if (s != SANE_STATUS_GOOD)
        return errorFromStatus(s);
    out->clear();
    for (int i = 0; list && list[i]; ++i) {
        const SANE_Device* d = list[i];
        *out << Device{QString::fromLocal8Bit(d->name), QString::fromLocal8Bit(d->vendor),
                       QString::fromLocal8Bit(d->model), QString::fromLocal8Bit(d->type)};
    }
    return out->isEmpty() ? err::TwainNoSource : 0;
}

// A resolution below 25 dpi is a device default nobody scans at.
void raiseResolution(SANE_Handle h)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
        if (!d)
            return;
        if (!d->name || std::strcmp(d->name, SANE_NAME_SCAN_RESOLUTION) != 0)
            continue;
        if (!SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size != sizeof(SANE_Word))
            return;
        SANE_Word value = 0;
        if (sane_control_option(h, i, SANE_ACTION_GET_VALUE, &value, nullptr) != SANE_STATUS_GOOD)
            return;
        const double dpi = d->type == SANE_TYPE_FIXED ? SANE_UNFIX(value) : double(value);
        if (dpi >= 25)
            return;
        SANE_Word wanted = d->type == SANE_TYPE_FIXED ? SANE_FIX(100) : 100;
        sane_control_option(h, i, SANE_ACTION_SET_VALUE, &wanted, nullptr);
        return;
    }
}

} // namespace

QString Device::sourceName() const
{
    const QString n = (vendor + QLatin1Char(' ') + model).trimmed();
    return n.isEmpty() ? name : n;
}

int listDevices(QList<Device>* out)
{
    if (!claim())
        return err::TwainBusy;
    int r = err::TwainNoManager;
    {
        Session session;
        if (session.ok())
            r = devices(out);
    }
    release();
    return r;
}

bool busy() { return g_inside; }

QImage imageFromSamples(const QByteArray& data, int format, int depth, int pixelsPerLine, int bytesPerLine, int lines)
{
    if (pixelsPerLine <= 0 || lines <= 0 || bytesPerLine <= 0 || qint64(bytesPerLine) * lines > data.size())
        return {};
    const int channels = format == 1 ? 3 : 1;
    const qint64 needed = depth == 1 ? (qint64(pixelsPerLine) * channels + 7) / 8
                                     : qint64(pixelsPerLine) * channels * (depth / 8);
    if ((depth != 1 && depth != 8 && depth != 16) || needed > bytesPerLine)
        return {};
    QImage img(pixelsPerLine, lines, format == 1 ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    if (img.isNull())
        return {};
    for (int y = 0; y < lines; ++y) {
        const uchar* src = reinterpret_cast<const uchar*>(data.constData()) + qint64(y) * bytesPerLine;
        uchar* dst = img.scanLine(y);
        auto sample = [&](int index) -> uchar {
            if (depth == 8)
                return src[index];
            if (depth == 16) {
                quint16 v;
                std::memcpy(&v, src + index * 2, 2);
                return uchar(v >> 8);
            }
            return (src[index / 8] & (0x80 >> (index % 8))) ? 0 : 255;
        };
        for (int x = 0; x < pixelsPerLine; ++x) {
            if (format == 1)
                reinterpret_cast<QRgb*>(dst)[x] = qRgb(sample(x * 3), sample(x * 3 + 1), sample(x * 3 + 2));
            else
                dst[x] = sample(x);
        }
    }
    return img;
}

namespace {

// The samples of one scan: one buffer for gray or packed RGB, or one per
// channel when the device scans in three passes.
struct Frames {
    QByteArray gray, red, green, blue, rgb;
    SANE_Parameters p{};
};

// Reads every frame of a started scan; a device sends at most three.
int readFrames(SANE_Handle h, Frames* f)
{
    constexpr qint64 kLimit = qint64(1) << 30;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (int frames = 0;;) {
        SANE_Status s = sane_start(h);
        if (s != SANE_STATUS_GOOD)
            return errorFromStatus(s);
        s = sane_get_parameters(h, &f->p);
        if (s != SANE_STATUS_GOOD)
            return errorFromStatus(s);
        QByteArray* target = nullptr;
        switch (f->p.format) {
        case SANE_FRAME_GRAY: target = &f->gray; break;
        case SANE_FRAME_RGB: target = &f->rgb; break;
        case SANE_FRAME_RED: target = &f->red; break;
        case SANE_FRAME_GREEN: target = &f->green; break;
        case SANE_FRAME_BLUE: target = &f->blue; break;
        default: return err::TwainFailure;
        }
        target->clear();
        for (;;) {
            SANE_Int got = 0;
            s = sane_read(h, reinterpret_cast<SANE_Byte*>(buffer.data()), SANE_Int(buffer.size()), &got);
            if (s == SANE_STATUS_EOF)
                break;
            if (s != SANE_STATUS_GOOD)
                return errorFromStatus(s);
            if (target->size() + got > kLimit)
                return err::TwainNoMemory;
            target->append(buffer.constData(), got);
        }
        if (f->p.last_frame || ++frames >= 3)
            return 0;
    }
}

// Three passes: interleave the channels, then read as RGB.
QImage imageFromChannels(const Frames& f, int lines)
{
    const SANE_Parameters& p = f.p;
    const int bytesPerSample = p.depth == 16 ? 2 : 1;
    if (p.depth == 1)
        return {};
    const qint64 px = qint64(p.pixels_per_line) * lines;
    for (const QByteArray* c : {&f.red, &f.green, &f.blue})
        if (c->size() < px * bytesPerSample)
            return {};
    QByteArray joined(px * 3 * bytesPerSample, Qt::Uninitialized);
    for (int y = 0; y < lines; ++y)
        for (int x = 0; x < p.pixels_per_line; ++x)
            for (int b = 0; b < bytesPerSample; ++b) {
                const qint64 src = qint64(y) * p.bytes_per_line + qint64(x) * bytesPerSample + b;
                const qint64 dst = (qint64(y) * p.pixels_per_line + x) * 3 * bytesPerSample + b;
                joined[dst] = f.red.at(src);
                joined[dst + bytesPerSample] = f.green.at(src);
                joined[dst + 2 * bytesPerSample] = f.blue.at(src);
            }
    return imageFromSamples(joined, 1, p.depth, p.pixels_per_line, p.pixels_per_line * 3 * bytesPerSample, lines);
}

QImage imageFromFrames(const Frames& f)
{
    const SANE_Parameters& p = f.p;
    const int bpl = p.bytes_per_line;
    const qint64 longest = std::max({f.gray.size(), f.rgb.size(), f.red.size()});
    const int lines = p.lines > 0 ? p.lines : (bpl > 0 ? int(longest / bpl) : 0);
    if (!f.rgb.isEmpty())
        return imageFromSamples(f.rgb, 1, p.depth, p.pixels_per_line, bpl, lines);
    if (!f.red.isEmpty() && !f.green.isEmpty() && !f.blue.isEmpty())
        return imageFromChannels(f, lines);
    return imageFromSamples(f.gray, 0, p.depth, p.pixels_per_line, bpl, lines);
}

} // namespace

namespace {

int acquireClaimed(const QString& deviceName, QImage* out, QString* source)
{
    Session session;
    if (!session.ok())
        return err::TwainNoManager;
    QList<Device> list;
    if (const int r = devices(&list))
        return r;
    Device chosen = list.first();
    for (const Device& d : list)
        if (d.name == deviceName)
            chosen = d;

    SANE_Handle h = nullptr;
    const SANE_Status s = sane_open(chosen.name.toLocal8Bit().constData(), &h);
    if (s != SANE_STATUS_GOOD)
        return errorFromStatus(s);
    struct Closer {
        SANE_Handle h;
        ~Closer()
        {
            sane_cancel(h);
            sane_close(h);
        }
    } closer{h};
    raiseResolution(h);

    Frames frames;
    if (const int r = readFrames(h, &frames))
        return r;
    const QImage img = imageFromFrames(frames);
    if (img.isNull())
        return err::TwainFailure;
    *out = img;
    if (source)
        *source = chosen.sourceName();
    return 0;
}

} // namespace

int acquire(const QString& deviceName, QImage* out, QString* source)
{
    if (!claim())
        return err::TwainBusy;
    const int r = acquireClaimed(deviceName, out, source);
    release();
    return r;
}

Scan::Scan(const QString& deviceName, QObject* parent) : QObject(parent)
{
    if (!claim()) {
        end(err::TwainBusy, {}, {});
        return;
    }
    QPointer<Scan> self(this);
    std::thread([self, deviceName] {
        // A driver's reader thread that writes to a pipe the scan has closed
        // gets an error, not the end of the program: its threads start with
        // the signal mask of this one.
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
        QImage image;
        QString source;
        const int r = acquireClaimed(deviceName, &image, &source);
        release();
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [self, r, image, source] {
                    if (self)
                        self->end(r, image, source);
                },
                Qt::QueuedConnection);
    }).detach();
}

void Scan::end(int result, const QImage& image, const QString& source)
{
    m_ended = true;
    m_result = result;
    m_image = image;
    m_source = source;
    emit finished();
}

} // namespace platform::sane

namespace {

// True for an address in one of SANE's libraries: libsane.so.1 and its
// drivers, libsane-<name>.so.1.
bool inSane(void* address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname)
        return false;
    const char* slash = std::strrchr(info.dli_fname, '/');
    return std::strncmp(slash ? slash + 1 : info.dli_fname, "libsane", 7) == 0;
}

} // namespace

// SANE's drivers that read on a thread of their own (sanei_thread) let it be
// cancelled asynchronously, and cancel it when a scan ends, as soon as its
// last bytes are read: a reader cancelled while it frees its buffer takes
// the allocator's lock with it, waits for that lock again on its way out,
// and the scan waits for the reader for ever inside sane_read. The threads
// of SANE's libraries get deferred cancellation instead: they end where they
// wait (a read, a write, a sleep), or when they return, never inside the
// allocator. Everyone else's calls pass unchanged. The program exports this
// function (see the top CMakeLists), so that the libraries loaded at run
// time find it before the C library's.
extern "C" int pthread_setcanceltype(int type, int* oldType)
{
    using Function = int (*)(int, int*);
    static const auto real = reinterpret_cast<Function>(dlsym(RTLD_NEXT, "pthread_setcanceltype"));
    if (type == PTHREAD_CANCEL_ASYNCHRONOUS && inSane(__builtin_return_address(0)))
        type = PTHREAD_CANCEL_DEFERRED;
    return real ? real(type, oldType) : EINVAL;
}
