#pragma once
// The user's favourite web pages: Internet shortcut files (".URL") in the
// Favorites folder, and the walk over that folder's subfolders. Plain
// functions over the file system; the favourites tree shows what they give.
#include <QString>
#include <QStringList>
#include <vector>

namespace lists {

// The Favorites folder: "Lumivex/Favorites" in the user's data folder, made
// when it is missing.
QString favoritesFolder();

// ---- shortcut files
// The four lines of a shortcut to the address.
QStringList internetShortcutLines(const QString& address);
// Writes a shortcut file whole (the old file stays intact when that fails).
// An address that holds a line end is refused.
bool writeInternetShortcut(const QString& path, const QString& address, QString* error = nullptr);
// The address a shortcut holds: its second line, less a leading "URL=" or
// "BASEURL=". Empty when the file cannot be read or names no address.
QString readInternetShortcut(const QString& path);

// The shortcut's name a page title gives: every ":" becomes "-".
QString cleanShortcutTitle(const QString& title);
// The file name a page is saved under: the cleaned title with its extension
// (one to five characters after the last dot) replaced by ".URL", or ".URL"
// added; a name already ending in ".URL" stays. Long names are shortened
// before the ending. Empty when the title cannot name a file: blank, holding
// a separator or NUL, "." or "..", or nothing left before the ending.
QString shortcutFileName(const QString& title);
// A shortcut's name in the tree: the file name less its ending.
QString shortcutName(const QString& fileName);

// ---- the folder walk
// The folders under root, as paths relative to it joined with "/": each
// folder directly under root in turn, followed by every folder below it,
// breadth first. Symbolic links to folders are not followed; at most limit
// folders are kept, the rest left out.
QStringList walkFavoriteFolders(const QString& root, int limit);
// The shortcut files of a folder, by name.
QStringList shortcutFiles(const QString& folder);

// One node of the favourites tree.
struct FavoriteNode {
    QString parentKey; // "" at the top level
    QString key;       // path relative to the Favorites folder, "/" between parts
    QString text;
    int image = 0;     // 2 a folder, 3 a shortcut
    QString path;      // the folder's or the shortcut file's full path
};
// The nodes for the walked folders and their shortcuts, then the shortcuts
// directly in root, in the order they are added to the tree.
std::vector<FavoriteNode> favoriteNodes(const QString& root, const QStringList& folders);

} // namespace lists
