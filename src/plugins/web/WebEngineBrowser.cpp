// The web browser control over Qt WebEngine: a plug-in library of ours, so
// that the program starts without the engine and loads it with the first page.
#include "platform/controls/Dialogs.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/text/TextFile.h"
#include "platform/net/WebBrowser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <functional>
#include <memory>

#include <cstdio>

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

class Page : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    bool silent = false;
    // Told of every page the main frame is about to open.
    std::function<void(const QUrl&)> beforeNavigate;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame && beforeNavigate)
            beforeNavigate(url);
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    // Silent: script message boxes are not shown.
    void javaScriptAlert(const QUrl& origin, const QString& text) override
    {
        if (!silent)
            QWebEnginePage::javaScriptAlert(origin, text);
    }
};

// A page the program made itself (a data address) is reported at the address it stands for.
QString reportedAddress(const QUrl& url, const QString& madeAt)
{
    if (url.scheme() == QLatin1String("data"))
        return madeAt;
    return url.toString();
}

// The title of a page; a page without one of its own gives its whole address
// (the engine would give it less its "http://", or only the host of a page
// that failed to open).
QString pageTitle(const QWebEnginePage* page, const QString& title)
{
    const QUrl url = page->url();
    if (title == url.toString() || title == url.toString(QUrl::RemoveScheme).mid(2) ||
        (!url.isLocalFile() && title == url.host()))
        return url.toString();
    return title;
}

QString localPathOf(const QString& address)
{
    if (address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return address.mid(7);
    return {};
}

class WebEngineBrowser : public WebBrowser {
public:
    explicit WebEngineBrowser(const QString& objectName) : m_name(objectName) {}
    ~WebEngineBrowser() override { delete m_container.data(); }

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
        if (m_view)
            m_view->back();
    }
    void GoForward() override
    {
        if (m_view)
            m_view->forward();
    }
    void GoHome() override { Navigate2(QStringLiteral("about:blank")); }
    void Stop() override
    {
        if (m_view)
            m_view->stop();
    }
    void Refresh() override
    {
        if (m_view)
            m_view->reload();
    }

    void Navigate2(const QString& address) override
    {
        const QString path = localPathOf(address);
        engine()->setUrl(path.isEmpty() ? QUrl::fromUserInput(address) : QUrl::fromLocalFile(path));
    }

    void ExecWB(int commandId, int) override
    {
        if (!m_view)
            return;
        switch (commandId) {
        case kBrowserPrint: print(); break;
        case kBrowserSaveAs: saveAs(); break;
        case kBrowserProperties: properties(); break;
        default: break;
        }
    }

    QString LocationURL() const override { return m_page ? m_page->url().toString() : QString(); }
    QString LocationName() const override { return m_page ? pageTitle(m_page, m_page->title()) : QString(); }
    void setOffline(bool offline) override
    {
        m_offline = offline;
        if (m_interceptor)
            m_interceptor->offline = offline;
    }
    void setSilent(bool silent) override
    {
        m_silent = silent;
        if (m_page)
            m_page->silent = silent;
    }

    void showHtml(const QString& html, const QString& baseAddress) override
    {
        const QString path = localPathOf(baseAddress);
        engine();
        m_madeAt = baseAddress;
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
            if (copyFileSafely(url.toLocalFile(), a.fileName) != 0)
                reportSaveFailed(a.fileName);
            return;
        }
        const QString ext = QFileInfo(a.fileName).suffix().toLower();
        if (ext == QLatin1String("pdf")) {
            const QString target = a.fileName;
            m_page->printToPdf([target](const QByteArray& pdf) {
                if (pdf.isEmpty() || !writeBytes(target, pdf))
                    reportSaveFailed(target);
            });
            return;
        }
        savePage(a.fileName, ext == QLatin1String("mht") || ext == QLatin1String("mhtml")
                                 ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                                 : QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
    }

    static void reportSaveFailed(const QString& fileName)
    {
        dialogs().message(QStringLiteral("Save Web Page"), QStringLiteral("The file could not be saved - ") + fileName,
                          Buttons::Ok, Icon::Warning);
    }

    // The engine writes the page (and a complete page's "<name>_files" folder)
    // into a hidden folder beside the target; only a finished save is moved
    // over the old page, so a failed one leaves it as it was.
    void savePage(const QString& target, QWebEngineDownloadRequest::SavePageFormat format)
    {
        if (m_staging)
            return; // one save at a time
        const QFileInfo fi(target);
        m_staging = std::make_unique<QTemporaryDir>(fi.absoluteDir().filePath(QStringLiteral(".lumivex-save-XXXXXX")));
        if (!m_staging->isValid()) {
            m_staging.reset();
            reportSaveFailed(target);
            return;
        }
        m_saveTarget = fi.absoluteFilePath();
        m_page->save(QDir(m_staging->path()).filePath(fi.fileName()), format);
    }

    void watchSave(QWebEngineDownloadRequest* download)
    {
        QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, m_view, [this, download] {
            if (!download->isFinished() || !m_staging)
                return;
            const bool ok = download->state() == QWebEngineDownloadRequest::DownloadCompleted &&
                            placeSavedPage(m_staging->path(), m_saveTarget);
            m_staging.reset();
            if (!ok)
                reportSaveFailed(m_saveTarget);
        });
    }

    // Moves the staged page and its files folder over the target's.
    static bool placeSavedPage(const QString& staging, const QString& target)
    {
        const QFileInfo fi(target);
        const QString staged = QDir(staging).filePath(fi.fileName());
        if (!QFileInfo(staged).isFile() || QFileInfo(staged).size() == 0)
            return false;
        const QString filesName = fi.completeBaseName() + QStringLiteral("_files");
        const QString stagedFiles = QDir(staging).filePath(filesName);
        if (QFileInfo(stagedFiles).isDir()) {
            const QString files = fi.absoluteDir().filePath(filesName);
            const QString old = QDir(staging).filePath(QStringLiteral("old_files"));
            const bool hadOld = QFileInfo(files).isDir() && QDir().rename(files, old);
            if (!QDir().rename(stagedFiles, files)) {
                if (hadOld)
                    QDir().rename(old, files);
                return false;
            }
        }
        return ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) == 0;
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

    // The engine starts with the first page it is asked for.
    QWebEngineView* engine()
    {
        if (m_view)
            return m_view;
        QWidget* box = view();
        m_view = new QWebEngineView(box);
        m_page = new Page(m_view);
        m_page->silent = m_silent;
        m_interceptor = new OfflineInterceptor(m_page);
        m_interceptor->offline = m_offline;
        m_page->setUrlRequestInterceptor(m_interceptor);
        m_view->setPage(m_page);
        QWebEngineSettings* s = m_page->settings();
        s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        box->layout()->addWidget(m_view);
        connectNotifications();
        QObject::connect(m_view, &QWebEngineView::printFinished, m_view, [this](bool) { m_printer.reset(); });
        // A file the engine can only download is explained, never left as a blank page.
        QObject::connect(m_page->profile(), &QWebEngineProfile::downloadRequested, m_view,
                         [this](QWebEngineDownloadRequest* download) {
                             if (download->page() != m_page)
                                 return;
                             if (download->isSavePageDownload()) {
                                 watchSave(download);
                                 return;
                             }
                             download->cancel();
                             const QString name = download->url().isLocalFile() ? download->url().toLocalFile()
                                                                                 : download->url().toString();
                             showHtml(QStringLiteral("<html><body><h3>This file cannot be shown here.</h3>"
                                                     "<p>%1</p><p>Open it with the program that reads its "
                                                     "type.</p></body></html>")
                                          .arg(name.toHtmlEscaped()),
                                      download->url().toString());
                         });
        return m_view;
    }

    // The page's changes raised as the browser's notifications.
    void connectNotifications()
    {
        m_page->beforeNavigate = [this](const QUrl& url) { raiseBeforeNavigate(reportedAddress(url, m_madeAt)); };
        QObject::connect(m_page, &QWebEnginePage::loadFinished, m_view,
                         [this](bool) { raiseNavigateComplete(reportedAddress(m_page->url(), m_madeAt)); });
        QObject::connect(m_page, &QWebEnginePage::titleChanged, m_view,
                         [this](const QString& title) { raiseTitleChange(pageTitle(m_page, title)); });
    }

    QString m_name;
    QString m_madeAt; // the address the last page the program made stands for
    QPointer<QWidget> m_container;
    QPointer<QWebEngineView> m_view;
    QPointer<Page> m_page;
    OfflineInterceptor* m_interceptor = nullptr;
    bool m_offline = false, m_silent = false;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QTemporaryDir> m_staging; // the page save under way
    QString m_saveTarget;
};

} // namespace
} // namespace platform

// The plug-in's one entry: a browser whose view is named objectName.
extern "C" Q_DECL_EXPORT platform::WebBrowser* lumivexMakeWebBrowser(const QString& objectName)
{
    return new platform::WebEngineBrowser(objectName);
}
