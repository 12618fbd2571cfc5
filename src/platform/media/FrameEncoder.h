#pragma once
// Writes a video file from still pictures, part of the media conversion
// component. Each picture is fitted into the frame (its shape kept, black
// around it), converted once and sent to the encoder for as many frames as it
// is to show; frame n is stamped n / rate exactly. The file is written to a
// temporary file beside the target and renamed over it by finish(); an
// encoder given up on before finish() leaves nothing behind.
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

namespace platform {

// A picture read for the encoder, through the program's own picture reader
// (every type the main view shows, within its memory limits). Safe to read on
// any thread.
class StillPicture {
public:
    // The picture fitted within box (never enlarged; scaled in the decoder
    // where the type allows), so that a large picture never lands whole in
    // memory only to be made smaller.
    static StillPicture read(const QString& path, const QSize& box);
    // The size of the file's picture as its header tells it; empty when it
    // is no picture the reader takes.
    static QSize sizeOf(const QString& path);
    static StillPicture fromImage(const QImage& image);
    bool isNull() const { return m_image.isNull(); }
    QSize size() const { return m_image.size(); }

private:
    friend class FrameEncoder;
    QImage m_image;
};

struct FrameFormat {
    int width = 0, height = 0; // the frame (even sizes for encoders other than MPEG-1 and MPEG-2)
    int rateNum = 15, rateDen = 1; // frames per second, kept exactly
    QString encoder = QStringLiteral("mpeg2video");
    int quantiser = 3; // fixed quantiser (1 best .. 31)
};

class FrameEncoder {
public:
    FrameEncoder();
    ~FrameEncoder();
    FrameEncoder(const FrameEncoder&) = delete;
    FrameEncoder& operator=(const FrameEncoder&) = delete;

    // The container comes from the target's extension.
    bool open(const QString& target, const FrameFormat& format);
    // The frame size the encoder works at (after open).
    int frameWidth() const;
    int frameHeight() const;
    // Shows the picture for `repeat` frames (nothing for repeat < 1).
    bool addPicture(const StillPicture& picture, int repeat);
    bool addPicture(const QImage& picture, int repeat) { return addPicture(StillPicture::fromImage(picture), repeat); }
    // Flushes the encoder, closes the file and renames it into place.
    bool finish();
    std::int64_t framesWritten() const { return m_frames; }
    QString error() const { return m_error; }

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    std::int64_t m_frames = 0;
    QString m_error;
};

} // namespace platform
