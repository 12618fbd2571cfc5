#include "video/VideoText.h"

#include "shared/MessageBox.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdint>
#include <limits>

namespace videotext {

double numericValue(const QString& text)
{
    QString s = text;
    s.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(s);
    if (!m.hasMatch())
        return 0;
    QString digits = m.captured(0);
    digits.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    bool ok = false;
    const double v = digits.toDouble(&ok); // the C form: '.' is the decimal point
    return ok && std::isfinite(v) ? v : 0;
}

namespace {
template <class T> std::optional<int> rounded(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return int(r);
}
} // namespace

std::optional<int> toInt16(double value) { return rounded<std::int16_t>(value); }
std::optional<int> toInt32(double value) { return rounded<std::int32_t>(value); }

void writerMessage(const QString& text)
{
    UntitledMsgBox(text);
}

} // namespace videotext
