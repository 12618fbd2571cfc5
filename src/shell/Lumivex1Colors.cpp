// The main window in the colour scheme: every panel, tree, list, button and
// bar, bold type, the toolbar's style and text effect. Controls are found by
// name, so each one is coloured once its area has placed it; a control that
// is not there is passed over.
#include "shell/Lumivex1.h"

#include "platform/WashControls.h"
#include "shared/SharedState.h"

#include <QComboBox>
#include <QMenuBar>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>

namespace {

using platform::OleColor;

// The image list repaints all its thumbnails on any change, so each of its
// colours is given only when it differs from the one it has.
void setPaletteRoleIfChanged(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, OleColor c)
{
    if (!w)
        return;
    const QColor color = platform::resolveOleColor(c);
    QPalette pal = w->palette();
    bool changed = false;
    for (QPalette::ColorRole role : roles)
        if (pal.color(role) != color) {
            pal.setColor(role, color);
            changed = true;
        }
    if (changed)
        w->setPalette(pal);
}

void setBoldIfChanged(QWidget* w, bool bold)
{
    if (w && w->font().bold() != bold)
        platform::setBold(w, bold);
}

} // namespace

void Lumivex1::SetWindowColors()
{
    using namespace platform;
    const SharedState& c = gs;

    setBackColor(this, c.nMainBackColor);
    setForeColor(this, c.nMainForeColor);

    setBackColor(TabStrip1, c.nTabBackColor);
    setForeColor(TabStrip1, c.nTabForeColor);

    // The toolbar: the menu bar and every tool bar.
    QList<QWidget*> bars{ToolBarComp1->menuBar()};
    for (int n = 2; n <= ToolBarComp1->ToolBarsCount(); ++n)
        bars << ToolBarComp1->toolBar(n);
    for (QWidget* bar : bars) {
        setBackColor(bar, c.nMenuBackColor);
        setForeColor(bar, c.nMenuForeColor);
    }
    ToolBarComp1->setStyle(c.nMenuStyle);
    for (int n = 1; n <= ToolBarComp1->ToolBarsCount(); ++n)
        ToolBarComp1->setTextEffect(n, c.nMenuFontType);
    TabStrip1->setProperty("Style", c.nMenuFontType);

    setBackColor(Splitter1, c.nMainBackColor);

    for (const char* name : {"PTxShTree1", "PTxShList1", "PTxShCombo1"}) {
        QWidget* w = control(name);
        setBackColor(w, c.nListBackColor);
        setForeColor(w, c.nListForeColor);
        setBold(w, c.fBoldFonts);
    }
    if (QWidget* list = control("PTxShList1"))
        list->setProperty("ShowHidden", c.fShellListFlag);

    QWidget* thumbs = control("ImagList1");
    setPaletteRoleIfChanged(thumbs, {QPalette::Window, QPalette::Base}, c.nThumbWindowBackColor);
    setPaletteRoleIfChanged(thumbs, {QPalette::WindowText, QPalette::Text}, c.nThumbForeColor);
    setPaletteRoleIfChanged(thumbs, {QPalette::HighlightedText}, c.nThumbBackColor);
    setPaletteRoleIfChanged(thumbs, {QPalette::Highlight}, c.nThumbWindowForeColor);
    setBoldIfChanged(thumbs, c.fBoldFonts);
    if (thumbs)
        thumbs->setAutoFillBackground(true);

    for (const char* name : {"Splitter1", "Splitter2", "Splitter3", "Splitter4"}) {
        QWidget* w = control(name);
        setBackColor(w, c.nMainBackColor);
        setForeColor(w, c.nMainForeColor);
    }

    for (const char* name : {"Frame1", "Frame2"}) {
        QWidget* w = control(name);
        setWashColors(w, c.nMainBackColor, c.nMainWashEnd);
        setForeColor(w, c.nMainForeColor);
        setBold(w, c.fBoldFonts);
    }
    QWidget* frame3 = control("Frame3");
    setWashColors(frame3, c.nPictureBackColor, c.nPictureWashEnd);
    setForeColor(frame3, c.nPictureForeColor);
    setBold(frame3, c.fBoldFonts);

    QWidget* frame6 = control("Frame6");
    setBackColor(frame6, c.nMainBackColor);
    setForeColor(frame6, c.nMainForeColor);

    // The text view keeps its own light grey, whatever the scheme says.
    setBackColor(control("Text1"), 0xE0E0E0);

    setBackColor(CMBFILTER, c.nListBackColor);
    setForeColor(CMBFILTER, c.nListForeColor);
    setBold(CMBFILTER, c.fBoldFonts);

    for (QWidget* tree : {static_cast<QWidget*>(TreeView1), static_cast<QWidget*>(TreeView2),
                          static_cast<QWidget*>(TreeView3), static_cast<QWidget*>(TreeView4)}) {
        setBackColor(tree, c.nListBackColor);
        setForeColor(tree, c.nListForeColor);
    }

    for (const char* name : {"VidPlayBtn", "VidPauseBtn", "VidStopBtn", "VidFrstBtn", "VidSCutBtn", "VidECutBtn",
                             "VidLastBtn", "VidMuteBtn", "VidContBtn", "MusPlayBtn", "MusPauseBtn", "MusStopBtn",
                             "MusFrstBtn", "MusLastBtn", "MusBCutBtn", "MusECutBtn", "MusDeleteBtn", "MusMuteBtn"}) {
        QWidget* w = control(name);
        setWashColors(w, c.nButtonBackColor, c.nButtonWashEnd);
        setForeColor(w, c.nButtonForeColor);
    }

    setWashColors(CHKMUSICLOOP, c.nButtonBackColor, c.nButtonWashEnd);
    setForeColor(CHKMUSICLOOP, c.nButtonForeColor);
}
