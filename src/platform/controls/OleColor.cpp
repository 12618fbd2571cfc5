#include "platform/controls/OleColor.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The Windows system colour indexes and the palette role that stands for each.
QColor systemColor(unsigned index)
{
    const QPalette p = QApplication::palette();
    switch (index) {
    case 0: return p.color(QPalette::Window);          // scroll bar
    case 1: return p.color(QPalette::Dark);            // desktop
    case 2: return p.color(QPalette::Highlight);       // active caption
    case 3: return p.color(QPalette::Mid);             // inactive caption
    case 4: return p.color(QPalette::Window);          // menu
    case 5: return p.color(QPalette::Base);            // window
    case 6: return p.color(QPalette::Shadow);          // window frame
    case 7: return p.color(QPalette::WindowText);      // menu text
    case 8: return p.color(QPalette::Text);            // window text
    case 9: return p.color(QPalette::HighlightedText); // caption text
    case 10: return p.color(QPalette::Mid);            // active border
    case 11: return p.color(QPalette::Midlight);       // inactive border
    case 12: return p.color(QPalette::Dark);           // application workspace
    case 13: return p.color(QPalette::Highlight);      // highlight
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);         // button face
    case 16: return p.color(QPalette::Dark);           // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text); // gray text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::WindowText);     // inactive caption text
    case 20: return p.color(QPalette::Light);          // button highlight
    case 21: return p.color(QPalette::Shadow);         // 3D dark shadow
    case 22: return p.color(QPalette::Midlight);       // 3D light
    case 23: return p.color(QPalette::ToolTipText);    // info text
    case 24: return p.color(QPalette::ToolTipBase);    // info background
    default: return p.color(QPalette::Window);
    }
}

} // namespace

QColor resolveOleColor(OleColor c)
{
    if (isSystemColor(c))
        return systemColor(c & 0xFFu);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QColor resolveColor(ColorRole role, OleColor c)
{
    if (role == ColorRole::Background && c == 0x80000017u)
        return systemColor(24);
    return resolveOleColor(c);
}

double contrastRatio(const QColor& a, const QColor& b)
{
    // Relative luminance from the sRGB channels.
    const auto luminance = [](const QColor& c) {
        const auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

OleColor toOleColor(const QColor& c)
{
    return OleColor(c.red()) | (OleColor(c.green()) << 8) | (OleColor(c.blue()) << 16);
}

} // namespace platform
