#pragma once
// shell/: folders and files as the desktop shows them: the folder tree, file
// list and folder combo, the icons of file types, file masks, renaming, the
// trash and the computer's name, over QDir, Qt's MIME database, the desktop's
// icon theme and the freedesktop trash.
//
// The folder tree of the browser: our own synchronous model over the file
// system. Its roots are "Home" and "Computer" (which holds "/" and every
// mounted volume); it never follows symbolic links to folders and hides
// pseudo file systems. The items the tree shows now form one collection in
// display order, indexed from 0: expanding an item inserts its sub-folders
// right after it, collapsing it removes them. An expand reads the folder again
// (folders made or removed while it was closed show), and so does the
// folder the bound list shows when the list sees folders come or go there.
// After an expand, a collapse or a refresh the collection can be read at once.
#include <QString>
#include <QStringList>
#include <QTreeView>
#include <memory>
#include <utility>
#include <vector>

class QKeyEvent;

namespace platform {

class ShellList;
class ShellTree;
class ShellTreeModel;

class ShellTreeItem {
public:
    QString Name() const { return m_name; }
    // The file-system path; empty for a virtual folder (the computer).
    QString Path() const { return m_path; }
    ShellTreeItem* Parent() const { return m_parent; }
    // For an item without a path: true when it leads to file-system folders.
    bool FileSystemAncestor() const { return m_computer; }
    // True when expanding the item can show items below it (reads the folder
    // the first time).
    bool HasSubFolders() const;
    bool Expanded() const { return m_expanded; }
    // Expands or collapses through the tree; false when the tree is locked or
    // the folder cannot be read.
    bool setExpanded(bool on);
    // The item's position in the tree's Items, -1 while it is not shown.
    int Index() const;
    int childCount() const { return int(m_children.size()); }
    ShellTreeItem* child(int i) const { return m_children.at(size_t(i)).get(); }

private:
    friend class ShellTree;
    friend class ShellTreeModel;
    ShellTree* m_tree = nullptr;
    ShellTreeItem* m_parent = nullptr;
    QString m_name, m_path;
    bool m_computer = false;
    bool m_home = false;
    std::vector<std::unique_ptr<ShellTreeItem>> m_children;
    bool m_loaded = false;
    bool m_expanded = false;
    int m_row = 0;
    // The sub-folder names last read, with when they were read.
    mutable bool m_scanned = false;
    mutable std::vector<QString> m_scan;
    mutable int m_scanError = 0;
    mutable qint64 m_scanTime = 0;
};

// The items the tree shows now, in display order.
class ShellTreeItems {
public:
    int Count() const { return int(m_items.size()); }
    // nullptr outside 0 .. Count() - 1.
    ShellTreeItem* Item(int index) const
    {
        return index >= 0 && index < Count() ? m_items[size_t(index)] : nullptr;
    }

private:
    friend class ShellTree;
    std::vector<ShellTreeItem*> m_items;
};

class ShellTree : public QTreeView {
    Q_OBJECT
public:
    explicit ShellTree(QWidget* parent = nullptr);
    ~ShellTree() override;

    // "Home" and "Computer".
    void setStandardRoots();
    // One root per folder, named as the folder (tests browse folders they made).
    void setRootFolders(const QStringList& paths);

    const ShellTreeItems& Items() const { return m_items; }
    ShellTreeItem* SelectedItem() const;
    // Path of the selected folder; empty for a virtual folder or no selection.
    QString SelectedFolder() const;
    void selectItem(ShellTreeItem* item);
    // Shows and selects the folder, expanding its parents as needed (never
    // while locked: then only an item shown already is selected).
    bool selectPath(const QString& path);

    // Expands the item at a known position of Items (the walk's quick way).
    bool expandAt(int index);
    // The sub-folder names of an item's folder, just read by someone else:
    // kept in place of a reading of its own (not hidden, not links), for the
    // walk's expand that follows.
    void noteScan(ShellTreeItem* item, const std::vector<QString>& names);
    // Re-reads every folder the tree has loaded, keeping what is expanded.
    void Refresh();

    // Binding: a folder chosen here is shown in the list, and the tree
    // follows the folder the list shows.
    void setFolder(ShellList* list);
    ShellList* folderList() const { return m_list; }

    // While locked the collection cannot change except through expandAt and
    // expand calls made with the lock's own permission (the search walk).
    void setLocked(bool locked);
    bool isLocked() const { return m_locked; }
    // Lets the holder of the lock expand items.
    void setWalkExpandAllowed(bool on) { m_walkExpand = on; }

    // A folder read to answer HasSubFolders is read again after this many
    // milliseconds; the walk's expand reuses a reading younger than kExpandReuseMs.
    static constexpr qint64 kScanLifetimeMs = 2000;
    static constexpr qint64 kExpandReuseMs = 200;

signals:
    // The selection changed here (by the user, or by code that selects in
    // the tree); following the bound list's folder raises only selectionMoved.
    void SelChange();
    void selectionMoved();
    void KeyPress(int& keyCode);
    // The items were rebuilt (refresh or new roots): pointers held are stale.
    void itemsReset();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class ShellTreeItem;
    friend class ShellTreeModel;
    ShellTreeItem* itemOf(const QModelIndex& index) const;
    QModelIndex indexOf(const ShellTreeItem* item) const;
    bool isShown(const ShellTreeItem* item) const;
    int positionOf(const ShellTreeItem* item, int hint = -1) const;
    void scan(const ShellTreeItem* item) const;
    // The sub-folders of an item's folder (the volumes for the computer), as
    // (name, path) in display order.
    std::vector<std::pair<QString, QString>> subFolders(ShellTreeItem* item, bool walkMayReuse);
    void loadChildren(ShellTreeItem* item);
    // Reads a loaded item's folder again: folders gone are removed, new ones
    // inserted in their places, the others kept with what is open inside them.
    void reloadChildren(ShellTreeItem* item);
    void rereadListFolder();
    bool expandItem(ShellTreeItem* item, int position, bool fromView);
    bool collapseItem(ShellTreeItem* item, bool fromView);
    void appendShown(ShellTreeItem* item, std::vector<ShellTreeItem*>& out) const;
    void rebuildItems();
    void syncViewExpansion();
    void refreshItem(ShellTreeItem* item);
    std::unique_ptr<ShellTreeItem> makeItem(ShellTreeItem* parent, const QString& name, const QString& path);
    void resetRoots(std::vector<std::unique_ptr<ShellTreeItem>> roots);
    void followList();

    ShellTreeModel* m_model = nullptr;
    std::vector<std::unique_ptr<ShellTreeItem>> m_roots;
    ShellTreeItems m_items;
    ShellList* m_list = nullptr;
    bool m_locked = false;
    bool m_walkExpand = false;
    bool m_syncing = false;
    bool m_following = false;
    bool m_viewBehind = false; // the walk expanded items the view does not show yet
};

} // namespace platform
