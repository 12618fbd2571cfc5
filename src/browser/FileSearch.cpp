#include "browser/FileSearch.h"

#include "shared/MessageBox.h"
#include "platform/controls/Dialogs.h"
#include "platform/shell/FileMask.h"
#include "platform/shell/FolderScan.h"
#include "platform/shell/ShellTree.h"
#include "shared/SharedState.h"

#include <QCoreApplication>
#include <vector>

namespace browser {

namespace {

const QString kSearchCancelled = QStringLiteral("              Search Cancelled");
const QString kEndOfSearch = QStringLiteral("            End of Search");
const QString kSearchNetwork = QStringLiteral("Do You want to Search the Network?");

// The title a message box gets when the program names none.
QString defaultTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Tessamor") : name;
}

// The 8 characters of a path after its drive ("C:"), separators as "\".
QString folderAfterDrive(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':'))
        path = path.mid(2);
    return path.left(8).toUpper();
}

bool deviceNotReady(int errorNumber) { return errorNumber == kErrDeviceUnavailable; }

} // namespace

QString trimBlanks(const QString& s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && s.at(a) == QLatin1Char(' '))
        ++a;
    while (b > a && s.at(b - 1) == QLatin1Char(' '))
        --b;
    return s.mid(a, b - a);
}

QString numberText(qint64 n) { return n >= 0 ? QStringLiteral(" ") + QString::number(n) : QString::number(n); }

bool FolderWalk::ListTreeItemFiles(int index, SearchState& state)
{
    try {
        const QString path = m_tree.Path(index);
        if (trimBlanks(path).isEmpty())
            return m_tree.FileSystemAncestor(index);
        const int err = m_lister.setPath(path);
        if (err != 0) {
            state.errorNumber = err;
            return false;
        }
        if (const std::vector<QString>* folders = m_lister.SubFolders())
            m_tree.noteSubFolders(index, *folders);
        return true;
    } catch (const SearchError& e) {
        state.errorNumber = e.number;
        return false;
    }
}

bool FolderWalk::ExpandTreeItem(int index)
{
    try {
        m_tree.Expand(index);
        return true;
    } catch (const SearchError&) {
        return false;
    }
}

// One search: the walk over the tree's items from the resume index, in
// passes of a limited length; the user may let a pass be followed by another.
class FolderWalk::Pass {
public:
    Pass(FolderWalk& walk, const SearchSettings& s, SearchState& st)
        : w(walk), s(s), st(st), limit(qint64(s.firstCount) + s.nextCount), thumbsStoppedBefore(st.thumbsStopped)
    {
        skip[1] = s.computerName;
    }

    // One pass; true when another pass follows.
    bool walk();

private:
    enum class Step { Next, Stay, Stop, Return };
    Step visit(const QString& rawName);
    bool passOver(const QString& rawName, const QString& name);
    Step visitListed(const QString& itemPath);
    Step visitUnlisted(const QString& name, bool fsAncestor, const QString& itemPath);
    Step failed(const SearchError& e, const QString& rawName);
    void endPass();

    FolderWalk& w;
    const SearchSettings& s;
    SearchState& st;
    qint64 limit;
    const bool thumbsStoppedBefore; // only a thumbnail run stopped while this search runs ends it
    bool network = false;
    std::vector<QString> skip = std::vector<QString>(101);
    int skipCount = 1;
    qint16 pump = 0;
    int i = 0;
    QString found;
    bool goOn = false;
};

void FolderWalk::run(const SearchSettings& s, SearchState& st)
{
    st.cancel = false;
    m_host.setListFilter(s.pattern);
    m_lister.setPattern(s.pattern);
    struct Walking {
        SearchTree& t;
        explicit Walking(SearchTree& tree) : t(tree) { t.setWalking(true); }
        ~Walking() { t.setWalking(false); }
    } walking(m_tree);
    Pass pass(*this, s, st);
    while (pass.walk()) {
    }
    m_host.restorePointer();
}

bool FolderWalk::Pass::walk()
{
    goOn = false;
    found.clear();
    i = st.resumeIndex;
    if (i < 0 || i >= w.m_tree.Count()) {
        // The tree shrank since the last search: start again from the top.
        st.resumeIndex = 0;
        MsgBox(kEndOfSearch);
        return false;
    }
    QString rawName;
    for (;;) {
        if (st.cancel) {
            MsgBox(kSearchCancelled);
            return false;
        }
        if (++pump > 150) {
            w.m_host.pumpEvents();
            pump = 0;
        }
        st.errorNumber = 0;
        Step step = Step::Next;
        try {
            rawName = w.m_tree.Name(i);
            step = visit(rawName);
        } catch (const SearchError& e) {
            step = failed(e, rawName);
        }
        if (step == Step::Return)
            return false;
        if (step == Step::Stop)
            break;
        if (step == Step::Next && ++i >= w.m_tree.Count())
            break;
    }
    endPass();
    return goOn;
}

FolderWalk::Pass::Step FolderWalk::Pass::visit(const QString& rawName)
{
    if (st.thumbsStopped && !thumbsStoppedBefore)
        return Step::Return;
    const QString name = trimBlanks(rawName);
    if (passOver(rawName, name))
        return Step::Next;
    const bool fsAncestor = w.m_tree.FileSystemAncestor(i);
    const QString itemPath = w.m_tree.Path(i);
    if (w.ListTreeItemFiles(i, st))
        return visitListed(itemPath);
    return visitUnlisted(name, fsAncestor, itemPath);
}

// Items the search does not look into: the network's own folders unless the
// user wants the network searched, and the names it learnt to skip.
bool FolderWalk::Pass::passOver(const QString& rawName, const QString& name)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("NETHOOD")) {
        const QString p = folderAfterDrive(w.m_tree.ParentPath(i));
        if (p == QLatin1String("\\WINDOWS") || p == QLatin1String("\\DOCUMEN"))
            return true;
    }
    if (upper.contains(QLatin1String("NETWORK"))
        && (name == QLatin1String("Network Neighborhood") || name == QLatin1String("My Network Places"))) {
        if (MsgBox(kSearchNetwork, platform::Buttons::YesNo) != platform::Answer::Yes)
            return true;
        network = true;
    }
    const QString rawUpper = rawName.toUpper();
    for (int k = 1; k <= skipCount; ++k)
        if (rawUpper == skip[size_t(k)].toUpper())
            return true;
    return false;
}

FolderWalk::Pass::Step FolderWalk::Pass::visitListed(const QString& itemPath)
{
    bool stop = false;
    if (w.m_lister.ListCount() >= 1) {
        found = itemPath;
        if (trimBlanks(found).isEmpty())
            return Step::Next;
        stop = true; // found: the item is still expanded, and the end may be reached
    }
    if (w.m_tree.HasSubFolders(i))
        w.ExpandTreeItem(i);
    const int count = w.m_tree.Count();
    if (i >= count - 1 || i > limit) {
        stop = true;
        if (i > limit && i < count - 1) {
            if (MsgBox(QStringLiteral("Do you want to continue the Search for - ") + s.pattern + QStringLiteral(" ?"),
                       platform::Buttons::YesNo)
                == platform::Answer::Yes) {
                limit += s.nextCount;
                goOn = true;
            }
        } else {
            st.resumeIndex = 0;
            MsgBox(kEndOfSearch);
        }
    }
    return stop ? Step::Stop : Step::Next;
}

FolderWalk::Pass::Step FolderWalk::Pass::visitUnlisted(const QString& name, bool fsAncestor, const QString& itemPath)
{
    const int count = w.m_tree.Count();
    if (i == count - 1 && deviceNotReady(st.errorNumber)) {
        // A drive without its medium: try again after a pause.
        w.m_host.pause(s.retryPauseMs);
        return Step::Stay;
    }
    if (st.errorNumber == kErrUnexpected || st.errorNumber == kErrDeviceUnavailable
        || st.errorNumber == kErrPathNotFound || !w.m_tree.HasSubFolders(i))
        return Step::Next; // passed over
    const bool isVirtual = st.errorNumber == 0 && !fsAncestor && w.m_lister.ListCount() == 0 && itemPath.isEmpty();
    if (isVirtual && network && skipCount < 100)
        skip[size_t(++skipCount)] = name.toUpper();
    if (!(isVirtual && !network))
        w.ExpandTreeItem(i);
    return Step::Next;
}

FolderWalk::Pass::Step FolderWalk::Pass::failed(const SearchError& e, const QString& rawName)
{
    if (e.number == kErrPathNotFound) {
        MsgBox(kEndOfSearch);
        i = 0;
        return Step::Stop;
    }
    if (e.number == kErrUnexpected) {
        int count = 0;
        try {
            count = w.m_tree.Count();
        } catch (const SearchError&) {
        }
        platform::dialogs().message(defaultTitle(),
                                    QStringLiteral("Err -214 - ") + numberText(i) + QStringLiteral(" - ")
                                        + numberText(count) + QStringLiteral(" - ") + rawName + QStringLiteral(" - ")
                                        + numberText(st.errorNumber),
                                    platform::Buttons::Ok, platform::Icon::None);
    } else if (e.number != kErrDeviceUnavailable) {
        MsgBox(QStringLiteral("Error - ") + QString::number(e.number) + QStringLiteral(" - ") + e.description);
    }
    return Step::Next;
}

// After the walk every step is tried and failures are let go.
void FolderWalk::Pass::endPass()
{
    w.m_host.showFolder(found);
    if (i < w.m_tree.Count() - 1)
        st.resumeIndex = i + 1;
    const QString path = w.m_tree.SelectedFolder();
    w.m_host.setCaption(trimBlanks(path).isEmpty() ? kProgramTitle : kProgramTitle + QStringLiteral(" - ") + path);
}

// ---------------------------------------------------------------- the real tree

namespace {
platform::ShellTreeItem* itemAt(const platform::ShellTree& tree, int index)
{
    platform::ShellTreeItem* it = tree.Items().Item(index);
    if (!it)
        throw SearchError{kErrSubscript, QStringLiteral("Subscript out of range")};
    return it;
}
} // namespace

int ShellTreeSearch::Count() const { return m_tree.Items().Count(); }
QString ShellTreeSearch::Name(int index) const { return itemAt(m_tree, index)->Name(); }
QString ShellTreeSearch::Path(int index) const { return itemAt(m_tree, index)->Path(); }

QString ShellTreeSearch::ParentPath(int index) const
{
    const platform::ShellTreeItem* p = itemAt(m_tree, index)->Parent();
    return p ? p->Path() : QString();
}

bool ShellTreeSearch::FileSystemAncestor(int index) const { return itemAt(m_tree, index)->FileSystemAncestor(); }
bool ShellTreeSearch::HasSubFolders(int index) const { return itemAt(m_tree, index)->HasSubFolders(); }

void ShellTreeSearch::Expand(int index)
{
    itemAt(m_tree, index);
    if (!m_tree.expandAt(index))
        throw SearchError{kErrPathNotFound, QStringLiteral("Path not found")};
}

QString ShellTreeSearch::SelectedFolder() const { return m_tree.SelectedFolder(); }

void ShellTreeSearch::noteSubFolders(int index, const std::vector<QString>& names)
{
    m_tree.noteScan(itemAt(m_tree, index), names);
}

void ShellTreeSearch::setWalking(bool on)
{
    m_tree.setLocked(on);
    m_tree.setWalkExpandAllowed(on);
}

// ---------------------------------------------------------------- the lister

void DiskLister::setPattern(const QString& pattern) { m_pattern = pattern; }

int DiskLister::setPath(const QString& path)
{
    std::vector<platform::FolderEntry> entries;
    const int err = platform::readFolder(path, entries);
    if (err != 0)
        return err;
    const platform::FileMask mask(trimBlanks(m_pattern).isEmpty() ? QStringLiteral("*.*") : m_pattern);
    int n = 0;
    m_folders.clear();
    for (platform::FolderEntry& e : entries) {
        if (e.isHidden())
            continue;
        if (!e.isFolder) {
            if (mask.matches(e.name))
                ++n;
        } else if (!e.isLink) {
            m_folders.push_back(std::move(e.name));
        }
    }
    m_count = n;
    return 0;
}

} // namespace browser
