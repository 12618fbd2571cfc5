#pragma once
// Two jobs of the media component that write one file from several: joining
// media files one after another, and putting the sound of one file under the
// pictures of another. Both copy compressed packets where the target's
// container takes them and encode the rest with the container's own codecs,
// write a temporary file in the target's folder that is renamed into place
// only when the whole file was written, and never write over a source.
//
// They run on the calling thread (MediaConverter::StartJob runs them on its
// worker), read the cancel flag between packets, and report status texts.
// A failure's result carries the text to show the user.
#include "platform/media/MediaConverter.h"

#include <QByteArray>
#include <QStringList>
#include <vector>

namespace platform {

// What a join compares of a file. Only the first two streams are looked at:
// the first video and the first audio among them.
struct MediaInfo {
    int videoStream = -1, audioStream = -1; // stream numbers, -1 for none
    // Pictures.
    int videoCodec = 0; // FFmpeg codec id
    QString videoCodecName;
    int width = 0, height = 0, bitCount = 0;
    double frameRate = 0;
    int pixelFormat = -1;
    QByteArray videoExtradata;
    // Sound.
    int audioCodec = 0;
    int sampleRate = 0, channels = 0, sampleFormat = -1, blockAlign = 0, bitsPerSample = 0;
    QByteArray audioExtradata;
};

bool GetMediaInfo(const QString& path, MediaInfo* info, QString* error);

// The join's texts.
inline const QString kVerifyingFiles = QStringLiteral("Verifying files ...");
inline const QString kListEmpty = QStringLiteral("The list is empty");
inline const QString kFilesDiffer = QStringLiteral(
    "The provided input files have different properties (dimensions, frame rate, compression, etc.). "
    "Only files with the same properties can be joined.");
inline const QString kJoinStartError = QStringLiteral("Error starting conversion");
inline const QString kJoinTypesError = QStringLiteral("Error setting source media types.");
inline const QString kJoinTargetError = QStringLiteral("Error setting target file.");
inline const QString kJoinEndError = QStringLiteral("Error delivering end of stream.");
// "Writing File 0 (path)"
QString writingFileText(int n, const QString& path);

// Every file must have a video stream exactly when the first has one and an
// audio stream exactly when the first has one; with video, the same codec,
// size and bits per pixel, and a frame rate within 1 % of the first file's.
// On a refusal *error holds the message. `infos` receives each file's facts.
bool VerifyInputFiles(const QStringList& files, QString* error, std::vector<MediaInfo>* infos = nullptr);

struct JoinJob {
    QStringList sources; // in joining order
    QString target;
};

// Verifies the files, then writes them one after another: each file's times
// start at the greatest stop time of the files before it. Pictures are copied
// when every file's coding matches the first file's (extradata included) and
// the container takes it; sound likewise, else every file's sound is
// converted to the first file's format (its PCM coding when the first is PCM).
ConvertResult JoinVideoFiles(const JoinJob& job, const std::atomic<bool>* cancel = nullptr,
                             const StatusReport& status = {});

// The audio replacement's texts.
inline const QString kPrepareVideo = QStringLiteral("Prepare the video control...");
inline const QString kPrepareAudio = QStringLiteral("Prepare the audio control...");
inline const QString kPrepareDestination = QStringLiteral("Prepare the destination control...");
inline const QString kCopyVideo = QStringLiteral("Copy the video samples...");
inline const QString kCopyAudio = QStringLiteral("Copy the audio samples...");
inline const QString kReplaceDone = QStringLiteral("Done.");
inline const QString kReplaceAborted = QStringLiteral("Conversion Aborted.");

struct ReplaceAudioJob {
    QString video, audio, target;
};

// Writes the pictures of `video` and the sound of `audio`, both whole, into
// `target`, interleaved by time.
ConvertResult ReplaceAudio(const ReplaceAudioJob& job, const std::atomic<bool>* cancel = nullptr,
                           const StatusReport& status = {});

} // namespace platform
