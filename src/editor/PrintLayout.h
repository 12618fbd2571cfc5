#pragma once
// Where a printed picture goes, without a window. The print window shows the
// page as a small frame in twips with the picture's preview on it; the
// printed page takes the preview's size and place in proportion to that
// frame, in printer pixels. printPicturePage draws one page: the date stamp
// at the top left, the title centred on the usable width, the picture and
// its label above or below it.
#include "platform/controls/OleColor.h"
#include "platform/imaging/PrintCanvas.h"

#include <QDateTime>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace printlayout {

// ---- the preview (twips of the print window)

// The page frame, and the preview's and the label's places on it as designed.
inline constexpr double kFrameWidth = 2400;
inline constexpr double kFrameHeight = 3165;
inline constexpr double kPreviewLeft = 180, kPreviewTop = 585, kPreviewWidth = 2040, kPreviewHeight = 2400;
inline constexpr double kLabelLeft = 360, kLabelTop = 225, kLabelWidth = 1635, kLabelHeight = 330;

// The preview of a picture fitted into the box with its proportions: the
// wider side keeps the box's extent. Whole twips; empty without a picture.
QSizeF previewSize(int bitmapWidth, int bitmapHeight, const QSizeF& box);
// A size bar's value for a preview extent on the frame's extent: the
// percentage plus a hundredth of the extent, rounded, at most 100.
int barPercent(double previewExtent, double frameExtent);
// The preview's extent for a bar value: that percentage of the designed extent.
double barExtent(double baseExtent, int percent);
// The label's top: 380 above the preview, or 100 below it.
double labelTop(const QRectF& preview, bool above);
// The number at the start of a text, blanks ignored ("12ab" 12, "ab" 0).
double leadingNumber(const QString& text);
// Rounded to the nearest whole number, halves to even, held within 16 bits.
int roundToShort(double value);

// ---- the printed page (printer pixels)

struct PageScale {
    double nStepX = 0;       // 8 twips across
    int nStepY = 0;          // 8 twips down, whole
    double nPageWidth = 0, nPageHeight = 0;
    double nUsableWidth = 0; // 93 % of the width
    double nUsableHeight = 0; // 70 % of the height
};
PageScale pageScale(double widthTwips, double heightTwips, double twipsPerPixelX, double twipsPerPixelY);

// The picture's print size: its pixels, or 40 twips a pixel when a side is
// below 128 pixels.
QSizeF printSize(int bitmapWidth, int bitmapHeight, const PageScale& scale);
// The print size fitted into the usable area: deep pictures (more than 8
// bits) fill it with their proportions kept; others are only made smaller.
QSizeF fitSize(const QSizeF& print, int bits, const PageScale& scale);
// The printed rectangle of the preview: its size and the Left and Top
// numbers in proportion to the frame. A picture that would pass the usable
// width is centred across the page, one that would pass the foot down it.
QRectF pictureRect(const QSizeF& preview, double left, double top, const PageScale& scale);
// Where the label starts: centred on the picture, or at its left edge when
// it is at least 80 % as wide as the fitted width; above or below.
QPointF labelPlace(const QRectF& picture, double labelWidth, double fitWidth, bool above, const PageScale& scale);
// Where the title starts so that it is centred on the usable width.
double titleX(double usableWidth, double titleWidth);

// The title's face, size, style and colour; an empty face or a size of 0
// leave the printer's own.
struct TitleStyle {
    QString fontName;
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    platform::OleColor color = 0;
};

// What one page prints.
struct PicturePage {
    QString currentFile;
    QString title;
    TitleStyle style;
    QImage picture;       // the preview's picture
    int bits = 0;         // its bits per pixel
    QSizeF preview;       // the preview's size (twips)
    QString leftText, topText; // the Left and Top boxes
    QString label;
    bool labelAbove = true;
    QDateTime stamp;
};

// The numbers of the last print.
struct PrintedGeometry : PageScale {
    double nPictWidth = 0, nPictHeight = 0;
    double nFitWidth = 0, nFitHeight = 0;
    QRectF picture;
    QPointF title, label;
};

enum class PrintResult { Printed, NoPicture, Failed };

struct PrintOutcome {
    PrintResult result = PrintResult::NoPicture;
    platform::PrintError error;
    PrintedGeometry geometry;
};

// "MM-DD-YYYY   " and "HH:MM:SS", as the stamp prints them.
QString stampDate(const QDateTime& when);
QString stampTime(const QDateTime& when);

// Prints the page and sends it. Without a picture nothing is printed; a
// failing printer abandons the page and reports its error.
PrintOutcome printPicturePage(platform::PrintCanvas& printer, const PicturePage& page);

} // namespace printlayout
