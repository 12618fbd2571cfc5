#include "window/ToolWindows.h"

#include "browser/GetURL1.h"
#include "browser/ProPert1.h"
#include "editor/EdtColors1.h"
#include "editor/EdtImage1.h"
#include "platform/imaging/Lead.h"
#include "platform/controls/WindowFront.h"
#include "browser/Rename1.h"
#include "favorites/SelFavorites1.h"
#include "favorites/SetFavList1.h"
#include "editor/PrntPict1.h"
#include "shared/SharedState.h"
#include "shell/About1.h"
#include "window/Lumivex1.h"
#include "shell/QuikTip1.h"
#include "shell/SetOptn1.h"
#include "video/CreatAn1.h"
#include "video/VidProp1.h"
#include "platform/controls/ToolBarComp.h"
#include "video/AudRepl1.h"
#include "video/VidJoin1.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QListWidget>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

namespace toolwindows {

namespace {

struct Entry {
    Creator creator;
    Openers openers;
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

// What the picture editors touch of the main window: its picture view, the
// changed flag and their tool.
editor::EditorHost pictureEditorHost(const QString& toolId)
{
    QPointer<Lumivex1> w = mainWindow();
    editor::EditorHost host;
    host.showInMainView = [w](const QImage& picture) {
        if (w)
            w->Image1->setBitmap(picture);
    };
    host.resetMainView = [w] {
        if (w)
            w->ResetPicture();
    };
    host.setPictureChanged = [w](bool changed) {
        if (w)
            w->fPictureChanged = changed;
    };
    host.setToolState = [w, toolId](int state) {
        if (w)
            if (platform::Tool* tool = w->ToolBarComp1->Item(toolId))
                tool->setState(state);
    };
    return host;
}

// Lets a window's command tool go when the window unloads.
std::function<void()> toolReleaser(const char* id)
{
    return [id] {
        if (Lumivex1* w = mainWindow(); w && w->ToolBarComp1)
            if (platform::Tool* tool = w->ToolBarComp1->Item(QString::fromLatin1(id)))
                tool->setState(0);
    };
}

CreatAnLinks creatAnLinks()
{
    CreatAnLinks links;
    if (Lumivex1* w = mainWindow(); w && w->List3)
        for (int i = 0; i < w->List3->count(); ++i)
            links.viewedPictures << w->List3->item(i)->text();
    links.browserFolder = [] { return mainWindow() ? mainWindow()->fileListFolder() : QString(); };
    links.releaseTool = toolReleaser("ID_VidEdit");
    return links;
}

VidPropLinks vidPropLinks()
{
    VidPropLinks links;
    if (Lumivex1* w = mainWindow())
        links.sourceFile = w->PlayerFileName(gs.cPlayerMode == QLatin1String("1") ? 1 : 0).value_or(QString());
    links.releaseTool = toolReleaser("ID_VidProp");
    return links;
}

} // namespace

void registerWindow(const QString& name, Creator creator)
{
    Entry& e = windows()[name];
    e.creator = std::move(creator);
    e.openers = {};
}

void registerOpeners(const QString& name, Openers openers)
{
    Entry& e = windows()[name];
    e.openers = std::move(openers);
    e.creator = nullptr;
}

void unregisterWindow(const QString& name)
{
    auto it = windows().find(name);
    if (it != windows().end())
        it->creator = nullptr;
}

bool isRegistered(const QString& name)
{
    const auto it = windows().constFind(name);
    return it != windows().constEnd() && (it->creator || it->openers.open || it->openers.modal);
}

void registerProgramWindows()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Windows that keep their own instance open themselves.
    registerOpeners(QStringLiteral("About1"), {[] {
        About1::open(mainWindow(), [](const QString& address) {
            if (Lumivex1* w = mainWindow())
                w->ShowWebAddress(address);
        });
    }, nullptr});
    registerOpeners(QStringLiteral("QuikTip1"), {[] { QuikTip1::open(mainWindow()); }, nullptr});
    registerOpeners(QStringLiteral("SetOptn1"), {nullptr, [](int page) {
        if (Lumivex1* w = mainWindow())
            w->OptionsWindow();
        SetOptn1::showModalOnPage(page);
    }});
    registerOpeners(QStringLiteral("Rename1"), {nullptr, [](int) {
        Rename1::showModal(mainWindow(), [] {
            if (Lumivex1* w = mainWindow())
                w->RefreshFileList();
        });
    }});
    registerOpeners(QStringLiteral("ProPert1"), {[] { ProPert1::open(mainWindow()); }, nullptr});
    registerWindow(QStringLiteral("EdtImage1"),
                   [] { return new EdtImage1(pictureEditorHost(QStringLiteral("ID_EditImage"))); });
    registerWindow(QStringLiteral("EdtColors1"),
                   [] { return new EdtColors1(pictureEditorHost(QStringLiteral("ID_EditColors"))); });
    registerWindow(QStringLiteral("SetFavList1"), [] {
        Lumivex1* w = mainWindow();
        return new SetFavList1(w ? w->fileListFolder() : QString());
    });
    registerWindow(QStringLiteral("SelFavorites1"), [] {
        Lumivex1* w = mainWindow();
        SelFavorites1::Hooks hooks;
        if (w) {
            hooks.displayFile = [w](const QString& path) { w->DisplayFile(path); };
            hooks.showFolder = [w](const QString& folder) { w->setFileListFolder(folder); };
        }
        return new SelFavorites1(std::move(hooks));
    });
    registerWindow(QStringLiteral("CreatAn1"), [] { return new CreatAn1(creatAnLinks()); });
    registerWindow(QStringLiteral("VidProp1"), [] { return new VidProp1(vidPropLinks()); });
    registerWindow(QStringLiteral("AudRepl1"), [] { return new AudRepl1; });
    registerWindow(QStringLiteral("VidJoin1"), [] {
        auto* w = new VidJoin1;
        // Closing the window releases its tool, with the dispatcher held off.
        QObject::connect(w, &VidJoin1::Unloaded, [] {
            BusyGuard busy;
            if (Lumivex1* m = mainWindow())
                if (platform::Tool* t = m->ToolBarComp1->Item(QStringLiteral("ID_Join")))
                    t->setState(0);
        });
        return w;
    });
    registerWindow(QStringLiteral("PrntPict1"), [] { return new PrntPict1(gs.cCurrentFile); });
    registerOpeners(QStringLiteral("GetURL1"), {[] {
        GetURL1::open(gs.cProgramFolder, [](const QString& address) {
            if (Lumivex1* w = mainWindow())
                w->DisplayFile(address);
        });
    }, nullptr});
    // The others register a maker as their code lands.
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

namespace {
const Openers* openersOf(const QString& name)
{
    registerProgramWindows();
    const auto it = windows().constFind(name);
    return it == windows().constEnd() ? nullptr : &it->openers;
}
} // namespace

void open(const QString& name)
{
    if (const Openers* o = openersOf(name); o && o->open) {
        o->open();
        return;
    }
    const bool* flag = openFlag(name);
    QWidget* w = existing(name);
    if (flag && *flag && w) {
        platform::bringToFront(w);
        return;
    }
    showModeless(name);
}

void showModeless(const QString& name)
{
    if (const Openers* o = openersOf(name); o && o->open) {
        o->open();
        return;
    }
    if (QWidget* w = instance(name))
        platform::bringToFront(w);
}

void showModal(const QString& name, int page)
{
    if (const Openers* o = openersOf(name); o && o->modal) {
        o->modal(page);
        return;
    }
    QPointer<QWidget> w = instance(name);
    if (!w)
        return;
    if (page > 0)
        if (auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("TabStrip1")))
            tabs->setCurrentIndex(page - 1);
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
    if (it != windows().end()) {
        m_old = it->creator;
        m_oldOpeners = it->openers;
    }
    registerWindow(name, std::move(creator));
}

ScopedWindow::~ScopedWindow()
{
    if (QWidget* w = existing(m_name))
        delete w;
    Entry& e = windows()[m_name];
    e.creator = m_old;
    e.openers = m_oldOpeners;
}

} // namespace toolwindows
