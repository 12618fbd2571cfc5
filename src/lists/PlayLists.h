#pragma once
// The video and music play lists (twin trees of named lists and their media
// files) and the document list, with their list files. Each is an area of the
// main window: it owns its tree widget and its state; the window places the
// tree, wires the tree's events to its handlers and forwards them here.
#include "platform/controls/KeyedTree.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

namespace lists {

inline const QString kDetailSeparator = QStringLiteral("|#|");

// Shows a file in the viewer its extension calls for.
using DisplayFileFn = std::function<void(const QString& path)>;

// One play-list tree: the video tree or its music twin.
class PlayListTree : public QObject {
    Q_OBJECT
public:
    // Makes the tree ("TreeView1" for video, "TreeView2" for music) with its
    // pictures, tool tip and file drops. A tree that still has no parent when
    // the area goes is deleted with it; a placed tree belongs to its window.
    PlayListTree(bool music, DisplayFileFn displayFile = {});
    ~PlayListTree() override;

    platform::KeyedTree* tree() const { return m_tree; }
    bool isMusic() const { return m_music; }
    QString defaultListName() const;

    // The name of the list that dropped files join (stored with each file),
    // and whether the tree differs from its files.
    QString cCurrentList;
    bool fChanged = false;
    // The list node dropped files go under: the node itself, so deleting a
    // list above it changes nothing; when it is deleted the first list takes
    // its place. Before any list was made current it is the first node.
    platform::TreeNode* currentListNode() const;
    int nCurrentListNode() const;

    bool LoadLists(const QString& path);
    bool LoadListDetails(const QString& path);
    bool SaveLists(const QString& path);
    bool SaveListDetails(const QString& path);
    void AddListFile(const QString& path);
    int FindList(const QString& name) const;
    bool SelectListAt(int x, int y);

    // The start-up steps: the stored lists and their files, or the default
    // list (named in cNewPlayListName) when the names file cannot be read.
    void LoadAtStartUp(const QString& namesPath, const QString& detailsPath, QString& cNewPlayListName);
    // Adds the default list (start-up without a names file).
    void AddDefaultList(QString& cNewPlayListName);
    // Adds a new list node named by the user and makes it current; false
    // (and nothing changes) when the name is already a key of the tree.
    bool AddList(const QString& name);

    // Writes both files when the tree changed; the flag is cleared only
    // when both were written.
    bool SaveIfChanged(const QString& namesPath, const QString& detailsPath);

    // ---- tree events
    void NodeClick(platform::TreeNode* node);
    void Collapse(platform::TreeNode* node);
    void Expand(platform::TreeNode* node);
    void DblClick();
    void BeforeDelete(platform::TreeNode* node, bool* cancel);
    void AfterDelete();
    void OLEDragDrop(const QStringList& files, int x, int y);

    // The music tab's delete button: asks once with its own question, then
    // deletes the selected node without the tree's question and marks the
    // lists changed. False when nothing was deleted.
    bool DeleteSelectedNode();

    // The question the tree asks before a node is deleted.
    static QString deleteQuestion(const platform::TreeNode* node);
    // The question of the music tab's delete button.
    static QString deleteButtonQuestion(const platform::TreeNode* node);

private:
    platform::TreeNode* findListNode(const QString& name) const;
    void setCurrentListNode(const platform::TreeNode* node);

    QPointer<platform::KeyedTree> m_tree;
    bool m_music;
    DisplayFileFn m_displayFile;
    // Key of the current list node; none: the first node.
    std::optional<QString> m_currentKey;
    bool m_askedAlready = false;
};

// The flat list of documents and text files ("TreeView3").
class DocumentList : public QObject {
    Q_OBJECT
public:
    explicit DocumentList(DisplayFileFn displayFile = {});
    ~DocumentList() override;
    platform::KeyedTree* tree() const { return m_tree; }

    bool fDocumentListChanged = false;

    void AddDocumentToList(const QString& path);
    bool LoadTextList(const QString& path);
    bool SaveTextList(const QString& path);
    bool SaveIfChanged(const QString& path);

    // ---- tree events
    void OLEDragDrop(const QStringList& files);
    void DblClick();
    void BeforeDelete(platform::TreeNode* node, bool* cancel);
    void AfterDelete() { fDocumentListChanged = true; }

    static QString deleteQuestion(const platform::TreeNode* node);

private:
    QPointer<platform::KeyedTree> m_tree;
    DisplayFileFn m_displayFile;
};

// The file name shown for a path: the part after the last separator when it
// stands past the first character, else the whole path.
QString displayNameOf(const QString& path);

} // namespace lists
