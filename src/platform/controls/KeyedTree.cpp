#include "platform/controls/KeyedTree.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QSet>
#include <QUrl>

namespace platform {

KeyedTree::KeyedTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* it, int) {
        if (TreeNode* n = nodeOf(it))
            emit NodeClick(n);
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { emit DblClick(); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* it) {
        if (TreeNode* n = nodeOf(it))
            emit Collapse(n);
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* it) {
        if (TreeNode* n = nodeOf(it))
            emit Expand(n);
    });
}

KeyedTree::~KeyedTree()
{
    for (TreeNode* n : m_nodes)
        delete n;
}

TreeNode* KeyedTree::Add(int relative, int relationship, const QString& key, const QString& text, int image)
{
    if (m_byKey.contains(key))
        return nullptr;
    TreeNode* parent = nullptr;
    if (relative != 0) {
        TreeNode* rel = Item(relative);
        if (!rel)
            return nullptr;
        parent = relationship == Child ? rel : rel->parent;
    }
    auto* node = new TreeNode;
    node->Key = key;
    node->Text = text;
    node->Image = image;
    node->parent = parent;
    node->item = parent ? new QTreeWidgetItem(parent->item) : new QTreeWidgetItem(this);
    node->item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(node));
    m_nodes.push_back(node);
    m_byKey.insert(key, node);
    node->index = Count();
    refresh(node);
    return node;
}

TreeNode* KeyedTree::Item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return m_nodes[size_t(index - 1)];
}

void KeyedTree::Clear()
{
    clear();
    for (TreeNode* n : m_nodes)
        delete n;
    m_nodes.clear();
    m_byKey.clear();
}

TreeNode* KeyedTree::HitTest(int x, int y) const
{
    return nodeOf(itemAt(x, y));
}

TreeNode* KeyedTree::SelectedNode() const
{
    return nodeOf(currentItem());
}

void KeyedTree::selectNode(TreeNode* node)
{
    setCurrentItem(node ? node->item : nullptr);
}

TreeNode* KeyedTree::nodeByKey(const QString& key) const
{
    return m_byKey.value(key, nullptr);
}

void KeyedTree::refresh(TreeNode* node)
{
    if (!node || !node->item)
        return;
    node->item->setText(0, node->Text);
    if (node->Image >= 1 && node->Image <= m_images.size())
        node->item->setIcon(0, m_images.at(node->Image - 1));
}

void KeyedTree::setNodeForeColor(TreeNode* node, const QColor& color)
{
    if (node && node->item)
        node->item->setForeground(0, color);
}

QColor KeyedTree::nodeForeColor(const TreeNode* node) const
{
    return node && node->item ? node->item->foreground(0).color() : QColor();
}

void KeyedTree::setNodeBold(TreeNode* node, bool bold)
{
    if (!node || !node->item)
        return;
    QFont f = node->item->font(0);
    f.setBold(bold);
    node->item->setFont(0, f);
}

bool KeyedTree::isNodeBold(const TreeNode* node) const { return node && node->item && node->item->font(0).bold(); }

void KeyedTree::setNodeExpanded(TreeNode* node, bool expanded)
{
    if (node && node->item)
        node->item->setExpanded(expanded);
}

bool KeyedTree::isNodeExpanded(const TreeNode* node) const { return node && node->item && node->item->isExpanded(); }

void KeyedTree::ensureNodeVisible(TreeNode* node)
{
    if (node && node->item)
        scrollToItem(node->item);
}

QRect KeyedTree::nodeRect(const TreeNode* node) const { return node ? visualItemRect(node->item) : QRect(); }

bool KeyedTree::Remove(int index)
{
    TreeNode* node = Item(index);
    if (!node)
        return false;
    bool cancel = false;
    emit BeforeDelete(node, &cancel);
    if (cancel)
        return false;
    // The node and everything under it.
    QSet<TreeNode*> gone;
    std::vector<QTreeWidgetItem*> pending{node->item};
    while (!pending.empty()) {
        QTreeWidgetItem* it = pending.back();
        pending.pop_back();
        if (TreeNode* n = nodeOf(it))
            gone.insert(n);
        for (int i = 0; i < it->childCount(); ++i)
            pending.push_back(it->child(i));
    }
    delete node->item; // deletes the child items too
    std::erase_if(m_nodes, [&](TreeNode* n) { return gone.contains(n); });
    for (TreeNode* n : gone) {
        m_byKey.remove(n->Key);
        delete n;
    }
    reindex();
    emit AfterDelete();
    return true;
}

void KeyedTree::reindex()
{
    for (size_t i = 0; i < m_nodes.size(); ++i)
        m_nodes[i]->index = int(i + 1);
}

TreeNode* KeyedTree::nodeOf(QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    return static_cast<TreeNode*>(item->data(0, Qt::UserRole).value<void*>());
}

void KeyedTree::setAcceptFileDrops(bool on)
{
    m_fileDrops = on;
    setAcceptDrops(m_fileDrops || m_addressDrops);
    viewport()->setAcceptDrops(m_fileDrops || m_addressDrops);
    setDropIndicatorShown(m_fileDrops || m_addressDrops);
}

void KeyedTree::setAcceptAddressDrops(bool on)
{
    m_addressDrops = on;
    setAcceptFileDrops(m_fileDrops);
}

namespace {
bool holdsLocalFiles(const QMimeData* data)
{
    for (const QUrl& u : data->urls())
        if (u.isLocalFile())
            return true;
    return false;
}
} // namespace

bool KeyedTree::takesDrop(const QMimeData* data) const
{
    if (m_fileDrops && holdsLocalFiles(data))
        return true;
    return m_addressDrops && (data->hasUrls() || data->hasText());
}

void KeyedTree::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        if (TreeNode* n = SelectedNode())
            Remove(n->Index());
        return;
    }
    int ascii = 0;
    if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        ascii = event->key() - Qt::Key_A + 1;
    else if (!event->text().isEmpty())
        ascii = event->text().at(0).unicode();
    if (ascii != 0)
        emit KeyPress(ascii);
    QTreeWidget::keyPressEvent(event);
}

void KeyedTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (takesDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void KeyedTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (takesDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void KeyedTree::dropEvent(QDropEvent* event)
{
    const QPoint p = event->position().toPoint();
    QStringList files;
    for (const QUrl& u : event->mimeData()->urls())
        if (u.isLocalFile())
            files << u.toLocalFile();
    if (m_fileDrops && !files.isEmpty()) {
        event->acceptProposedAction();
        emit OLEDragDrop(files, p.x(), p.y());
        return;
    }
    if (!takesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit DragDrop(p.x(), p.y());
}

} // namespace platform
