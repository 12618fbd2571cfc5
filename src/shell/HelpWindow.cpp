#include "shell/HelpWindow.h"

#include "shared/SharedState.h"
#include "platform/controls/WindowFront.h"

#include <QApplication>
#include <QGuiApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QWindow>
#include <QVBoxLayout>

namespace help {
namespace {

QString& folderSetting()
{
    static QString folder;
    return folder;
}

QPointer<HelpWindow>& theWindow()
{
    static QPointer<HelpWindow> w;
    return w;
}

// The names of the tab panels, by number, as their pages are named.
QString tabTopic(const QString& objectName)
{
    static const QStringList captions = {QStringLiteral("Videos"),     QStringLiteral("Music"),
                                         QStringLiteral("Pictures"),   QStringLiteral("ThumbNails"),
                                         QStringLiteral("Documents"),  QStringLiteral("Internet")};
    static const QRegularExpression re(QStringLiteral("^TabPanel([1-6])$"));
    const auto m = re.match(objectName);
    return m.hasMatch() ? captions.at(m.captured(1).toInt() - 1) : QString();
}

QString readText(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString plainTextOf(const QString& file)
{
    QTextDocument doc;
    doc.setHtml(readText(file));
    return doc.toPlainText();
}

class F1Handler : public QObject {
public:
    explicit F1Handler(QWidget* owner) : QObject(owner), m_owner(owner) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() != Qt::Key_F1 || ke->modifiers() != Qt::NoModifier || !watched->isWidgetType())
            return false;
        ShowTopic(m_owner, topicFor(static_cast<QWidget*>(watched)));
        return true;
    }

private:
    QPointer<QWidget> m_owner;
};

} // namespace

void setHelpFolder(const QString& folder) { folderSetting() = folder; }
QString helpFolder() { return folderSetting(); }

QString pageFile(const QString& topic)
{
    if (topic.isEmpty())
        return {};
    const QDir dir(helpFolder());
    const QString wanted = topic.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ? topic
                                                                                        : topic + QStringLiteral(".htm");
    for (const QString& name : dir.entryList(QDir::Files))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return {};
}

QString pageTitle(const QString& file)
{
    static const QRegularExpression re(QStringLiteral("<title>(.*?)</title>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(readText(file));
    const QString title = m.hasMatch() ? m.captured(1).simplified() : QString();
    return title.isEmpty() ? QFileInfo(file).completeBaseName() : title;
}

QStringList pageFiles()
{
    const QDir dir(helpFolder());
    QStringList files;
    for (const QString& name : dir.entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files))
        files << dir.filePath(name);
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const bool ai = QFileInfo(a).fileName().compare(kContentsPage, Qt::CaseInsensitive) == 0;
        const bool bi = QFileInfo(b).fileName().compare(kContentsPage, Qt::CaseInsensitive) == 0;
        if (ai != bi)
            return ai;
        return pageTitle(a).compare(pageTitle(b), Qt::CaseInsensitive) < 0;
    });
    return files;
}

QString topicFor(const QWidget* w)
{
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        const QString tab = tabTopic(p->objectName());
        if (!tab.isEmpty())
            return tab;
        if (!p->objectName().isEmpty() && !pageFile(p->objectName()).isEmpty())
            return p->objectName();
    }
    return {};
}

HelpWindow* existingWindow() { return theWindow().data(); }

HelpWindow* window(QWidget* owner)
{
    if (!theWindow()) {
        auto* w = new HelpWindow;
        theWindow() = w;
        if (owner) {
            QWidget* main = owner->window();
            QObject::connect(main, &QObject::destroyed, w, &QObject::deleteLater);
            platform::placeBelowBars(w, main);
        }
    }
    return theWindow().data();
}

namespace {
void bringUp(HelpWindow* w)
{
    w->stayUsable();
    platform::bringToFront(w);
}
} // namespace

void ShowContents(QWidget* owner)
{
    HelpWindow* w = window(owner);
    w->showContents();
    bringUp(w);
}

void ShowSearch(QWidget* owner)
{
    HelpWindow* w = window(owner);
    w->showSearch();
    bringUp(w);
}

void ShowTopic(QWidget* owner, const QString& topic)
{
    HelpWindow* w = window(owner);
    w->showTopic(topic);
    bringUp(w);
}

void CloseHelp()
{
    if (HelpWindow* w = theWindow().data()) {
        w->close();
        delete w;
    }
}

void SendF1(QWidget* window)
{
    if (!window)
        return;
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

void installF1Handler(QWidget* owner)
{
    static QPointer<QObject> installed;
    if (installed)
        return;
    installed = new F1Handler(owner);
    qApp->installEventFilter(installed);
}

} // namespace help

// ---------------------------------------------------------------- window

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(kProgramTitle + QStringLiteral(" Help"));
    resize(760, 520);

    auto* split = new QSplitter(Qt::Horizontal, this);
    HelpTabs = new QTabWidget(split);
    HelpTabs->setObjectName(QStringLiteral("HelpTabs"));

    HelpContents = new QListWidget;
    HelpContents->setObjectName(QStringLiteral("HelpContents"));
    HelpContents->setToolTip(QStringLiteral("Help Topics: Select a Topic to Read"));
    HelpTabs->addTab(HelpContents, QStringLiteral("Contents"));

    auto* searchPage = new QWidget;
    auto* sl = new QVBoxLayout(searchPage);
    sl->addWidget(new QLabel(QStringLiteral("Type the words to find:"), searchPage));
    HelpSearchText = new QLineEdit(searchPage);
    HelpSearchText->setObjectName(QStringLiteral("HelpSearchText"));
    HelpSearchText->setToolTip(QStringLiteral("Words to Find in the Help Topics"));
    sl->addWidget(HelpSearchText);
    HelpSearchResults = new QListWidget(searchPage);
    HelpSearchResults->setObjectName(QStringLiteral("HelpSearchResults"));
    HelpSearchResults->setToolTip(QStringLiteral("Help Topics that hold the Words"));
    sl->addWidget(HelpSearchResults, 1);
    HelpTabs->addTab(searchPage, QStringLiteral("Search"));

    HelpText = new QTextBrowser(split);
    HelpText->setObjectName(QStringLiteral("HelpText"));
    HelpText->setOpenExternalLinks(true);
    split->setStretchFactor(1, 3);
    split->setSizes({220, 540});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(split);

    auto openItem = [this](QListWidgetItem* item) {
        if (item)
            showPage(item->data(Qt::UserRole).toString());
    };
    connect(HelpContents, &QListWidget::itemActivated, this, openItem);
    connect(HelpContents, &QListWidget::itemClicked, this, openItem);
    connect(HelpSearchResults, &QListWidget::itemActivated, this, openItem);
    connect(HelpSearchResults, &QListWidget::itemClicked, this, openItem);
    connect(HelpSearchText, &QLineEdit::textChanged, this, [this](const QString& t) { search(t); });
    connect(HelpText, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        if (url.isLocalFile())
            m_page = url.toLocalFile();
    });
}

void HelpWindow::reloadContents()
{
    HelpContents->clear();
    for (const QString& file : help::pageFiles()) {
        auto* item = new QListWidgetItem(help::pageTitle(file), HelpContents);
        item->setData(Qt::UserRole, file);
    }
}

void HelpWindow::showPage(const QString& file)
{
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        m_page.clear();
        HelpText->setPlainText(QStringLiteral("The help pages could not be found in the folder ") +
                               QDir::toNativeSeparators(help::helpFolder()) + QStringLiteral("."));
        return;
    }
    m_page = file;
    HelpText->setSource(QUrl::fromLocalFile(file));
}

void HelpWindow::showContents()
{
    reloadContents();
    HelpTabs->setCurrentIndex(0);
    showPage(help::pageFile(help::kContentsPage));
}

void HelpWindow::showSearch()
{
    reloadContents();
    HelpTabs->setCurrentIndex(1);
    HelpSearchText->clear();
    HelpSearchResults->clear();
    HelpSearchText->setFocus();
    if (m_page.isEmpty())
        showPage(help::pageFile(help::kContentsPage));
}

void HelpWindow::showTopic(const QString& topic)
{
    reloadContents();
    const QString file = help::pageFile(topic);
    showPage(file.isEmpty() ? help::pageFile(help::kContentsPage) : file);
}

QString HelpWindow::shownText() const { return HelpText->toPlainText(); }

// A modal dialog blocks every window but itself and the windows that belong
// to it. While one is up, the help window belongs to it (for the window
// system too, which keeps it above the dialog); with none, it stands alone.
void HelpWindow::stayUsable()
{
    QWindow* own = windowHandle();
    if (!own) {
        winId(); // makes the native window, so that it can belong to the dialog before it shows
        own = windowHandle();
    }
    QWindow* modal = QGuiApplication::modalWindow();
    if (!own || modal == own)
        return;
    if (own->transientParent() != modal)
        own->setTransientParent(modal);
    if (modal)
        connect(modal, &QWindow::visibleChanged, this, &HelpWindow::stayUsable,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
}

bool HelpWindow::event(QEvent* event)
{
    // Raised when a modal dialog comes up while the help window is open.
    if (event->type() == QEvent::WindowBlocked)
        QMetaObject::invokeMethod(this, &HelpWindow::stayUsable, Qt::QueuedConnection);
    return QWidget::event(event);
}

QStringList HelpWindow::search(const QString& words)
{
    HelpSearchResults->clear();
    const QStringList wanted = words.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList titles;
    if (wanted.isEmpty())
        return titles;
    for (const QString& file : help::pageFiles()) {
        const QString text = help::pageTitle(file) + QLatin1Char(' ') + help::plainTextOf(file);
        const bool all = std::all_of(wanted.begin(), wanted.end(),
                                     [&](const QString& w) { return text.contains(w, Qt::CaseInsensitive); });
        if (!all)
            continue;
        auto* item = new QListWidgetItem(help::pageTitle(file), HelpSearchResults);
        item->setData(Qt::UserRole, file);
        titles << item->text();
    }
    return titles;
}
