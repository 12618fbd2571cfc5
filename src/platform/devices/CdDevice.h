#pragma once
// Audio CDs over libcdio: the disc's tracks, the Windows track files
// (".CDA"), and the device that the program's multimedia control drives.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace platform {

struct CdTrack {
    int number = 0;      // as on the disc, from 1
    int firstSector = 0; // logical sector number
    int sectors = 0;
    bool audio = false;
    qint64 lengthMs() const { return qint64(sectors) * 1000 / 75; }
};

// One disc in a drive, or a disc image (".cue", ".toc", ".nrg").
class CdDisc {
public:
    ~CdDisc();
    // "" opens the first CD drive. Returns nullptr with a reason when there is
    // no drive, no disc or the image cannot be read.
    static std::unique_ptr<CdDisc> open(const QString& device, QString* error);
    const QList<CdTrack>& tracks() const { return m_tracks; }
    // Raw audio (44.1 kHz, 16-bit, stereo, 2352 bytes a sector); false on a read error.
    bool readAudio(int sector, int count, QByteArray* out) const;

private:
    CdDisc() = default;
    void* m_cdio = nullptr;
    QList<CdTrack> m_tracks;
};

// The track number a Windows CD track file holds ("RIFF" ... "CDDA"); 0 when
// the file is no such file.
int readCdaTrackNumber(const QString& path);

// What the multimedia control drives: one device, opened by type.
class MciDevice {
public:
    virtual ~MciDevice() = default;
    // Each returns false with a reason when the device refuses.
    virtual bool open(const QString& deviceType, const QString& fileName, QString* error) = 0;
    virtual bool close(QString* error) = 0;
    virtual bool play(QString* error) = 0;
    virtual bool pause(QString* error) = 0;
    virtual bool stop(QString* error) = 0;
    virtual bool next(QString* error) = 0;
    virtual bool prev(QString* error) = 0;
    virtual bool eject(QString* error) = 0;
    virtual qint64 length() const = 0;   // ms, of the current track
    virtual qint64 position() const = 0; // ms, within the current track
    virtual bool isPlaying() const = 0;
};

using MciDeviceFactory = std::function<MciDevice*()>;
// Installs the device for controls made from now on; empty restores the CD device.
void setMciDeviceFactory(MciDeviceFactory factory);
MciDevice* createMciDevice();

} // namespace platform
