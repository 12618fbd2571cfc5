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

    // Deletes a node (and its children) after the BeforeDelete event, whose
    // handler may cancel; AfterDelete follows a deletion.
    bool Remove(int index);

    // Image list: picture for each image number (1-based).
    void setImages(const QList<QIcon>& icons) { m_images = icons; }

    // Accept dropped files (as text/uri-list).
    void setAcceptFileDrops(bool on);

signals:
    void NodeClick(platform::TreeNode* node);
    void DblClick();
    void Collapse(platform::TreeNode* node);
    void Expand(platform::TreeNode* node);
    void BeforeDelete(platform::TreeNode* node, bool* cancel);
    void AfterDelete();
    void OLEDragDrop(const QStringList& files, int x, int y);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TreeNode* nodeOf(QTreeWidgetItem* item) const;
    void reindex();
    std::vector<TreeNode*> m_nodes;
    QHash<QString, TreeNode*> m_byKey;
    QList<QIcon> m_images;
};

} // namespace platform
