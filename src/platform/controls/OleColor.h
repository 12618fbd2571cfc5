#pragma once
// Colours are kept as 32-bit OLE colour values: 0x00BBGGRR, or 0x80000000 plus
// a system colour index. They are resolved to a QColor only to paint.
#include <QColor>
#include <QtGlobal>

namespace platform {

using OleColor = quint32;

constexpr bool isSystemColor(OleColor c) { return (c & 0x80000000u) != 0; }

// 0x00BBGGRR or a system colour resolved through the application palette.
QColor resolveOleColor(OleColor c);

// What a colour of the scheme is painted as.
enum class ColorRole {
    Background, // a control's fill, either end of a wash
    Text,       // text, lines and marks
};

// The colour the windows paint for a colour of the scheme in its role: the
// one resolution that the controls, the dialogs and the colours page share,
// so that a colour box shows what the windows show. As resolveOleColor,
// except that a background in system colour 23 (the info text colour, the
// default list background) is painted with the info background, so that the
// default scheme stays legible.
QColor resolveColor(ColorRole role, OleColor c);

// How far text in one colour stands out from a background in the other: the
// ratio of their relative luminances (each plus 0.05), from 1 (the same) to 21
// (black on white). Text reads well from 4.5 on.
double contrastRatio(const QColor& a, const QColor& b);
inline constexpr double kLegibleContrast = 4.5;

// An explicit colour from a QColor.
OleColor toOleColor(const QColor& c);

// As the settings files store it: a signed 32-bit decimal.
inline qint32 oleColorAsStored(OleColor c) { return qint32(c); }

} // namespace platform
