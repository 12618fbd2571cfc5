// The main window's resize rules.
#include "ShellTestWindow.h"
#include "platform/controls/Units.h"
#include "window/MainLayout.h"

#include <QPushButton>
#include <gtest/gtest.h>

using layout::Box;
using layout::MainWindowLayout;

namespace {
MainWindowLayout typical()
{
    MainWindowLayout l;
    l.TabStrip1 = {0, 0, 8000, 6000};
    l.Splitter1Pane4 = {1500, 0, 8000, 6500};
    l.Frame1 = {0, 0, 6000, 900};
    l.MedPosition = {300, 100, 1800, 300};
    l.TreeView3 = {0, 0, 2500, 5000};
    l.TreeView2 = {50, 120, 0, 0};
    l.MusPosition = {0, 0, 4000, 300};
    return l;
}
} // namespace

TEST(Layout, SizesFromTheWindow)
{
    MainWindowLayout l = typical();
    ASSERT_TRUE(layout::layoutMainWindow(false, 9000, 12000, l));
    EXPECT_EQ(l.Splitter1.height, 7550);
    EXPECT_EQ(l.Splitter1.width, 11850);
    EXPECT_EQ(l.Splitter1Pane4.width, 10340);
    EXPECT_EQ(l.Splitter1Pane2.height, 3950);
    // Each tab's splitter or panel fills the view pane less 100 by 450.
    for (const Box* b : {&l.Splitter2, &l.Splitter3, &l.Splitter4, &l.Frame2, &l.Frame3, &l.Frame6})
        EXPECT_EQ(b->width, 10240);
    EXPECT_EQ(l.Frame3.height, 6050);
    EXPECT_EQ(l.TreeView2.height, 5100);
    EXPECT_EQ(l.TreeView2.width, 10165);
    EXPECT_EQ(l.MusPosition.top, 120 + 5100 + 25);
    for (const Box& b : l.MusButtons)
        EXPECT_EQ(b.top, 5245 + 300 + 50);
}

TEST(Layout, EdgeCases)
{
    // Minimized: nothing changes.
    MainWindowLayout l = typical();
    l.Splitter1 = {0, 10, 500, 600};
    EXPECT_FALSE(layout::layoutMainWindow(true, 9000, 12000, l));
    EXPECT_EQ(l.Splitter1.height, 600);
    EXPECT_EQ(l.Splitter1.top, 10);

    // 1400 twips high: the splitter keeps its height, the other rules still run.
    EXPECT_TRUE(layout::layoutMainWindow(false, 1400, 12000, l));
    EXPECT_EQ(l.Splitter1.height, 600);
    EXPECT_EQ(l.Splitter1.width, 11850);
    EXPECT_EQ(l.Splitter1Pane2.height, 0) << "600 - 3600 is refused; the pane keeps its size";

    // The video slider grows only with a panel wider than 7000; the button follows it at 40.
    l = typical();
    l.Frame1.width = 7000;
    layout::layoutMainWindow(false, 9000, 12000, l);
    EXPECT_EQ(l.MedPosition.width, 1800);
    l.Frame1.width = 7001;
    layout::layoutMainWindow(false, 9000, 12000, l);
    EXPECT_EQ(l.MedPosition.width, 1881);
    EXPECT_EQ(l.VidContBtn.left, 300 + 1881 + 40);

    // The thumbnail list follows the tab strip's size from before the resize.
    l = typical();
    layout::layoutMainWindow(false, 9000, 12000, l);
    EXPECT_EQ(l.ImagList1.height, 6000 - 530);
    EXPECT_EQ(l.ImagList1.width, 8000 - 75);
    layout::layoutMainWindow(false, 9000, 12000, l);
    EXPECT_EQ(l.ImagList1.height, 7550 - 530);
}

TEST(Layout, ResizePlacesFixedControls)
{
    shelltest::Shell s;
    shelltest::TestWindow& w = s.w();
    // A button standing at a fixed place on a panel follows the slider's right edge.
    // (The players' own controls stand in layouts; this test places its own.)
    for (const char* name : {"Frame1", "MedPosition", "VidContBtn"})
        if (QWidget* own = w.findChild<QWidget*>(name))
            own->setObjectName(QString());
    auto* frame = new QWidget(w.TabPanel[1]);
    frame->setObjectName("Frame1");
    auto* slider = new QWidget(frame);
    slider->setObjectName("MedPosition");
    slider->setGeometry(10, 5, 200, 20);
    auto* cont = new QPushButton("Loop", frame);
    cont->setObjectName("VidContBtn");
    w.calls.clear();
    w.resize(900, 700);
    w.Form_Resize();
    EXPECT_EQ(cont->x(), platform::twipsToPixelsX(platform::pixelsToTwipsX(10) + platform::pixelsToTwipsX(200) + 40));
    EXPECT_TRUE(w.calls.contains("ResizeImage"));
}
