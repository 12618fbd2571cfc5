#pragma once
// The file search: a walk over the folder tree's shown items, from a resume
// index on, that expands folders as it goes and stops at the first folder
// holding files that match the pattern. The walk sees the tree and its folder
// lister through two small interfaces, so that it can run over the real
// folder tree or over a tree a test makes up.
#include <QString>
#include <memory>
#include <vector>

namespace platform {
class ShellTree;
}

namespace browser {

// A failure of the tree while the walk reads it, with its error number.
struct SearchError {
    int number = 0;
    QString description;
};

// The error numbers the walk treats on their own.
constexpr int kErrDeviceUnavailable = 68;
constexpr int kErrPathNotFound = 76;
constexpr int kErrUnexpected = int(0x8000FFFF); // -2147418113
constexpr int kErrSubscript = 9;

// The walk's view of the folder tree. Items are the ones the tree shows now,
// in display order from 0; expanding an item inserts its sub-folders right
// after it. Reading an item that is not there throws SearchError.
class SearchTree {
public:
    virtual ~SearchTree() = default;
    virtual int Count() const = 0;
    virtual QString Name(int index) const = 0;
    // Empty for a virtual folder.
    virtual QString Path(int index) const = 0;
    // The path of the item above ("" for a top item).
    virtual QString ParentPath(int index) const = 0;
    virtual bool FileSystemAncestor(int index) const = 0;
    virtual bool HasSubFolders(int index) const = 0;
    // Throws SearchError when the item cannot be expanded.
    virtual void Expand(int index) = 0;
    // The path of the folder selected in the tree ("" for a virtual one).
    virtual QString SelectedFolder() const = 0;
    // While the walk runs nothing else may change the items.
    virtual void setWalking(bool on) = 0;
    // The walk's lister just read the item's folder and saw these sub-folders
    // (names of folders that are neither hidden nor links); a tree may keep
    // them instead of reading the folder again.
    virtual void noteSubFolders(int index, const std::vector<QString>& names)
    {
        (void)index;
        (void)names;
    }
};

// The walk's own folder lister: how many files of a folder match the pattern.
class FolderLister {
public:
    virtual ~FolderLister() = default;
    virtual void setPattern(const QString& pattern) = 0;
    // Lists the folder; returns 0, or the error number of the failure, in
    // which case the earlier listing stays.
    virtual int setPath(const QString& path) = 0;
    virtual int ListCount() const = 0;
    // The sub-folders seen by the last listing, when the lister keeps them.
    virtual const std::vector<QString>* SubFolders() const { return nullptr; }
};

// What the walk does to the window around it.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    virtual void setListFilter(const QString& pattern) = 0;
    // Shows the folder in the file list (a failure is ignored).
    virtual void showFolder(const QString& path) = 0;
    virtual void setCaption(const QString& caption) = 0;
    // Lets the message loop run once.
    virtual void pumpEvents() = 0;
    // Waits, with the message loop running, before a retry.
    virtual void pause(int milliseconds) = 0;
    virtual void restorePointer() = 0;
};

struct SearchSettings {
    QString pattern;
    int firstCount = 5000;
    int nextCount = 500;
    QString computerName;
    int retryPauseMs = 500;
};

// The main window's variables the walk reads and moves.
struct SearchState {
    bool& cancel;
    bool& thumbsStopped;
    int& resumeIndex;
    int& errorNumber;
};

class FolderWalk {
public:
    FolderWalk(SearchTree& tree, FolderLister& lister, SearchHost& host) : m_tree(tree), m_lister(lister), m_host(host) {}
    void run(const SearchSettings& settings, SearchState& state);

    // Points the lister at the folder of a tree item; false (with the error
    // number in the state) when it cannot be listed.
    bool ListTreeItemFiles(int index, SearchState& state);
    bool ExpandTreeItem(int index);

    // How many walk steps run between two turns of the message loop.
    static constexpr int kStepsPerPump = 151;

private:
    class Pass;
    SearchTree& m_tree;
    FolderLister& m_lister;
    SearchHost& m_host;
};

// The real folder tree seen by the walk.
class ShellTreeSearch : public SearchTree {
public:
    explicit ShellTreeSearch(platform::ShellTree& tree) : m_tree(tree) {}
    int Count() const override;
    QString Name(int index) const override;
    QString Path(int index) const override;
    QString ParentPath(int index) const override;
    bool FileSystemAncestor(int index) const override;
    bool HasSubFolders(int index) const override;
    void Expand(int index) override;
    QString SelectedFolder() const override;
    void setWalking(bool on) override;
    void noteSubFolders(int index, const std::vector<QString>& names) override;

private:
    platform::ShellTree& m_tree;
};

// Counts the plain files of a folder that match the pattern (hidden files
// and folders do not count). An empty pattern counts every file.
class DiskLister : public FolderLister {
public:
    void setPattern(const QString& pattern) override;
    int setPath(const QString& path) override;
    int ListCount() const override { return m_count; }
    const std::vector<QString>* SubFolders() const override { return &m_folders; }

private:
    QString m_pattern;
    int m_count = 0;
    std::vector<QString> m_folders;
};

// Blanks off both ends (tabs and other white space stay).
QString trimBlanks(const QString& s);

// "Str" of a number: its decimal text, with a leading blank when not negative.
QString numberText(qint64 n);

} // namespace browser
