// Favourite list files (".FLST"): read as the editor reads a list, written
// back as it saves one, and listed with the folder's other lists.
#include "FuzzSupport.h"
#include "lists/FavoriteLists.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch("Holidays.FLST", data, size);
    const QString folder = QFileInfo(path).absolutePath();
    const std::optional<QStringList> entries = lists::LoadFavoriteList(folder + QStringLiteral("/holidays"));
    if (entries) {
        lists::SaveFavoriteList(folder + QStringLiteral("/Copy"), *entries);
        for (const QString& entry : *entries)
            (void)lists::IsSupportedFile(entry);
    }
    (void)lists::LoadFavoriteListNames(folder);
    return 0;
}
