// The six tabs: the tool bars, player mode and views that follow the selected
// tab, the caption after a change, and the play lists written at each change.
#include "window/Lumivex1.h"

#include "browser/ThumbnailRun.h"
#include "shared/SharedState.h"

#include <QListWidget>
#include <QTabWidget>
#include <QToolBar>

namespace {
const QString kAddressBarPrompt = QStringLiteral("Enter Web Site Page Location or Select Visited Page");

void showTool(platform::ToolBarComp* comp, const char* id, bool visible)
{
    if (platform::Tool* t = comp->Item(QString::fromLatin1(id)))
        t->ChangeAll(platform::kPropVisible, visible);
}

// The caption for a page: the program's title and the page's title, its
// address when it has no title, the program's title alone without either.
QString pageCaption(const platform::WebBrowser& browser)
{
    QString name = browser.LocationName().trimmed();
    if (name.isEmpty())
        name = browser.LocationURL().trimmed();
    return name.isEmpty() ? kProgramTitle : kProgramTitle + QStringLiteral(" - ") + name;
}
} // namespace

bool Lumivex1::TabSelected(int n) const { return TabStrip1 && TabStrip1->currentIndex() == n - 1; }

void Lumivex1::TabStrip1_BeforeTabChange(int index)
{
    const QString caption = TabStrip1->tabText(index);
    BusyGuard busy;
    gs.cPlayerMode = QStringLiteral("0");
    ToolBarComp1->setEnabled(false);

    ToolBarComp1->setBarVisible(7, false);
    for (int n = 2; n <= 6; ++n)
        if (ToolBarComp1->barVisible(n))
            ToolBarComp1->setBarVisible(n, false);

    if (caption == QLatin1String("Pictures")) {
        auto* list3 = control<QListWidget>("List3");
        QWidget* image = control("Image1");
        if (list3 && list3->count() > 0) {
            if (!gs.fInternetLoading) {
                if (image)
                    image->setVisible(true);
                if (!gs.cCurrentPicture.trimmed().isEmpty())
                    gs.cCurrentFile = gs.cCurrentPicture;
            }
        } else if (!fTwainPicture && image) {
            image->setVisible(false);
        }
        ToolBarComp1->setBarVisible(3, true);
    }
    if (caption == QLatin1String("Videos") || caption == QLatin1String("Music")) {
        const bool video = caption == QLatin1String("Videos");
        gs.cPlayerMode = video ? QStringLiteral("0") : QStringLiteral("1");
        showTool(ToolBarComp1, "ID_VidEdit", video);
        showTool(ToolBarComp1, "ID_AudioReplace", !video);
        showTool(ToolBarComp1, "ID_ViewVideos", video);
        showTool(ToolBarComp1, "ID_PicBtn", video);
        ToolBarComp1->setBarVisible(4, true);
    }
    if (caption == QLatin1String("Documents"))
        ToolBarComp1->setBarVisible(5, true);
    if (caption == QLatin1String("ThumbNails")) {
        ToolBarComp1->setBarVisible(2, true);
        gs.fThumbsLoading = false;
        // The thumbnail view itself starts its run once this handler has
        // returned and fBusy is clear again, so that "ID_Stop" reaches it.
        m_thumbs->TabSelected();
    }
    if (caption == QLatin1String("Internet")) {
        ToolBarComp1->setBarVisible(6, true);
        if (!fInternetTabShown) {
            if (QToolBar* bar = ToolBarComp1->toolBar(7)) {
                bar->setWindowTitle(kAddressBarPrompt);
                bar->setToolTip(kAddressBarPrompt);
            }
            ToolBarComp1->setBarVisible(7, true);
            ToolBarComp1->setBarVisible(7, false);
            if (platform::Tool* visited = ToolBarComp1->Item(QStringLiteral("ID_IntVisited")))
                visited->setState(0);
            fInternetTabShown = true;
            WebBrowser2->setVisible(true);
            WebBrowser2->GoHome();
        }
    }
    ToolBarComp1->setEnabled(true);
}

void Lumivex1::TabStrip1_TabChange(int index)
{
    const QString caption = TabStrip1->tabText(index);
    const QString prefix = kProgramTitle + QStringLiteral(" - ");
    try {
        if (caption == QLatin1String("ThumbNails")) {
            if (const auto path = FileListSelectedPath())
                setWindowTitle(prefix + *path);
        } else if (caption == QLatin1String("Pictures")) {
            setWindowTitle(prefix + cShownPicture);
        } else if (caption == QLatin1String("Videos") || caption == QLatin1String("Music")) {
            if (const auto file = PlayerFileName(caption == QLatin1String("Videos") ? 0 : 1))
                setWindowTitle(prefix + *file);
        } else if (caption == QLatin1String("Documents")) {
            QWidget* text = control("Text1");
            if (text && !text->isHidden())
                setWindowTitle(prefix + RichTextFileName());
            if (WebBrowser1->Visible())
                setWindowTitle(pageCaption(*WebBrowser1));
        } else if (caption == QLatin1String("Internet")) {
            setWindowTitle(pageCaption(*WebBrowser2));
        }
    } catch (...) {
        // The caption stays as it was; the lists are written all the same.
    }
    SaveChangedLists();
}

void Lumivex1::ShowPreviousTab() { TabStrip1->setCurrentIndex(nPreviousTab - 1); }
