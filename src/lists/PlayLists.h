#pragma once
// The video and music play lists (twin trees of named lists and their media
// files) and the document list, with their list files.
#include "platform/KeyedTree.h"

#include <QString>
#include <functional>

namespace lists {

inline const QString kDetailSeparator = QStringLiteral("|#|");

// One play-list tree: the video tree or its music twin.
class PlayListTree {
public:
    PlayListTree(platform::KeyedTree* tree, bool music);

    platform::KeyedTree* tree() const { return m_tree; }
    bool isMusic() const { return m_music; }
    QString defaultListName() const;

    // Current list that dropped files join, and whether the tree differs from its files.
    QString cCurrentList;
    int nCurrentListNode = 1;
    bool fChanged = false;

    bool LoadLists(const QString& path);
    bool LoadListDetails(const QString& path);
    bool SaveLists(const QString& path);
    bool SaveListDetails(const QString& path);
    void AddListFile(const QString& path);
    int FindList(const QString& name) const;
    bool SelectListAt(int x, int y);

    // Adds the default list (start-up without a names file).
    void AddDefaultList(QString& cNewPlayListName);
    // Adds a new list node named by the user; false when the name is taken.
    bool AddList(const QString& name);

    // Writes both files when the tree changed; the flag is cleared only
    // when both were written.
    bool SaveIfChanged(const QString& namesPath, const QString& detailsPath);

    // Tree events.
    void NodeClick(platform::TreeNode* node);
    void Collapse(platform::TreeNode* node);
    void Expand(platform::TreeNode* node);
    void OLEDragDrop(const QStringList& files, int x, int y);
    void AfterDelete() { fChanged = true; }
    // The path a double click opens, or "" when the selection is no file node.
    QString DoubleClickPath() const;
    // The question asked before a node is deleted.
    static QString deleteQuestion(const platform::TreeNode* node);

private:
    platform::KeyedTree* m_tree;
    bool m_music;
};

// The flat list of documents and text files.
class DocumentList {
public:
    explicit DocumentList(platform::KeyedTree* tree);
    platform::KeyedTree* tree() const { return m_tree; }

    bool fDocumentListChanged = false;

    void AddDocumentToList(const QString& path);
    bool LoadTextList(const QString& path);
    bool SaveTextList(const QString& path);
    bool SaveIfChanged(const QString& path);
    void OLEDragDrop(const QStringList& files);
    void AfterDelete() { fDocumentListChanged = true; }
    QString DoubleClickPath() const;
    static QString deleteQuestion(const platform::TreeNode* node);

private:
    platform::KeyedTree* m_tree;
};

// The file name shown for a path: the part after the last separator when it
// stands past the first character, else the whole path.
QString displayNameOf(const QString& path);

} // namespace lists
