#pragma once
// The printer as the program draws on it: a page of device pixels, a current
// font and colour, a printing position that text moves on, and pictures
// stretched into rectangles. The page is collected first and sent to the
// device whole by EndDoc, so a page that fails half-way is dropped and never
// reaches the printer. One implementation prints through QPrinter (the
// system's default printer, or a PDF file); a recording one keeps the pages
// it was sent, with made-up font measures, for tests.
#include "platform/controls/OleColor.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;

namespace platform {

// A failure of the printer: the error number and text the message shows.
struct PrintError {
    int number = 0;
    QString description;
};

// The font of the printer: face, points, style and colour.
struct PrintFont {
    QString name;
    double size = 8;
    bool bold = false;
    bool italic = false;
    OleColor color = 0;
};

// One thing drawn on the page: text whose top left stands at `at`, or a
// picture stretched into `rect`.
struct PageItem {
    enum class Kind { Text, Picture };
    Kind kind = Kind::Text;
    QPointF at;
    QString text;
    PrintFont font;
    QRectF rect;
    QImage picture;
};

// How Print ends: nothing (the position moves past the text), the next print
// zone, or a line end (back to the left edge, one line down).
enum class PrintEnd { Nothing, Zone, LineEnd };

class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;

    // The page in twips and the twips of one device pixel. Every position
    // and size below is in device pixels. They throw PrintError when there
    // is no printer.
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;

    // Readies a fresh page: whatever was drawn and not sent is dropped.
    void StartPage();

    // The font. A face or size the printer refuses (an empty face, a size
    // of 0 or less) is not taken and the earlier one stays; false then.
    bool setFontName(const QString& name);
    bool setFontSize(double points);
    void setFontBold(bool bold) { m_font.bold = bold; }
    void setFontItalic(bool italic) { m_font.italic = italic; }
    void setForeColor(OleColor color) { m_font.color = color; }
    const PrintFont& Font() const { return m_font; }

    // Where the next Print starts.
    double CurrentX = 0;
    double CurrentY = 0;

    // Measures in the current font.
    double TextWidth(const QString& text) const;
    double TextHeight() const;
    // Prints the text at the printing position in the current font.
    void Print(const QString& text, PrintEnd end);
    // Draws the picture stretched into the rectangle; a picture that is not
    // there fails.
    void Render(const QImage& picture, const QRectF& rect);

    // Sends the page to the device; throws PrintError when it fails.
    void EndDoc();
    // Abandons the page: nothing of it is sent.
    void KillDoc();

    // The page collected so far.
    const QList<PageItem>& PendingPage() const { return m_page; }

protected:
    explicit PrintCanvas(const PrintFont& font) : m_font(font) {}
    // Throws PrintError when the device cannot be used at all.
    virtual void checkDevice() const = 0;
    virtual double measureText(const PrintFont& font, const QString& text) const = 0;
    virtual double lineHeight(const PrintFont& font) const = 0;
    virtual double averageCharWidth(const PrintFont& font) const = 0;
    // Puts the page on the device; throws PrintError when it fails.
    virtual void sendPage(const QList<PageItem>& page) = 0;

private:
    PrintFont m_font;
    QList<PageItem> m_page;
};

// Prints through QPrinter at the device's own resolution, with the origin at
// the corner of the printable area and the page as large as the paper.
class QtPrintCanvas : public PrintCanvas {
public:
    // No printer: every operation fails with "no printer set up".
    explicit QtPrintCanvas(std::unique_ptr<QPrinter> printer);
    ~QtPrintCanvas() override;

    // The system's default printer, no dialog.
    static std::unique_ptr<PrintCanvas> defaultPrinter();
    // A PDF file instead of a printer, written whole through SafeFile.
    static std::unique_ptr<PrintCanvas> pdfFile(const QString& path);

    double Width() const override;
    double Height() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    QPrinter* printer() const { return m_printer.get(); }

protected:
    void checkDevice() const override;
    double measureText(const PrintFont& font, const QString& text) const override;
    double lineHeight(const PrintFont& font) const override;
    double averageCharWidth(const PrintFont& font) const override;
    void sendPage(const QList<PageItem>& page) override;

private:
    void sendPdfPage(const QList<PageItem>& page);
    void paintPage(QPainter& painter, const QList<PageItem>& page) const;
    std::unique_ptr<QPrinter> m_printer;
    QString m_pdfPath; // a PDF file instead of the printer
};

// Keeps the pages it is sent. Text is measured as half its size wide per
// character and 1.2 times its size high (points turned into device pixels).
class RecordingPrintCanvas : public PrintCanvas {
public:
    RecordingPrintCanvas(double widthTwips = 12240, double heightTwips = 15840, double twipsPerPixel = 2.4);

    double Width() const override;
    double Height() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;

    QList<QList<PageItem>> pages; // every page sent
    bool noPrinter = false;       // every operation fails as with no printer set up
    bool failSend = false;        // EndDoc fails with a printer error
    double twipsPerPixelX, twipsPerPixelY;
    double widthTwips, heightTwips;

protected:
    void checkDevice() const override;
    double measureText(const PrintFont& font, const QString& text) const override;
    double lineHeight(const PrintFont& font) const override;
    double averageCharWidth(const PrintFont& font) const override;
    void sendPage(const QList<PageItem>& page) override;

private:
    double pixelsPerPoint() const { return 20.0 / twipsPerPixelY; }
};

// The canvas of the printer the program prints on: the system's default
// printer unless something else was put in its place.
using PrintCanvasMaker = std::function<std::unique_ptr<PrintCanvas>()>;
std::unique_ptr<PrintCanvas> makePrinterCanvas();
void setPrinterCanvasMaker(PrintCanvasMaker maker); // nullptr restores the default printer

// Puts another printer in place for the life of the object.
class ScopedPrinterCanvas {
public:
    explicit ScopedPrinterCanvas(PrintCanvasMaker maker) { setPrinterCanvasMaker(std::move(maker)); }
    ~ScopedPrinterCanvas() { setPrinterCanvasMaker(nullptr); }
    ScopedPrinterCanvas(const ScopedPrinterCanvas&) = delete;
    ScopedPrinterCanvas& operator=(const ScopedPrinterCanvas&) = delete;
};

} // namespace platform
