#pragma once
// Turns the pictures a media engine hands on (planes of raw pixels) into
// images for the screen, on the processor. Qt's own conversion sets up a
// graphics context on the window's thread the first time it runs, which
// takes far longer than a video sink waits for that thread.
#include <QImage>
#include <QSize>

struct SwsContext;

namespace platform {

// The pixel layouts the engine may hand on, by their usual names.
enum class PixelLayout {
    Unknown,
    Yuv420p, // three planes: Y, U, V (quarter size)
    Yv12,    // three planes: Y, V, U (quarter size)
    Yuv422p, // three planes: Y, U, V (half width)
    Nv12,    // Y, then U and V interleaved (quarter size)
    Nv21,    // Y, then V and U interleaved (quarter size)
    Uyvy,
    Yuyv,
    P010, // like NV12, 16 bits a sample
    Gray8,
    Gray16,
    Xrgb8888, // bytes in memory order, X an unused byte
    Argb8888,
    Xbgr8888,
    Abgr8888,
    Rgbx8888,
    Rgba8888,
    Bgrx8888,
    Bgra8888,
};

// How the luma and colour differences of a YUV picture map to RGB: the
// range the samples span (16-235/240 or 0-255) and the matrix they were
// made with. Each frame says its own; RGB and grey layouts ignore them.
enum class ColourRange { Limited, Full };
enum class ColourMatrix { Bt601, Bt709, Bt2020 };

struct VideoPlanes {
    PixelLayout layout = PixelLayout::Unknown;
    QSize size;
    ColourRange range = ColourRange::Limited;
    ColourMatrix matrix = ColourMatrix::Bt601;
    const uchar* data[4] = {};
    int bytesPerLine[4] = {};
};

class VideoPictureConverter {
public:
    // Loads FFmpeg's libraries when nothing has loaded them yet.
    VideoPictureConverter();
    ~VideoPictureConverter();
    VideoPictureConverter(const VideoPictureConverter&) = delete;
    VideoPictureConverter& operator=(const VideoPictureConverter&) = delete;

    // The picture in 32-bit RGB (with alpha when the layout has it), made
    // smaller to fit `largest` when that is given; a null image for a layout
    // not listed or planes that do not fit it.
    QImage convert(const VideoPlanes& planes, const QSize& largest = QSize());

private:
    SwsContext* m_sws = nullptr;
    bool m_loaded = false;
};

} // namespace platform
