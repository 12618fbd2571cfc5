#include "lists/PlayLists.h"

#include "lists/ListEntry.h"

#include "platform/controls/StyleIcons.h"
#include "platform/text/TextFile.h"
#include "shared/FileTypes.h"
#include "shared/MessageBox.h"
#include "shared/Tables.h"

#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QStyle>

namespace lists {

using platform::KeyedTree;
using platform::TreeNode;

namespace {

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback)
{
    return platform::themeIcon(QString::fromLatin1(name), fallback);
}

// Closed list, open list, a file of the tree's kind, a file of the other kind.
QList<QIcon> playListImages(bool music)
{
    const QIcon video = themeIcon("video-x-generic", QStyle::SP_FileIcon);
    const QIcon audio = themeIcon("audio-x-generic", QStyle::SP_MediaVolume);
    return {platform::styleIcon(QStyle::SP_DirClosedIcon),
            platform::styleIcon(QStyle::SP_DirOpenIcon), music ? audio : video,
            music ? video : audio};
}

KeyedTree* makeTree(const char* name, const QString& tip, const QList<QIcon>& images)
{
    auto* tree = new KeyedTree;
    tree->setObjectName(QString::fromLatin1(name));
    tree->setToolTip(tip);
    tree->setImages(images);
    tree->setAcceptFileDrops(true);
    return tree;
}

bool askYes(const QString& question)
{
    return MsgBox(question, platform::Buttons::YesNo) == platform::Answer::Yes;
}

} // namespace

QString displayNameOf(const QString& path)
{
    const int p = int(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))));
    if (p > 0)
        return path.mid(p + 1);
    return path;
}

// ---------------------------------------------------------------- play lists

PlayListTree::PlayListTree(bool music, DisplayFileFn displayFile)
    : m_tree(makeTree(music ? "TreeView2" : "TreeView1",
                      music ? QStringLiteral("Drag Music File to Play List")
                            : QStringLiteral("Drag Video File to Play List"),
                      playListImages(music))),
      m_music(music), m_displayFile(std::move(displayFile))
{
}

PlayListTree::~PlayListTree()
{
    if (m_tree && !m_tree->parent())
        delete m_tree.data();
}

QString PlayListTree::defaultListName() const
{
    return m_music ? QStringLiteral("My Music PlayList") : QStringLiteral("My Video PlayList");
}

TreeNode* PlayListTree::currentListNode() const
{
    if (!m_currentKey)
        return m_tree->Item(1);
    return m_tree->nodeByKey(*m_currentKey);
}

int PlayListTree::nCurrentListNode() const
{
    const TreeNode* n = currentListNode();
    return n ? n->Index() : 1;
}

void PlayListTree::setCurrentListNode(const TreeNode* node)
{
    if (node)
        m_currentKey = node->Key;
    else
        m_currentKey.reset();
}

bool PlayListTree::LoadLists(const QString& path)
{
    QStringList lines;
    if (platform::readLines(path, &lines) != platform::ReadStatus::Ok)
        return false;
    m_tree->Clear();
    m_currentKey.reset();
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
    QHash<QString, TreeNode*> listIndex;
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i)
        if (TreeNode* n = m_tree->topLevelNode(i))
            listIndex.insert(n->TagText.trimmed().toUpper(), n);
    bool first = true;
    for (const QString& line : lines) {
        const int p = int(line.indexOf(kDetailSeparator));
        if (p < 0)
            continue; // not an entry: passed over so that the entries after it survive
        const QStringView list = QStringView(line).left(p);
        if (first || list != cCurrentList) {
            cCurrentList = list.toString();
            setCurrentListNode(listIndex.value(cCurrentList.trimmed().toUpper(), m_tree->Item(1)));
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
    return platform::writeLines(path, lines);
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
    const TreeNode* list = currentListNode();
    if (!list)
        return;
    const QString name = displayNameOf(path);
    TreeNode* n = m_tree->Add(list->Index(), KeyedTree::Child, cCurrentList + name, name, 3);
    if (!n)
        return;
    if (!n->Text.trimmed().isEmpty()) {
        n->TagText = path;
        n->TagValue = cCurrentList;
        fChanged = true;
    }
}

TreeNode* PlayListTree::findListNode(const QString& name) const
{
    const QString want = name.trimmed().toUpper();
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        TreeNode* n = m_tree->topLevelNode(i);
        if (n && n->TagText.trimmed().toUpper() == want)
            return n;
    }
    return m_tree->Item(1);
}

int PlayListTree::FindList(const QString& name) const
{
    const TreeNode* n = findListNode(name);
    return n ? n->Index() : 1;
}

bool PlayListTree::SelectListAt(int x, int y)
{
    const TreeNode* n = m_tree->HitTest(x, y);
    if (!n || n->Key.trimmed().isEmpty())
        return false;
    // A drop on a file joins the file's own list.
    if (n->Level() == 2 && n->Parent())
        n = n->Parent();
    cCurrentList = n->TagText;
    setCurrentListNode(n);
    return true;
}

void PlayListTree::LoadAtStartUp(const QString& namesPath, const QString& detailsPath, QString& cNewPlayListName)
{
    if (!LoadLists(namesPath))
        AddDefaultList(cNewPlayListName);
    else
        LoadListDetails(detailsPath);
}

void PlayListTree::AddDefaultList(QString& cNewPlayListName)
{
    cNewPlayListName = defaultListName();
    if (TreeNode* n = m_tree->Add(0, 0, cNewPlayListName, cNewPlayListName, 1)) {
        if (!n->Text.trimmed().isEmpty())
            n->TagText = cNewPlayListName;
        setCurrentListNode(n);
    }
    cCurrentList = cNewPlayListName;
    fChanged = true;
}

bool PlayListTree::AddList(const QString& name)
{
    TreeNode* n = m_tree->Add(0, 0, name, name, 1);
    if (!n)
        return false;
    if (!n->Text.trimmed().isEmpty())
        n->TagText = name;
    cCurrentList = name;
    setCurrentListNode(n);
    fChanged = true;
    return true;
}

void PlayListTree::NodeClick(TreeNode* node)
{
    if (!node)
        return;
    if (node->Level() == 1) {
        cCurrentList = node->TagText;
        setCurrentListNode(node);
        if (node->Image == 1) {
            node->Image = 2;
            m_tree->refresh(node);
        }
    } else if (m_music && node->Parent()) {
        cCurrentList = node->Parent()->TagText;
        setCurrentListNode(node->Parent());
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

void PlayListTree::DblClick()
{
    const TreeNode* n = m_tree->SelectedNode();
    if (n && n->Level() == 2 && m_displayFile)
        m_displayFile(n->TagText);
}

void PlayListTree::BeforeDelete(TreeNode* node, bool* cancel)
{
    if (m_askedAlready)
        return;
    *cancel = !askYes(deleteQuestion(node));
}

void PlayListTree::AfterDelete()
{
    fChanged = true;
    if (m_currentKey && !m_tree->nodeByKey(*m_currentKey)) {
        // The current list went: the first list takes its place.
        const TreeNode* first = m_tree->Item(1);
        setCurrentListNode(first);
        cCurrentList = first ? first->TagText : QString();
    }
}

void PlayListTree::OLEDragDrop(const QStringList& files, int x, int y)
{
    SelectListAt(x, y);
    for (const QString& f : acceptListEntries(files))
        AddListFile(f);
}

bool PlayListTree::DeleteSelectedNode()
{
    if (m_tree->Count() < 1)
        return false;
    const TreeNode* node = m_tree->SelectedNode();
    if (!node || !askYes(deleteButtonQuestion(node)))
        return false;
    m_askedAlready = true;
    const bool removed = m_tree->Remove(node->Index());
    m_askedAlready = false;
    if (removed)
        AfterDelete(); // so the deletion is written with the lists
    return removed;
}

QString PlayListTree::deleteQuestion(const TreeNode* node)
{
    return QStringLiteral("Do You want to Delete - ") + node->TagText + QStringLiteral(" from the Play List?");
}

QString PlayListTree::deleteButtonQuestion(const TreeNode* node)
{
    return QStringLiteral("Do You want to Delete - ") + node->TagText + QStringLiteral(" from the Play List ?");
}

// ---------------------------------------------------------------- documents

DocumentList::DocumentList(DisplayFileFn displayFile)
    : m_tree(makeTree("TreeView3", QStringLiteral("Drag Documents and Text Files to thia Favorite List"),
                      {themeIcon("text-x-generic", QStyle::SP_FileIcon),
                       themeIcon("x-office-document", QStyle::SP_FileDialogDetailedView)})),
      m_displayFile(std::move(displayFile))
{
}

DocumentList::~DocumentList()
{
    if (m_tree && !m_tree->parent())
        delete m_tree.data();
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
    const QStringList accepted = acceptListEntries(files);
    if (accepted.isEmpty() && !files.isEmpty())
        return;
    for (const QString& f : accepted)
        AddDocumentToList(f);
    fDocumentListChanged = true;
}

void DocumentList::DblClick()
{
    const TreeNode* n = m_tree->SelectedNode();
    if (n && m_displayFile)
        m_displayFile(n->TagText);
}

void DocumentList::BeforeDelete(TreeNode* node, bool* cancel) { *cancel = !askYes(deleteQuestion(node)); }

QString DocumentList::deleteQuestion(const TreeNode* node)
{
    return QStringLiteral("Do You want to Delete - ") + node->TagText + QStringLiteral(" ?");
}

} // namespace lists
