// The main window in the colour scheme: every panel, tree, list, button and
// bar, bold type, the toolbar's style and text effect. Controls are found by
// name, so each one is coloured once its area has placed it; a control that
// is not there is passed over.
#include "window/Lumivex1.h"

#include "platform/ImageList.h"
#include "platform/WashControls.h"
#include "shared/SharedState.h"

#include <QComboBox>
#include <QMenuBar>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>

namespace {

using platform::OleColor;

// The image list repaints all its thumbnails on any change, so its colours
// and type are given only when they differ from the ones it has.
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

    if (ImagList1) {
        const QColor back = resolveOleColor(c.nThumbWindowBackColor);
        const QColor fore = resolveOleColor(c.nThumbForeColor);
        const QColor selFore = resolveOleColor(c.nThumbBackColor);
        const QColor selBack = resolveOleColor(c.nThumbWindowForeColor);
        if (ImagList1->BackColor() != back || ImagList1->ForeColor() != fore ||
            ImagList1->SelBackColor() != selBack || ImagList1->SelForeColor() != selFore)
            ImagList1->setColors(back, fore, selBack, selFore);
        setBoldIfChanged(ImagList1, c.fBoldFonts);
    }

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
