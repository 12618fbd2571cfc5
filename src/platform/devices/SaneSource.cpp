#include "platform/devices/SaneSource.h"

#include "platform/devices/SaneWire.h"
#include "platform/pictures/ImagingCodes.h"

#include <sane/sane.h>

#include <QCoreApplication>
#include <QProcess>
#include <QPromise>
#include <QSet>

#include <csignal>
#include <cstring>
#include <thread>

#include <sys/prctl.h>

namespace platform::sane {

namespace {

// How long a child is given to do what takes it a moment (end once it has
// said all, end once asked to cancel, end once terminated) before the next
// step: a driver that has not done it by then is stuck.
constexpr int kGraceMs = 5000;

// The most samples of one frame a scan takes.
constexpr qint64 kFrameLimit = qint64(1) << 30;

QSet<Child*>& living()
{
    static QSet<Child*> children;
    return children;
}

} // namespace

// A child of the program at SANE's work (SaneChild.h), started at once. It
// hands its records to the work that started it, and deletes itself once
// its process has gone.
class Child : public QObject {
public:
    Child(const QStringList& arguments, SaneWork* work);
    ~Child() override { living().remove(this); }
    // Leaves the work: what the child still sends is read and dropped.
    void leave() { m_work = nullptr; }
    // Asks the child to cancel; it is terminated if it has not gone after a
    // moment, and killed if that does not end it either.
    void stop();

private:
    void read();
    void gone();
    void nextStep();

    QProcess m_process;
    QTimer m_step;
    QByteArray m_received;
    SaneWork* m_work;
    int m_stopSteps = 0; // 1 asked to cancel, 2 terminated, 3 killed
    bool m_gone = false;
};

Child::Child(const QStringList& arguments, SaneWork* work) : m_work(work)
{
    living().insert(this);
    m_step.setSingleShot(true);
    connect(&m_step, &QTimer::timeout, this, &Child::nextStep);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Whatever way the program ends, its child ends with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &Child::read);
    connect(&m_process, &QProcess::finished, this, &Child::gone);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            gone();
    });
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { m_process.kill(); });
    m_process.start(QCoreApplication::applicationFilePath(), arguments);
}

void Child::read()
{
    m_received += m_process.readAllStandardOutput();
    if (!m_work) {
        m_received.clear();
        return;
    }
    QList<wire::Record> records;
    const bool ok = wire::takeRecords(&m_received, &records);
    for (const wire::Record& r : records)
        if (m_work)
            m_work->received(r.tag, r.payload);
    if (!ok && m_work)
        m_work->end(err::TwainFailure);
}

void Child::gone()
{
    if (m_gone)
        return;
    m_gone = true;
    read();
    living().remove(this);
    m_step.stop();
    if (SaneWork* work = m_work) {
        m_work = nullptr;
        work->childGone();
    }
    deleteLater();
}

void Child::stop()
{
    if (m_gone || m_stopSteps > 0)
        return;
    m_stopSteps = 1;
    m_process.write("c", 1);
    m_process.closeWriteChannel();
    m_step.start(kGraceMs);
}

void Child::nextStep()
{
    if (m_stopSteps == 1) {
        m_stopSteps = 2;
        m_process.terminate();
        m_step.start(kGraceMs);
    } else if (m_stopSteps == 2) {
        m_stopSteps = 3;
        m_process.kill();
    }
}

bool busy() { return !living().isEmpty(); }

// ---------------------------------------------------------------- the work

SaneWork::SaneWork(const QStringList& arguments, QObject* parent)
    : QObject(parent), m_childResult(err::TwainFailure)
{
    m_linger.setSingleShot(true);
    connect(&m_linger, &QTimer::timeout, this, &SaneWork::concludeOnce);
    if (busy())
        end(err::TwainBusy);
    else
        m_child = new Child(arguments, this);
}

SaneWork::~SaneWork() { releaseChild(); }

void SaneWork::received(char tag, const QByteArray& payload)
{
    if (m_ended || m_concluding)
        return;
    if (tag != wire::End) {
        if (!take(tag, payload))
            end(err::TwainFailure);
        return;
    }
    qint32 code = 0;
    if (!wire::readNumbers(payload, 1, &code)) {
        end(err::TwainFailure);
        return;
    }
    m_childResult = code;
    complete();
}

void SaneWork::complete()
{
    if (!m_ended && !m_linger.isActive())
        m_linger.start(kGraceMs);
}

void SaneWork::childGone()
{
    m_child = nullptr;
    concludeOnce();
}

void SaneWork::concludeOnce()
{
    if (m_ended || m_concluding)
        return;
    m_concluding = true;
    m_linger.stop();
    releaseChild();
    conclude(m_childResult);
}

void SaneWork::end(int result)
{
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
    m_linger.stop();
    releaseChild();
    emit finished();
}

void SaneWork::releaseChild()
{
    if (Child* child = m_child) {
        m_child = nullptr;
        child->leave();
        child->stop();
    }
}

// ---------------------------------------------------------------- listing

QString Device::sourceName() const
{
    const QString n = (vendor + QLatin1Char(' ') + model).trimmed();
    return n.isEmpty() ? name : n;
}

namespace {

bool deviceFrom(const QByteArray& payload, Device* out)
{
    const QList<QByteArray> fields = payload.split('\0');
    if (fields.size() < 4)
        return false;
    *out = Device{QString::fromLocal8Bit(fields[0]), QString::fromLocal8Bit(fields[1]),
                  QString::fromLocal8Bit(fields[2]), QString::fromLocal8Bit(fields[3])};
    return true;
}

} // namespace

DeviceListing::DeviceListing(QObject* parent) : SaneWork({QStringLiteral("--scan-devices")}, parent) {}

bool DeviceListing::take(char tag, const QByteArray& payload)
{
    Device d;
    if (tag != wire::Device || !deviceFrom(payload, &d))
        return false;
    m_devices << d;
    return true;
}

void DeviceListing::conclude(int childResult)
{
    end(childResult != 0 ? childResult : m_devices.isEmpty() ? err::TwainNoSource : 0);
}

// ---------------------------------------------------------------- pictures

// The samples of one scan: one buffer for gray or packed RGB, or one per
// channel when the device scans in three passes; the parameters of the frame
// going on.
struct Frames {
    QByteArray gray, red, green, blue, rgb;
    SANE_Parameters p{};
    int count = 0;
    QByteArray* target = nullptr;
};

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

// ---------------------------------------------------------------- scanning

Scan::Scan(const Device& device, QObject* parent)
    : SaneWork({QStringLiteral("--scan"), device.name}, parent), m_frames(std::make_unique<Frames>()),
      m_source(device.sourceName())
{
    connect(&m_picture, &QFutureWatcherBase::finished, this, [this] {
        if (m_picture.future().resultCount() > 0)
            m_image = m_picture.result();
        end(m_image.isNull() ? err::TwainFailure : 0);
    });
}

Scan::~Scan() = default;

bool Scan::take(char tag, const QByteArray& payload)
{
    switch (tag) {
    case wire::Device: {
        Device d;
        if (!deviceFrom(payload, &d))
            return false;
        m_source = d.sourceName();
        return true;
    }
    case wire::Frame: return startFrame(payload);
    case wire::Bytes:
        if (!m_frames->target)
            return false;
        if (m_frames->target->size() + payload.size() > kFrameLimit) {
            end(err::TwainNoMemory);
            return true;
        }
        m_frames->target->append(payload);
        // Drivers that read on a thread of their own can hang in the read
        // that would say the end: the picture is whole without it.
        if (lastFrameWhole())
            complete();
        return true;
    default: return false;
    }
}

bool Scan::startFrame(const QByteArray& payload)
{
    qint32 n[6];
    Frames& f = *m_frames;
    if (f.count >= 3 || !wire::readNumbers(payload, 6, n))
        return false;
    f.p.format = SANE_Frame(n[0]);
    f.p.last_frame = n[1];
    f.p.bytes_per_line = n[2];
    f.p.pixels_per_line = n[3];
    f.p.lines = n[4];
    f.p.depth = n[5];
    switch (f.p.format) {
    case SANE_FRAME_GRAY: f.target = &f.gray; break;
    case SANE_FRAME_RGB: f.target = &f.rgb; break;
    case SANE_FRAME_RED: f.target = &f.red; break;
    case SANE_FRAME_GREEN: f.target = &f.green; break;
    case SANE_FRAME_BLUE: f.target = &f.blue; break;
    default: return false;
    }
    f.target->clear();
    ++f.count;
    return true;
}

bool Scan::lastFrameWhole() const
{
    const Frames& f = *m_frames;
    return (f.p.last_frame || f.count >= 3) && f.target && f.p.lines > 0 && f.p.bytes_per_line > 0 &&
           f.target->size() >= qint64(f.p.lines) * f.p.bytes_per_line;
}

void Scan::conclude(int childResult)
{
    if (childResult != 0 && !lastFrameWhole()) {
        end(childResult);
        return;
    }
    // A large scan's samples take a while to become a picture: not on the
    // thread that asked.
    QPromise<QImage> promise;
    m_picture.setFuture(promise.future());
    std::thread([promise = std::move(promise), frames = std::shared_ptr<const Frames>(std::move(m_frames))]() mutable {
        promise.start();
        promise.addResult(imageFromFrames(*frames));
        promise.finish();
    }).detach();
}

} // namespace platform::sane
