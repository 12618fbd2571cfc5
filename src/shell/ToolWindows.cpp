#include "shell/ToolWindows.h"

#include "shared/SharedState.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace toolwindows {

namespace {

struct Entry {
    Creator creator;
    QPointer<QWidget> instance;
};

QHash<QString, Entry>& windows()
{
    static QHash<QString, Entry> w;
    return w;
}

// Ends a local event loop when the watched window is hidden or destroyed.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* w, QEventLoop* loop) : m_loop(loop) { w->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close)
            m_loop->quit();
        return false;
    }

private:
    QEventLoop* m_loop;
};

} // namespace

void bringToFront(QWidget* w)
{
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

void registerWindow(const QString& name, Creator creator) { windows()[name].creator = std::move(creator); }

void unregisterWindow(const QString& name)
{
    auto it = windows().find(name);
    if (it != windows().end())
        it->creator = nullptr;
}

bool isRegistered(const QString& name)
{
    const auto it = windows().constFind(name);
    return it != windows().constEnd() && it->creator;
}

void registerProgramWindows()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Each tool window adds its line here as its code lands, for example:
    //   registerWindow(QStringLiteral("About1"), [] { return new About1; });
}

bool* openFlag(const QString& name)
{
    static const QHash<QString, bool SharedState::*> flags = {
        {QStringLiteral("FindFle1"), &SharedState::fFindFleOpen},
        {QStringLiteral("GetURL1"), &SharedState::fGetURLOpen},
        {QStringLiteral("ProPert1"), &SharedState::fProPertOpen},
        {QStringLiteral("PrntPict1"), &SharedState::fPrntPictOpen},
        {QStringLiteral("SetFavList1"), &SharedState::fSetFavListOpen},
        {QStringLiteral("SelFavorites1"), &SharedState::fSelFavoritesOpen},
        {QStringLiteral("EdtImage1"), &SharedState::fEdtImageOpen},
        {QStringLiteral("EdtColors1"), &SharedState::fEdtColorsOpen},
        {QStringLiteral("CreatAn1"), &SharedState::fCreatAnOpen},
        {QStringLiteral("VidProp1"), &SharedState::fVidPropOpen},
        {QStringLiteral("SetOptn1"), &SharedState::fSetOptnOpen},
        {QStringLiteral("AudRepl1"), &SharedState::fAudReplOpen},
        {QStringLiteral("VidJoin1"), &SharedState::fVidJoinOpen},
        {QStringLiteral("About1"), &SharedState::fAboutOpen},
        {QStringLiteral("QuikTip1"), &SharedState::fQuikTipOpen},
    };
    const auto it = flags.constFind(name);
    return it == flags.constEnd() ? nullptr : &(gs.*(it.value()));
}

QWidget* existing(const QString& name)
{
    const auto it = windows().constFind(name);
    return it == windows().constEnd() ? nullptr : it->instance.data();
}

QWidget* instance(const QString& name)
{
    registerProgramWindows();
    auto it = windows().find(name);
    if (it == windows().end() || !it->creator)
        return nullptr;
    if (!it->instance) {
        QWidget* w = it->creator();
        if (!w)
            return nullptr;
        if (w->objectName().isEmpty())
            w->setObjectName(name);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setProperty("lumivexToolWindow", true); // closed with the main window
        it = windows().find(name); // the maker may have registered others
        it->instance = w;
    }
    return it->instance.data();
}

void open(const QString& name)
{
    const bool* flag = openFlag(name);
    QWidget* w = existing(name);
    if (flag && *flag && w) {
        bringToFront(w);
        return;
    }
    showModeless(name);
}

void showModeless(const QString& name)
{
    if (QWidget* w = instance(name))
        bringToFront(w);
}

void showModal(const QString& name)
{
    QPointer<QWidget> w = instance(name);
    if (!w)
        return;
    if (auto* dlg = qobject_cast<QDialog*>(w.data())) {
        dlg->exec();
        return;
    }
    const Qt::WindowModality old = w->windowModality();
    if (w->isVisible())
        w->hide(); // modality changes only take effect on a hidden window
    w->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    HideWatcher watcher(w, &loop);
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->show();
    if (w && w->isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (w) {
        w->removeEventFilter(&watcher);
        w->setWindowModality(old);
    }
}

void unload(const QString& name)
{
    if (QWidget* w = existing(name))
        w->close();
}

ScopedWindow::ScopedWindow(const QString& name, Creator creator) : m_name(name)
{
    registerProgramWindows();
    auto it = windows().find(name);
    if (it != windows().end())
        m_old = it->creator;
    registerWindow(name, std::move(creator));
}

ScopedWindow::~ScopedWindow()
{
    if (QWidget* w = existing(m_name))
        delete w;
    registerWindow(m_name, m_old);
}

} // namespace toolwindows
