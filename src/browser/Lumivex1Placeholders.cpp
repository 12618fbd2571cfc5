// Stand-ins for members of the thumbnail view and the picture view that the
// browser panel calls; those views replace them with the real ones.
#include "shared/SharedState.h"
#include "shell/Lumivex1.h"

void Lumivex1::GenerateThumbnails(bool& made) { made = false; }

void Lumivex1::LeaveThumbnailView() { gs.fThumbView = false; }

void Lumivex1::LoadImage(const QString& path) { gs.cCurrentPicture = path; }
