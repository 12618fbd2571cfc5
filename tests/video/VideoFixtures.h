#pragma once
// Pictures and media files the video tool tests make, and readers that
// decode what the tools wrote.
#include <QColor>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>

namespace videotest {

// A picture of one colour, saved by its extension (JPG, BMP, PNG ...).
bool writeSolid(const QString& path, int width, int height, const QColor& color);

// A short silent WAV file whose INFO list holds the tags (INAM title, IART
// artist, ICOP copyright, ICMT comment ...).
bool writeTaggedWav(const QString& path, const QList<QPair<QByteArray, QByteArray>>& tags);

struct VideoStream {
    bool ok = false;
    QString container, codec;
    int streams = 0, videoStreams = 0;
    int width = 0, height = 0;
    double frameRate = 0; // average
    double duration = -1; // seconds
    QList<std::int64_t> packetPts; // in the stream's time base
    double timeBase = 0;
};
// The picture stream's facts and the times of all its packets.
VideoStream readVideoStream(const QString& path);

// Every decoded frame, as a picture.
QList<QImage> decodeFrames(const QString& path);

// The mean colour of a picture (or of a rectangle of it).
QColor meanColor(const QImage& image, QRect area = {});
// True when the colour is near the wanted one (each channel within `slack`).
bool near(const QColor& a, const QColor& b, int slack = 40);

} // namespace videotest
