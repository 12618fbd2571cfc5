// The main window's resize handler. The panes and views sit in Qt layouts and
// splitters, which size them; the computed rules are applied to the controls
// that stand at fixed places (outside any layout) and to splitter panes that
// exist.
#include "window/Lumivex1.h"

#include "platform/controls/Units.h"
#include "window/MainLayout.h"

#include <QLayout>
#include <QResizeEvent>
#include <QSplitter>
#include <QTabWidget>

namespace {

// True when a layout or a splitter places the widget.
bool placedByLayout(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    if (!parent)
        return true;
    if (qobject_cast<const QSplitter*>(parent))
        return true;
    return parent->layout() && parent->layout()->indexOf(const_cast<QWidget*>(w)) >= 0;
}

layout::Box boxOf(const QWidget* w)
{
    if (!w)
        return {};
    const QRect g = w->geometry();
    return {double(platform::pixelsToTwipsX(g.x())), double(platform::pixelsToTwipsY(g.y())),
            double(platform::pixelsToTwipsX(g.width())), double(platform::pixelsToTwipsY(g.height()))};
}

void applyBox(QWidget* w, const layout::Box& b)
{
    if (!w || placedByLayout(w))
        return;
    w->setGeometry(platform::twipsToPixelsX(b.left), platform::twipsToPixelsY(b.top),
                   platform::twipsToPixelsX(b.width), platform::twipsToPixelsY(b.height));
}

// A splitter pane's size along the splitter, in twips (0 when there is no such pane).
layout::Box paneOf(const QSplitter* s, int pane)
{
    if (!s || pane >= s->count())
        return {};
    return boxOf(s->widget(pane));
}

void applyPane(QSplitter* s, int pane, double twips, Qt::Orientation along)
{
    if (!s || pane >= s->count() || s->orientation() != along)
        return;
    QList<int> sizes = s->sizes();
    sizes[pane] = along == Qt::Horizontal ? platform::twipsToPixelsX(twips) : platform::twipsToPixelsY(twips);
    s->setSizes(sizes);
}

} // namespace

void Lumivex1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Lumivex1::Form_Resize()
{
    if (isMinimized())
        return;
    auto* splitter2 = control<QSplitter>("Splitter2");
    layout::MainWindowLayout l;
    l.ImagList1 = boxOf(control("ImagList1"));
    l.Splitter1 = boxOf(Splitter1);
    l.TabStrip1 = boxOf(TabStrip1);
    l.Splitter1Pane2 = paneOf(Splitter1, 2);
    l.Splitter1Pane4 = paneOf(Splitter1, 4);
    l.Splitter2 = boxOf(splitter2);
    l.Splitter2Pane0 = paneOf(splitter2, 0);
    l.Splitter3 = boxOf(control("Splitter3"));
    l.Splitter4 = boxOf(control("Splitter4"));
    l.Frame1 = boxOf(control("Frame1"));
    l.Frame2 = boxOf(control("Frame2"));
    l.Frame3 = boxOf(control("Frame3"));
    l.Frame6 = boxOf(control("Frame6"));
    l.MedPosition = boxOf(control("MedPosition"));
    l.VidContBtn = boxOf(control("VidContBtn"));
    l.Text1 = boxOf(control("Text1"));
    l.TreeView3 = boxOf(control("TreeView3"));
    QWidget* browser1 = WebBrowser1 ? WebBrowser1->view() : nullptr;
    QWidget* browser2 = WebBrowser2 ? WebBrowser2->view() : nullptr;
    l.WebBrowser1 = boxOf(browser1);
    l.WebBrowser2 = boxOf(browser2);
    l.TreeView2 = boxOf(control("TreeView2"));
    l.MusPosition = boxOf(control("MusPosition"));
    l.MusVolPos = boxOf(control("MusVolPos"));
    l.CHKMUSICLOOP = boxOf(control("CHKMUSICLOOP"));
    l.MMControl1 = boxOf(control("MMControl1"));
    for (int i = 0; i < 9; ++i)
        l.MusButtons[size_t(i)] = boxOf(control(layout::kMusicButtonNames[i]));

    const QRect outer = frameGeometry();
    if (!layout::layoutMainWindow(isMinimized(), platform::pixelsToTwipsY(outer.height()),
                                  platform::pixelsToTwipsX(outer.width()), l))
        return;

    applyBox(control("ImagList1"), l.ImagList1);
    applyPane(Splitter1, 4, l.Splitter1Pane4.width, Qt::Horizontal);
    applyPane(Splitter1, 2, l.Splitter1Pane2.height, Qt::Vertical);
    applyBox(splitter2, l.Splitter2);
    applyPane(splitter2, 0, l.Splitter2Pane0.height, Qt::Vertical);
    applyBox(control("Splitter3"), l.Splitter3);
    applyBox(control("Splitter4"), l.Splitter4);
    applyBox(control("Frame2"), l.Frame2);
    applyBox(control("Frame3"), l.Frame3);
    applyBox(control("Frame6"), l.Frame6);
    applyBox(control("MedPosition"), l.MedPosition);
    applyBox(control("VidContBtn"), l.VidContBtn);
    applyBox(control("Text1"), l.Text1);
    applyBox(browser1, l.WebBrowser1);
    applyBox(browser2, l.WebBrowser2);
    ResizeImage();
    applyBox(control("TreeView2"), l.TreeView2);
    applyBox(control("MusPosition"), l.MusPosition);
    for (int i = 0; i < 9; ++i)
        applyBox(control(layout::kMusicButtonNames[i]), l.MusButtons[size_t(i)]);
    applyBox(control("MusVolPos"), l.MusVolPos);
    applyBox(control("CHKMUSICLOOP"), l.CHKMUSICLOOP);
    applyBox(control("MMControl1"), l.MMControl1);
}
