#include "platform/shell/FolderScan.h"

#include "platform/core/ErrorNumbers.h"
#include "platform/shell/FileMask.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <QHash>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>
#else
#include <QDirIterator>
#endif

namespace platform {

namespace {

int folderErrorNumber(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG: return ErrPathNotFound;
    default: return errorNumberFromErrno(err);
    }
}

const QSet<QByteArray>& pseudoTypes()
{
    static const QSet<QByteArray> types = {
        "proc",      "sysfs",    "devtmpfs",  "devpts",  "cgroup",   "cgroup2",     "securityfs",
        "debugfs",   "tracefs",  "pstore",    "bpf",     "configfs", "fusectl",     "mqueue",
        "hugetlbfs", "autofs",   "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",   "selinuxfs",
        "ramfs",     "fuse.gvfsd-fuse", "fuse.portal"};
    return types;
}

struct MountLine {
    QString path;
    QByteArray device, type;
};

// The mount table; octal escapes in paths decoded.
std::vector<MountLine> readMounts()
{
    std::vector<MountLine> out;
    QFile f(QStringLiteral("/proc/self/mounts"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() < 3)
            continue;
        QByteArray p;
        const QByteArray& raw = parts.at(1);
        for (int i = 0; i < raw.size(); ++i) {
            if (raw.at(i) == '\\' && i + 3 < raw.size()) {
                p.append(char(raw.mid(i + 1, 3).toInt(nullptr, 8)));
                i += 3;
            } else {
                p.append(raw.at(i));
            }
        }
        out.push_back({QFile::decodeName(p), parts.at(0), parts.at(2)});
    }
    return out;
}

#ifdef Q_OS_UNIX
// The entry of one name of the open folder: its type as the folder read gave
// it, or looked up where the file system does not give it. False for "." and "..".
bool makeEntry(int fd, const char* n, unsigned char type, FolderEntry* e)
{
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
        return false;
    e->name = QFile::decodeName(n);
    struct stat st;
    if (type == DT_UNKNOWN && ::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) == 0)
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    if (type == DT_DIR) {
        e->isFolder = true;
    } else if (type == DT_REG) {
        e->isFile = true;
    } else if (type == DT_LNK) {
        e->isLink = true;
        const bool target = ::fstatat(fd, n, &st, 0) == 0;
        e->isFolder = target && S_ISDIR(st.st_mode);
        e->isFile = target && S_ISREG(st.st_mode);
    }
    return true;
}

// Calls take(name, type) for every name of the open folder and closes it;
// the errno of a failed read, or 0.
template <class Take> int forEachName(int fd, Take take)
{
    int err = 0;
#ifdef SYS_getdents64
    // The entries straight from the kernel, without the C library's buffer.
    struct Dirent64 {
        quint64 d_ino;
        qint64 d_off;
        unsigned short d_reclen;
        unsigned char d_type;
        char d_name[1];
    };
    alignas(8) char buf[16384];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buf, sizeof buf);
        if (got <= 0) {
            err = got < 0 ? errno : 0;
            break;
        }
        for (long off = 0; off < got;) {
            const auto* d = reinterpret_cast<const Dirent64*>(buf + off);
            take(d->d_name, d->d_type);
            off += d->d_reclen;
        }
    }
    ::close(fd);
#else
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        err = errno;
        ::close(fd);
        return err;
    }
    errno = 0;
    while (dirent* d = ::readdir(dir)) {
        take(d->d_name, d->d_type);
        errno = 0;
    }
    err = errno;
    ::closedir(dir);
#endif
    return err;
}
#endif

} // namespace

int readFolder(const QString& path, std::vector<FolderEntry>& entries)
{
    entries.clear();
    if (path.isEmpty())
        return ErrPathNotFound;
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return folderErrorNumber(errno);
    const int err = forEachName(fd, [&](const char* n, unsigned char type) {
        FolderEntry e;
        if (makeEntry(fd, n, type, &e))
            entries.push_back(std::move(e));
    });
    if (err != 0) {
        entries.clear();
        return folderErrorNumber(err);
    }
    return 0;
#else
    const QFileInfo fi(path);
    if (!fi.isDir())
        return ErrPathNotFound;
    if (!fi.isReadable())
        return ErrPermissionDenied;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QFileInfo e = it.fileInfo();
        entries.push_back({e.fileName(), e.isDir(), e.isSymLink(), e.isFile()});
    }
    return 0;
#endif
}

bool certainlyNoSubfolders(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_nlink != 2)
        return false;
    // Only file systems whose folder link count is 2 + the sub-folders.
    static QHash<quint64, bool> trusted;
    const quint64 dev = quint64(st.st_dev);
    auto it = trusted.constFind(dev);
    if (it == trusted.constEnd()) {
        struct statfs fs;
        bool ok = false;
        if (::statfs(QFile::encodeName(path).constData(), &fs) == 0) {
            switch (quint64(fs.f_type)) {
            case 0xEF53:     // ext2, ext3, ext4
            case 0x58465342: // xfs
            case 0x01021994: // tmpfs
            case 0xF2F52010: // f2fs
            case 0x3153464A: // jfs
                ok = true;
                break;
            default: break;
            }
        }
        it = trusted.insert(dev, ok);
    }
    return it.value();
#else
    Q_UNUSED(path);
    return false;
#endif
}

bool nameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

void sortNames(std::vector<QString>& names) { std::sort(names.begin(), names.end(), nameLess); }

std::vector<QString> listFiles(const QString& folder, const QString& maskList, bool hidden)
{
    std::vector<FolderEntry> entries;
    std::vector<QString> names;
    if (readFolder(folder, entries) != 0)
        return names;
    const FileMask mask(maskList);
    for (const FolderEntry& e : entries)
        if (!e.isFolder && (hidden || !e.isHidden()) && mask.matches(e.name))
            names.push_back(e.name);
    sortNames(names);
    return names;
}

std::vector<QString> listFolders(const QString& folder, bool hidden)
{
    std::vector<FolderEntry> entries;
    std::vector<QString> names;
    if (readFolder(folder, entries) != 0)
        return names;
    for (const FolderEntry& e : entries)
        if (e.isFolder && !e.isLink && (hidden || !e.isHidden()))
            names.push_back(e.name);
    sortNames(names);
    return names;
}

bool isPseudoFileSystemMount(const QString& path)
{
    static const QSet<QString> pseudo = [] {
        QSet<QString> s;
        for (const MountLine& m : readMounts())
            if (pseudoTypes().contains(m.type))
                s.insert(m.path);
        return s;
    }();
    return pseudo.contains(path);
}

std::vector<Volume> mountedVolumes()
{
    std::vector<Volume> out;
    out.push_back({QStringLiteral("/"), QStringLiteral("/")});
    QSet<QString> seen{QStringLiteral("/")};
    std::vector<Volume> rest;
    for (const MountLine& m : readMounts()) {
        if (seen.contains(m.path) || pseudoTypes().contains(m.type))
            continue;
        const bool device = m.device.startsWith("/dev/") || m.type == "nfs" || m.type == "nfs4"
            || m.type == "cifs" || m.type == "smb3" || m.type.startsWith("fuse.");
        if (!device || m.path.startsWith(QLatin1String("/boot")) || m.path.startsWith(QLatin1String("/snap/")))
            continue;
        if (!QFileInfo(m.path).isDir())
            continue; // a file bind-mounted over another
        seen.insert(m.path);
        const QStorageInfo info(m.path);
        QString name = info.isValid() ? info.displayName() : QString();
        if (name.isEmpty() || name == m.path)
            name = m.path.section(QLatin1Char('/'), -1);
        rest.push_back({m.path, name.isEmpty() ? m.path : name});
    }
    std::sort(rest.begin(), rest.end(), [](const Volume& a, const Volume& b) { return a.path < b.path; });
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

} // namespace platform
