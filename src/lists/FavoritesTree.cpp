#include "lists/FavoritesTree.h"

#include "lists/InternetShortcut.h"
#include "platform/core/ErrorNumbers.h"
#include "platform/controls/StyleIcons.h"
#include "platform/shell/Trash.h"
#include "shared/MessageBox.h"
#include "shared/SharedState.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>

namespace lists {

using platform::KeyedTree;
using platform::TreeNode;

namespace {
const QString kSaved = QStringLiteral("Web Site Page Successfully Saved to Favorites");
const QString kNotSaved = QStringLiteral("Web Site Page was Not Successfully Saved to Favorites");
constexpr int kCtrlD = 4;
} // namespace

FavoritesTree::FavoritesTree(KeyedTree* tree, QObject* parent) : QObject(parent), m_tree(tree)
{
    tree->setImages({platform::styleIcon(QStyle::SP_DirOpenIcon), platform::styleIcon(QStyle::SP_DirClosedIcon),
                     platform::themeIcon(QStringLiteral("applications-internet"), QStyle::SP_FileLinkIcon)});
    tree->setAcceptAddressDrops(true);
    connect(tree, &KeyedTree::NodeClick, this, &FavoritesTree::NodeClick);
    connect(tree, &KeyedTree::DblClick, this, &FavoritesTree::DblClick);
    connect(tree, &KeyedTree::BeforeDelete, this, &FavoritesTree::BeforeDelete);
    connect(tree, &KeyedTree::Expand, this, &FavoritesTree::Expand);
    connect(tree, &KeyedTree::Collapse, this, &FavoritesTree::Collapse);
    connect(tree, &KeyedTree::KeyPress, this, &FavoritesTree::KeyPress);
    connect(tree, &KeyedTree::DragDrop, this, &FavoritesTree::DragDrop);
    // Indexes move up after a removal: no node stays marked by a stale one.
    connect(tree, &KeyedTree::AfterDelete, this, [this] {
        nCurrentFolderIndex = 0;
        nClickedFavoriteIndex = 0;
    });
}

// ---------------------------------------------------------------- loading

void FavoritesTree::LoadInternetFavorites()
{
    if (hourglass)
        hourglass(true);
    cFavoritesRoot = cFavoritesFolder;
    cFavoriteTarget.clear();
    m_tree->Clear();
    FolderWalkList.clear();
    if (!cFavoritesRoot.isEmpty() && QFileInfo(cFavoritesRoot).isDir()) {
        FolderWalkList = walkFavoriteFolders(cFavoritesRoot, nFolderWalkLimit);
        for (const FavoriteNode& n : favoriteNodes(cFavoritesRoot, FolderWalkList))
            AddFavoriteNode(n.parentKey, n.key, n.text, n.image, n.path);
    }
    nCurrentFolderIndex = 1;
    if (hourglass)
        hourglass(false);
}

bool FavoritesTree::AddFavoriteNode(const QString& parentKey, const QString& key, const QString& text, int image,
                                    const QString& path)
{
    int relative = 0;
    if (!parentKey.isEmpty()) {
        TreeNode* parent = m_tree->nodeByKey(parentKey);
        if (!parent)
            return false;
        relative = parent->Index();
    }
    TreeNode* node = m_tree->Add(relative, KeyedTree::Child, key, text, image);
    if (!node)
        return false;
    node->TagText = path;
    return true;
}

int FavoritesTree::FindFavoriteNodeIndex(const QString& key) const
{
    const QString wanted = key.trimmed();
    for (int n = 1; n <= m_tree->Count(); ++n)
        if (m_tree->Item(n)->Key.trimmed() == wanted)
            return n;
    return -1;
}

// ---------------------------------------------------------------- tree events

void FavoritesTree::NodeClick(TreeNode* node)
{
    if (!node)
        return;
    cClickedFavoriteKey = node->Key;
    nClickedFavoriteIndex = node->Index();
    if (node->Image == kWebPage)
        return;
    cFavoriteTarget = node->Key;
    node->Image = kClosedFolder;
    m_tree->refresh(node);
    m_tree->setNodeExpanded(node, true);
    m_tree->ensureNodeVisible(node);
    if (TreeNode* current = m_tree->Item(nCurrentFolderIndex); current && current->Image != kWebPage) {
        current->Image = kOpenFolder;
        m_tree->refresh(current);
    }
    // A second click on the current folder leaves no folder current.
    nCurrentFolderIndex = nCurrentFolderIndex == node->Index() ? 0 : node->Index();
}

void FavoritesTree::DblClick()
{
    TreeNode* node = m_tree->SelectedNode();
    if (!node)
        node = m_tree->Item(nClickedFavoriteIndex);
    if (node && node->Image == kWebPage) {
        const QString address = readInternetShortcut(node->TagText);
        if (address.isEmpty())
            return; // nothing to open
        gs.cCurrentURL = address;
        m_tree->setNodeForeColor(node, platform::resolveColor(platform::ColorRole::Text, gs.nSelectForeColor));
        m_tree->setNodeBold(node, !gs.fBoldFonts);
    }
    // On a folder this opens the current address again.
    if (navigate && !gs.cCurrentURL.trimmed().isEmpty())
        navigate(gs.cCurrentURL);
}

void FavoritesTree::Expand(TreeNode* node)
{
    if (node && node->Image == kClosedFolder) {
        node->Image = kOpenFolder;
        m_tree->refresh(node);
    }
}

void FavoritesTree::Collapse(TreeNode* node)
{
    if (node && node->Image == kOpenFolder) {
        node->Image = kClosedFolder;
        m_tree->refresh(node);
    }
}

// ---------------------------------------------------------------- deleting

QString FavoritesTree::deleteQuestion(const TreeNode* node)
{
    return QStringLiteral("Do you want to Delete - ") + node->Key;
}

void FavoritesTree::BeforeDelete(TreeNode* node, bool* cancel)
{
    // A folder node leaves the tree alone and its folder on disk.
    if (m_removing || !node || node->Image != kWebPage)
        return;
    *cancel = true;
    if (MsgBox(deleteQuestion(node), platform::Buttons::YesNo) != platform::Answer::Yes)
        return;
    *cancel = !RecycleFile(node->TagText);
}

void FavoritesTree::KeyPress(int keyAscii)
{
    if (keyAscii == kCtrlD)
        DeleteSelectedFavorite();
}

void FavoritesTree::DeleteSelectedFavorite()
{
    TreeNode* node = m_tree->SelectedNode();
    if (!node)
        return;
    const QString path = node->TagText;
    // No question: a folder goes with all it holds, and the trash keeps it.
    if (!RecycleFile(path))
        return;
    if (node->Image != kWebPage &&
        (cFavoriteTarget == node->Key || cFavoriteTarget.startsWith(node->Key + QLatin1Char('/'))))
        cFavoriteTarget.clear();
    removeQuietly(node);
    nCurrentFolderIndex = 0;
}

bool FavoritesTree::RecycleFile(const QString& path)
{
    if (!path.isEmpty() && platform::moveToTrash(path))
        return true;
    const int number = QFileInfo::exists(path) ? platform::ErrPathFileAccess : platform::ErrFileNotFound;
    MsgBox(QStringLiteral("Error - ") + QString::number(number) + QStringLiteral(" - ") +
           platform::errorDescription(number) + QStringLiteral(" - ") + path);
    return false;
}

void FavoritesTree::removeQuietly(TreeNode* node)
{
    m_removing = true;
    m_tree->Remove(node->Index());
    m_removing = false;
}

// ---------------------------------------------------------------- saving pages

void FavoritesTree::AddInternetFavorite(const QString& address, const QString& title, const QString& caption)
{
    gs.cPageURL = address;
    gs.cPageTitle = title;
    // A page without a title gives its address instead.
    const QString head = title.left(6).toUpper();
    if (head.startsWith(QLatin1String("HTTP:")) || head.startsWith(QLatin1String("HTTPS:")))
        gs.cPageTitle = caption;
    gs.cDragMarker = QStringLiteral("A");
    SavePageToFavorites();
}

void FavoritesTree::SavePageToFavorites()
{
    if (WriteInternetShortcut()) {
        AddSavedFavoriteNode();
        UntitledMsgBox(kSaved);
    } else {
        UntitledMsgBox(kNotSaved);
    }
}

bool FavoritesTree::WriteInternetShortcut()
{
    cSavedShortcutName.clear();
    m_savedFile.clear();
    const QString file = shortcutFileName(gs.cPageTitle);
    const QString folder = targetFolder();
    if (file.isEmpty() || cFavoritesFolder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    if (!writeInternetShortcut(QDir(folder).filePath(file), gs.cPageURL))
        return false;
    cSavedShortcutName = cleanShortcutTitle(gs.cPageTitle);
    m_savedFile = file;
    return true;
}

bool FavoritesTree::AddSavedFavoriteNode()
{
    if (m_savedFile.isEmpty())
        return false;
    // The node is named after the file written, so that it opens that file.
    const QString name = shortcutName(m_savedFile);
    const QString key = cFavoriteTarget.isEmpty() ? name : cFavoriteTarget + QLatin1Char('/') + name;
    const QString folder = targetFolder();
    const bool added = AddFavoriteNode(cFavoriteTarget, key, name, kWebPage, QDir(folder).filePath(m_savedFile));
    m_tree->viewport()->update();
    const int index = FindFavoriteNodeIndex(key);
    if (index != -1)
        m_tree->ensureNodeVisible(m_tree->Item(index));
    return added;
}

QString FavoritesTree::targetFolder() const
{
    return cFavoriteTarget.isEmpty() ? cFavoritesFolder : QDir(cFavoritesFolder).filePath(cFavoriteTarget);
}

QString FavoritesTree::folderKeyOf(const TreeNode* node)
{
    if (node->Image != kWebPage)
        return node->Key;
    return node->Parent() ? node->Parent()->Key : QString();
}

void FavoritesTree::DragDrop(int x, int y)
{
    if (gs.cDragMarker != QLatin1String("A"))
        return;
    // A drop on a shortcut saves beside it, in its folder.
    if (TreeNode* node = m_tree->HitTest(x, y)) {
        cFavoriteTarget = folderKeyOf(node);
        const int folder = FindFavoriteNodeIndex(cFavoriteTarget);
        nCurrentFolderIndex = cFavoriteTarget.isEmpty() || folder < 0 ? 0 : folder;
    }
    SavePageToFavorites();
    gs.cDragMarker.clear();
}

} // namespace lists
