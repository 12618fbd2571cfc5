#include "shared/FileTypes.h"

#include "shared/Tables.h"

QString GetFileExt(const QString& path)
{
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    if (dot < 0)
        return {};
    const QString ext = path.mid(dot + 1);
    if (ext.size() > 8)
        return {};
    return ext.toUpper();
}

bool IsMediaFile(const QString& path)
{
    const int i = tables::extensionIndex(GetFileExt(path));
    return (i >= tables::kFirstAudio && i <= tables::kLastVideo) || i == tables::kVideoCd || i == tables::kAudioCd;
}

bool IsVideoFile(const QString& path)
{
    return tables::extensionInRange(GetFileExt(path), tables::kFirstVideo, tables::kLastVideo);
}
