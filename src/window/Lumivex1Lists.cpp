// The play lists, the document list and the favourite list commands: the
// list areas own their trees and state; the window loads and saves them and
// forwards its tree handlers to them.
#include "window/Lumivex1.h"

#include "lists/SetPlayNew1.h"
#include "shared/SharedState.h"

#include <QDir>

void Lumivex1::SaveChangedLists()
{
    const QString& pf = gs.cProgramFolder;
    m_videoLists->SaveIfChanged(QDir(pf).filePath(QStringLiteral("VideoLists.PLS")),
                                QDir(pf).filePath(QStringLiteral("VideoListDtl.PLS")));
    m_musicLists->SaveIfChanged(QDir(pf).filePath(QStringLiteral("MusicLists.PLS")),
                                QDir(pf).filePath(QStringLiteral("MusicListDtl.PLS")));
    m_documentList->SaveIfChanged(QDir(pf).filePath(QStringLiteral("TextList.PLS")));
}

bool Lumivex1::LoadVideoLists(const QString& path) { return m_videoLists->LoadLists(path); }
bool Lumivex1::LoadVideoListDetails(const QString& path) { return m_videoLists->LoadListDetails(path); }
bool Lumivex1::SaveVideoLists(const QString& path) { return m_videoLists->SaveLists(path); }
bool Lumivex1::SaveVideoListDetails(const QString& path) { return m_videoLists->SaveListDetails(path); }
bool Lumivex1::LoadMusicLists(const QString& path) { return m_musicLists->LoadLists(path); }
bool Lumivex1::LoadMusicListDetails(const QString& path) { return m_musicLists->LoadListDetails(path); }
bool Lumivex1::SaveMusicLists(const QString& path) { return m_musicLists->SaveLists(path); }
bool Lumivex1::SaveMusicListDetails(const QString& path) { return m_musicLists->SaveListDetails(path); }
bool Lumivex1::LoadTextList(const QString& path) { return m_documentList->LoadTextList(path); }
bool Lumivex1::SaveTextList(const QString& path) { return m_documentList->SaveTextList(path); }

void Lumivex1::connectListTrees()
{
    using platform::KeyedTree;
    connect(TreeView1, &KeyedTree::DblClick, this, &Lumivex1::TreeView1_DblClick);
    connect(TreeView1, &KeyedTree::NodeClick, this, &Lumivex1::TreeView1_NodeClick);
    connect(TreeView1, &KeyedTree::Collapse, this, &Lumivex1::TreeView1_Collapse);
    connect(TreeView1, &KeyedTree::Expand, this, &Lumivex1::TreeView1_Expand);
    connect(TreeView1, &KeyedTree::BeforeDelete, this, &Lumivex1::TreeView1_BeforeDelete);
    connect(TreeView1, &KeyedTree::AfterDelete, this, &Lumivex1::TreeView1_AfterDelete);
    connect(TreeView1, &KeyedTree::OLEDragDrop, this, &Lumivex1::TreeView1_OLEDragDrop);
    connect(TreeView2, &KeyedTree::DblClick, this, &Lumivex1::TreeView2_DblClick);
    connect(TreeView2, &KeyedTree::NodeClick, this, &Lumivex1::TreeView2_NodeClick);
    connect(TreeView2, &KeyedTree::Collapse, this, &Lumivex1::TreeView2_Collapse);
    connect(TreeView2, &KeyedTree::Expand, this, &Lumivex1::TreeView2_Expand);
    connect(TreeView2, &KeyedTree::BeforeDelete, this, &Lumivex1::TreeView2_BeforeDelete);
    connect(TreeView2, &KeyedTree::AfterDelete, this, &Lumivex1::TreeView2_AfterDelete);
    connect(TreeView2, &KeyedTree::OLEDragDrop, this, &Lumivex1::TreeView2_OLEDragDrop);
    connect(TreeView3, &KeyedTree::DblClick, this, &Lumivex1::TreeView3_DblClick);
    connect(TreeView3, &KeyedTree::BeforeDelete, this, &Lumivex1::TreeView3_BeforeDelete);
    connect(TreeView3, &KeyedTree::AfterDelete, this, &Lumivex1::TreeView3_AfterDelete);
    connect(TreeView3, &KeyedTree::OLEDragDrop, this, &Lumivex1::TreeView3_OLEDragDrop);
}

using platform::TreeNode;
void Lumivex1::TreeView1_DblClick() { m_videoLists->DblClick(); }
void Lumivex1::TreeView1_NodeClick(TreeNode* node) { m_videoLists->NodeClick(node); }
void Lumivex1::TreeView1_Collapse(TreeNode* node) { m_videoLists->Collapse(node); }
void Lumivex1::TreeView1_Expand(TreeNode* node) { m_videoLists->Expand(node); }
void Lumivex1::TreeView1_BeforeDelete(TreeNode* node, bool* cancel) { m_videoLists->BeforeDelete(node, cancel); }
void Lumivex1::TreeView1_AfterDelete() { m_videoLists->AfterDelete(); }
void Lumivex1::TreeView1_OLEDragDrop(const QStringList& files, int x, int y) { m_videoLists->OLEDragDrop(files, x, y); }
void Lumivex1::TreeView2_DblClick() { m_musicLists->DblClick(); }
void Lumivex1::TreeView2_NodeClick(TreeNode* node) { m_musicLists->NodeClick(node); }
void Lumivex1::TreeView2_Collapse(TreeNode* node) { m_musicLists->Collapse(node); }
void Lumivex1::TreeView2_Expand(TreeNode* node) { m_musicLists->Expand(node); }
void Lumivex1::TreeView2_BeforeDelete(TreeNode* node, bool* cancel) { m_musicLists->BeforeDelete(node, cancel); }
void Lumivex1::TreeView2_AfterDelete() { m_musicLists->AfterDelete(); }
void Lumivex1::TreeView2_OLEDragDrop(const QStringList& files, int x, int y) { m_musicLists->OLEDragDrop(files, x, y); }
void Lumivex1::TreeView3_DblClick() { m_documentList->DblClick(); }
void Lumivex1::TreeView3_BeforeDelete(TreeNode* node, bool* cancel) { m_documentList->BeforeDelete(node, cancel); }
void Lumivex1::TreeView3_AfterDelete() { m_documentList->AfterDelete(); }
void Lumivex1::TreeView3_OLEDragDrop(const QStringList& files, int, int) { m_documentList->OLEDragDrop(files); }

void Lumivex1::CreateNewPlayList()
{
    SetPlayNew1::showModal(this);
    if (gs.cNewPlayListName.trimmed().isEmpty() || gs.fPlayListCancel)
        return;
    if (TabSelected(1))
        m_videoLists->AddList(gs.cNewPlayListName);
    if (TabSelected(2))
        m_musicLists->AddList(gs.cNewPlayListName);
}

void Lumivex1::AddPictureToFavorites()
{
    gs.fAddCurrentPicture = true;
    OpenToolWindow(QStringLiteral("SetFavList1"));
}

