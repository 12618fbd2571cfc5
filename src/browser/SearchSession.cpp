#include "browser/SearchSession.h"

#include "browser/FindFle1.h"
#include "platform/shell/ShellList.h"
#include "platform/shell/ShellTree.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

namespace browser {

namespace {

// What the walk does to the window: the file list shows the folders it finds.
class WindowHost : public SearchHost {
public:
    WindowHost(QWidget* window, platform::ShellList* list) : m_window(window), m_list(list) {}
    void setListFilter(const QString& pattern) override { m_list->setFilter(pattern); }
    void showFolder(const QString& path) override { m_list->setFolderPath(path); }
    void setCaption(const QString& caption) override { m_window->setWindowTitle(caption); }
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
    void restorePointer() override { m_window->unsetCursor(); }

private:
    QWidget* m_window;
    platform::ShellList* m_list;
};

} // namespace

SearchSession::SearchSession(Controls controls) : m_c(controls) {}

SearchSession::~SearchSession() = default;

void SearchSession::checkFilterTool(int row)
{
    if (row < 0 || row >= tables::kFilterCount)
        return;
    if (platform::Tool* t = m_c.toolbar->Item(FileFilterTable.names[size_t(row)]))
        t->setState(1);
}

void SearchSession::FindFileRoutine()
{
    if (fSearchBusy)
        return; // one search at a time
    {
        FindFle1 dialog(m_c.window, m_c.toolbar);
        dialog.exec();
        fSearchRunning = dialog.fSearchRunning;
        if (fSearchRunning) {
            cFindPattern = dialog.cFindPattern;
            nFindFilterRow = dialog.nFindFilterRow;
            m_c.window->setCursor(Qt::WaitCursor);
        }
    }
    if (fSearchRunning) {
        m_c.window->repaint();
        StartFileSearch();
    }
    fSearchRunning = true;
    fSearchBusy = false;
}

void SearchSession::FindNext()
{
    if (fSearchBusy)
        return; // one search at a time
    if (cFindPattern.isEmpty()) {
        cFindPattern = QStringLiteral("*.JPG");
        fSearchBusy = true;
        nFindFilterRow = 0;
        checkFilterTool(0);
    }
    StartFileSearch();
    fSearchRunning = true;
}

void SearchSession::Cancel()
{
    if (!fSearchRunning)
        return;
    fSearchCancel = true;
    fSearchRunning = false;
}

void SearchSession::StartFileSearch()
{
    fSearchBusy = true;
    // Esc cancels this search whatever an earlier Esc left behind.
    fSearchRunning = true;
    if (platform::Tool* t = m_c.toolbar->Item(QStringLiteral("ID_FindNext")))
        t->setEnabled(true);
    checkFilterTool(nFindFilterRow);
    SearchFunction();
    fSearchBusy = false;
}

void SearchSession::SearchFunction()
{
    ShellTreeSearch realTree(*m_c.tree);
    SearchTree& tree = m_tree ? *m_tree : static_cast<SearchTree&>(realTree);
    if (!m_lister)
        m_lister = std::make_unique<DiskLister>();
    WindowHost host(m_c.window, m_c.list);
    FolderWalk walk(tree, *m_lister, host);
    SearchSettings settings;
    settings.pattern = cFindPattern;
    settings.firstCount = gs.nSearchFirstCount;
    settings.nextCount = gs.nSearchNextCount;
    settings.computerName = gs.cComputerName;
    settings.retryPauseMs = nSearchRetryPauseMs;
    bool noThumbRun = false;
    SearchState state{fSearchCancel, m_c.thumbsStopped ? *m_c.thumbsStopped : noThumbRun, nSearchResumeIndex,
                      nSearchErrorNumber};
    walk.run(settings, state);
}

void SearchSession::ResumeIndexFromTree(int startIndex)
{
    const platform::ShellTreeItem* sel = m_c.tree->SelectedItem();
    if (!sel)
        return;
    nSearchResumeIndex = startIndex;
    const platform::ShellTreeItems& items = m_c.tree->Items();
    for (int i = 0; i < items.Count(); ++i) {
        const platform::ShellTreeItem* it = items.Item(i);
        const bool match = !trimBlanks(it->Path()).isEmpty() ? it->Path() == sel->Path() : it->Name() == sel->Name();
        if (match) {
            nSearchResumeIndex = i;
            return;
        }
    }
}

} // namespace browser
