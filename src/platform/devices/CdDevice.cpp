#include "platform/devices/CdDevice.h"
#include "platform/core/LibraryLoad.h"

#include "platform/media/SoundOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QtEndian>

#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace platform {
namespace {

constexpr int kSectorBytes = CDIO_CD_FRAMESIZE_RAW; // 2352

CdIo_t* cdio(void* p) { return static_cast<CdIo_t*>(p); }

// libcdio's own handler ends the process on an error (a damaged image, for
// one); ours only keeps the message.
QString& lastCdioMessage()
{
    static QString message;
    return message;
}

void keepCdioMessage(cdio_log_level_t level, const char* message)
{
    if (level >= CDIO_LOG_WARN && message)
        lastCdioMessage() = QString::fromLocal8Bit(message);
}

// Raw audio of a run of sectors, read as the sound output asks for it.
class CdAudioStream : public QIODevice {
public:
    CdAudioStream(const CdDisc* disc, int first, int end) : m_disc(disc), m_next(first), m_end(end) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_buffer.size() - m_offset + qint64(m_end - m_next) * kSectorBytes + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        qint64 done = 0;
        while (done < maxSize) {
            if (m_offset >= m_buffer.size()) {
                if (m_next >= m_end)
                    break;
                const int count = std::min(m_end - m_next, 75);
                if (!m_disc->readAudio(m_next, count, &m_buffer)) {
                    m_next = m_end; // a damaged disc ends the play
                    break;
                }
                m_next += count;
                m_offset = 0;
            }
            const qint64 n = std::min<qint64>(maxSize - done, m_buffer.size() - m_offset);
            memcpy(data + done, m_buffer.constData() + m_offset, size_t(n));
            m_offset += n;
            done += n;
        }
        return done;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const CdDisc* m_disc;
    int m_next, m_end;
    QByteArray m_buffer;
    qint64 m_offset = 0;
};

// The CD audio device: opens the disc, steps through its tracks and plays
// the digital audio through the sound output.
class CdAudioDevice : public MciDevice {
public:
    bool open(const QString& deviceType, const QString& fileName, QString* error) override
    {
        if (deviceType.compare(QLatin1String("CDAudio"), Qt::CaseInsensitive) != 0) {
            *error = QStringLiteral("The device type cannot be opened - ") + deviceType;
            return false;
        }
        stopPlaying();
        m_disc = CdDisc::open(fileName, error);
        if (!m_disc)
            return false;
        m_track = -1;
        for (int i = 0; i < m_disc->tracks().size() && m_track < 0; ++i)
            if (m_disc->tracks().at(i).audio)
                m_track = i;
        if (m_track < 0) {
            m_disc.reset();
            *error = QStringLiteral("The disc holds no audio tracks");
            return false;
        }
        return true;
    }
    bool close(QString* error) override
    {
        if (!m_disc) {
            *error = QStringLiteral("The device is not open");
            return false;
        }
        stopPlaying();
        m_disc.reset();
        return true;
    }
    bool play(QString* error) override
    {
        if (!isOpen(error))
            return false;
        std::unique_ptr<SoundOutput> out = openSoundOutput(44100, 2, error);
        if (!out)
            return false;
        stopPlaying();
        const CdTrack& t = m_disc->tracks().at(m_track);
        int end = t.firstSector + t.sectors;
        for (const CdTrack& later : m_disc->tracks()) // on to the end of the disc's audio
            if (later.audio && later.firstSector >= end)
                end = later.firstSector + later.sectors;
        m_stream = std::make_unique<CdAudioStream>(m_disc.get(), t.firstSector, end);
        m_stream->open(QIODevice::ReadOnly);
        m_sink = std::move(out);
        if (!m_sink->start(m_stream.get())) {
            stopPlaying();
            *error = QStringLiteral("The sound device cannot play the CD");
            return false;
        }
        return true;
    }
    bool pause(QString* error) override
    {
        if (!isOpen(error))
            return false;
        if (m_sink)
            m_sink->suspend();
        return true;
    }
    bool stop(QString* error) override
    {
        if (!isOpen(error))
            return false;
        stopPlaying();
        return true;
    }
    bool next(QString* error) override { return step(+1, error); }
    bool prev(QString* error) override { return step(-1, error); }
    bool eject(QString* error) override
    {
        if (!isOpen(error))
            return false;
        stopPlaying();
        CdIo_t* none = nullptr;
        cdio_eject_media(&none);
        return true;
    }
    qint64 length() const override { return m_disc ? m_disc->tracks().at(m_track).lengthMs() : 0; }
    qint64 position() const override { return m_sink ? m_sink->processedUSecs() / 1000 : 0; }
    bool isPlaying() const override { return m_sink && m_sink->isActive(); }

private:
    bool isOpen(QString* error) const
    {
        if (!m_disc)
            *error = QStringLiteral("The device is not open");
        return bool(m_disc);
    }
    bool step(int by, QString* error)
    {
        if (!isOpen(error))
            return false;
        int i = m_track + by;
        while (i >= 0 && i < m_disc->tracks().size() && !m_disc->tracks().at(i).audio)
            i += by;
        if (i >= 0 && i < m_disc->tracks().size())
            m_track = i;
        const bool wasPlaying = bool(m_sink);
        stopPlaying();
        return wasPlaying ? play(error) : true;
    }
    void stopPlaying()
    {
        if (m_sink)
            m_sink->stop();
        m_sink.reset();
        m_stream.reset();
    }

    std::unique_ptr<CdDisc> m_disc;
    int m_track = -1;
    std::unique_ptr<CdAudioStream> m_stream;
    std::unique_ptr<SoundOutput> m_sink;
};

MciDeviceFactory& deviceFactory()
{
    static MciDeviceFactory f;
    return f;
}

} // namespace

CdDisc::~CdDisc()
{
    if (m_cdio)
        cdio_destroy(cdio(m_cdio));
}

std::unique_ptr<CdDisc> CdDisc::open(const QString& device, QString* error)
{
    if (!deviceLibrariesLoaded(error))
        return nullptr;
    cdio_log_set_handler(keepCdioMessage);
    lastCdioMessage().clear();
    QString name = device;
    if (name.isEmpty()) {
        char* found = cdio_get_default_device(nullptr);
        if (found) {
            name = QFile::decodeName(found);
            cdio_free(found);
        }
    }
    if (name.isEmpty() || !QFileInfo::exists(name)) {
        *error = QStringLiteral("No CD drive was found");
        return nullptr;
    }
    const QByteArray n = QFile::encodeName(name);
    const QString ext = QFileInfo(name).suffix().toLower();
    CdIo_t* p = nullptr;
    if (ext == QLatin1String("cue"))
        p = cdio_open_cue(n.constData());
    else if (ext == QLatin1String("toc"))
        p = cdio_open_cdrdao(n.constData());
    else if (ext == QLatin1String("nrg"))
        p = cdio_open_nrg(n.constData());
    else
        p = cdio_open(n.constData(), DRIVER_DEVICE);
    if (!p) {
        *error = QStringLiteral("No disc can be read in - ") + name +
                 (lastCdioMessage().isEmpty() ? QString() : QStringLiteral(" (") + lastCdioMessage() + QLatin1Char(')'));
        return nullptr;
    }
    std::unique_ptr<CdDisc> disc(new CdDisc);
    disc->m_cdio = p;
    const track_t first = cdio_get_first_track_num(p);
    const track_t count = cdio_get_num_tracks(p);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        *error = QStringLiteral("No disc is in the drive - ") + name;
        return nullptr;
    }
    for (track_t t = first; t < first + count; ++t) {
        CdTrack tr;
        tr.number = t;
        tr.firstSector = cdio_get_track_lsn(p, t);
        tr.sectors = int(cdio_get_track_sec_count(p, t));
        tr.audio = cdio_get_track_format(p, t) == TRACK_FORMAT_AUDIO;
        disc->m_tracks << tr;
    }
    return disc;
}

bool CdDisc::readAudio(int sector, int count, QByteArray* out) const
{
    out->resize(qsizetype(count) * kSectorBytes);
    return cdio_read_audio_sectors(cdio(m_cdio), out->data(), sector, unsigned(count)) == DRIVER_OP_SUCCESS;
}

int readCdaTrackNumber(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray h = f.read(44);
    if (h.size() < 24 || !h.startsWith("RIFF") || h.mid(8, 4) != "CDDA" || h.mid(12, 4) != "fmt ")
        return 0;
    return qFromLittleEndian<quint16>(h.constData() + 22);
}

void setMciDeviceFactory(MciDeviceFactory factory) { deviceFactory() = std::move(factory); }

MciDevice* createMciDevice() { return deviceFactory() ? deviceFactory()() : new CdAudioDevice; }

} // namespace platform
