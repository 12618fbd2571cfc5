// The main window in the colour scheme: every panel, tree, list, button and
// bar, bold type, the toolbar's style and text effect. Controls are found by
// name, so each one is coloured once its area has placed it; a control that
// is not there is passed over.
#include "window/Lumivex1.h"

#include "platform/controls/ImageList.h"
#include "platform/controls/WashControls.h"
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

// The menu bar, every tool bar, their style and text effect, and the tabs'
// style.
void colourToolbar(platform::ToolBarComp* toolbar, QTabWidget* tabs, const SharedState& c)
{
    QList<QWidget*> bars{toolbar->menuBar()};
    for (int n = 2; n <= toolbar->ToolBarsCount(); ++n)
        bars << toolbar->toolBar(n);
    for (QWidget* bar : bars) {
        platform::setBackColor(bar, c.nMenuBackColor);
        platform::setForeColor(bar, c.nMenuForeColor);
    }
    toolbar->setStyle(c.nMenuStyle);
    for (int n = 1; n <= toolbar->ToolBarsCount(); ++n)
        toolbar->setTextEffect(n, c.nMenuFontType);
    tabs->setProperty("Style", c.nMenuFontType);
}

void colourThumbnails(platform::ImageList* list, const SharedState& c)
{
    if (!list)
        return;
    using platform::ColorRole;
    using platform::resolveColor;
    const QColor back = resolveColor(ColorRole::Background, c.nThumbWindowBackColor);
    const QColor fore = resolveColor(ColorRole::Text, c.nThumbForeColor);
    const QColor selFore = resolveColor(ColorRole::Text, c.nThumbBackColor);
    const QColor selBack = resolveColor(ColorRole::Background, c.nThumbWindowForeColor);
    if (list->BackColor() != back || list->ForeColor() != fore || list->SelBackColor() != selBack ||
        list->SelForeColor() != selFore)
        list->setColors(back, fore, selBack, selFore);
    setBoldIfChanged(list, c.fBoldFonts);
}

// The panels: splitters plain, the player frames and the picture panel washed.
void colourPanels(QWidget* root, const SharedState& c)
{
    using namespace platform;
    const auto named = [root](const char* name) { return root->findChild<QWidget*>(QString::fromLatin1(name)); };
    for (const char* name : {"Splitter1", "Splitter2", "Splitter3", "Splitter4"}) {
        setBackColor(named(name), c.nMainBackColor);
        setForeColor(named(name), c.nMainForeColor);
    }
    for (const char* name : {"Frame1", "Frame2"}) {
        setWashColors(named(name), c.nMainBackColor, c.nMainWashEnd);
        setForeColor(named(name), c.nMainForeColor);
        setBold(named(name), c.fBoldFonts);
    }
    QWidget* frame3 = named("Frame3");
    setWashColors(frame3, c.nPictureBackColor, c.nPictureWashEnd);
    setForeColor(frame3, c.nPictureForeColor);
    setBold(frame3, c.fBoldFonts);
    setBackColor(named("Frame6"), c.nMainBackColor);
    setForeColor(named("Frame6"), c.nMainForeColor);
    // The text view keeps its own light grey, whatever the scheme says.
    setBackColor(named("Text1"), 0xE0E0E0);
}

void colourPlayerButtons(QWidget* root, QWidget* loopBox, const SharedState& c)
{
    using namespace platform;
    for (const char* name : {"VidPlayBtn", "VidPauseBtn", "VidStopBtn", "VidFrstBtn", "VidSCutBtn", "VidECutBtn",
                             "VidLastBtn", "VidMuteBtn", "VidContBtn", "MusPlayBtn", "MusPauseBtn", "MusStopBtn",
                             "MusFrstBtn", "MusLastBtn", "MusBCutBtn", "MusECutBtn", "MusDeleteBtn", "MusMuteBtn"}) {
        QWidget* w = root->findChild<QWidget*>(QString::fromLatin1(name));
        setWashColors(w, c.nButtonBackColor, c.nButtonWashEnd);
        setForeColor(w, c.nButtonForeColor);
    }
    setWashColors(loopBox, c.nButtonBackColor, c.nButtonWashEnd);
    setForeColor(loopBox, c.nButtonForeColor);
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
    colourToolbar(ToolBarComp1, TabStrip1, c);
    setBackColor(Splitter1, c.nMainBackColor);

    for (const char* name : {"PTxShTree1", "PTxShList1", "PTxShCombo1"}) {
        QWidget* w = control(name);
        setBackColor(w, c.nListBackColor);
        setForeColor(w, c.nListForeColor);
        setBold(w, c.fBoldFonts);
    }
    if (QWidget* list = control("PTxShList1"))
        list->setProperty("ShowHidden", c.fShellListFlag);
    colourThumbnails(ImagList1, c);
    colourPanels(this, c);

    setBackColor(CMBFILTER, c.nListBackColor);
    setForeColor(CMBFILTER, c.nListForeColor);
    setBold(CMBFILTER, c.fBoldFonts);
    for (QWidget* tree : {static_cast<QWidget*>(TreeView1), static_cast<QWidget*>(TreeView2),
                          static_cast<QWidget*>(TreeView3), static_cast<QWidget*>(TreeView4)}) {
        setBackColor(tree, c.nListBackColor);
        setForeColor(tree, c.nListForeColor);
    }
    colourPlayerButtons(this, CHKMUSICLOOP, c);
}
