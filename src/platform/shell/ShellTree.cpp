#include "platform/shell/ShellTree.h"

#include "platform/shell/FolderScan.h"
#include "platform/controls/KeyAscii.h"
#include "platform/shell/ShellList.h"
#include "platform/controls/StyleIcons.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QIcon>
#include <QStyle>
#include <algorithm>
#include <utility>

namespace platform {

namespace {

qint64 nowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

QString childPath(const QString& parent, const QString& name)
{
    return parent.endsWith(QLatin1Char('/')) ? parent + name : parent + QLatin1Char('/') + name;
}

QString cleanFolder(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(path));
}

} // namespace

// ---------------------------------------------------------------- model

class ShellTreeModel : public QAbstractItemModel {
public:
    explicit ShellTreeModel(ShellTree* tree) : QAbstractItemModel(tree), m_tree(tree) {}

    QModelIndex index(int row, int column, const QModelIndex& parent) const override
    {
        if (column != 0 || row < 0)
            return {};
        if (!parent.isValid()) {
            if (row >= int(m_tree->m_roots.size()))
                return {};
            return createIndex(row, 0, m_tree->m_roots[size_t(row)].get());
        }
        ShellTreeItem* p = m_tree->itemOf(parent);
        if (!p || !p->m_loaded || row >= int(p->m_children.size()))
            return {};
        return createIndex(row, 0, p->m_children[size_t(row)].get());
    }

    QModelIndex parent(const QModelIndex& child) const override
    {
        ShellTreeItem* it = m_tree->itemOf(child);
        if (!it || !it->m_parent)
            return {};
        return createIndex(it->m_parent->m_row, 0, it->m_parent);
    }

    int rowCount(const QModelIndex& parent) const override
    {
        if (!parent.isValid())
            return int(m_tree->m_roots.size());
        ShellTreeItem* it = m_tree->itemOf(parent);
        return it && it->m_loaded ? int(it->m_children.size()) : 0;
    }

    int columnCount(const QModelIndex&) const override { return 1; }

    bool hasChildren(const QModelIndex& parent) const override
    {
        if (!parent.isValid())
            return !m_tree->m_roots.empty();
        ShellTreeItem* it = m_tree->itemOf(parent);
        if (!it)
            return false;
        // While the walk runs the view does not read folders for its arrows.
        if (m_tree->m_locked && !it->m_computer && !it->m_expanded) {
            if (it->m_loaded)
                return !it->m_children.empty();
            if (!it->m_scanned)
                return true;
        }
        return it->HasSubFolders();
    }

    bool canFetchMore(const QModelIndex& parent) const override
    {
        ShellTreeItem* it = m_tree->itemOf(parent);
        return it && !it->m_loaded && !(m_tree->m_locked && !m_tree->m_walkExpand) && it->HasSubFolders();
    }

    void fetchMore(const QModelIndex& parent) override
    {
        if (ShellTreeItem* it = m_tree->itemOf(parent))
            m_tree->loadChildren(it);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        ShellTreeItem* it = m_tree->itemOf(index);
        if (!it)
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: return it->m_name;
        case Qt::ToolTipRole: return it->m_path.isEmpty() ? it->m_name : QDir::toNativeSeparators(it->m_path);
        case Qt::DecorationRole: {
            if (m_icons[0].isNull()) {
                m_icons[0] = styleIcon(QStyle::SP_DirIcon);
                m_icons[1] = styleIcon(QStyle::SP_ComputerIcon);
                m_icons[2] = styleIcon(QStyle::SP_DirHomeIcon);
                m_icons[3] = styleIcon(QStyle::SP_DriveHDIcon);
            }
            if (it->m_computer)
                return m_icons[1];
            if (it->m_home)
                return m_icons[2];
            if (it->m_parent && it->m_parent->m_computer)
                return m_icons[3];
            return m_icons[0];
        }
        default: return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // Access to the protected insertion and reset notifications.
    void beginInsert(const QModelIndex& parent, int first, int last) { beginInsertRows(parent, first, last); }
    void endInsert() { endInsertRows(); }
    void beginRemove(const QModelIndex& parent, int first, int last) { beginRemoveRows(parent, first, last); }
    void endRemove() { endRemoveRows(); }
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }

private:
    ShellTree* m_tree;
    mutable QIcon m_icons[4];
};

// ---------------------------------------------------------------- items

bool ShellTreeItem::HasSubFolders() const
{
    if (m_computer)
        return true;
    // An expanded item shows its folders; a collapsed one is read again, as
    // folders come and go while it is closed.
    if (m_loaded && (m_expanded || m_path.isEmpty()))
        return !m_children.empty();
    if (m_scanned && nowMs() - m_scanTime <= ShellTree::kScanLifetimeMs)
        return !m_scan.empty();
    if (!m_path.isEmpty() && certainlyNoSubfolders(m_path)) {
        m_scanned = true;
        m_scanTime = nowMs();
        m_scan.clear();
        return false;
    }
    m_tree->scan(this);
    return !m_scan.empty();
}

bool ShellTreeItem::setExpanded(bool on)
{
    return on ? m_tree->expandItem(this, -1, false) : m_tree->collapseItem(this, false);
}

int ShellTreeItem::Index() const { return m_tree->isShown(this) ? m_tree->positionOf(this) : -1; }

// ---------------------------------------------------------------- tree

ShellTree::ShellTree(QWidget* parent) : QTreeView(parent)
{
    m_model = new ShellTreeModel(this);
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAnimated(false);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& idx) {
        if (!m_syncing)
            if (ShellTreeItem* it = itemOf(idx))
                expandItem(it, -1, true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& idx) {
        if (!m_syncing)
            if (ShellTreeItem* it = itemOf(idx))
                collapseItem(it, true);
    });
}

ShellTree::~ShellTree() = default;

ShellTreeItem* ShellTree::itemOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<ShellTreeItem*>(index.internalPointer()) : nullptr;
}

QModelIndex ShellTree::indexOf(const ShellTreeItem* item) const
{
    if (!item)
        return {};
    return m_model->index(item->m_row, 0, indexOf(item->m_parent));
}

std::unique_ptr<ShellTreeItem> ShellTree::makeItem(ShellTreeItem* parent, const QString& name, const QString& path)
{
    auto it = std::make_unique<ShellTreeItem>();
    it->m_tree = this;
    it->m_parent = parent;
    it->m_name = name;
    it->m_path = path;
    return it;
}

void ShellTree::setStandardRoots()
{
    std::vector<std::unique_ptr<ShellTreeItem>> roots;
    auto home = makeItem(nullptr, QStringLiteral("Home"), cleanFolder(QDir::homePath()));
    home->m_home = true;
    roots.push_back(std::move(home));
    auto computer = makeItem(nullptr, QStringLiteral("Computer"), QString());
    computer->m_computer = true;
    roots.push_back(std::move(computer));
    resetRoots(std::move(roots));
}

void ShellTree::setRootFolders(const QStringList& paths)
{
    std::vector<std::unique_ptr<ShellTreeItem>> roots;
    for (const QString& p : paths) {
        const QString clean = cleanFolder(p);
        QString name = clean.section(QLatin1Char('/'), -1);
        roots.push_back(makeItem(nullptr, name.isEmpty() ? clean : name, clean));
    }
    resetRoots(std::move(roots));
}

void ShellTree::resetRoots(std::vector<std::unique_ptr<ShellTreeItem>> roots)
{
    const bool wasFollowing = m_following;
    m_following = true;
    m_model->beginReset();
    m_roots = std::move(roots);
    for (size_t i = 0; i < m_roots.size(); ++i)
        m_roots[i]->m_row = int(i);
    rebuildItems();
    m_model->endReset();
    m_following = wasFollowing;
    emit itemsReset();
}

void ShellTree::scan(const ShellTreeItem* item) const
{
    item->m_scanned = true;
    item->m_scanTime = nowMs();
    item->m_scan.clear();
    if (item->m_computer || item->m_path.isEmpty())
        return;
    std::vector<FolderEntry> entries;
    item->m_scanError = readFolder(item->m_path, entries);
    for (const FolderEntry& e : entries) {
        if (!e.isFolder || e.isLink || e.isHidden())
            continue;
        if (isPseudoFileSystemMount(childPath(item->m_path, e.name)))
            continue;
        item->m_scan.push_back(e.name);
    }
    sortNames(item->m_scan);
}

void ShellTree::noteScan(ShellTreeItem* item, const std::vector<QString>& names)
{
    if (!item || item->m_computer || item->m_path.isEmpty())
        return;
    item->m_scanned = true;
    item->m_scanTime = nowMs();
    item->m_scanError = 0;
    item->m_scan.clear();
    for (const QString& n : names)
        if (!isPseudoFileSystemMount(childPath(item->m_path, n)))
            item->m_scan.push_back(n);
    sortNames(item->m_scan);
}

std::vector<std::pair<QString, QString>> ShellTree::subFolders(ShellTreeItem* item, bool walkMayReuse)
{
    std::vector<std::pair<QString, QString>> out; // name, path
    if (item->m_computer) {
        for (const Volume& v : mountedVolumes())
            out.emplace_back(v.name, v.path);
        return out;
    }
    // Only the walk, which asks HasSubFolders right before it expands,
    // reuses a reading; everything else reads the folder now.
    const bool reuse = walkMayReuse && m_locked && m_walkExpand && item->m_scanned &&
                       nowMs() - item->m_scanTime <= kExpandReuseMs;
    if (!reuse)
        scan(item);
    for (const QString& name : item->m_scan)
        out.emplace_back(name, childPath(item->m_path, name));
    // The reading becomes the children: none is kept for HasSubFolders.
    item->m_scanned = false;
    item->m_scan.clear();
    item->m_scan.shrink_to_fit();
    return out;
}

void ShellTree::loadChildren(ShellTreeItem* item)
{
    if (item->m_loaded)
        return;
    std::vector<std::unique_ptr<ShellTreeItem>> kids;
    for (const auto& [name, path] : subFolders(item, true))
        kids.push_back(makeItem(item, name, path));
    if (kids.empty()) {
        item->m_loaded = true;
        return;
    }
    scheduleDelayedItemsLayout();
    m_model->beginInsert(indexOf(item), 0, int(kids.size()) - 1);
    for (size_t i = 0; i < kids.size(); ++i)
        kids[i]->m_row = int(i);
    item->m_children = std::move(kids);
    item->m_loaded = true;
    m_model->endInsert();
}

void ShellTree::reloadChildren(ShellTreeItem* item)
{
    const auto wanted = subFolders(item, true);
    auto& kids = item->m_children;
    const QModelIndex parent = indexOf(item);
    const bool shown = item->m_expanded && isShown(item);
    const auto renumber = [&kids] {
        for (size_t i = 0; i < kids.size(); ++i)
            kids[i]->m_row = int(i);
    };
    const bool wasFollowing = std::exchange(m_following, true); // a selection that goes stays in the tree
    // Gone items live on until every view and list has let go of them.
    std::vector<std::unique_ptr<ShellTreeItem>> gone;
    for (int row = int(kids.size()) - 1; row >= 0; --row) {
        const QString& path = kids[size_t(row)]->m_path;
        if (std::any_of(wanted.begin(), wanted.end(), [&path](const auto& w) { return w.second == path; }))
            continue;
        m_model->beginRemove(parent, row, row);
        gone.push_back(std::move(kids[size_t(row)]));
        kids.erase(kids.begin() + row);
        renumber();
        if (shown)
            rebuildItems();
        m_model->endRemove();
    }
    // The folders kept are in the order read; the new ones go in their places.
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (i < kids.size() && kids[i]->m_path == wanted[i].second)
            continue;
        m_model->beginInsert(parent, int(i), int(i));
        kids.insert(kids.begin() + qsizetype(i), makeItem(item, wanted[i].first, wanted[i].second));
        renumber();
        if (shown)
            rebuildItems();
        m_model->endInsert();
    }
    if (kids.empty() && item->m_expanded) {
        item->m_expanded = false;
        rebuildItems();
    }
    m_following = wasFollowing;
    if (!gone.empty())
        emit itemsReset();
}

bool ShellTree::isShown(const ShellTreeItem* item) const
{
    for (const ShellTreeItem* p = item->m_parent; p; p = p->m_parent)
        if (!p->m_expanded)
            return false;
    return true;
}

int ShellTree::positionOf(const ShellTreeItem* item, int hint) const
{
    const auto& v = m_items.m_items;
    if (hint >= 0 && hint < int(v.size()) && v[size_t(hint)] == item)
        return hint;
    const auto it = std::find(v.begin(), v.end(), item);
    return it == v.end() ? -1 : int(it - v.begin());
}

void ShellTree::appendShown(ShellTreeItem* item, std::vector<ShellTreeItem*>& out) const
{
    out.push_back(item);
    if (item->m_expanded)
        for (const auto& c : item->m_children)
            appendShown(c.get(), out);
}

void ShellTree::rebuildItems()
{
    m_items.m_items.clear();
    for (const auto& r : m_roots)
        appendShown(r.get(), m_items.m_items);
}

bool ShellTree::expandItem(ShellTreeItem* item, int position, bool fromView)
{
    if (m_locked && !m_walkExpand && !fromView)
        return false;
    if (item->m_expanded)
        return true;
    if (item->m_loaded)
        reloadChildren(item); // what the disk holds now, not what it held at the first expand
    else
        loadChildren(item);
    if (item->m_children.empty())
        return item->m_scanError == 0;
    item->m_expanded = true;
    if (isShown(item)) {
        const int p = positionOf(item, position);
        if (p >= 0) {
            std::vector<ShellTreeItem*> add;
            for (const auto& c : item->m_children)
                appendShown(c.get(), add);
            auto& v = m_items.m_items;
            v.insert(v.begin() + p + 1, add.begin(), add.end());
        }
    }
    if (!fromView) {
        if (m_locked) {
            m_viewBehind = true; // shown when the walk lets go
        } else {
            m_syncing = true;
            scheduleDelayedItemsLayout();
            QTreeView::expand(indexOf(item));
            m_syncing = false;
        }
    }
    return true;
}

bool ShellTree::collapseItem(ShellTreeItem* item, bool fromView)
{
    if (m_locked && !fromView)
        return false;
    if (!item->m_expanded)
        return true;
    if (isShown(item)) {
        const int p = positionOf(item);
        if (p >= 0) {
            std::vector<ShellTreeItem*> shown;
            appendShown(item, shown);
            auto& v = m_items.m_items;
            v.erase(v.begin() + p + 1, v.begin() + p + int(shown.size()));
        }
    }
    item->m_expanded = false;
    if (!fromView) {
        m_syncing = true;
        scheduleDelayedItemsLayout();
        QTreeView::collapse(indexOf(item));
        m_syncing = false;
    }
    return true;
}

bool ShellTree::expandAt(int index)
{
    ShellTreeItem* it = m_items.Item(index);
    return it && expandItem(it, index, false);
}

ShellTreeItem* ShellTree::SelectedItem() const { return itemOf(currentIndex()); }

QString ShellTree::SelectedFolder() const
{
    const ShellTreeItem* it = SelectedItem();
    return it ? it->m_path : QString();
}

void ShellTree::selectItem(ShellTreeItem* item)
{
    if (!item)
        return;
    if (!isShown(item)) {
        if (m_locked)
            return;
        std::vector<ShellTreeItem*> chain;
        for (ShellTreeItem* p = item->m_parent; p; p = p->m_parent)
            chain.push_back(p);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            expandItem(*it, -1, false);
    }
    const QModelIndex idx = indexOf(item);
    if (!idx.isValid())
        return;
    setCurrentIndex(idx);
    scrollTo(idx);
}

bool ShellTree::selectPath(const QString& rawPath)
{
    const QString path = cleanFolder(rawPath);
    if (path.isEmpty())
        return false;
    if (const ShellTreeItem* cur = SelectedItem(); cur && cur->m_path == path)
        return true;
    for (ShellTreeItem* it : m_items.m_items)
        if (it->m_path == path) {
            selectItem(it);
            return true;
        }
    if (m_locked)
        return false;
    // Find the root (or volume) whose path is the longest start of the path;
    // the home folder wins over the computer's volumes.
    auto under = [&path](const QString& base) {
        return path == base || (base == QLatin1String("/") ? path.startsWith(QLatin1Char('/'))
                                                           : path.startsWith(base + QLatin1Char('/')));
    };
    ShellTreeItem* start = nullptr;
    for (const auto& r : m_roots) {
        if (!r->m_path.isEmpty() && under(r->m_path) && (!start || r->m_path.size() > start->m_path.size()))
            start = r.get();
    }
    if (!start) {
        for (const auto& r : m_roots) {
            if (!r->m_computer)
                continue;
            loadChildren(r.get());
            for (const auto& v : r->m_children)
                if (under(v->m_path) && (!start || v->m_path.size() > start->m_path.size()))
                    start = v.get();
        }
    }
    if (!start)
        return false;
    ShellTreeItem* cur = start;
    std::vector<ShellTreeItem*> chain; // the start's parents, expanded outermost first
    for (ShellTreeItem* p = cur->m_parent; p; p = p->m_parent)
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        expandItem(*it, -1, false);
    const QString rest = path.mid(cur->m_path.size());
    bool whole = true;
    const auto childNamed = [](const ShellTreeItem* item, const QString& name) -> ShellTreeItem* {
        for (const auto& c : item->m_children)
            if (c->m_name == name)
                return c.get();
        return nullptr;
    };
    for (const QString& part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const bool wasExpanded = cur->m_expanded;
        expandItem(cur, -1, false); // reads the folder when it was closed
        ShellTreeItem* next = childNamed(cur, part);
        if (!next && wasExpanded) {
            // Made since the tree read the folder (the list shows it already).
            reloadChildren(cur);
            next = childNamed(cur, part);
        }
        if (!next) {
            whole = false;
            break;
        }
        cur = next;
    }
    selectItem(cur);
    return whole;
}

void ShellTree::refreshItem(ShellTreeItem* item)
{
    if (!item->m_loaded)
        return;
    const auto wanted = subFolders(item, false);
    std::vector<std::unique_ptr<ShellTreeItem>> kids;
    for (const auto& [name, path] : wanted) {
        std::unique_ptr<ShellTreeItem> keep;
        for (auto& old : item->m_children)
            if (old && old->m_path == path) {
                keep = std::move(old);
                break;
            }
        if (!keep)
            keep = makeItem(item, name, path);
        keep->m_name = name;
        keep->m_row = int(kids.size());
        kids.push_back(std::move(keep));
    }
    item->m_children = std::move(kids);
    if (item->m_children.empty())
        item->m_expanded = false;
    for (auto& c : item->m_children) {
        c->m_scanned = false;
        refreshItem(c.get());
    }
}

void ShellTree::Refresh()
{
    if (m_locked)
        return;
    const QString selected = SelectedFolder();
    const ShellTreeItem* sel = SelectedItem();
    const QString selectedName = sel ? sel->m_name : QString();
    const bool wasFollowing = m_following;
    m_following = true;
    m_model->beginReset();
    for (auto& r : m_roots) {
        r->m_scanned = false;
        refreshItem(r.get());
    }
    rebuildItems();
    m_model->endReset();
    syncViewExpansion();
    if (!selected.isEmpty()) {
        selectPath(selected);
    } else if (!selectedName.isEmpty()) {
        for (ShellTreeItem* it : m_items.m_items)
            if (it->m_path.isEmpty() && it->m_name == selectedName) {
                selectItem(it);
                break;
            }
    }
    m_following = wasFollowing;
    emit itemsReset();
}

void ShellTree::syncViewExpansion()
{
    m_syncing = true;
    scheduleDelayedItemsLayout();
    std::vector<ShellTreeItem*> stack;
    for (const auto& r : m_roots)
        stack.push_back(r.get());
    while (!stack.empty()) {
        ShellTreeItem* it = stack.back();
        stack.pop_back();
        if (!it->m_expanded)
            continue;
        QTreeView::expand(indexOf(it));
        for (const auto& c : it->m_children)
            stack.push_back(c.get());
    }
    m_syncing = false;
}

void ShellTree::setLocked(bool locked)
{
    m_locked = locked;
    setItemsExpandable(!locked);
    if (!locked && m_viewBehind) {
        m_viewBehind = false;
        syncViewExpansion();
        if (currentIndex().isValid())
            scrollTo(currentIndex());
    }
}

void ShellTree::setFolder(ShellList* list)
{
    if (m_list)
        disconnect(m_list, nullptr, this, nullptr);
    m_list = list;
    if (m_list) {
        connect(m_list, &ShellList::folderShown, this, &ShellTree::followList);
        connect(m_list, &ShellList::refreshAsked, this, &ShellTree::Refresh);
        connect(m_list, &ShellList::folderChangedOnDisk, this, &ShellTree::rereadListFolder);
    }
}

void ShellTree::rereadListFolder()
{
    // The list saw folders come or go in the folder it shows: the tree's item
    // for that folder reads it again (closed, it reads it to show its arrow).
    const QString path = m_list ? m_list->FolderPath() : QString();
    if (m_locked || path.isEmpty())
        return;
    for (ShellTreeItem* it : m_items.m_items)
        if (it->m_path == path) {
            if (it->m_loaded) {
                reloadChildren(it);
            } else {
                it->m_scanned = false;
                loadChildren(it);
            }
            return;
        }
}

void ShellTree::followList()
{
    if (m_following || !m_list)
        return;
    m_following = true;
    const QString path = m_list->FolderPath();
    if (!path.isEmpty())
        selectPath(path);
    m_following = false;
}

void ShellTree::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_following && !current.isValid())
        return;
    ShellTreeItem* it = itemOf(current);
    if (!it)
        return;
    if (!m_following && !m_list) {
        emit SelChange();
    } else if (!m_following) {
        m_following = true;
        if (it->m_computer) {
            loadChildren(it);
            QList<ShellList::FolderEntryRef> entries;
            for (const auto& c : it->m_children)
                entries.append({c->m_name, c->m_path});
            m_list->showFolderSet(entries);
        } else if (!it->m_path.isEmpty()) {
            m_list->setFolderPath(it->m_path);
        }
        m_following = false;
        emit SelChange();
    }
    emit selectionMoved();
}

void ShellTree::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5 && !(event->modifiers() & ~Qt::KeypadModifier)) {
        // F5 reads the folders again, and the list's folder with them.
        Refresh();
        if (m_list)
            m_list->Refresh();
        return;
    }
    int code = keyAscii(event);
    emit KeyPress(code);
    QTreeView::keyPressEvent(event);
}

} // namespace platform
