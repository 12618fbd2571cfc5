#pragma once
// Reading a folder's entries quickly and synchronously: the shell tree, the
// shell list and the file search all list folders through here.
#include <QString>
#include <vector>

namespace platform {

struct FolderEntry {
    QString name;
    bool isFolder = false; // a folder, or a symbolic link to one (see isLink)
    bool isLink = false;   // a symbolic link
    bool isFile = false;   // a plain file, or a symbolic link to one
    bool isHidden() const { return name.startsWith(QLatin1Char('.')); }
};

// Reads the entries of a folder ("." and ".." left out), in no particular
// order. Returns 0, or the program's error number for the failure (76 path
// not found for a missing folder or a file, 70 permission denied, 68 device
// unavailable, 75 other access errors).
int readFolder(const QString& path, std::vector<FolderEntry>& entries);

// What a hidden file list box gives: the names of the files of a folder that
// match a ";"-separated mask list ("*.FLST", "*.JPG;*.PNG"), in name order;
// names that begin with "." only when `hidden` is set. Empty for a folder
// that cannot be read.
std::vector<QString> listFiles(const QString& folder, const QString& maskList, bool hidden = false);
// What a hidden folder list gives: the names of a folder's sub-folders in
// name order, symbolic links to folders left out.
std::vector<QString> listFolders(const QString& folder, bool hidden = false);

// True when the folder is known to hold no sub-folder at all, found from its
// link count on file systems that keep it (ext4, xfs, tmpfs ...) without
// reading the folder; false when it may hold some or cannot tell.
bool certainlyNoSubfolders(const QString& path);

// Sorts names as the browser shows them: letter case ignored, then exact.
void sortNames(std::vector<QString>& names);
bool nameLess(const QString& a, const QString& b);

// True when the path is the mount point of a pseudo file system (proc, sysfs,
// devtmpfs, cgroup ...), which the browser does not show.
bool isPseudoFileSystemMount(const QString& path);

// The mounted volumes a user browses: "/" first, then the other real file
// systems by mount path.
struct Volume {
    QString path;
    QString name;
};
std::vector<Volume> mountedVolumes();

} // namespace platform
