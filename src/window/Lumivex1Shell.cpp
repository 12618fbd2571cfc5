// Wires the shell's handlers to the window's controls: the toolbar's other
// events, the tab strip, the browsers, F1 help and the tool windows.
#include "window/Lumivex1.h"

#include "shell/HelpWindow.h"
#include "window/ToolWindows.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QSplitter>
#include <QTabWidget>

namespace {

// Gives a splitter's panes their first widths, as shares of the width it
// has when first laid out; later the user and the stretch factors decide.
class FirstShares : public QObject {
public:
    FirstShares(QSplitter* split, QList<int> shares) : QObject(split), m_split(split), m_shares(std::move(shares))
    {
        split->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_split && event->type() == QEvent::Resize && m_split->width() > 0) {
            int total = 0;
            for (int s : m_shares)
                total += s;
            QList<int> widths;
            for (int s : m_shares)
                widths << m_split->width() * s / total;
            m_split->setSizes(widths);
            m_split->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QSplitter* m_split;
    QList<int> m_shares;
};

// The Internet tab: the panel Frame6 holds the splitter Splitter3 with the
// page on the left, where it takes the tab's width, and the favourites tree
// in a column of its own beside it; the splitter widens either.
void placeInternetTab(QWidget* tab, QWidget* page, QWidget* favorites)
{
    auto* frame = new QWidget(tab);
    frame->setObjectName(QStringLiteral("Frame6"));
    auto* fill = new QHBoxLayout(frame);
    fill->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal, frame);
    split->setObjectName(QStringLiteral("Splitter3"));
    fill->addWidget(split);
    if (page) {
        page->setMinimumWidth(160);
        split->addWidget(page);
        split->setCollapsible(0, false);
    }
    favorites->setMinimumWidth(60);
    split->addWidget(favorites);
    // The page grows with the window; the column keeps its width.
    split->setStretchFactor(split->indexOf(favorites), 0);
    if (page) {
        split->setStretchFactor(0, 1);
        new FirstShares(split, {3, 1});
    }
    tab->layout()->addWidget(frame);
}

} // namespace

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
    placeInternetTab(TabPanel[6], WebBrowser2->view(), TreeView4);
    WebBrowser1->setOffline(true);
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    connectInternetBrowser();

    help::installF1Handler(this);
    toolwindows::registerProgramWindows();
}
