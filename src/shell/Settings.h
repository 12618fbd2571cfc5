#pragma once
// Options.INI and Colors.INI: defaults, readers and writers.
#include "shared/SharedState.h"

#include <QString>

namespace settings {

enum class LoadResult { Ok, Missing, Failed };

inline const QString kOptionsFile = QStringLiteral("Options.INI");
inline const QString kColorsFile = QStringLiteral("Colors.INI");

inline const QString kMsgColorsMissing = QStringLiteral("Use the Utility Menu Option - Set Window Colors");
inline const QString kMsgColorsError = QStringLiteral("Error Loading Application Window Colors");
inline const QString kMsgOptionsMissing = QStringLiteral("Use the Utility Menu Option - Set Program Options");
inline const QString kMsgOptionsError = QStringLiteral("Error Loading Application Options");

void setDefaultColors(ColorScheme& c);
// Sets every option to its default; cLastFolder becomes programFolder.
void setDefaultOptions(Options& o, const QString& programFolder);

// Reads the colours in file order; on a failure the values read before it stay.
LoadResult loadColors(const QString& path, ColorScheme& c);

// Reads the options. The numbers and texts read before a failure stay; the
// twelve flags are set only when the whole file was read (then *flagsRead).
LoadResult loadOptions(const QString& path, Options& o);

// The files' text, CR LF line ends.
QString colorsText(const ColorScheme& c);
QString optionsText(const Options& o);

// Writes the file whole (temporary file renamed over the old one).
// On failure *errorNumber / *errorText describe it.
bool writeColors(const QString& path, const ColorScheme& c, int* errorNumber = nullptr, QString* errorText = nullptr);
bool writeOptions(const QString& path, const Options& o, int* errorNumber = nullptr, QString* errorText = nullptr);

// Values the program's own controls never produce are taken as 0.
void sanitizeOptions(Options& o);

} // namespace settings
