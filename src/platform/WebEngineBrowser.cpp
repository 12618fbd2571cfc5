// The web browser control over Qt WebEngine.
#include "platform/Dialogs.h"
#include "platform/WebBrowser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>
#include <QSaveFile>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <memory>

namespace platform {
namespace {

// Blocks every request that would leave the machine while the browser is offline.
class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    bool offline = false;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (!offline)
            return;
        static const QStringList local = {"file", "data", "qrc", "blob", "about", "chrome", "chrome-extension"};
        if (!local.contains(info.requestUrl().scheme().toLower()))
            info.block(true);
    }
};

class WebEngineBrowser;

class Page : public QWebEnginePage {
public:
    Page(WebEngineBrowser* owner, QObject* parent) : QWebEnginePage(parent), m_owner(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    WebEngineBrowser* m_owner;
};

QString localPathOf(const QString& address)
{
    if (address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return address.mid(7);
    return {};
}

class WebEngineBrowser : public WebBrowser {
public:
    explicit WebEngineBrowser(QWidget* parent) : WebBrowser(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_view = new QWebEngineView(this);
        m_page = new Page(this, m_view);
        m_interceptor = new OfflineInterceptor(m_page);
        m_page->setUrlRequestInterceptor(m_interceptor);
        m_view->setPage(m_page);
        QWebEngineSettings* s = m_page->settings();
        s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        layout->addWidget(m_view);
        connect(m_page, &QWebEnginePage::loadFinished, this,
                [this](bool) { emit NavigateComplete2(m_page->url().toString()); });
        connect(m_page, &QWebEnginePage::titleChanged, this, &WebBrowser::TitleChange);
        connect(m_page, &QWebEnginePage::linkHovered, this, &WebBrowser::StatusTextChange);
        connect(m_view, &QWebEngineView::printFinished, this, [this](bool) { m_printer.reset(); });
        // A file the engine can only download is explained, never left as a blank page.
        connect(m_page->profile(), &QWebEngineProfile::downloadRequested, this,
                [this](QWebEngineDownloadRequest* download) {
                    if (download->page() != m_page)
                        return;
                    download->cancel();
                    const QString name = download->url().isLocalFile() ? download->url().toLocalFile()
                                                                        : download->url().toString();
                    showHtml(QStringLiteral("<html><body><h3>This file cannot be shown here.</h3><p>%1</p>"
                                            "<p>Open it with the program that reads its type.</p></body></html>")
                                 .arg(name.toHtmlEscaped()),
                             download->url().toString());
                });
    }

    void emitBeforeNavigate(const QUrl& url) { emit BeforeNavigate2(url.toString()); }

    void GoBack() override { m_view->back(); }
    void GoForward() override { m_view->forward(); }
    void GoHome() override { Navigate2(QStringLiteral("about:blank")); }
    void Stop() override { m_view->stop(); }
    void Refresh() override { m_view->reload(); }

    void Navigate2(const QString& address) override
    {
        const QString path = localPathOf(address);
        m_view->setUrl(path.isEmpty() ? QUrl::fromUserInput(address) : QUrl::fromLocalFile(path));
    }

    void ExecWB(int commandId, int) override
    {
        switch (commandId) {
        case OLECMDID_PRINT: print(); break;
        case OLECMDID_SAVEAS: saveAs(); break;
        case OLECMDID_PROPERTIES: properties(); break;
        default: break;
        }
    }

    bool Offline() const override { return m_interceptor->offline; }
    void setOffline(bool offline) override { m_interceptor->offline = offline; }
    QString LocationURL() const override { return m_page->url().toString(); }
    QString LocationName() const override { return m_page->title(); }

    void showHtml(const QString& html, const QString& baseAddress) override
    {
        const QString path = localPathOf(baseAddress);
        m_page->setHtml(html, path.isEmpty() ? QUrl(baseAddress) : QUrl::fromLocalFile(path));
    }

private:
    void print()
    {
        if (m_printer)
            return; // one print at a time
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!dialogs().printerSetup(m_printer.get())) {
            m_printer.reset();
            return;
        }
        m_view->setFocus();
        m_view->print(m_printer.get());
    }

    void saveAs()
    {
        const QUrl url = m_page->url();
        const bool localDocument = url.isLocalFile() && !QStringList{"htm", "html", "shtm", "shtml"}.contains(
                                                            QFileInfo(url.toLocalFile()).suffix().toLower());
        FileRequest r;
        r.title = QStringLiteral("Save Web Page");
        r.folder = url.isLocalFile() ? QFileInfo(url.toLocalFile()).absolutePath() : QDir::homePath();
        if (localDocument) {
            r.fileName = url.fileName();
            r.filter = QStringLiteral("Document|*.") + QFileInfo(url.toLocalFile()).suffix();
        } else {
            QString title = m_page->title().trimmed();
            title.replace(QLatin1Char('/'), QLatin1Char('_'));
            r.fileName = (title.isEmpty() ? QStringLiteral("page") : title) + QStringLiteral(".htm");
            r.filter = QStringLiteral("Web Page, complete|*.htm;*.html|Web Archive, single file|*.mht|"
                                      "PDF Document|*.pdf");
        }
        const FileAnswer a = dialogs().saveFile(r);
        if (!a.accepted || a.fileName.isEmpty())
            return;
        if (localDocument) {
            QFile in(url.toLocalFile());
            QSaveFile out(a.fileName);
            if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0 ||
                !out.commit())
                dialogs().message(QStringLiteral("Save Web Page"),
                                  QStringLiteral("The file could not be saved - ") + a.fileName, Buttons::Ok,
                                  Icon::Warning);
            return;
        }
        const QString ext = QFileInfo(a.fileName).suffix().toLower();
        if (ext == QLatin1String("pdf"))
            m_page->printToPdf(a.fileName);
        else
            m_page->save(a.fileName, ext == QLatin1String("mht") || ext == QLatin1String("mhtml")
                                         ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                                         : QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
    }

    void properties()
    {
        const QUrl url = m_page->url();
        QString text = QStringLiteral("Name: ") + m_page->title() + QStringLiteral("\nAddress: ") + url.toString() +
                       QStringLiteral("\nProtocol: ") + url.scheme();
        if (url.isLocalFile()) {
            const QFileInfo fi(url.toLocalFile());
            text += QStringLiteral("\nSize: ") + QLocale().toString(fi.size()) + QStringLiteral(" Bytes") +
                    QStringLiteral("\nModified: ") + QLocale().toString(fi.lastModified(), QLocale::ShortFormat);
        }
        dialogs().message(QStringLiteral("Properties"), text, Buttons::Ok, Icon::Information);
    }

    QWebEngineView* m_view;
    Page* m_page;
    OfflineInterceptor* m_interceptor;
    std::unique_ptr<QPrinter> m_printer;
};

bool Page::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame)
{
    if (isMainFrame)
        m_owner->emitBeforeNavigate(url);
    return true;
}

} // namespace

WebBrowser* createWebEngineBrowser(QWidget* parent) { return new WebEngineBrowser(parent); }

} // namespace platform
