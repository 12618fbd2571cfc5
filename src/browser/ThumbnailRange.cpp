#include "browser/ThumbnailRange.h"

#include "shared/Tables.h"

namespace browser {

std::optional<std::pair<int, int>> thumbnailRange(int filterRow)
{
    if (filterRow == tables::kAllFilesRow)
        return std::make_pair(tables::kFirstPicture, tables::kLastPicture);
    int low = -1, high = -1;
    for (const QString& element : tables::filterPattern(filterRow).split(QLatin1Char(';'))) {
        const QString e = element.trimmed();
        if (!e.startsWith(QLatin1String("*.")))
            continue;
        const int i = tables::extensionIndex(e.mid(2).toUpper());
        if (i < tables::kFirstPicture || i > tables::kLastPicture)
            continue; // audio, video, text and unknown types are passed over
        low = low < 0 ? i : std::min(low, i);
        high = std::max(high, i);
    }
    if (low < 0)
        return std::nullopt;
    return std::make_pair(low, high);
}

} // namespace browser
