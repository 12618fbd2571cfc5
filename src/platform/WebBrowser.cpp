#include "platform/WebBrowser.h"

namespace platform {
namespace {
WebBrowserFactory& factory()
{
    static WebBrowserFactory f;
    return f;
}
} // namespace

void setWebBrowserFactory(WebBrowserFactory f) { factory() = std::move(f); }

WebBrowser* createWebBrowser(QWidget* parent)
{
    return factory() ? factory()(parent) : createWebEngineBrowser(parent);
}

} // namespace platform
