#include "shared/SharedState.h"

#include <QDir>
#include <QFileInfo>

SharedState gs;

std::array<ColorScheme::C*, ColorScheme::kStoredCount> ColorScheme::stored()
{
    return {&nMainBackColor, &nMainWashEnd, &nMainForeColor, &nMenuBackColor, &nMenuForeColor,
            &nTabBackColor, &nTabForeColor, &nListBackColor, &nListForeColor, &nEntryBackColor,
            &nEntryForeColor, &nSelectBackColor, &nSelectWashEnd, &nSelectForeColor,
            &nThumbBackColor, &nThumbForeColor, &nTipBackColor, &nTipForeColor,
            &nThumbWindowBackColor, &nThumbWindowForeColor, &nPictureBackColor,
            &nPictureWashEnd, &nPictureForeColor, &nSpareColor1, &nSpareColor2, &nSpareColor3,
            &nSpareColor4, &nSpareColor5, &nSpareColor6, &nSpareColor7, &nSpareColor8,
            &nButtonBackColor, &nButtonWashEnd, &nButtonForeColor};
}

std::array<const ColorScheme::C*, ColorScheme::kStoredCount> ColorScheme::stored() const
{
    auto m = const_cast<ColorScheme*>(this)->stored();
    std::array<const C*, kStoredCount> out{};
    for (int i = 0; i < kStoredCount; ++i)
        out[i] = m[i];
    return out;
}

std::array<bool*, Options::kFlagCount> Options::flags()
{
    return {&fBoldFonts, &fSaveLastFolder, &fTipsAtStartup, &fUseComputerName,
            &fShellListFlag, &fDocumentsAsText, &fAutoPictures, &fAutoVideo,
            &fAutoMusic, &fVideoLoop, &fMusicLoop, &fShowVideoList};
}

std::array<const bool*, Options::kFlagCount> Options::flags() const
{
    auto m = const_cast<Options*>(this)->flags();
    std::array<const bool*, kFlagCount> out{};
    for (int i = 0; i < kFlagCount; ++i)
        out[i] = m[i];
    return out;
}

QString SharedState::programFile(const QString& name) const
{
    // Asset names are looked up without regard to case.
    QString path = cProgramFolder;
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString exact = QDir(path).filePath(part);
        if (QFileInfo::exists(exact)) {
            path = exact;
            continue;
        }
        const QStringList entries = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QString found;
        for (const QString& e : entries)
            if (e.compare(part, Qt::CaseInsensitive) == 0) {
                found = e;
                break;
            }
        path = QDir(path).filePath(found.isEmpty() ? part : found);
    }
    return path;
}
