#pragma once
// net/: the web browser control and downloads, behind interfaces whose
// engines (Qt WebEngine, Qt Network) live in plug-ins of ours.
//
// The web browser control of the Documents and Internet tabs, behind an
// interface: the window drives it through these calls only, so the web
// engine can be created on first use and tests can stand in for it.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace platform {

// Command ids of ExecWB (the published OLECMDID values).
enum BrowserCommand { kBrowserSaveAs = 4, kBrowserPrint = 6, kBrowserProperties = 10 };
// The one option the program passes: let the browser decide (OLECMDEXECOPT_DODEFAULT).
constexpr int kBrowserDoDefault = 0;

// What a browser tells its window. A notification without a handler is not raised.
struct WebBrowserEvents {
    // A page is about to be opened at the address.
    std::function<void(const QString& address)> beforeNavigate;
    // The page at the address has been opened (or has failed to open).
    std::function<void(const QString& address)> navigateComplete;
    // The page's title changed; a page without one gives its address.
    std::function<void(const QString& title)> titleChange;
};

class WebBrowser {
public:
    virtual ~WebBrowser() = default;

    // The widget that shows the pages. An implementation may create its engine
    // on first navigation; the widget itself must be cheap to make.
    virtual QWidget* view() = 0;

    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    virtual void Navigate2(const QString& address) = 0;
    // Print (6), save as (4) or properties (10) of the page shown.
    virtual void ExecWB(int command, int option) = 0;

    // The page shown: its address and its title.
    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;

    // Offline: show only what is stored locally. Silent: no script error boxes.
    virtual void setOffline(bool on) = 0;
    virtual void setSilent(bool on) = 0;

    // Shows a page the program made (HTML text) as if it stood at baseAddress:
    // for files the engine would leave blank or only offer to download.
    virtual void showHtml(const QString& html, const QString& baseAddress)
    {
        Q_UNUSED(html);
        Navigate2(baseAddress);
    }

    // Visibility of the view (false when there is none).
    bool Visible() const;
    void setVisible(bool on);

    // The handlers of the notifications (replacing earlier ones).
    void setEvents(WebBrowserEvents events) { m_events = std::move(events); }
    // Raise a notification: the implementation does, as its page changes.
    void raiseBeforeNavigate(const QString& address) const;
    void raiseNavigateComplete(const QString& address) const;
    void raiseTitleChange(const QString& title) const;

private:
    WebBrowserEvents m_events;
};

// Stands in until a web engine is wired up: keeps the address it was sent to
// and shows an empty page.
class NullWebBrowser : public WebBrowser {
public:
    explicit NullWebBrowser(const QString& objectName);
    ~NullWebBrowser() override;
    QWidget* view() override;
    void GoBack() override {}
    void GoForward() override {}
    void GoHome() override { m_url.clear(); }
    void Stop() override {}
    void Refresh() override {}
    void Navigate2(const QString& address) override { m_url = address; }
    void ExecWB(int, int) override {}
    QString LocationURL() const override { return m_url; }
    QString LocationName() const override { return m_url; }
    void setOffline(bool) override {}
    void setSilent(bool) override {}

private:
    QString m_name;
    QString m_url;
    QPointer<QWidget> m_view; // owned by the layout it is placed in, else here
};

// The browser over Qt WebEngine: its view is a plain widget until the first
// page, when the web plug-in is loaded and the engine starts inside it.
std::unique_ptr<WebBrowser> createWebEngineBrowser(const QString& objectName);

// Makes the browser named objectName ("WebBrowser1", "WebBrowser2").
using WebBrowserFactory = std::function<std::unique_ptr<WebBrowser>(const QString& objectName)>;
std::unique_ptr<WebBrowser> createWebBrowser(const QString& objectName);
// Installs the factory createWebBrowser uses; an empty one restores the default.
void setWebBrowserFactory(WebBrowserFactory factory);

} // namespace platform
