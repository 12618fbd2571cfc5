#pragma once
// Source videos for the media benchmarks: 1280x720 at 25 frames a second
// with moving detail (so the encoder has work) and a stereo tone, MPEG-4
// pictures in the container the file name gives.
#include "platform/media/MediaConverter.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace benchvideo {

constexpr double kFps = 25;
constexpr int kRate = 44100;

// `frames` stereo or mono samples of a sine from sample `first` on.
inline std::vector<std::int16_t> tone(double frequency, int first, int frames, int channels)
{
    std::vector<std::int16_t> s(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s[size_t(i) * channels + c] = std::int16_t(6000 * std::sin(2 * M_PI * frequency * (first + i) / kRate));
    return s;
}

// Writes the video unless the file is there already; `audioCodec` empty
// takes the container's own.
inline bool makeVideo(const QString& path, int seconds, const QString& audioCodec, const char* what)
{
    if (QFileInfo(path).size() > 0)
        return true;
    std::printf("making %s (%d s, 1280x720, 25 fps, MPEG-4 with %s sound)...\n", qPrintable(path), seconds, what);
    std::fflush(stdout);
    platform::MediaWriter w;
    if (!w.open(path, {1280, 720, kFps, kRate, 2, {}, audioCodec}))
        return false;
    QImage img(1280, 720, QImage::Format_RGB32);
    int samples = 0;
    for (int f = 0; f < int(seconds * kFps); ++f) {
        img.fill(QColor::fromHsv((f * 3) % 360, 180, 200));
        for (int y = 0; y < 720; y += 2)
            for (int x = (f * 8 + y) % 1280, n = 0; n < 64; ++n)
                img.setPixel((x + n) % 1280, y, qRgb(n * 4, y % 256, f % 256));
        if (!w.writeFrame(img))
            return false;
        const int until = int(std::lround((f + 1) / kFps * kRate));
        if (!w.writeAudio(tone(440, samples, until - samples, 2).data(), until - samples))
            return false;
        samples = until;
    }
    return w.finish();
}

} // namespace benchvideo
