#pragma once
// The favourite lists: named, ordered lists of file paths, one text file per
// list in the folder "FavoriteLists" of the program folder, named after the
// list with the extension ".FLST". A list exists exactly as long as its file.
// Each line of a list file is one entry, whole (commas, quotes and blanks
// included), ended by CR LF; an empty list is a file of no bytes.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace lists {

inline const QString kFavoriteListExtension = QStringLiteral(".FLST");

// The folder of the list files in a program folder.
QString favoriteListsFolder(const QString& programFolder);

// A list name that cannot name a file inside the folder: one holding "/",
// "\" or NUL, or "." or "..". Such a name is never used to build a path.
bool isRefusedFavoriteListName(const QString& name);

// The file a list path (folder and name, without the extension) stands for:
// the file of that name in any letter case when one exists, since a name that
// equals an existing list's name ignoring case is that list; else the name
// as given with ".FLST".
QString favoriteListFile(const QString& listPath);

// Writes the entries as the list at the list path (whole, through a
// temporary file). False when it could not be written; the old file stays.
bool SaveFavoriteList(const QString& listPath, const QStringList& entries);

// The entries of the list at the list path; nothing when its file cannot be read.
std::optional<QStringList> LoadFavoriteList(const QString& listPath);

// The names of the lists in the folder, in name order; none when the folder
// is missing or cannot be read.
QStringList LoadFavoriteListNames(const QString& folder);

// Deletes the list's file; false when there was no file or it could not go.
bool DeleteFavoriteList(const QString& listPath);

// ---- what the list editor offers to pick from

// The editor's own file filters: 36 rows of a name and a mask list.
struct FavoriteFilter {
    const char* name;
    const char* pattern;
};
constexpr int kFavoriteFilterCount = 36;
constexpr int kFavoriteFilterSlots = 41;
constexpr int kAllMultiMediaRow = 33; // chosen when the editor opens
const std::array<FavoriteFilter, kFavoriteFilterCount>& favoriteFilters();

// The masks "add all" falls back on when the filter in force is too long.
QString allMediaPattern();

// A file of any type the program shows or plays.
bool IsSupportedFile(const QString& path);

} // namespace lists
