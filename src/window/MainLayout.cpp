#include "window/MainLayout.h"

#include <cmath>

namespace layout {
namespace {

// Sizes are single-precision numbers; a negative one is refused.
void setSize(double& field, double value)
{
    const float v = float(value);
    if (v >= 0)
        field = double(v);
}

void setPlace(double& field, double value) { field = double(float(value)); }

// A tab's splitter or panel inside the view pane.
void fitToViewPane(Box& b, const Box& pane)
{
    setSize(b.width, pane.width - 100);
    setSize(b.height, pane.height - 450);
}

} // namespace

bool layoutMainWindow(bool minimized, double windowHeight, double windowWidth, MainWindowLayout& l)
{
    if (minimized)
        return false;
    const float h = float(windowHeight), w = float(windowWidth);

    // The thumbnail list fills the tab strip as it was before this resize.
    l.ImagList1.left = 0;
    l.ImagList1.top = 0;
    setSize(l.ImagList1.height, l.TabStrip1.height - 530);
    setSize(l.ImagList1.width, l.TabStrip1.width - 75);

    setSize(l.Splitter1.height, h - 1450);
    setSize(l.Splitter1.width, w - 150);
    setSize(l.TabStrip1.height, l.Splitter1.height);
    setSize(l.Splitter1Pane4.width, w - 1660);
    l.Splitter1.top = 0;
    setSize(l.Splitter1Pane2.height, l.Splitter1.height - 3600);

    fitToViewPane(l.Splitter2, l.Splitter1Pane4);
    setSize(l.Splitter2Pane0.height, l.Splitter2.height - 640);
    fitToViewPane(l.Splitter3, l.Splitter1Pane4);
    fitToViewPane(l.Splitter4, l.Splitter1Pane4);
    fitToViewPane(l.Frame2, l.Splitter1Pane4);
    fitToViewPane(l.Frame3, l.Splitter1Pane4);
    fitToViewPane(l.Frame6, l.Splitter1Pane4);

    // The video position slider grows with its panel past 7000 twips.
    if (std::lround(float(l.Frame1.width) - 5000) > 2000)
        setSize(l.MedPosition.width, l.Frame1.width - 5120);
    setPlace(l.VidContBtn.left, l.MedPosition.left + l.MedPosition.width + 40);

    l.Text1.left = 0;
    l.Text1.top = 0;
    setSize(l.Text1.height, l.Splitter4.height - 10);
    setSize(l.Text1.width, l.Splitter4.width - 10);
    setPlace(l.WebBrowser1.left, l.TreeView3.width + 40);
    l.WebBrowser1.top = 0;
    l.WebBrowser2.left = 0;
    l.WebBrowser2.top = 0;

    // The music player's controls stack below its play-list tree.
    setSize(l.TreeView2.height, l.Frame3.height - 950);
    setSize(l.TreeView2.width, l.Frame3.width - 75);
    setPlace(l.MusPosition.top, l.TreeView2.top + l.TreeView2.height + 25);
    for (Box& b : l.MusButtons)
        setPlace(b.top, l.MusPosition.top + l.MusPosition.height + 50);
    setPlace(l.MusVolPos.top, l.MusPosition.top + l.MusPosition.height + 75);
    setPlace(l.CHKMUSICLOOP.top, l.MusPosition.top + 50);
    setPlace(l.MMControl1.top, l.MusButtons[0].top - 50);
    return true;
}

} // namespace layout
