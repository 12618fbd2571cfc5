#pragma once
// The entries of the options dialog without the window: how its fields read
// numbers, the thumbnail sizes in centimetres and the range checks.
#include <QLocale>
#include <QString>

namespace optionentries {

// The number a field's text begins with: leading blanks, an optional sign,
// digits and one decimal point of `locale`; reading stops at anything else
// ("2,500" reads as 2 in the C locale). No number at all reads as 0.
double leadingNumber(const QString& text, const QLocale& locale = QLocale::c());

// Thumbnail sizes are kept in pixels and shown in centimetres; the screen
// scale is given in twips per centimetre, 15 twips to the pixel.
double centimetresFromPixels(int pixels, double twipsPerCm);
// The whole pixels in `cm` centimetres (rounded down).
int pixelsFromCentimetres(double cm, double twipsPerCm);
// The centimetres as the user's locale writes numbers, two decimals, no
// digit grouping (leadingNumber with the same locale reads it back).
QString centimetresText(int pixels, double twipsPerCm, const QLocale& locale);

enum class EntryFault { None, ThumbSize, FirstCount, NextCount };

// The checks in the dialog's order; the first that fails is reported.
EntryFault checkEntries(double heightCm, double widthCm, double firstCount, double nextCount);

inline const QString kMsgThumbSize = QStringLiteral("Invalid Sizes for ThumbNail Images");
inline const QString kMsgFirstCount =
    QStringLiteral("Enter a Number between 2,500 and 10,000 of Files to Initially Search");
inline const QString kMsgNextCount = QStringLiteral("Enter a Number between 500 and 2500 of Files to Search Next");

QString faultMessage(EntryFault fault);

} // namespace optionentries
