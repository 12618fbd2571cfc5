#include "platform/shell/ShellCombo.h"

#include "platform/shell/ShellTree.h"
#include "platform/controls/StyleIcons.h"

#include <QDir>
#include <QStyle>

namespace platform {

ShellCombo::ShellCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, &ShellCombo::chosen);
}

void ShellCombo::setFolder(ShellTree* tree)
{
    if (m_tree)
        disconnect(m_tree, nullptr, this, nullptr);
    m_tree = tree;
    if (m_tree) {
        connect(m_tree, &ShellTree::selectionMoved, this, &ShellCombo::rebuild);
        connect(m_tree, &ShellTree::itemsReset, this, &ShellCombo::rebuild);
    }
    rebuild();
}

void ShellCombo::rebuild()
{
    m_building = true;
    clear();
    m_entries.clear();
    if (!m_tree) {
        m_building = false;
        return;
    }
    // The selected item's chain, outermost first.
    QList<ShellTreeItem*> chain;
    for (ShellTreeItem* it = m_tree->SelectedItem(); it; it = it->Parent())
        chain.prepend(it);
    const ShellTreeItems& items = m_tree->Items();
    int current = -1;
    for (int i = 0; i < items.Count(); ++i) {
        ShellTreeItem* root = items.Item(i);
        if (root->Parent())
            continue;
        if (!chain.isEmpty() && chain.first() == root) {
            for (int depth = 0; depth < chain.size(); ++depth) {
                ShellTreeItem* it = chain.at(depth);
                addItem(styleIcon(QStyle::SP_DirIcon), QString(depth * 3, QLatin1Char(' ')) + it->Name());
                setItemData(count() - 1, it->Path().isEmpty() ? it->Name() : QDir::toNativeSeparators(it->Path()),
                            Qt::ToolTipRole);
                m_entries << it;
            }
            current = count() - 1;
        } else {
            addItem(styleIcon(QStyle::SP_DirIcon), root->Name());
            m_entries << root;
        }
    }
    setCurrentIndex(current);
    m_building = false;
}

void ShellCombo::chosen(int index)
{
    if (m_building || !m_tree || index < 0 || index >= m_entries.size())
        return;
    ShellTreeItem* it = m_entries.at(index);
    m_tree->selectItem(it);
}

} // namespace platform
