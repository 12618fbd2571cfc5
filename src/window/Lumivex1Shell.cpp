// Wires the shell's handlers to the window's controls: the toolbar's other
// events, the tab strip, the browsers, F1 help and the tool windows.
#include "window/Lumivex1.h"

#include "shell/HelpWindow.h"
#include "window/ToolWindows.h"

#include <QBoxLayout>
#include <QTabWidget>

void Lumivex1::connectShellEvents()
{
    connect(ToolBarComp1, &platform::ToolBarComp::ComboSelChange, this, &Lumivex1::ToolBarComp1_ComboSelChange);
    connect(ToolBarComp1, &platform::ToolBarComp::ToolKeyDown, this, &Lumivex1::ToolBarComp1_ToolKeyDown);
    connect(ToolBarComp1, &platform::ToolBarComp::ToolKeyPress, this, &Lumivex1::ToolBarComp1_ToolKeyPress);
    connect(ToolBarComp1, &platform::ToolBarComp::ToolDropDown, this, &Lumivex1::ToolBarComp1_ToolDropDown);

    // The tab strip reports a change after it happened: the before-change
    // handler runs first, then the after-change one.
    connect(TabStrip1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index < 0)
            return;
        TabStrip1_BeforeTabChange(index);
        TabStrip1_TabChange(index);
    });

    // The browsers: their views stand on the Documents and Internet tabs; the
    // web engine itself starts on first use.
    WebBrowser1 = platform::createWebBrowser(QStringLiteral("WebBrowser1"));
    WebBrowser2 = platform::createWebBrowser(QStringLiteral("WebBrowser2"));
    if (QWidget* v = WebBrowser1->view())
        TabPanel[5]->layout()->addWidget(v);
    if (QWidget* v = WebBrowser2->view()) {
        TabPanel[6]->layout()->addWidget(v);
        static_cast<QBoxLayout*>(TabPanel[6]->layout())->setStretchFactor(v, 3);
    }
    WebBrowser1->setOffline(true);
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    connectInternetBrowser();

    help::installF1Handler(this);
    toolwindows::registerProgramWindows();
}
