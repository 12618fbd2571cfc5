#pragma once
// Media files the video tool tests make for themselves, and what a file holds
// read back packet by packet.
#include <QByteArray>
#include <QString>
#include <cmath>
#include <vector>

namespace videotest {

// A tone of `frequency` Hz; the extension picks the container.
bool makeTone(const QString& path, double seconds, double frequency, int rate, int channels);

struct VideoSpec {
    double seconds = 2;
    int width = 64, height = 48;
    double fps = 25;
    bool sound = true;             // a 440 Hz tone, 44.1 kHz stereo
    QString audioEncoder = "pcm_s16le";
    QString videoEncoder;          // empty: the container's own (MPEG-4 in AVI)
    double extraSound = 0;         // seconds of sound after the last picture
};
inline VideoSpec clip(double seconds, int width = 64, int height = 48, double fps = 25, bool sound = true,
                      const QString& audioEncoder = "pcm_s16le")
{
    VideoSpec s;
    s.seconds = seconds;
    s.width = width;
    s.height = height;
    s.fps = fps;
    s.sound = sound;
    s.audioEncoder = audioEncoder;
    return s;
}
bool makeVideo(const QString& path, const VideoSpec& spec);

struct Packet {
    int stream = 0;
    double pts = 0, dts = 0, duration = 0; // seconds
    QByteArray data;
};
struct Stream {
    bool video = false;
    QString codec;
    int width = 0, height = 0, sampleRate = 0, channels = 0;
    double start = NAN, seconds = 0; // from the packets: the first time and the greatest stop time
};
struct Contents {
    bool ok = false;
    std::vector<Stream> streams;
    std::vector<Packet> packets;
    std::vector<Packet> of(int stream) const;
};
Contents readContents(const QString& path);

} // namespace videotest
