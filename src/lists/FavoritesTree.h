#pragma once
// The Internet favourites tree: the folders of the user's Favorites folder
// and the shortcut files in them. It loads itself from disk, opens a
// favourite in the browser on a double-click, sends favourites to the trash,
// keeps the folder that pages are saved into, and saves pages there.
#include "platform/controls/KeyedTree.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace lists {

class FavoritesTree : public QObject {
    Q_OBJECT
public:
    // The node pictures: an open folder, a closed folder, a web page.
    enum Image { kOpenFolder = 1, kClosedFolder = 2, kWebPage = 3 };
    static constexpr int kFolderWalkLimit = 7500;

    // Takes over the tree's behaviour; the tree stays where its owner places it.
    explicit FavoritesTree(platform::KeyedTree* tree, QObject* parent = nullptr);
    platform::KeyedTree* tree() const { return m_tree; }

    // What the tree asks of its window: open an address in the browser, and
    // show or end the hourglass.
    std::function<void(const QString& address)> navigate;
    std::function<void(bool on)> hourglass;

    QString cFavoritesFolder;       // the Favorites folder
    QString cFavoritesRoot;         // the folder the last load read
    QString cFavoriteTarget;        // key of the folder pages are saved into; "" the Favorites folder
    QString cSavedShortcutName;     // name of the shortcut just written, "" after a failed write
    QString cClickedFavoriteKey;    // the node last clicked
    int nClickedFavoriteIndex = 0;
    int nCurrentFolderIndex = 0;    // the folder node shown open, 0 for none
    int nFolderWalkLimit = kFolderWalkLimit;
    QStringList FolderWalkList;     // the folders of the last load, in walk order

    // Fills the tree from the Favorites folder.
    void LoadInternetFavorites();
    // Takes the page on show (its address, its title, the window caption for
    // a page without a title) and saves it into the target folder.
    void AddInternetFavorite(const QString& address, const QString& title, const QString& caption);
    // Writes the shortcut of the page taken, adds its node and tells the user.
    void SavePageToFavorites();
    bool WriteInternetShortcut();
    bool AddSavedFavoriteNode();
    // Adds a node under the node keyed parentKey ("" the top level); false
    // when the key is taken or the parent is missing.
    bool AddFavoriteNode(const QString& parentKey, const QString& key, const QString& text, int image,
                         const QString& path);
    // The index of the node with that key (blanks around either ignored), -1 for none.
    int FindFavoriteNodeIndex(const QString& key) const;
    // Ctrl+D: sends the selected node's file or folder to the trash.
    void DeleteSelectedFavorite();
    // Moves the file or folder to the trash; says so and returns false when it could not.
    bool RecycleFile(const QString& path);

    // The tree's events.
    void NodeClick(platform::TreeNode* node);
    void DblClick();
    void BeforeDelete(platform::TreeNode* node, bool* cancel);
    void Expand(platform::TreeNode* node);
    void Collapse(platform::TreeNode* node);
    void KeyPress(int keyAscii);
    void DragDrop(int x, int y);

    // The question asked before a shortcut is deleted.
    static QString deleteQuestion(const platform::TreeNode* node);

private:
    // Removes a node without the question the user's deletions get.
    void removeQuietly(platform::TreeNode* node);
    // The folder pages are saved into.
    QString targetFolder() const;
    // The folder key a drop on the node saves into.
    static QString folderKeyOf(const platform::TreeNode* node);

    platform::KeyedTree* m_tree;
    QString m_savedFile; // the file name the last write used
    bool m_removing = false;
};

} // namespace lists
