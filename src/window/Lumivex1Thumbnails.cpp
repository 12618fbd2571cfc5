// The ThumbNails tab: the thumbnail run shows the pictures of the folder the
// file list shows; the window's handlers forward to it.
#include "browser/ThumbnailRun.h"
#include "window/Lumivex1.h"

#include <QTabWidget>

void Lumivex1::buildThumbnailView()
{
    browser::ThumbnailRun::Window w;
    w.window = this;
    w.panel = TabPanel[4];
    w.toolbar = ToolBarComp1;
    w.folder = [this] { return fileListFolder(); };
    w.filterRow = [this] { return nFilterRow; };
    w.selectTab = [this](int index) { TabStrip1->setCurrentIndex(index); };
    w.focusFolderTree = [this] { FocusFolderTree(); };
    w.displayFile = [this](const QString& path) { DisplayFile(path); };
    m_thumbs = new browser::ThumbnailRun(std::move(w));
    Thumb1 = m_thumbs->Thumb1;
    ImagList1 = m_thumbs->ImagList1;
}

void Lumivex1::ToggleThumbnails() { m_thumbs->ToggleThumbnails(); }
void Lumivex1::GenerateThumbnails(bool& result) { m_thumbs->GenerateThumbnails(result); }
void Lumivex1::LeaveThumbnailView() { m_thumbs->LeaveThumbnailView(); }
bool Lumivex1::thumbnailRunActive() const { return m_thumbs->runActive(); }
bool Lumivex1::thumbnailWorkPending() const { return thumbnailRunActive() || m_folderPicturesQueued; }
