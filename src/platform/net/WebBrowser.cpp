#include "platform/net/WebBrowser.h"

#include "platform/core/PlugIn.h"

#include <QCoreApplication>
#include <QLabel>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QWidget>

// Qt's own setter of the context every OpenGL context of the program shares,
// as Qt's modules declare it.
void qt_gl_set_global_share_context(QOpenGLContext* context);

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

// The web engine draws with OpenGL in a context shared with the program's
// windows, which Qt would otherwise make at start-up: it is made here, just
// before the engine's library is loaded (it may fail; the engine then draws
// in software).
void makeSharedContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create();
    qt_gl_set_global_share_context(context);
}

// Stands where the engine will be: keeps the settings, and with the first
// page loads the web plug-in and hands every call on to the browser it makes.
class DeferredWebBrowser : public WebBrowser {
public:
    explicit DeferredWebBrowser(const QString& objectName) : m_name(objectName) {}
    ~DeferredWebBrowser() override
    {
        m_engine.reset();
        delete m_container.data();
    }

    QWidget* view() override
    {
        if (!m_container) {
            m_container = new QWidget;
            m_container->setObjectName(m_name);
            auto* layout = new QVBoxLayout(m_container);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        return m_container.data();
    }

    void GoBack() override
    {
        if (m_engine)
            m_engine->GoBack();
    }
    void GoForward() override
    {
        if (m_engine)
            m_engine->GoForward();
    }
    void GoHome() override
    {
        if (WebBrowser* e = engine())
            e->GoHome();
    }
    void Stop() override
    {
        if (m_engine)
            m_engine->Stop();
    }
    void Refresh() override
    {
        if (m_engine)
            m_engine->Refresh();
    }
    void Navigate2(const QString& address) override
    {
        if (WebBrowser* e = engine())
            e->Navigate2(address);
    }
    void ExecWB(int command, int option) override
    {
        if (m_engine)
            m_engine->ExecWB(command, option);
    }
    QString LocationURL() const override { return m_engine ? m_engine->LocationURL() : QString(); }
    QString LocationName() const override { return m_engine ? m_engine->LocationName() : QString(); }
    void setOffline(bool on) override
    {
        m_offline = on;
        if (m_engine)
            m_engine->setOffline(on);
    }
    void setSilent(bool on) override
    {
        m_silent = on;
        if (m_engine)
            m_engine->setSilent(on);
    }
    void showHtml(const QString& html, const QString& baseAddress) override
    {
        if (WebBrowser* e = engine())
            e->showHtml(html, baseAddress);
    }

private:
    WebBrowser* engine()
    {
        if (m_engine || m_failed)
            return m_engine.get();
        makeSharedContext();
        using Make = WebBrowser* (*)(const QString&);
        const auto make = reinterpret_cast<Make>(plugInFunction("lumivex_web", "lumivexMakeWebBrowser"));
        if (!make) {
            // Said once, in the place the pages would show.
            m_failed = true;
            auto* note = new QLabel(QStringLiteral("The web browser cannot be started: ") +
                                    plugInError("lumivex_web"));
            note->setWordWrap(true);
            note->setAlignment(Qt::AlignCenter);
            view()->layout()->addWidget(note);
            return nullptr;
        }
        m_engine.reset(make(QStringLiteral("WebEngine")));
        m_engine->setOffline(m_offline);
        m_engine->setSilent(m_silent);
        // The engine's notifications are this browser's, whoever listens to it.
        m_engine->setEvents({[this](const QString& a) { raiseBeforeNavigate(a); },
                             [this](const QString& a) { raiseNavigateComplete(a); },
                             [this](const QString& t) { raiseTitleChange(t); }});
        view()->layout()->addWidget(m_engine->view());
        return m_engine.get();
    }

    QString m_name;
    QPointer<QWidget> m_container;
    std::unique_ptr<WebBrowser> m_engine;
    bool m_offline = false, m_silent = false, m_failed = false;
};

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

std::unique_ptr<WebBrowser> createWebEngineBrowser(const QString& objectName)
{
    return std::make_unique<DeferredWebBrowser>(objectName);
}

void setWebBrowserFactory(WebBrowserFactory f) { factory() = std::move(f); }

} // namespace platform
