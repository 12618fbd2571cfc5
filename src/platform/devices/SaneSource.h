#pragma once
// devices/: the scanner (SANE), the CD drive (libcdio) and the multimedia
// device control that plays audio and video CDs over them.
//
// Acquiring a picture from a scanner or camera through SANE. SANE and its
// drivers never run in the program's own process: a child of the program
// (SaneChild.h) lists the devices or scans, and writes what it finds to a
// pipe the program reads as its event loop turns. A driver that hangs or
// crashes ends with its child; a child the program gives up on is asked to
// cancel (sane_cancel), then terminated, then killed. Results are 0 or an
// imaging error code (the acquisition codes 20079..20090).
#include <QByteArray>
#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

namespace platform::sane {

struct Device {
    QString name;   // the SANE device name ("test:0")
    QString vendor;
    QString model;
    QString type;
    // The name the user sees: vendor and model.
    QString sourceName() const;
};

class Child;
struct Frames;

// Work a child of the program does at SANE, read while the thread that
// asked keeps answering. SANE serves one caller at a time: while a child
// lives (working, or given up on and not yet gone) another piece of work
// ends at once as busy. Made and read on the application's thread.
class SaneWork : public QObject {
    Q_OBJECT
public:
    // Gives the work up if it has not ended: its child is asked to cancel,
    // then ended.
    ~SaneWork() override;
    bool ended() const { return m_ended; }
    // Once ended: 0 or an imaging error code.
    int result() const { return m_result; }

signals:
    void finished();

protected:
    SaneWork(const QStringList& arguments, QObject* parent);
    // One record of the child's (SaneWire.h) other than its end; false when
    // it makes no sense where it comes.
    virtual bool take(char tag, const QByteArray& payload) = 0;
    // Once the child has gone or said all it will: ends the work (end), at
    // once or when what it gives is ready, from what the child sent and the
    // code it ended with (a failure when it ended without one).
    virtual void conclude(int childResult) = 0;
    // The work has all it needs: the child is given a moment to end by
    // itself, and the work ends then, or once the child has gone.
    void complete();
    // Ends the work now with the result; the child, if still there, is ended.
    void end(int result);

private:
    friend class Child;
    void received(char tag, const QByteArray& payload);
    void childGone();
    void concludeOnce();
    void releaseChild();

    QPointer<Child> m_child;
    QTimer m_linger;
    int m_childResult;
    bool m_concluding = false;
    bool m_ended = false;
    int m_result = 0;
};

// The devices SANE knows.
class DeviceListing : public SaneWork {
    Q_OBJECT
public:
    explicit DeviceListing(QObject* parent = nullptr);
    // Once ended with 0: every device, at least one.
    QList<Device> devices() const { return m_devices; }

protected:
    bool take(char tag, const QByteArray& payload) override;
    void conclude(int childResult) override;

private:
    QList<Device> m_devices;
};

// One picture from a device, opened by its name (SANE's first device when
// the name is empty).
class Scan : public SaneWork {
    Q_OBJECT
public:
    explicit Scan(const Device& device, QObject* parent = nullptr);
    ~Scan() override;
    // Once ended with 0: the picture and the device's name.
    QImage image() const { return m_image; }
    QString source() const { return m_source; }

protected:
    bool take(char tag, const QByteArray& payload) override;
    void conclude(int childResult) override;

private:
    bool startFrame(const QByteArray& payload);
    bool lastFrameWhole() const;

    std::unique_ptr<Frames> m_frames;
    QFutureWatcher<QImage> m_picture; // made from the samples on a thread of its own
    QImage m_image;
    QString m_source;
};

// True while a child of the program is at SANE: working, or given up on and
// not yet gone.
bool busy();

// Converts the bytes of one SANE frame set into a picture. format: 0 gray,
// 1 RGB; depth 1, 8 or 16; native byte order for 16 bits; in 1-bit data a
// set bit is black.
QImage imageFromSamples(const QByteArray& data, int format, int depth, int pixelsPerLine, int bytesPerLine,
                        int lines);

} // namespace platform::sane
