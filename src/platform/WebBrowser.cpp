#include "platform/WebBrowser.h"

#include <QWidget>

namespace platform {

bool WebBrowser::Visible() const
{
    QWidget* v = const_cast<WebBrowser*>(this)->view();
    return v && !v->isHidden();
}

void WebBrowser::setVisible(bool on)
{
    if (QWidget* v = view())
        v->setVisible(on);
}

void WebBrowser::raiseBeforeNavigate(const QString& address) const
{
    if (m_events.beforeNavigate)
        m_events.beforeNavigate(address);
}

void WebBrowser::raiseNavigateComplete(const QString& address) const
{
    if (m_events.navigateComplete)
        m_events.navigateComplete(address);
}

void WebBrowser::raiseTitleChange(const QString& title) const
{
    if (m_events.titleChange)
        m_events.titleChange(title);
}

NullWebBrowser::NullWebBrowser(const QString& objectName) : m_name(objectName) {}

NullWebBrowser::~NullWebBrowser()
{
    delete m_view.data();
}

QWidget* NullWebBrowser::view()
{
    if (!m_view) {
        m_view = new QWidget;
        m_view->setObjectName(m_name);
    }
    return m_view.data();
}

namespace {
WebBrowserFactory& factory()
{
    static WebBrowserFactory f;
    return f;
}
} // namespace

std::unique_ptr<WebBrowser> createWebBrowser(const QString& objectName)
{
    if (factory())
        if (auto b = factory()(objectName))
            return b;
    return createWebEngineBrowser(objectName);
}

void setWebBrowserFactory(WebBrowserFactory f) { factory() = std::move(f); }

} // namespace platform
