#pragma once
// A tree of keyed nodes: every node has a unique key, a text, an image
// number, a tag text and a tag value; the node collection keeps the order in
// which nodes were added, indexed from 1. The tree holds any number of
// nodes; keys are found through a hash.
#include <QHash>
#include <QTreeWidget>
#include <vector>

namespace platform {

class KeyedTree;

struct TreeNode {
    QString Key; // given by Add; the tree finds the node by it

    QString Text;
    int Image = 0;
    QString TagText;
    QString TagValue;
    int Level() const { return parent ? parent->Level() + 1 : 1; }
    int Index() const { return index; }
    TreeNode* Parent() const { return parent; }

private:
    friend class KeyedTree;
    TreeNode* parent = nullptr;
    QTreeWidgetItem* item = nullptr;
    int index = 0;
};

class KeyedTree : public QTreeWidget {
    Q_OBJECT
public:
    enum Relationship { Last = 1, Child = 4 };
    explicit KeyedTree(QWidget* parent = nullptr);
    ~KeyedTree() override;

    // Adds a node; relative 0 = top level. Returns nullptr when the key is
    // taken or the relative node does not exist.
    TreeNode* Add(int relative, int relationship, const QString& key, const QString& text, int image);
    TreeNode* Item(int index) const; // 1-based; nullptr outside
    int Count() const { return int(m_nodes.size()); }
    void Clear();
    TreeNode* HitTest(int x, int y) const;
    TreeNode* SelectedNode() const;
    void selectNode(TreeNode* node);
    TreeNode* nodeByKey(const QString& key) const;
    // The nodes at the top level, in their order (0-based; nullptr outside).
    TreeNode* topLevelNode(int i) const { return nodeOf(topLevelItem(i)); }

    // Refreshes how a node is shown after its text or image changed.
    void refresh(TreeNode* node);

    // How a node stands: its text colour and weight, expanded or not, scrolled into view.
    void setNodeForeColor(TreeNode* node, const QColor& color);
    void setNodeBold(TreeNode* node, bool bold);
    bool isNodeBold(const TreeNode* node) const;
    QColor nodeForeColor(const TreeNode* node) const;
    void setNodeExpanded(TreeNode* node, bool expanded);
    bool isNodeExpanded(const TreeNode* node) const;
    void ensureNodeVisible(TreeNode* node);
    // Where a node is shown, in viewport coordinates (empty when it is not).
    QRect nodeRect(const TreeNode* node) const;

    // Deletes a node (and its children) after the BeforeDelete event, whose
    // handler may cancel; AfterDelete follows a deletion.
    bool Remove(int index);

    // Image list: picture for each image number (1-based).
    void setImages(const QList<QIcon>& icons) { m_images = icons; }

    // Accept dropped files (as text/uri-list).
    void setAcceptFileDrops(bool on);
    // Accept dropped web addresses and text (a page dragged from a browser):
    // raises DragDrop with the drop point.
    void setAcceptAddressDrops(bool on);

signals:
    void NodeClick(platform::TreeNode* node);
    void DblClick();
    void Collapse(platform::TreeNode* node);
    void Expand(platform::TreeNode* node);
    void BeforeDelete(platform::TreeNode* node, bool* cancel);
    void AfterDelete();
    void OLEDragDrop(const QStringList& files, int x, int y);
    void DragDrop(int x, int y);
    // A key typed in the tree, as its character code (Ctrl+letter gives 1..26).
    void KeyPress(int keyAscii);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TreeNode* nodeOf(QTreeWidgetItem* item) const;
    bool takesDrop(const QMimeData* data) const;
    void reindex();
    bool m_fileDrops = false;
    bool m_addressDrops = false;
    std::vector<TreeNode*> m_nodes;
    QHash<QString, TreeNode*> m_byKey;
    QList<QIcon> m_images;
};

} // namespace platform
