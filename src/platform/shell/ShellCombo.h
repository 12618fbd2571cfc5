#pragma once
// The folder combo above the browser: the tree's roots and the chain of
// folders down to the one selected in the tree. Choosing an entry selects
// that folder in the tree (which shows it in the list).
#include <QComboBox>
#include <QPointer>

namespace platform {

class ShellTree;
class ShellTreeItem;

class ShellCombo : public QComboBox {
    Q_OBJECT
public:
    explicit ShellCombo(QWidget* parent = nullptr);

    // Binding to the folder tree.
    void setFolder(ShellTree* tree);
    ShellTree* folderTree() const { return m_tree; }

    // Rebuilds the entries from the tree's selection.
    void rebuild();

private:
    void chosen(int index);
    QPointer<ShellTree> m_tree;
    QList<ShellTreeItem*> m_entries;
    bool m_building = false;
};

} // namespace platform
