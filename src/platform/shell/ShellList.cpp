#include "platform/shell/ShellList.h"

#include "platform/shell/FileIcons.h"
#include "platform/shell/FolderScan.h"
#include "platform/controls/KeyAscii.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QLocale>
#include <QMimeData>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

namespace platform {

// ---------------------------------------------------------------- items

void ShellListItem::stat() const
{
    if (m_statted)
        return;
    m_statted = true;
    const QFileInfo fi(m_path);
    m_size = m_folder ? 0 : fi.size();
    m_modified = fi.lastModified();
}

qint64 ShellListItem::Size() const
{
    stat();
    return m_size;
}

QDateTime ShellListItem::Modified() const
{
    stat();
    return m_modified;
}

// ---------------------------------------------------------------- model

class ShellListModel : public QAbstractTableModel {
public:
    explicit ShellListModel(std::vector<ShellListItem>& items, QObject* parent)
        : QAbstractTableModel(parent), m_items(items)
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(m_items.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_items.size()))
            return {};
        const ShellListItem& it = m_items[size_t(index.row())];
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
            case 0: return it.Name();
            case 1: return it.IsFolder() ? QString() : sizeText(it.Size());
            case 2: return typeText(it);
            case 3: return QLocale().toString(it.Modified(), QLocale::ShortFormat);
            default: return {};
            }
        }
        if (role == Qt::DecorationRole && index.column() == 0)
            return it.IsFolder() ? m_icons.icon(QFileIconProvider::Folder)
                                 : fileTypeIcon(it.Name(), m_icons.icon(QFileIconProvider::File));
        if (role == Qt::ToolTipRole && index.column() == 0)
            return QDir::toNativeSeparators(it.Path());
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* names[] = {"Name", "Size", "Type", "Date Modified"};
        return section >= 0 && section < 4 ? QString::fromLatin1(names[section]) : QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    }

    QStringList mimeTypes() const override { return {QStringLiteral("text/uri-list")}; }

    QMimeData* mimeData(const QModelIndexList& indexes) const override
    {
        QList<QUrl> urls;
        QList<int> rows;
        for (const QModelIndex& i : indexes)
            if (i.isValid() && !rows.contains(i.row()) && i.row() < int(m_items.size())) {
                rows << i.row();
                urls << QUrl::fromLocalFile(m_items[size_t(i.row())].Path());
            }
        auto* data = new QMimeData;
        data->setUrls(urls);
        return data;
    }

    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }

    static QString sizeText(qint64 bytes)
    {
        const qint64 kb = (bytes + 1023) / 1024;
        return QLocale().toString(kb) + QStringLiteral(" KB");
    }

    static QString typeText(const ShellListItem& it)
    {
        if (it.IsFolder())
            return QStringLiteral("File Folder");
        const int dot = int(it.Name().lastIndexOf(QLatin1Char('.')));
        return dot > 0 ? it.Name().mid(dot + 1).toUpper() + QStringLiteral(" File") : QStringLiteral("File");
    }

private:
    std::vector<ShellListItem>& m_items;
    QFileIconProvider m_icons;
};

// ---------------------------------------------------------------- views

// The views hand their keys and drags to the list.
class ShellListViewHooks {
public:
    static bool key(ShellList* list, QKeyEvent* e) { return list->viewKeyPress(e); }
    static bool drag(ShellList* list) { return list->dragAllowed(); }
};

namespace {

// The icon view's items all take one size, as a folder may hold a hundred
// thousand files: in the looks with a grid the size of its cell, in the list
// look the size the widest name needs. A name then shows whole wherever it
// fits and is cut only at its place's width (the view's own uniform size
// would be the last item's, cutting every longer name).
class ShellListDelegate : public QStyledItemDelegate {
public:
    ShellListDelegate(QListView* view, const std::vector<ShellListItem>& items)
        : QStyledItemDelegate(view), m_view(view), m_items(items)
    {
    }

    // The items were read again: the widest name is looked for anew.
    void itemsChanged() { m_widest = -1; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize cell = m_view->gridSize();
        if (cell.isValid())
            return cell;
        qreal width = 0;
        const int row = widestRow(option.font, &width);
        if (row < 0)
            return QStyledItemDelegate::sizeHint(option, index);
        QSize size = QStyledItemDelegate::sizeHint(option, index.siblingAtRow(row));
        // Names measured letter by letter may be a pixel short of their
        // laid-out width: the widest one leaves room for that.
        const qreal laidOut = QFontMetricsF(option.font).horizontalAdvance(m_items[size_t(row)].Name());
        size.rwidth() += std::max(0, int(std::ceil(width + 1)) - int(std::ceil(laidOut)));
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // A name shorter than its cell is highlighted and framed as wide as it is.
        QStyleOptionViewItem own = option;
        if (m_view->gridSize().isValid()) {
            const int width = QStyledItemDelegate::sizeHint(option, index).width();
            if (width < own.rect.width()) {
                const bool centred = m_view->viewMode() == QListView::IconMode;
                own.rect = QRect(own.rect.x() + (centred ? (own.rect.width() - width) / 2 : 0), own.rect.y(), width,
                                 own.rect.height());
            }
        }
        QStyledItemDelegate::paint(painter, own, index);
    }

private:
    // The row of the widest name in the font (-1 with no items), and its
    // width; kept until the items or the font change.
    int widestRow(const QFont& font, qreal* width) const
    {
        if (m_widest >= 0 && m_widest < int(m_items.size()) && font == m_font) {
            *width = m_widestWidth;
            return m_widest;
        }
        m_font = font;
        m_widest = -1;
        m_widestWidth = 0;
        const QFontMetricsF metrics(font);
        // Names are summed from the advances of their letters (a table for
        // the common ones), which is fast enough for the largest folders;
        // names in scripts whose letters join or combine are laid out whole.
        std::array<qreal, 0x300> advance;
        advance.fill(-1);
        for (size_t i = 0; i < m_items.size(); ++i) {
            const QString name = m_items[i].Name();
            qreal sum = 0;
            for (const QChar c : name) {
                if (c.unicode() >= advance.size()) {
                    sum = metrics.horizontalAdvance(name);
                    break;
                }
                qreal& a = advance[c.unicode()];
                if (a < 0)
                    a = metrics.horizontalAdvance(c);
                sum += a;
            }
            if (m_widest < 0 || sum > m_widestWidth) {
                m_widest = int(i);
                m_widestWidth = sum;
            }
        }
        *width = m_widestWidth;
        return m_widest;
    }

    QListView* m_view;
    const std::vector<ShellListItem>& m_items;
    mutable QFont m_font;
    mutable int m_widest = -1;
    mutable qreal m_widestWidth = 0;
};

template <class Base>
class HookedView : public Base {
public:
    explicit HookedView(ShellList* list) : Base(list), m_list(list) {}

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!ShellListViewHooks::key(m_list, e))
            Base::keyPressEvent(e);
    }
    void startDrag(Qt::DropActions actions) override
    {
        if (ShellListViewHooks::drag(m_list))
            Base::startDrag(actions);
    }

private:
    ShellList* m_list;
};

} // namespace

// ---------------------------------------------------------------- list

ShellList::ShellList(QWidget* parent) : QWidget(parent)
{
    m_model = new ShellListModel(m_items, this);
    m_selection = new QItemSelectionModel(m_model, this);

    auto* icons = new HookedView<QListView>(this);
    icons->setObjectName(QStringLiteral("IconView"));
    icons->setModel(m_model);
    icons->setSelectionModel(m_selection);
    icons->setUniformItemSizes(true);
    icons->setLayoutMode(QListView::Batched);
    icons->setBatchSize(500);
    icons->setResizeMode(QListView::Adjust);
    icons->setMovement(QListView::Static);
    auto* names = new ShellListDelegate(icons, m_items);
    icons->setItemDelegate(names);
    connect(m_model, &QAbstractItemModel::modelReset, names, [names] { names->itemsChanged(); });
    m_iconView = icons;

    auto* details = new HookedView<QTreeView>(this);
    details->setObjectName(QStringLiteral("DetailsView"));
    details->setModel(m_model);
    details->setSelectionModel(m_selection);
    details->setRootIsDecorated(false);
    details->setItemsExpandable(false);
    details->setUniformRowHeights(true);
    details->header()->setStretchLastSection(false);
    details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_detailsView = details;

    for (QAbstractItemView* v : {m_iconView, m_detailsView}) {
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setDragEnabled(true);
        v->setDragDropMode(QAbstractItemView::DragOnly);
        v->setDefaultDropAction(Qt::CopyAction);
        connect(v, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
            if (i.isValid())
                openIndex(i.row());
        });
    }
    // A click makes the row current before it selects it, a rubber band
    // selects rows while the current one may stay, and a key does both at
    // once: the selection is reported once the item is selected, whatever
    // the order.
    connect(m_selection, &QItemSelectionModel::currentChanged, this, &ShellList::reportSelection);
    connect(m_selection, &QItemSelectionModel::selectionChanged, this, &ShellList::reportSelection);

    // Files made, removed or renamed by other programs show up by themselves.
    m_watcher = new QFileSystemWatcher(this);
    m_changed = new QTimer(this);
    m_changed->setSingleShot(true);
    m_changed->setInterval(250);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_changed, qOverload<>(&QTimer::start));
    connect(m_changed, &QTimer::timeout, this, [this] {
        if (m_folder.isEmpty())
            return;
        Refresh();
        emit folderChangedOnDisk();
    });

    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_iconView);
    m_stack->addWidget(m_detailsView);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_stack);
    applyStyle();
}

ShellList::~ShellList() = default;

const ShellListItem* ShellList::Item(int index) const
{
    return index >= 0 && index < Count() ? &m_items[size_t(index)] : nullptr;
}

const ShellListItem* ShellList::SelectedItem() const
{
    // The current item when it is selected, else the first selected one.
    const QModelIndex cur = m_selection->currentIndex();
    if (cur.isValid() && m_selection->isRowSelected(cur.row()))
        return Item(cur.row());
    int first = -1;
    for (const QModelIndex& i : m_selection->selectedIndexes())
        if (first < 0 || i.row() < first)
            first = i.row();
    return Item(first);
}

void ShellList::reportSelection()
{
    if (m_loading)
        return;
    const ShellListItem* it = SelectedItem();
    const int index = it ? it->Index() : -1;
    if (index == m_reported)
        return;
    m_reported = index;
    if (it)
        emit SelChange();
}

void ShellList::selectIndex(int index)
{
    if (index < 0 || index >= Count()) {
        m_selection->clear();
        return;
    }
    const QModelIndex i = m_model->index(index, 0);
    m_selection->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    currentView()->scrollTo(i);
}

void ShellList::openIndex(int index)
{
    const ShellListItem* it = Item(index);
    if (!it)
        return;
    const bool folder = it->IsFolder();
    const QString path = it->Path();
    emit Open(index);
    if (folder)
        setFolderPath(path);
}

bool ShellList::load(const QString& folder, const QList<FolderEntryRef>* set, int* error)
{
    std::vector<ShellListItem> folders, files;
    if (set) {
        for (const FolderEntryRef& f : *set) {
            ShellListItem it;
            it.m_path = f.path;
            it.m_name = f.name;
            it.m_folder = true;
            folders.push_back(std::move(it));
        }
    } else {
        std::vector<FolderEntry> entries;
        const int err = readFolder(folder, entries);
        if (error)
            *error = err;
        if (err != 0)
            return false;
        const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        for (FolderEntry& e : entries) {
            if (e.isHidden() && !m_showHidden)
                continue;
            if (!e.isFolder && !m_mask.matches(e.name))
                continue;
            ShellListItem it;
            it.m_path = base + e.name;
            it.m_name = std::move(e.name);
            it.m_folder = e.isFolder;
            it.m_file = e.isFile;
            (it.m_folder ? folders : files).push_back(std::move(it));
        }
        auto byName = [](const ShellListItem& a, const ShellListItem& b) { return nameLess(a.m_name, b.m_name); };
        std::sort(folders.begin(), folders.end(), byName);
        std::sort(files.begin(), files.end(), byName);
    }
    const ShellListItem* sel = SelectedItem();
    const QString keep = sel ? sel->Path() : QString();
    m_loading = true;
    m_model->beginReset();
    m_items = std::move(folders);
    m_items.reserve(m_items.size() + files.size());
    for (ShellListItem& f : files)
        m_items.push_back(std::move(f));
    for (size_t i = 0; i < m_items.size(); ++i)
        m_items[i].m_index = int(i);
    m_model->endReset();
    m_loading = false;
    m_reported = -1;
    if (!keep.isEmpty())
        for (const ShellListItem& it : m_items)
            if (it.m_path == keep) {
                const QSignalBlocker block(m_selection);
                m_selection->setCurrentIndex(m_model->index(it.m_index, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                m_reported = it.m_index; // the same item, reported before
                break;
            }
    return true;
}

bool ShellList::setFolderPath(const QString& path)
{
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(trimmed));
    int err = 0;
    const QString previous = m_folder;
    m_folder = clean; // the selection is not carried into another folder
    m_selection->clear();
    if (!load(clean, nullptr, &err)) {
        m_folder = previous;
        m_lastError = err;
        return false;
    }
    m_lastError = 0;
    m_set.clear();
    watchFolder();
    emit folderShown();
    emit FolderChange();
    emit Refreshed();
    return true;
}

void ShellList::watchFolder()
{
    const QStringList watched = m_watcher->directories();
    if (watched == QStringList{m_folder})
        return;
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    if (!m_folder.isEmpty())
        m_watcher->addPath(m_folder);
}

void ShellList::showFolderSet(const QList<FolderEntryRef>& folders)
{
    m_selection->clear();
    m_folder.clear();
    watchFolder();
    m_set = folders;
    load(QString(), &m_set, nullptr);
    emit folderShown();
    emit FolderChange();
    emit Refreshed();
}

void ShellList::GoUp(int levels)
{
    if (m_folder.isEmpty())
        return;
    QString target = m_folder;
    for (int i = 0; i < levels; ++i) {
        QDir d(target);
        if (!d.cdUp())
            break;
        target = d.absolutePath();
    }
    if (target != m_folder)
        setFolderPath(target);
}

void ShellList::Refresh()
{
    if (m_folder.isEmpty()) {
        if (!m_set.isEmpty())
            load(QString(), &m_set, nullptr);
        emit Refreshed();
        return;
    }
    int err = 0;
    if (!load(m_folder, nullptr, &err)) {
        // The folder went away: show nothing rather than stale entries.
        m_lastError = err;
        m_loading = true;
        m_model->beginReset();
        m_items.clear();
        m_model->endReset();
        m_loading = false;
    }
    emit Refreshed();
}

void ShellList::setFilter(const QString& maskList)
{
    m_filter = maskList;
    m_mask.setPattern(maskList.trimmed().isEmpty() ? QStringLiteral("*.*") : maskList);
    if (!m_folder.isEmpty())
        load(m_folder, nullptr, nullptr);
}

void ShellList::setShowHidden(bool on)
{
    if (m_showHidden == on)
        return;
    m_showHidden = on;
    if (!m_folder.isEmpty())
        load(m_folder, nullptr, nullptr);
}

void ShellList::setViewStyle(int style)
{
    if (style < 0 || style > 3)
        return;
    m_style = style;
    applyStyle();
}

void ShellList::applyStyle()
{
    // Large icons, small icons and list share the icon view; details has its own.
    struct Look {
        QListView::ViewMode mode;
        int icon;
        QSize grid;
        bool wordWrap;
        QListView::Flow flow;
    };
    static const Look looks[3] = {
        {QListView::IconMode, 32, QSize(96, 64), true, QListView::LeftToRight},
        {QListView::ListMode, 16, QSize(160, 20), false, QListView::LeftToRight},
        {QListView::ListMode, 16, QSize(), false, QListView::TopToBottom},
    };
    auto* icons = static_cast<QListView*>(m_iconView);
    if (m_style < 3) {
        const Look& l = looks[m_style];
        icons->setViewMode(l.mode);
        icons->setIconSize(QSize(l.icon, l.icon));
        icons->setGridSize(l.grid);
        icons->setWordWrap(l.wordWrap);
        icons->setFlow(l.flow);
        icons->setWrapping(true);
    }
    icons->setMovement(QListView::Static);
    icons->setDragEnabled(true);
    m_stack->setCurrentWidget(m_style == 3 ? m_detailsView : m_iconView);
    setFocusProxy(currentView());
}

QAbstractItemView* ShellList::currentView() const { return m_style == 3 ? m_detailsView : m_iconView; }

void ShellList::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Colours given to the list as a whole reach the views' item areas.
    if (event->type() == QEvent::PaletteChange && testAttribute(Qt::WA_SetPalette)) {
        for (QAbstractItemView* v : {m_iconView, m_detailsView}) {
            QPalette pal = v->palette();
            pal.setColor(QPalette::Base, palette().color(QPalette::Window));
            pal.setColor(QPalette::Text, palette().color(QPalette::WindowText));
            v->setPalette(pal);
        }
    }
}

bool ShellList::viewKeyPress(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5 && !(event->modifiers() & ~Qt::KeypadModifier)) {
        emit refreshAsked();
        Refresh();
        return true;
    }
    int code = keyAscii(event);
    emit KeyPress(code);
    if (code == 13) {
        if (const ShellListItem* it = SelectedItem())
            openIndex(it->Index());
        return true;
    }
    if (code == 8) {
        GoUp(1);
        return true;
    }
    return false;
}

bool ShellList::dragAllowed()
{
    bool allow = true;
    emit FlagEvent(allow);
    return allow;
}

} // namespace platform
