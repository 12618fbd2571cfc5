#pragma once
// Acquiring a picture from a scanner or camera through SANE. Every function
// returns 0 or an imaging error code (the acquisition codes 20079..20090).
#include <QImage>
#include <QList>
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

// Converts the bytes of one SANE frame set into a picture (used by acquire;
// public for tests). format: 0 gray, 1 RGB; depth 1, 8 or 16; native byte
// order for 16 bits; in 1-bit data a set bit is black.
QImage imageFromSamples(const QByteArray& data, int format, int depth, int pixelsPerLine, int bytesPerLine,
                        int lines);

} // namespace platform::sane
