#pragma once
// The colours of the dialog and tool windows. Every such window colours itself
// from the scheme when it is activated: a background washed from
// nSelectBackColor to nSelectWashEnd with nSelectForeColor text, entry fields
// nEntryBackColor / nEntryForeColor, lists nListBackColor / nListForeColor,
// buttons washed from nButtonBackColor to nButtonWashEnd with nButtonForeColor
// text, bold type when fBoldFonts is on, and the text effect nLabelStyle on
// labels, buttons and check boxes. Labels and check boxes are see-through;
// where a wash beneath one runs out to a colour its text does not stand out
// from, its text gets the wash's start colour behind it.
#include "platform/controls/OleColor.h"

#include <QHash>
#include <QString>
#include <optional>

class QWidget;

namespace dialogcolors {

// How one control is painted.
struct Paint {
    std::optional<platform::OleColor> back;    // none: the control is see-through
    std::optional<platform::OleColor> washEnd; // a wash from back to washEnd
    platform::OleColor fore = 0;
    bool bold = false;
    int textEffect = 0; // 0 none, 1 raised light, 2 raised heavy, 3 lowered light, 4 lowered heavy
};

// The kinds of control the colouring tells apart.
// Container: painted through (its children are); Other: left to the style.
enum class Kind { Window, Panel, Label, Check, Entry, List, Button, Container, Other };

Kind kindOf(const QWidget* w);

// The paint the scheme (gs) gives a kind of control.
Paint conventionPaint(Kind kind);

// A control whose property "lumivexOwnColors" is true keeps the colours it
// sets itself (a colour box, a picture), and so do its children.
inline constexpr const char* kOwnColorsProperty = "lumivexOwnColors";

// Colours `window` and every control in it from the scheme. A control named
// in `overrides` is painted as given there instead. Safe to call again on
// every activation: the colours follow the scheme as it stands.
void applyDialogColors(QWidget* window, const QHash<const QWidget*, Paint>& overrides = {});

// Style-sheet text for one background: a solid colour or a wash.
QString backgroundCss(const Paint& paint, bool vertical);

} // namespace dialogcolors
