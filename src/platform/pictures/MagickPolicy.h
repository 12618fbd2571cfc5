#pragma once
// ImageMagick's width and height limits, read from its policy files as
// ImageMagick reads them, without loading it: the size checks of pictures
// that Qt reads and writes (a new size, a quarter turn, a video frame) must
// not bring in the ImageMagick plug-in and its libraries.
#include <QByteArray>
#include <QSize>
#include <QStringList>

namespace platform {

// The widest and highest picture ImageMagick takes here: kMagickMaxSide
// (PictureLimits.h), lowered by its policy and its environment. Read once.
QSize magickSideLimits();

// The same read from the policy files in these folders and this
// environment (MAGICK_WIDTH_LIMIT, MAGICK_HEIGHT_LIMIT).
QSize magickSideLimits(const QStringList& folders, const QByteArray& widthVariable, const QByteArray& heightVariable);

// A policy value as ImageMagick reads it ("16KP" 16000, "1GiB", "8192"); -1
// when it is no number.
double magickPolicyValue(const QString& text);

} // namespace platform
