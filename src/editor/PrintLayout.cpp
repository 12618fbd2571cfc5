#include "editor/PrintLayout.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace printlayout {

namespace {

// Half to even, as whole numbers are taken throughout.
double roundEven(double v) { return std::nearbyint(v); }

constexpr double kSmallPicture = 128;  // pixels; smaller sides print 40 twips a pixel
constexpr double kUsableAcross = 0.07; // of the page width kept free
constexpr double kUsableDown = 0.3;    // of the page height kept free

} // namespace

QSizeF previewSize(int bitmapWidth, int bitmapHeight, const QSizeF& box)
{
    if (bitmapWidth <= 0 || bitmapHeight <= 0 || box.width() <= 0 || box.height() <= 0)
        return {};
    const double bw = bitmapWidth, bh = bitmapHeight;
    // The ratios are compared in single precision.
    const float xr = float(bw / box.width()), yr = float(bh / box.height());
    if (xr >= yr) // wider than the box: the width stays
        return {std::round(box.width()), std::round(box.height() * bh / bw)};
    return {std::round(box.width() * bw / bh + 50), std::round(box.height())};
}

int barPercent(double previewExtent, double frameExtent)
{
    if (frameExtent <= 0)
        return 0;
    const double v = std::floor(100 * previewExtent / frameExtent) + previewExtent * 0.01;
    return int(std::clamp(roundEven(v), -32768.0, 100.0));
}

double barExtent(double baseExtent, int percent) { return baseExtent * percent / 100; }

double labelTop(const QRectF& preview, bool above)
{
    return above ? preview.top() - 380 : preview.height() + preview.top() + 100;
}

double leadingNumber(const QString& text)
{
    QString s = text;
    s.remove(QRegularExpression(QStringLiteral("[ \\t\\r\\n]")));
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(s);
    if (!m.hasMatch())
        return 0;
    QString n = m.captured(0);
    n.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    bool ok = false;
    const double v = n.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        // An exponent too large to hold: the digits before it.
        const double mantissa = m.captured(1).toDouble(&ok);
        return ok ? (n.startsWith(QLatin1Char('-')) ? -mantissa : mantissa) : 0;
    }
    // Far off the page either way is as good as any further.
    return std::clamp(v, -1.0e6, 1.0e6);
}

int roundToShort(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(roundEven(value), -32768.0, 32767.0));
}

PageScale pageScale(double widthTwips, double heightTwips, double twipsPerPixelX, double twipsPerPixelY)
{
    PageScale s;
    s.nStepX = 8 / twipsPerPixelX;
    s.nStepY = roundToShort(8 / twipsPerPixelY);
    s.nPageWidth = widthTwips / twipsPerPixelX;
    s.nPageHeight = heightTwips / twipsPerPixelY;
    s.nUsableWidth = s.nPageWidth - kUsableAcross * s.nPageWidth;
    s.nUsableHeight = s.nPageHeight - kUsableDown * s.nPageHeight;
    return s;
}

QSizeF printSize(int bitmapWidth, int bitmapHeight, const PageScale& scale)
{
    if (bitmapWidth < kSmallPicture || bitmapHeight < kSmallPicture)
        return {bitmapWidth * 5 * scale.nStepX, double(bitmapHeight) * 5 * scale.nStepY};
    return {double(bitmapWidth), double(bitmapHeight)};
}

QSizeF fitSize(const QSizeF& print, int bits, const PageScale& s)
{
    const double w0 = print.width(), h0 = print.height();
    if (w0 <= 0 || h0 <= 0)
        return {};
    const bool widthRules = s.nUsableWidth * h0 / w0 < s.nUsableHeight;
    double fitW = 0, fitH = 0;
    if (bits > 8) {
        if (widthRules) {
            fitW = s.nUsableWidth;
            fitH = fitW * h0 / w0;
        } else {
            fitH = s.nUsableHeight;
            fitW = fitH * w0 / h0;
        }
    } else if (widthRules) {
        fitW = w0 > s.nUsableWidth ? s.nUsableWidth : w0;
        fitH = h0 > s.nUsableHeight ? fitW * h0 / w0 : h0;
    } else {
        fitH = h0 > s.nUsableHeight ? s.nUsableHeight : h0;
        fitW = w0 > s.nUsableWidth ? fitH * w0 / h0 : w0;
    }
    return {fitW, fitH};
}

QRectF pictureRect(const QSizeF& preview, double left, double top, const PageScale& s)
{
    const double printW = s.nPageWidth * preview.width() / kFrameWidth;
    const double printH = s.nPageHeight * preview.height() / kFrameHeight;
    double x = left / kFrameWidth * s.nPageWidth;
    double y = top / kFrameHeight * s.nPageHeight;
    if (x + printW > s.nUsableWidth)
        x = (s.nPageWidth - printW) / 2 + kUsableAcross * s.nPageWidth / 2;
    if (y + printH > s.nPageHeight)
        y = (s.nPageHeight - printH) / 2 + kUsableDown * s.nPageHeight / 2;
    return {x, y, printW, printH};
}

QPointF labelPlace(const QRectF& picture, double labelWidth, double fitWidth, bool above, const PageScale& s)
{
    double x = picture.left() + picture.width() / 2 - labelWidth / 2;
    if (fitWidth - fitWidth * 0.2 <= labelWidth)
        x = picture.left();
    const double y = above ? picture.top() - 60 - 60.0 * s.nStepY
                           : picture.top() + 60 + picture.height() + 60.0 * s.nStepY;
    return {x, y};
}

double titleX(double usableWidth, double titleWidth) { return roundToShort((usableWidth - titleWidth) / 2); }

QString stampDate(const QDateTime& when) { return when.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral("   "); }
QString stampTime(const QDateTime& when) { return when.toString(QStringLiteral("HH:mm:ss")); }

namespace {

using platform::PrintCanvas;
using platform::PrintEnd;

// A step of the page's head: one that fails is passed over.
template <class F> void tryStep(F&& step)
{
    try {
        step();
    } catch (const platform::PrintError&) {
    }
}

void printDateStamp(PrintCanvas& printer, const PageScale& s, const QDateTime& when)
{
    tryStep([&] { printer.CurrentX = 25 * s.nStepX; });
    tryStep([&] { printer.CurrentY = 25.0 * s.nStepY; });
    tryStep([&] { printer.setFontSize(8); });
    tryStep([&] { printer.Print(stampDate(when), PrintEnd::Zone); });
    tryStep([&] { printer.Print(stampTime(when), PrintEnd::Zone); });
}

void printPageHeader(PrintCanvas& printer, const PicturePage& page, PrintedGeometry& g)
{
    tryStep([&] { printer.StartPage(); });
    printDateStamp(printer, g, page.stamp);
    const TitleStyle& t = page.style;
    tryStep([&] { printer.setFontName(t.fontName); });
    tryStep([&] { printer.setFontBold(t.bold); });
    tryStep([&] { printer.setFontItalic(t.italic); });
    tryStep([&] { printer.setFontSize(t.fontSize); });
    tryStep([&] { printer.setForeColor(t.color); });
    tryStep([&] { printer.CurrentY = 80.0 * g.nStepY; });
    tryStep([&] { printer.CurrentX = titleX(g.nUsableWidth, printer.TextWidth(page.title)); });
    g.title = QPointF(printer.CurrentX, printer.CurrentY);
    tryStep([&] { printer.Print(page.title, PrintEnd::LineEnd); });
    tryStep([&] { printer.setFontSize(10); });
}

} // namespace

PrintOutcome printPicturePage(PrintCanvas& printer, const PicturePage& page)
{
    PrintOutcome out;
    if (page.picture.isNull() || page.currentFile.trimmed().isEmpty())
        return out; // nothing to print: the page is never started
    PrintedGeometry& g = out.geometry;
    try {
        printer.setFontSize(8);
        static_cast<PageScale&>(g) = pageScale(printer.Width(), printer.Height(), printer.TwipsPerPixelX(),
                                               printer.TwipsPerPixelY());
        printPageHeader(printer, page, g);
        printer.Print(QString(), PrintEnd::LineEnd);

        const QSizeF print = printSize(page.picture.width(), page.picture.height(), g);
        g.nPictWidth = print.width();
        g.nPictHeight = print.height();
        const QSizeF fit = fitSize(print, page.bits, g);
        g.nFitWidth = fit.width();
        g.nFitHeight = fit.height();
        g.picture = pictureRect(page.preview, leadingNumber(page.leftText), leadingNumber(page.topText), g);
        printer.Render(page.picture, g.picture);

        g.label = labelPlace(g.picture, printer.TextWidth(page.label), g.nFitWidth, page.labelAbove, g);
        printer.CurrentX = g.label.x();
        printer.CurrentY = g.label.y();
        printer.Print(page.label, PrintEnd::LineEnd);
        printer.EndDoc();
    } catch (const platform::PrintError& e) {
        printer.KillDoc();
        out.result = PrintResult::Failed;
        out.error = e;
        return out;
    }
    out.result = PrintResult::Printed;
    return out;
}

} // namespace printlayout
