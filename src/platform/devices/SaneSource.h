#pragma once
// devices/: the scanner (SANE), the CD drive (libcdio) and the multimedia
// device control that plays audio and video CDs over them.
//
// Acquiring a picture from a scanner or camera through SANE. Every function
// returns 0 or an imaging error code (the acquisition codes 20079..20090).
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

namespace platform::sane {

struct Device {
    QString name;   // the SANE device name ("test:0")
    QString vendor;
    QString model;
    QString type;
    // The name the user sees: vendor and model.
    QString sourceName() const;
};

int listDevices(QList<Device>* out);

// Scans one picture from the named device (the first device when the name is
// empty or no longer there). *source gets the device's display name.
int acquire(const QString& deviceName, QImage* out, QString* source);

// A scan on a thread of its own, so that the thread that asked keeps
// answering while the device works, and can give up on a scan that does
// not end (a device that stops answering, a driver that never returns from
// a read): SANE serves one caller at a time, and a scan given up on keeps it
// until the driver returns; meanwhile the calls of this file say the device
// is busy. Made and read on the application's thread.
class Scan : public QObject {
    Q_OBJECT
public:
    explicit Scan(const QString& deviceName, QObject* parent = nullptr);
    // Gives the scan up if it has not ended.
    ~Scan() override = default;
    bool ended() const { return m_ended; }
    // Once ended: 0 or an imaging error code, the picture and the device's name.
    int result() const { return m_result; }
    QImage image() const { return m_image; }
    QString source() const { return m_source; }

signals:
    void finished();

private:
    void end(int result, const QImage& image, const QString& source);

    bool m_ended = false;
    int m_result = 0;
    QImage m_image;
    QString m_source;
};

// True while a scan is inside SANE: going on, or given up on and not back.
bool busy();

// Converts the bytes of one SANE frame set into a picture (used by acquire;
// public for tests). format: 0 gray, 1 RGB; depth 1, 8 or 16; native byte
// order for 16 bits; in 1-bit data a set bit is black.
QImage imageFromSamples(const QByteArray& data, int format, int depth, int pixelsPerLine, int bytesPerLine,
                        int lines);

} // namespace platform::sane
