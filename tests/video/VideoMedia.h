#pragma once
// Pictures and media files the video tool tests make for themselves, and what
// a file holds read back packet by packet or decoded frame by frame.
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <cmath>
#include <vector>

namespace videotest {

// A picture of one colour, saved by its extension (JPG, BMP, PNG ...).
bool writeSolid(const QString& path, int width, int height, const QColor& color);
// A JPEG of a few hundred bytes whose header claims width x height pixels.
bool writeClaimingJpeg(const QString& path, int width, int height);

// A short silent WAV file whose INFO list holds the tags (INAM title, IART
// artist, ICOP copyright, ICMT comment ...).
bool writeTaggedWav(const QString& path, const QList<QPair<QByteArray, QByteArray>>& tags);

// A clip of frames that differ, with a tone; no width makes a sound-only file.
// The extension picks the container.
struct VideoSpec {
    double seconds = 2;
    int width = 64, height = 48;
    double fps = 25;
    bool sound = true;
    QString audioEncoder = "pcm_s16le";
    QString videoEncoder = {};     // empty: the container's own (MPEG-4 in AVI)
    double extraSound = 0;         // seconds of sound after the last picture
    double frequency = 440;
    int rate = 44100, channels = 2;
};
bool makeVideo(const QString& path, const VideoSpec& spec);
inline bool makeTone(const QString& path, double seconds, double frequency, int rate, int channels)
{
    return makeVideo(path, {.seconds = seconds, .width = 0, .frequency = frequency, .rate = rate, .channels = channels});
}

struct Packet {
    int stream = 0;
    double pts = 0, dts = 0, duration = 0; // seconds
    QByteArray data;
    double at() const { return std::isnan(pts) ? dts : pts; } // its time, presentation else decoding
};
struct Stream {
    bool video = false;
    QString codec;
    int width = 0, height = 0, sampleRate = 0, channels = 0;
    double frameRate = 0;                  // the average
    double start = NAN, seconds = 0; // from the packets: the first time and the greatest stop time
    int decoderDelay = 0; // frames a decoder holds back before giving one out (B-frames)
    int matrix = 0, range = 0; // the colour matrix and range the stream names (FFmpeg's AVCOL_SPC_*, AVCOL_RANGE_*)
};
struct Contents {
    bool ok = false;
    QString container;
    double duration = -1; // as the container states it
    std::vector<Stream> streams;
    std::vector<Packet> packets;
    std::vector<Packet> of(int stream) const;
};
Contents readContents(const QString& path);

// Every decoded frame of the picture stream; *times gets each frame's time in
// seconds as the decoder gives it out.
QList<QImage> decodeFrames(const QString& path, std::vector<double>* times = nullptr);

// The mean colour of a picture (or of a rectangle of it).
QColor meanColor(const QImage& image, QRect area = {});
// True when the colour is near the wanted one (each channel within `slack`).
bool near(const QColor& a, const QColor& b, int slack = 40);

inline QStringList folderEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace videotest
