#pragma once
// The main window over the player and browser stand-ins, shown, in a
// temporary program folder, with the steps a user takes on its list trees.
#include "TestSupport.h"
#include "players/Fakes.h"

#include "platform/controls/KeyedTree.h"

#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidgetItemIterator>

namespace listtest {

enum Tab { Videos = 0, Music = 1, Pictures = 2, Documents = 4 };

class ListWindow : public fakes::Window {
public:
    ListWindow() { showWindow(); }

    // Closes the window as the user does and starts the program again.
    void restart()
    {
        w->close();
        w = std::make_unique<Lumivex1>(QStringList());
        showWindow();
    }

    void clickTab(int index)
    {
        QTabBar* bar = w->TabStrip1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    static QTreeWidgetItem* itemOf(platform::KeyedTree* tree, const platform::TreeNode* node)
    {
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).value<void*>() == node)
                return *it;
        return nullptr;
    }
    // The middle of a node's row, in the tree's viewport; the node's list is opened first.
    static QPoint pointOf(platform::KeyedTree* tree, const platform::TreeNode* node)
    {
        QTreeWidgetItem* item = itemOf(tree, node);
        if (item && item->parent())
            item->parent()->setExpanded(true);
        return tree->visualItemRect(item).center();
    }
    // A point below every node.
    static QPoint emptySpace(platform::KeyedTree* tree) { return {10, tree->viewport()->height() - 4}; }

    static bool drop(platform::KeyedTree* tree, const QPoint& at, const QStringList& files)
    {
        return testsupport::dropFiles(tree->viewport(), at, files);
    }
    static void click(platform::KeyedTree* tree, const platform::TreeNode* node)
    {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, pointOf(tree, node));
    }
    static void doubleClick(platform::KeyedTree* tree, const platform::TreeNode* node)
    {
        const QPoint at = pointOf(tree, node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    }
    // Selects the node and presses Delete on the tree.
    static void pressDelete(platform::KeyedTree* tree, const platform::TreeNode* node)
    {
        click(tree, node);
        QTest::keyClick(tree, Qt::Key_Delete);
    }

    // Media files the tests drop, made in the program folder.
    QString media(const QString& relative)
    {
        const QString path = file(relative);
        testsupport::writeFile(path, "media");
        return path;
    }

private:
    void showWindow()
    {
        w->resize(1100, 800);
        w->show();
        w->finishStartUp();
        QCoreApplication::processEvents();
        dialogs->messages.clear();
    }
};

} // namespace listtest
