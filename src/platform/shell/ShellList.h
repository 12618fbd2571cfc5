#pragma once
// The file list of the browser: the folders and the files of one folder that
// match a mask list, each file with the icon of its type, in four view styles
// (0 large icons, 1 small icons, 2 list, 3 details). It reads its folder
// synchronously: after a change of folder, filter or a refresh the items can
// be read at once. Files are dragged out as text/uri-list.
#include "platform/shell/FileMask.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QWidget>
#include <vector>

class QAbstractItemView;
class QFileSystemWatcher;
class QTimer;
class QItemSelectionModel;
class QKeyEvent;
class QStackedWidget;

namespace platform {

class ShellListModel;

class ShellListItem {
public:
    // The full path (folders and files alike).
    QString Path() const { return m_path; }
    QString Name() const { return m_name; }
    // Position in the list, 0 for the first.
    int Index() const { return m_index; }
    bool IsFolder() const { return m_folder; }
    // A plain file, or a link to one (as the folder read found it).
    bool IsFile() const { return m_file; }
    qint64 Size() const;
    QDateTime Modified() const;

private:
    friend class ShellList;
    friend class ShellListModel;
    void stat() const;
    QString m_path, m_name;
    int m_index = 0;
    bool m_folder = false;
    bool m_file = false;
    mutable bool m_statted = false;
    mutable qint64 m_size = 0;
    mutable QDateTime m_modified;
};

class ShellList : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ShowHidden READ ShowHidden WRITE setShowHidden)
    Q_PROPERTY(int ViewStyle READ ViewStyle WRITE setViewStyle)
public:
    struct FolderEntryRef {
        QString name;
        QString path;
    };

    explicit ShellList(QWidget* parent = nullptr);
    ~ShellList() override;

    // ---- the items shown, in display order
    int Count() const { return int(m_items.size()); }
    const ShellListItem* Item(int index) const;
    const ShellListItem* ItemAt(int position) const { return Item(position); }
    const ShellListItem* SelectedItem() const;
    // Makes the item the selected one (as a click would); -1 clears.
    void selectIndex(int index);
    // The default action on an item (double-click or Enter): raises Open and
    // then shows the folder when the item is one.
    void openIndex(int index);

    // ---- the folder shown
    QString FolderPath() const { return m_folder; }
    // Shows the folder; false (and nothing changes) when it is not a folder
    // that can be read.
    bool setFolderPath(const QString& path);
    // Shows a set of folders that is not itself a folder (the computer's
    // volumes); FolderPath() is then empty.
    void showFolderSet(const QList<FolderEntryRef>& folders);
    // Shows the folder above, `levels` times.
    void GoUp(int levels = 1);
    // Reads the folder again (the selection stays on the same path). The
    // list also reads it again by itself when files come, go or change
    // there, and on F5, which refreshes a bound folder tree too.
    void Refresh();

    // ---- filter, style, hidden files
    QString Filter() const { return m_filter; }
    void setFilter(const QString& maskList);
    int ViewStyle() const { return m_style; }
    void setViewStyle(int style);
    bool ShowHidden() const { return m_showHidden; }
    void setShowHidden(bool on);

    QAbstractItemView* currentView() const;
    // Error number of the last folder that could not be shown (0 none).
    int lastError() const { return m_lastError; }

signals:
    void SelChange();
    void FolderChange();
    void Open(int index);
    void Refreshed();
    void KeyPress(int& keyCode);
    // Raised before files are dragged out; the drag goes ahead when true.
    void FlagEvent(bool& allow);
    // The folder shown changed (for a bound folder tree).
    void folderShown();
    // The user asked for a refresh (F5): a bound folder tree reads its
    // folders again too.
    void refreshAsked();
    // Files or folders came, went or changed in the folder shown, and the
    // list read it again by itself.
    void folderChangedOnDisk();

protected:
    void changeEvent(QEvent* event) override;

private:
    friend class ShellListViewHooks;
    bool viewKeyPress(QKeyEvent* event);
    // Raises SelChange when another item became the selected one.
    void reportSelection();
    bool dragAllowed();
    bool load(const QString& folder, const QList<FolderEntryRef>* set, int* error);
    void applyStyle();
    // Watches the folder shown, and only that one.
    void watchFolder();

    ShellListModel* m_model = nullptr;
    QItemSelectionModel* m_selection = nullptr;
    QStackedWidget* m_stack = nullptr;
    QAbstractItemView* m_iconView = nullptr;
    QAbstractItemView* m_detailsView = nullptr;
    std::vector<ShellListItem> m_items;
    QList<FolderEntryRef> m_set;
    QString m_folder;
    QString m_filter = QStringLiteral("*.*");
    FileMask m_mask{QStringLiteral("*.*")};
    int m_style = 0;
    bool m_showHidden = false;
    bool m_loading = false;
    int m_lastError = 0;
    int m_reported = -1; // the item SelChange reported last
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_changed = nullptr; // gathers a burst of changes into one refresh
};

} // namespace platform
