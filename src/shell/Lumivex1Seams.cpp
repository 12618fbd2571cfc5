// Procedures of other areas that the shell's commands and tabs call. Each
// body stands in until its area's code lands; that code replaces the line here.
#include "shell/Lumivex1.h"

// Files.
void Lumivex1::OpenFileRoutine() {}
void Lumivex1::OpenFileWithApplication() {}
void Lumivex1::CloseCurrentFile() {}
void Lumivex1::DeleteCurrentFile() {}
void Lumivex1::ConvertFile(const QString&) {}
void Lumivex1::TwainAcquirePicture() {}
void Lumivex1::TwainSelectSource() {}

// Picture view.
void Lumivex1::LoadImage(const QString&) {}
void Lumivex1::ShowPreviousPicture() {}
void Lumivex1::ShowNextPicture() {}
void Lumivex1::FitImageToWindow() {}
void Lumivex1::ViewNormalSize() {}
void Lumivex1::TogglePanWindow() {}
void Lumivex1::SnapImageToWindow() {}
void Lumivex1::StretchImageToWindow() {}
void Lumivex1::ZoomImage() {}
void Lumivex1::ToggleMagnifier() {}
void Lumivex1::ResizePicture() {}
void Lumivex1::StartRedEyeRemoval() {}
void Lumivex1::ChangeBrightness() {}
void Lumivex1::ChangeContrast() {}
void Lumivex1::ResizeImage() {}
void Lumivex1::RestoreOriginalPicture() {}
void Lumivex1::CapturePicture(int, int, int, int) {}
int Lumivex1::PictureBitmapBits() { return 0; }
void Lumivex1::CopyPictureToClipboard() {}

// Lists and favourites.
void Lumivex1::AddPictureToFavorites() {}
void Lumivex1::CreateNewPlayList() {}
void Lumivex1::AddInternetFavorite() {}
