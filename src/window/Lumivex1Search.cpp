// The main window's file search: the find dialog, Find Next and the walk over
// the folder tree.
#include "browser/FileSearch.h"
#include "browser/FindFle1.h"
#include "platform/ShellList.h"
#include "platform/ShellTree.h"
#include "platform/ToolBarComp.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "window/Lumivex1.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

class WindowHost : public browser::SearchHost {
public:
    explicit WindowHost(Lumivex1& w) : m_w(w) {}
    void setListFilter(const QString& pattern) override { m_w.PTxShList1->setFilter(pattern); }
    void showFolder(const QString& path) override { m_w.PTxShList1->setFolderPath(path); }
    void setCaption(const QString& caption) override { m_w.setWindowTitle(caption); }
    void pumpEvents() override { QCoreApplication::processEvents(); }
    void pause(int milliseconds) override
    {
        if (milliseconds <= 0) {
            QCoreApplication::processEvents();
            return;
        }
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
    void restorePointer() override { m_w.unsetCursor(); }

private:
    Lumivex1& m_w;
};

void checkFilterTool(Lumivex1& w, int row)
{
    if (row < 0 || row >= tables::kFilterCount)
        return;
    if (platform::Tool* t = w.ToolBarComp1->Item(FileFilterTable.names[size_t(row)]))
        t->setState(1);
}

} // namespace

void Lumivex1::setSearchTree(std::unique_ptr<browser::SearchTree> tree) { m_searchTree = std::move(tree); }

void Lumivex1::setSearchLister(std::unique_ptr<browser::FolderLister> lister) { m_searchLister = std::move(lister); }

void Lumivex1::FindFileRoutine()
{
    if (fSearchBusy)
        return; // one search at a time
    {
        FindFle1 dialog(this, ToolBarComp1);
        dialog.exec();
        fSearchRunning = dialog.fSearchRunning;
        if (fSearchRunning) {
            cFindPattern = dialog.cFindPattern;
            nFindFilterRow = dialog.nFindFilterRow;
            setCursor(Qt::WaitCursor);
        }
    }
    if (fSearchRunning) {
        repaint();
        StartFileSearch();
    }
    fSearchRunning = true;
    fSearchBusy = false;
}

void Lumivex1::FindNext()
{
    if (fSearchBusy)
        return; // one search at a time
    if (cFindPattern.isEmpty()) {
        cFindPattern = QStringLiteral("*.JPG");
        fSearchBusy = true;
        nFindFilterRow = 0;
        checkFilterTool(*this, 0);
    }
    StartFileSearch();
    fSearchRunning = true;
}

void Lumivex1::StartFileSearch()
{
    fSearchBusy = true;
    // Esc cancels this search whatever an earlier Esc left behind.
    fSearchRunning = true;
    if (platform::Tool* t = ToolBarComp1->Item(QStringLiteral("ID_FindNext")))
        t->setEnabled(true);
    checkFilterTool(*this, nFindFilterRow);
    SearchFunction();
    fSearchBusy = false;
}

void Lumivex1::SearchFunction()
{
    browser::ShellTreeSearch realTree(*PTxShTree1);
    browser::SearchTree& tree = m_searchTree ? *m_searchTree : static_cast<browser::SearchTree&>(realTree);
    if (!m_searchLister)
        m_searchLister = std::make_unique<browser::DiskLister>();
    WindowHost host(*this);
    browser::FolderWalk walk(tree, *m_searchLister, host);
    browser::SearchSettings settings;
    settings.pattern = cFindPattern;
    settings.firstCount = gs.nSearchFirstCount;
    settings.nextCount = gs.nSearchNextCount;
    settings.computerName = gs.cComputerName;
    settings.retryPauseMs = nSearchRetryPauseMs;
    browser::SearchState state{fSearchCancel, fThumbsStopped, nSearchResumeIndex, nSearchErrorNumber};
    walk.run(settings, state);
}
