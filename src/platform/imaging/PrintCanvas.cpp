#include "platform/imaging/PrintCanvas.h"

#include "platform/core/ErrorNumbers.h"
#include "platform/text/TextFile.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace platform {

namespace {

PrintError printerError() { return {ErrPrinter, errorDescription(ErrPrinter)}; }
PrintError noPrinterError() { return {ErrPrinterSetUp, errorDescription(ErrPrinterSetUp)}; }

// Print zones stand this many average character widths apart.
constexpr double kZoneChars = 14;

} // namespace

// ---------------------------------------------------------------- the canvas

void PrintCanvas::StartPage()
{
    checkDevice();
    m_page.clear();
    CurrentX = 0;
    CurrentY = 0;
}

bool PrintCanvas::setFontName(const QString& name)
{
    if (name.trimmed().isEmpty())
        return false;
    m_font.name = name;
    return true;
}

bool PrintCanvas::setFontSize(double points)
{
    if (!(points > 0) || points > 2048)
        return false;
    m_font.size = points;
    return true;
}

double PrintCanvas::TextWidth(const QString& text) const
{
    checkDevice();
    return measureText(m_font, text);
}

double PrintCanvas::TextHeight() const
{
    checkDevice();
    return lineHeight(m_font);
}

void PrintCanvas::Print(const QString& text, PrintEnd end)
{
    checkDevice();
    if (!text.isEmpty()) {
        PageItem item;
        item.kind = PageItem::Kind::Text;
        item.at = QPointF(CurrentX, CurrentY);
        item.text = text;
        item.font = m_font;
        m_page << item;
    }
    switch (end) {
    case PrintEnd::Nothing: CurrentX += measureText(m_font, text); break;
    case PrintEnd::Zone: {
        const double zone = kZoneChars * averageCharWidth(m_font);
        const double x = CurrentX + measureText(m_font, text);
        CurrentX = zone > 0 ? (std::floor(x / zone) + 1) * zone : x;
        break;
    }
    case PrintEnd::LineEnd:
        CurrentX = 0;
        CurrentY += lineHeight(m_font);
        break;
    }
}

void PrintCanvas::Render(const QImage& picture, const QRectF& rect)
{
    checkDevice();
    if (picture.isNull() || !(rect.width() > 0) || !(rect.height() > 0))
        throw printerError();
    PageItem item;
    item.kind = PageItem::Kind::Picture;
    item.rect = rect;
    item.picture = picture;
    m_page << item;
}

void PrintCanvas::EndDoc()
{
    checkDevice();
    const QList<PageItem> page = m_page;
    m_page.clear();
    sendPage(page);
}

void PrintCanvas::KillDoc() { m_page.clear(); }

// ---------------------------------------------------------------- QPrinter

namespace {

QFont qtFont(const PrintFont& f)
{
    QFont font(f.name.isEmpty() ? QGuiApplication::font().family() : f.name);
    font.setPointSizeF(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

PrintFont startFont()
{
    PrintFont f;
    f.name = QGuiApplication::font().family();
    return f;
}

} // namespace

QtPrintCanvas::QtPrintCanvas(std::unique_ptr<QPrinter> printer) : PrintCanvas(startFont()), m_printer(std::move(printer))
{
}

QtPrintCanvas::~QtPrintCanvas() = default;

std::unique_ptr<PrintCanvas> QtPrintCanvas::defaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return std::make_unique<QtPrintCanvas>(nullptr);
    return std::make_unique<QtPrintCanvas>(std::make_unique<QPrinter>(info, QPrinter::HighResolution));
}

std::unique_ptr<PrintCanvas> QtPrintCanvas::pdfFile(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    auto canvas = std::make_unique<QtPrintCanvas>(std::move(printer));
    canvas->m_pdfPath = path;
    return canvas;
}

void QtPrintCanvas::checkDevice() const
{
    if (!m_printer || m_printer->resolution() <= 0)
        throw noPrinterError();
}

double QtPrintCanvas::TwipsPerPixelX() const
{
    checkDevice();
    return 1440.0 / m_printer->resolution();
}

double QtPrintCanvas::TwipsPerPixelY() const { return TwipsPerPixelX(); }

double QtPrintCanvas::Width() const
{
    checkDevice();
    return m_printer->paperRect(QPrinter::DevicePixel).width() * TwipsPerPixelX();
}

double QtPrintCanvas::Height() const
{
    checkDevice();
    return m_printer->paperRect(QPrinter::DevicePixel).height() * TwipsPerPixelY();
}

double QtPrintCanvas::measureText(const PrintFont& font, const QString& text) const
{
    return QFontMetricsF(qtFont(font), m_printer.get()).horizontalAdvance(text);
}

double QtPrintCanvas::lineHeight(const PrintFont& font) const
{
    return QFontMetricsF(qtFont(font), m_printer.get()).height();
}

double QtPrintCanvas::averageCharWidth(const PrintFont& font) const
{
    return QFontMetricsF(qtFont(font), m_printer.get()).averageCharWidth();
}

void QtPrintCanvas::sendPage(const QList<PageItem>& page)
{
    if (!m_pdfPath.isEmpty()) {
        sendPdfPage(page);
        return;
    }
    QPainter painter;
    if (!painter.begin(m_printer.get()))
        throw printerError();
    paintPage(painter, page);
    if (!painter.end() || m_printer->printerState() == QPrinter::Error)
        throw printerError();
}

void QtPrintCanvas::sendPdfPage(const QList<PageItem>& page)
{
    // The document is made in memory at the printer's resolution and on its
    // page, then written whole through the checked writer: a full disk
    // leaves the old file as it was and is reported.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(m_printer->resolution());
        writer.setPageLayout(m_printer->pageLayout());
        QPainter painter;
        if (!painter.begin(&writer))
            throw printerError();
        paintPage(painter, page);
        if (!painter.end())
            throw printerError();
    }
    if (!writeBytes(m_pdfPath, buffer.data()))
        throw printerError();
}

void QtPrintCanvas::paintPage(QPainter& painter, const QList<PageItem>& page) const
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PageItem& item : page) {
        if (item.kind == PageItem::Kind::Picture) {
            painter.drawImage(item.rect, item.picture);
            continue;
        }
        const QFont font = qtFont(item.font);
        painter.setFont(font);
        painter.setPen(resolveOleColor(item.font.color));
        const QFontMetricsF metrics(font, m_printer.get());
        painter.drawText(QPointF(item.at.x(), item.at.y() + metrics.ascent()), item.text);
    }
}

// ---------------------------------------------------------------- recording

RecordingPrintCanvas::RecordingPrintCanvas(double widthTwips_, double heightTwips_, double twipsPerPixel)
    : PrintCanvas(PrintFont{QStringLiteral("Printer Face"), 8, false, false, 0}), twipsPerPixelX(twipsPerPixel),
      twipsPerPixelY(twipsPerPixel), widthTwips(widthTwips_), heightTwips(heightTwips_)
{
}

void RecordingPrintCanvas::checkDevice() const
{
    if (noPrinter)
        throw noPrinterError();
}

double RecordingPrintCanvas::Width() const
{
    checkDevice();
    return widthTwips;
}

double RecordingPrintCanvas::Height() const
{
    checkDevice();
    return heightTwips;
}

double RecordingPrintCanvas::TwipsPerPixelX() const
{
    checkDevice();
    return twipsPerPixelX;
}

double RecordingPrintCanvas::TwipsPerPixelY() const
{
    checkDevice();
    return twipsPerPixelY;
}

double RecordingPrintCanvas::measureText(const PrintFont& font, const QString& text) const
{
    return text.size() * averageCharWidth(font);
}

double RecordingPrintCanvas::lineHeight(const PrintFont& font) const { return font.size * pixelsPerPoint() * 1.2; }

double RecordingPrintCanvas::averageCharWidth(const PrintFont& font) const
{
    return font.size * pixelsPerPoint() * 0.5;
}

void RecordingPrintCanvas::sendPage(const QList<PageItem>& page)
{
    if (failSend)
        throw printerError();
    pages << page;
}

// ---------------------------------------------------------------- the program's printer

namespace {
PrintCanvasMaker& canvasMaker()
{
    static PrintCanvasMaker maker;
    return maker;
}
} // namespace

std::unique_ptr<PrintCanvas> makePrinterCanvas()
{
    if (canvasMaker())
        return canvasMaker()();
    return QtPrintCanvas::defaultPrinter();
}

void setPrinterCanvasMaker(PrintCanvasMaker maker) { canvasMaker() = std::move(maker); }

} // namespace platform
