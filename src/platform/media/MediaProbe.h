#pragma once
// What a media file holds, read without decoding it: its descriptive tags and
// the facts of each sound and picture stream, with the format and
// compression codes of the Windows media formats (WAVE format tags, bitmap
// compression codes). Part of the media conversion component. A value that
// the file does not tell stays unknown (negative, or empty for texts).
#include <QList>
#include <QString>
#include <cstdint>

namespace platform {

struct MediaTags {
    QString title, author, copyright, description, rating;
};

struct StreamFacts {
    enum Kind { Other, Audio, Video };
    Kind kind = Other;
    // Sound.
    std::int64_t audioFormatTag = -1; // WAVE format tag: 0x1 plain samples, 0x55 MP3 ...
    std::int64_t audioAvgBytesPerSec = -1;
    int audioSamplesPerSec = -1;
    int audioBitsPerSample = -1;
    int audioChannels = -1;
    // Pictures.
    std::int64_t videoCompression = -1; // bitmap compression code: 0 plain RGB, else a four-letter code
    int videoWidth = -1, videoHeight = -1;
    std::int64_t videoFrames = -1;
    double videoFrameRate = -1;
    std::int64_t videoBitRate = -1; // bits per second
    int videoBitCount = -1;         // bits per pixel
};

struct MediaFacts {
    bool ok = false;
    QString error;
    double duration = -1; // seconds
    double start = -1;    // seconds: the time of the first picture or sound
    MediaTags tags;
    QList<StreamFacts> streams; // in the file's order; cover pictures are left out
};

// Safe to call from any thread.
MediaFacts probeMedia(const QString& path);

} // namespace platform
