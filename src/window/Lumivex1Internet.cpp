// The Internet tab: the browser's page events on the main window, and the
// favourites tree beside the browser.
#include "window/Lumivex1.h"

#include "lists/FavoritesTree.h"
#include "lists/InternetShortcut.h"
#include "shared/SharedState.h"

namespace {
constexpr int kInternetTab = 6;
constexpr int kFavoritesFolder = 6;
} // namespace

void Lumivex1::buildFavorites()
{
    m_favorites = std::make_unique<lists::FavoritesTree>(new platform::KeyedTree);
    TreeView4 = m_favorites->tree();
    m_favorites->navigate = [this](const QString& address) { WebBrowser2->Navigate2(address); };
    m_favorites->hourglass = [this](bool on) { on ? setCursor(Qt::WaitCursor) : unsetCursor(); };
}

void Lumivex1::connectInternetBrowser()
{
    WebBrowser2->setEvents({[this](const QString& a) { WebBrowser2_BeforeNavigate2(a); },
                            [this](const QString& a) { WebBrowser2_NavigateComplete2(a); },
                            [this](const QString& t) { WebBrowser2_TitleChange(t); }});
}

// ---------------------------------------------------------------- page events

void Lumivex1::WebBrowser2_BeforeNavigate2(const QString& address)
{
    if (fStartingUp || !TabSelected(kInternetTab))
        return;
    setCursor(Qt::WaitCursor);
    m_pageHourglass = true;
    gs.cCurrentURL = address;
    if (platform::Tool* combo = ToolBarComp1->Item(QStringLiteral("ID_IntURLEnter")))
        combo->setComboText(address);
}

void Lumivex1::WebBrowser2_NavigateComplete2(const QString& address)
{
    AddVisitedURL(address);
    // Only the hourglass a page put up: another tab's work keeps its own.
    if (m_pageHourglass) {
        unsetCursor();
        m_pageHourglass = false;
    }
}

void Lumivex1::WebBrowser2_TitleChange(const QString& title)
{
    if (fStartingUp || !TabSelected(kInternetTab))
        return;
    setWindowTitle(title);
    if (!WebBrowser2->Visible())
        WebBrowser2->setVisible(true);
}

// ---------------------------------------------------------------- favourites

QString Lumivex1::GetSpecialFolderPath(int folder) const
{
    return folder == kFavoritesFolder ? lists::favoritesFolder() : QString();
}

void Lumivex1::LoadInternetFavorites() { m_favorites->LoadInternetFavorites(); }

void Lumivex1::AddInternetFavorite()
{
    m_favorites->AddInternetFavorite(WebBrowser2->LocationURL(), WebBrowser2->LocationName(), windowTitle());
}
