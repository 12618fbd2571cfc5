#pragma once
// The video file of the animation builder: the listed pictures, each shown
// for a number of frames, at 15 frames per second, MPEG-2 in an AVI file.
// The first entry of the list gives the frame size; only pictures of the
// accepted types become frames, each decoded once by the program's reader,
// fitted to the frame and sent for all its frames. Window-free; runs on any
// thread.
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

namespace video {

constexpr int kVideoFramesPerSecond = 15;

// True for the picture types that become frames ("TIF", "JPG", "BMP", "WMF",
// "EMF", "ICO", "CUR", "GIF", by the path's upper-case extension).
bool IsVideoFramePicture(const QString& path);

struct VideoJob {
    QStringList entries; // the list, first to last
    int frameRepeat = 8; // frames per picture
    QString target;
    int quantiser = 3;   // fixed MPEG quantiser
};

struct VideoResult {
    enum Outcome { Written, NoFrameSize, Failed, Stopped };
    Outcome outcome = Failed;
    QString error;         // why it failed
    std::int64_t frames = 0;
    int width = 0, height = 0;
    QStringList unreadable; // accepted entries that could not be read (left out; the file is made of the others)
};

// Writes the file through a temporary file renamed over the target at the
// end; on any failure or stop the target is left as it was. `cancel` is read
// between pictures.
VideoResult writeVideoFile(const VideoJob& job, const std::atomic<bool>* cancel = nullptr);

} // namespace video
