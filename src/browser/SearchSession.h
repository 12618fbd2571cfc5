#pragma once
// The main window's file search: the find dialog, Find Next, the walk over
// the folder tree from the resume index, its limits and its cancelling by Esc.
// It owns the search's state; the window's handlers forward to it.
#include "browser/FileSearch.h"

#include <QString>
#include <memory>

class QWidget;
namespace platform {
class ShellList;
class ShellTree;
class ToolBarComp;
} // namespace platform

namespace browser {

class SearchSession {
public:
    // The controls the search works with. thumbsStopped: the thumbnail run's
    // flag that a stopped run also ends a search.
    struct Controls {
        QWidget* window = nullptr; // caption, hourglass, the find dialog's parent
        platform::ShellTree* tree = nullptr;
        platform::ShellList* list = nullptr;
        platform::ToolBarComp* toolbar = nullptr;
        bool* thumbsStopped = nullptr;
    };
    explicit SearchSession(Controls controls);
    ~SearchSession();

    // The find dialog, then the search it asks for.
    void FindFileRoutine();
    // The next folder that holds the pattern's files ("*.JPG" when none was asked).
    void FindNext();
    // Esc in the file list, folder tree or toolbar: a running search stops.
    void Cancel();
    // The walk goes on from the tree's selected folder (its index, else startIndex).
    void ResumeIndexFromTree(int startIndex);

    // The walk's view of the folder tree and its folder lister; tests put
    // their own in (nullptr goes back to the real ones).
    void setSearchTree(std::unique_ptr<SearchTree> tree) { m_tree = std::move(tree); }
    void setSearchLister(std::unique_ptr<FolderLister> lister) { m_lister = std::move(lister); }

    bool fSearchRunning = true;
    bool fSearchBusy = false;
    bool fSearchCancel = false;
    int nSearchResumeIndex = 0;
    int nSearchErrorNumber = 0;
    // Pause before a drive that is not ready is tried again.
    int nSearchRetryPauseMs = 500;
    QString cFindPattern;
    int nFindFilterRow = 0;

private:
    void StartFileSearch();
    void SearchFunction();
    void checkFilterTool(int row);

    Controls m_c;
    std::unique_ptr<SearchTree> m_tree;
    std::unique_ptr<FolderLister> m_lister;
};

} // namespace browser
