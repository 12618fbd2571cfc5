// Procedures of other areas that the shell's commands and tabs call. Each
// body stands in until its area's code lands; that code replaces the line here.
#include "shell/Lumivex1.h"

// Files.
void Lumivex1::OpenFileRoutine() {}
void Lumivex1::CloseCurrentFile() {}
void Lumivex1::DeleteCurrentFile() {}
void Lumivex1::ConvertFile(const QString&) {}
void Lumivex1::TwainAcquirePicture() {}
void Lumivex1::TwainSelectSource() {}

// Picture view.
void Lumivex1::ResizePicture() {}
void Lumivex1::StartRedEyeRemoval() {}
void Lumivex1::ChangeBrightness() {}
void Lumivex1::ChangeContrast() {}

// Lists and favourites.
void Lumivex1::AddPictureToFavorites() {}
void Lumivex1::CreateNewPlayList() {}
void Lumivex1::AddInternetFavorite() {}
