#pragma once
// The web browser control of the Documents and Internet tabs: navigation,
// the published command ids of ExecWB, and the page notifications. The
// program makes browsers through createWebBrowser(), so that tests can put a
// fake in place of the web engine.
#include <QString>
#include <QWidget>
#include <functional>

namespace platform {

// Command ids and the option of ExecWB.
enum OleCommand { OLECMDID_SAVEAS = 4, OLECMDID_PRINT = 6, OLECMDID_PROPERTIES = 10 };
enum OleCommandOption { OLECMDEXECOPT_DODEFAULT = 0 };

class WebBrowser : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    // Opens an address; "file://" followed by a path opens that file whatever
    // characters the path holds.
    virtual void Navigate2(const QString& address) = 0;
    virtual void ExecWB(int commandId, int option) = 0;

    // Offline: nothing is fetched from the network.
    virtual bool Offline() const = 0;
    virtual void setOffline(bool offline) = 0;

    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;

    // Shows a page the program made, as if it stood at `baseAddress`.
    virtual void showHtml(const QString& html, const QString& baseAddress) = 0;

signals:
    void BeforeNavigate2(const QString& address);
    void NavigateComplete2(const QString& address);
    void TitleChange(const QString& title);
    void StatusTextChange(const QString& text);
};

using WebBrowserFactory = std::function<WebBrowser*(QWidget* parent)>;
// Installs the browser that createWebBrowser makes; empty restores the web engine.
void setWebBrowserFactory(WebBrowserFactory factory);
WebBrowser* createWebBrowser(QWidget* parent);

// The web engine's browser (made by createWebBrowser unless a test installed another).
WebBrowser* createWebEngineBrowser(QWidget* parent);

} // namespace platform
