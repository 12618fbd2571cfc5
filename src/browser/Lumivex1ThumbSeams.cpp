// Hooks of the thumbnails, the new folder and the rename into the file list
// and the folder tree: the browser panel fills them in.
#include "shell/Lumivex1.h"

// Re-reads the file list's folder.
void Lumivex1::RefreshFileList() {}

// Selects and focuses the list item with this path; false when there is none.
bool Lumivex1::SelectFileListItem(const QString&) { return false; }

// Gives the keyboard focus to the folder tree.
void Lumivex1::FocusFolderTree() {}
