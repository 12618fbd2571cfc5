#include "lists/PlayLists.h"

#include "platform/TextFile.h"
#include "shared/FileTypes.h"
#include "shared/Tables.h"

#include <QHash>

namespace lists {

using platform::KeyedTree;
using platform::TreeNode;

QString displayNameOf(const QString& path)
{
    const int p = int(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))));
    if (p > 0)
        return path.mid(p + 1);
    return path;
}

PlayListTree::PlayListTree(KeyedTree* tree, bool music) : m_tree(tree), m_music(music)
{
    m_tree->setToolTip(music ? QStringLiteral("Drag Music File to Play List")
                             : QStringLiteral("Drag Video File to Play List"));
}

QString PlayListTree::defaultListName() const
{
    return m_music ? QStringLiteral("My Music PlayList") : QStringLiteral("My Video PlayList");
}

bool PlayListTree::LoadLists(const QString& path)
{
    QStringList lines;
    if (platform::readLines(path, &lines) != platform::ReadStatus::Ok)
        return false;
    m_tree->Clear();
    for (const QString& line : lines) {
        // A line the tree refuses (a name listed twice) is passed over; the
        // rest of the lists and their details still load.
        if (TreeNode* n = m_tree->Add(0, 0, line, line, 1))
            n->TagText = line;
    }
    fChanged = false;
    return true;
}

bool PlayListTree::LoadListDetails(const QString& path)
{
    QStringList lines;
    if (platform::readLines(path, &lines) != platform::ReadStatus::Ok)
        return false;
    // The lists by name, as FindList finds them (the first of equal names).
    QHash<QString, int> listIndex;
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i)
        if (const TreeNode* n = m_tree->topLevelNode(i))
            listIndex.insert(n->TagText.trimmed().toUpper(), n->Index());
    bool first = true;
    for (const QString& line : lines) {
        const int p = int(line.indexOf(kDetailSeparator));
        if (p < 0)
            continue; // not an entry: passed over so that the entries after it survive
        const QStringView list = QStringView(line).left(p);
        if (first || list != cCurrentList) {
            cCurrentList = list.toString();
            nCurrentListNode = listIndex.value(cCurrentList.trimmed().toUpper(), 1);
            first = false;
        }
        AddListFile(line.mid(p + kDetailSeparator.size()));
    }
    fChanged = false;
    return true;
}

bool PlayListTree::SaveLists(const QString& path)
{
    QStringList lines;
    for (int i = 1; i <= m_tree->Count(); ++i)
        if (const TreeNode* n = m_tree->Item(i); n->Level() == 1)
            lines << n->Text;
    if (!platform::writeLines(path, lines))
        return false;
    return true;
}

bool PlayListTree::SaveListDetails(const QString& path)
{
    QStringList lines;
    for (int i = 1; i <= m_tree->Count(); ++i)
        if (const TreeNode* n = m_tree->Item(i); n->Level() == 2)
            lines << n->TagValue + kDetailSeparator + n->TagText;
    return platform::writeLines(path, lines);
}

bool PlayListTree::SaveIfChanged(const QString& namesPath, const QString& detailsPath)
{
    if (!fChanged)
        return true;
    const bool ok = SaveLists(namesPath) && SaveListDetails(detailsPath);
    if (ok)
        fChanged = false;
    return ok;
}

void PlayListTree::AddListFile(const QString& path)
{
    if (!tables::extensionInRange(GetFileExt(path), tables::kFirstAudio, tables::kLastVideo))
        return;
    const QString name = displayNameOf(path);
    TreeNode* n = m_tree->Add(nCurrentListNode, KeyedTree::Child, cCurrentList + name, name, 3);
    if (!n)
        return;
    if (!n->Text.trimmed().isEmpty()) {
        n->TagText = path;
        n->TagValue = cCurrentList;
        fChanged = true;
    }
}

int PlayListTree::FindList(const QString& name) const
{
    const QString want = name.trimmed().toUpper();
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const TreeNode* n = m_tree->topLevelNode(i);
        if (n && n->TagText.trimmed().toUpper() == want)
            return n->Index();
    }
    return 1;
}

bool PlayListTree::SelectListAt(int x, int y)
{
    const TreeNode* n = m_tree->HitTest(x, y);
    if (!n || n->Key.trimmed().isEmpty())
        return false;
    cCurrentList = n->Key;
    nCurrentListNode = FindList(n->Key.toUpper());
    return true;
}

void PlayListTree::AddDefaultList(QString& cNewPlayListName)
{
    cNewPlayListName = defaultListName();
    if (TreeNode* n = m_tree->Add(0, 0, cNewPlayListName, cNewPlayListName, 1)) {
        if (!n->Text.trimmed().isEmpty())
            n->TagText = cNewPlayListName;
        nCurrentListNode = n->Index();
    }
    cCurrentList = cNewPlayListName;
    fChanged = true;
}

bool PlayListTree::AddList(const QString& name)
{
    TreeNode* n = m_tree->Add(0, 0, name, name, 1);
    if (!n)
        return false;
    n->TagText = name;
    cCurrentList = name;
    nCurrentListNode = n->Index();
    fChanged = true;
    return true;
}

void PlayListTree::NodeClick(TreeNode* node)
{
    if (!node)
        return;
    if (node->Level() == 1) {
        cCurrentList = node->TagText;
        nCurrentListNode = node->Index();
        if (node->Image == 1) {
            node->Image = 2;
            m_tree->refresh(node);
        }
    } else if (m_music && node->Parent()) {
        cCurrentList = node->Parent()->TagText;
        nCurrentListNode = node->Parent()->Index();
    }
}

void PlayListTree::Collapse(TreeNode* node)
{
    if (node && node->Level() == 1 && node->Image == 2) {
        node->Image = 1;
        m_tree->refresh(node);
    }
}

void PlayListTree::Expand(TreeNode* node)
{
    if (node && node->Level() == 1 && node->Image == 1) {
        node->Image = 2;
        m_tree->refresh(node);
    }
}

void PlayListTree::OLEDragDrop(const QStringList& files, int x, int y)
{
    SelectListAt(x, y);
    for (const QString& f : files)
        AddListFile(f);
}

QString PlayListTree::DoubleClickPath() const
{
    const TreeNode* n = m_tree->SelectedNode();
    if (!n || n->Level() != 2)
        return {};
    return n->TagText;
}

QString PlayListTree::deleteQuestion(const TreeNode* node)
{
    return QStringLiteral("Do You want to Delete - ") + node->TagText + QStringLiteral(" from the Play List?");
}

DocumentList::DocumentList(KeyedTree* tree) : m_tree(tree)
{
    m_tree->setToolTip(QStringLiteral("Drag Documents and Text Files to thia Favorite List"));
}

void DocumentList::AddDocumentToList(const QString& path)
{
    const QString ext = GetFileExt(path);
    if (!tables::extensionInRange(ext, tables::kFirstDocument, tables::kLastDocument))
        return;
    static const QStringList documents = {"DOC", "HTM", "HTML", "SHTM", "SHTML", "WPS", "ASP", "PHP", "PDF"};
    const int image = documents.contains(ext) ? 2 : 1;
    if (TreeNode* n = m_tree->Add(0, 0, path, path, image))
        n->TagText = path;
}

bool DocumentList::LoadTextList(const QString& path)
{
    QStringList lines;
    if (platform::readLines(path, &lines) != platform::ReadStatus::Ok)
        return false;
    m_tree->Clear();
    for (const QString& line : lines)
        AddDocumentToList(line);
    fDocumentListChanged = false;
    return true;
}

bool DocumentList::SaveTextList(const QString& path)
{
    QStringList lines;
    for (int i = 1; i <= m_tree->Count(); ++i)
        lines << m_tree->Item(i)->Text;
    return platform::writeLines(path, lines);
}

bool DocumentList::SaveIfChanged(const QString& path)
{
    if (!fDocumentListChanged)
        return true;
    if (!SaveTextList(path))
        return false;
    fDocumentListChanged = false;
    return true;
}

void DocumentList::OLEDragDrop(const QStringList& files)
{
    for (const QString& f : files)
        AddDocumentToList(f);
    fDocumentListChanged = true;
}

QString DocumentList::DoubleClickPath() const
{
    const TreeNode* n = m_tree->SelectedNode();
    return n ? n->TagText : QString();
}

QString DocumentList::deleteQuestion(const TreeNode* node)
{
    return QStringLiteral("Do You want to Delete - ") + node->TagText + QStringLiteral(" ?");
}

} // namespace lists
