#pragma once
// Media files the player tests make for themselves, and a probe that reads
// back what a file holds.
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace fixtures {

// A 440 Hz tone; the extension picks the container (WAV, MP3, ...).
bool makeTone(const QString& path, double seconds, int rate = 44100, int channels = 2);

// A moving picture (MPEG-4 in AVI by default) with an optional tone.
bool makeVideo(const QString& path, double seconds, int width = 160, int height = 120, double fps = 15,
               bool withSound = true);

// Upright grey bars, each `barWidth` pixels wide, in full-range YUV (JPEG's
// own range, as cameras and screen recorders write): Motion JPEG in AVI.
bool makeFullRangeGreyBars(const QString& path, const QList<int>& greys, int barWidth, int height, double seconds);

// One still picture (plain grey) again and again, as MPEG-2 in an MPEG
// program stream (".mpg"), at a frame rate MPEG-2 writes with its extension.
bool makeStillMpeg2(const QString& path, int fps, double seconds, QSize size = QSize(160, 120));

// The first picture of a video made RGB as FFmpeg makes it, with the range
// and matrix the stream gives; a null image when it cannot be read.
QImage ffmpegPicture(const QString& path);

struct MediaFacts {
    bool ok = false;
    double duration = -1; // seconds, the longest stream
    bool hasVideo = false, hasAudio = false;
    QString container, videoCodec, audioCodec;
    int width = 0, height = 0;
};
MediaFacts probe(const QString& path);

} // namespace fixtures
