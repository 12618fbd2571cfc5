#pragma once
// Small text helpers of the video tools: the numbers typed into their boxes,
// and the message box of the video writers.
#include <QString>
#include <optional>

namespace videotext {

// The number a box's text starts with, as the program has always read typed
// numbers: blanks are passed over, then a sign, digits, a decimal point and
// an exponent are taken as far as they go; no number at all reads as 0.
double numericValue(const QString& text);

// Rounded to the nearest whole number (halves to the even one); nothing when
// it does not fit a 16-bit or 32-bit integer.
std::optional<int> toInt16(double value);
std::optional<int> toInt32(double value);

// A message of the video writers, titled with the application's name.
void writerMessage(const QString& text);

} // namespace videotext
