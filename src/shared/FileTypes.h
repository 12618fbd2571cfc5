#pragma once
// Classifying a path by its extension.
#include <QString>

// The upper-case text after the last "." of the path; "" when there is no
// dot or more than 8 characters follow it.
QString GetFileExt(const QString& path);

// Audio, video, video CD or audio CD file.
bool IsMediaFile(const QString& path);
// Video file.
bool IsVideoFile(const QString& path);
