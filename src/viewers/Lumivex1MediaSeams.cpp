// The media and document loaders that DisplayFile hands files to. The players
// and the document views replace this file with their own.
#include "shell/Lumivex1.h"

void Lumivex1::LoadMediaFile(const QString&) {}
void Lumivex1::LoadDocument(const QString&) {}
void Lumivex1::LoadText(const QString&) {}
void Lumivex1::AddToDocumentList(const QString&) {}
