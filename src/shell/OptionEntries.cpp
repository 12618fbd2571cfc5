#include "shell/OptionEntries.h"

#include <cmath>

namespace optionentries {

double leadingNumber(const QString& text, const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    int i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    QString digits;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        digits += text.at(i++);
    bool anyDigit = false;
    bool seenPoint = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits += c;
            anyDigit = true;
            ++i;
        } else if (!seenPoint && text.mid(i, point.size()) == point) {
            digits += QLatin1Char('.');
            seenPoint = true;
            i += int(point.size());
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0;
    bool ok = false;
    const double v = digits.toDouble(&ok); // built in the C form above
    return ok ? v : 0;
}

double centimetresFromPixels(int pixels, double twipsPerCm)
{
    const double pixelsPerCm = twipsPerCm / 15.0;
    return pixelsPerCm > 0 ? pixels / pixelsPerCm : 0;
}

int pixelsFromCentimetres(double cm, double twipsPerCm)
{
    // A hair over, so that a product such as 1.5 x 80 that lands a rounding
    // error below a whole number is not taken one pixel short.
    const double px = cm * twipsPerCm / 15.0;
    return int(std::floor(px + 1e-9));
}

QString centimetresText(int pixels, double twipsPerCm, const QLocale& locale)
{
    // Without digit grouping, so that the text reads back as the same number.
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(centimetresFromPixels(pixels, twipsPerCm), 'f', 2);
}

EntryFault checkEntries(double heightCm, double widthCm, double firstCount, double nextCount)
{
    if (heightCm < 0.5 || heightCm > 5.5 || widthCm < 0.5 || widthCm > 5.5)
        return EntryFault::ThumbSize;
    if (firstCount < 2500 || firstCount > 10000)
        return EntryFault::FirstCount;
    if (nextCount < 500 || nextCount > 2500)
        return EntryFault::NextCount;
    return EntryFault::None;
}

QString faultMessage(EntryFault fault)
{
    switch (fault) {
    case EntryFault::ThumbSize: return kMsgThumbSize;
    case EntryFault::FirstCount: return kMsgFirstCount;
    case EntryFault::NextCount: return kMsgNextCount;
    case EntryFault::None: break;
    }
    return {};
}

} // namespace optionentries
