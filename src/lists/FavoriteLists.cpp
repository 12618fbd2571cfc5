#include "lists/FavoriteLists.h"

#include "platform/shell/FolderScan.h"
#include "platform/text/TextFile.h"
#include "shared/FileTypes.h"
#include "shared/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lists {

QString favoriteListsFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("FavoriteLists"));
}

bool isRefusedFavoriteListName(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/')) ||
           name.contains(QLatin1Char('\\')) || name.contains(QChar(0));
}

QString favoriteListFile(const QString& listPath)
{
    const QFileInfo info(listPath + kFavoriteListExtension);
    if (info.exists())
        return info.filePath();
    const QString wanted = info.fileName();
    for (const QString& name : platform::listFiles(info.path(), QStringLiteral("*") + kFavoriteListExtension, true))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return QDir(info.path()).filePath(name);
    return info.filePath();
}

bool SaveFavoriteList(const QString& listPath, const QStringList& entries)
{
    return platform::writeLines(favoriteListFile(listPath), entries);
}

std::optional<QStringList> LoadFavoriteList(const QString& listPath)
{
    QStringList lines;
    if (platform::readLines(favoriteListFile(listPath), &lines) != platform::ReadStatus::Ok)
        return std::nullopt;
    return lines;
}

QStringList LoadFavoriteListNames(const QString& folder)
{
    QStringList names;
    for (const QString& file : platform::listFiles(folder, QStringLiteral("*") + kFavoriteListExtension, true)) {
        const QString name = file.left(file.lastIndexOf(QLatin1Char('.')));
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

bool DeleteFavoriteList(const QString& listPath)
{
    const QString file = favoriteListFile(listPath);
    return QFileInfo(file).isFile() && QFile::remove(file);
}

const std::array<FavoriteFilter, kFavoriteFilterCount>& favoriteFilters()
{
    static const std::array<FavoriteFilter, kFavoriteFilterCount> rows = {{
        {"JPEG and LEAD Compressed (JPG, JPEG and CMP)", "*.JPG;*.JPE;*.JPEG;*.CMP"},
        {"TIFF Formats", "*.TIFF;*.TIF;*.MPT"},
        {"BMP Formats", "*.BMP"},
        {"Icons and Cursors", "*.ICO;*.CUR"},
        {"PCX Formats", "*.PCX;*.DCX"},
        {"Kodak Formats (PCD And FPX)", "*.PCD;*.FPX"},
        {"Microsoft Fax Format (AWD)", "*.AWD"},
        {"Exif Formats (TIFF And JPG)", "*.TIFF;*.TIF;*.JPG"},
        {"Windows MetaFile Formats (WMF and EMF)", "*.WMF;*.EMF"},
        {"Raw Fax Format (FAX)", "*.FAX"},
        {"XPicMap (XPM)", "*.XPM"},
        {"Interchange Format (IFF)", "*.IFF"},
        {"Portable Bitmap Utilities (PBM)", "*.PBM"},
        {"Dr.Halo (CUT)", "*.CUT"},
        {"Photoshop 3.0 Format (PSD)", "*.PSD"},
        {"Portable Network Graphics Format (PNG)", "*.PNG"},
        {"Truevision TARGA Format (TGA)", "*.TGA"},
        {"Encapsulated PostScript (EPS)", "*.EPS"},
        {"SUN Raster Format (RAS)", "*.RAS"},
        {"WorkPerfect Format (WPG)", "*.WPG"},
        {"Macintosh Pict Format (PCT)", "*.PCT"},
        {"Microsoft Windows Clipboard (CLP)", "*.CLP"},
        {"X Window Dump (XWD)", "*.XWD"},
        {"Flic Animation (FLC)", "*.FLC"},
        {"Windows Animated Cursor (ANI)", "*.ANI"},
        {"Silicon Graphics Image (SGI)", "*.SGI"},
        {"Wave Files (WAV)", "*.WAV"},
        {"MIDI Files (MID, RMI)", "*.MID;*.RMI"},
        {"Audio-Video (AVI, MPG, MPEG, MOV)", "*.AVI;*.MPG;*.MPEG;*.MOV;*.MP2;*.ASF;*.ASX"},
        {"Music Files (MP3)", "*.MID;*.RMI;*.MP3;*.M3U"},
        {"Miscellaneous 1 bit (MAC,IMG,MSP,ICA,CAL) ", "*.MAC;*.IMG;*.MSP;*.ICA;*.CAL"},
        {"All Picture Files",
         "*.JPG;*.JPE;*.CMP;*.TIFF;*.TIF;*.MPT;*.BMP;*.ICO;*.CUR;*.PCX;*.DCX;*.PCD;*.FPX;*.DIC;*.WMF;*.EMF;*.FAX;"
         "*.AWD;*.XPM;*.IFF;*.PBM;*.CUT;*.PSD;*.PNG;*.TGA;*.EPS;*.JBG;*.RAS;*.WPG;*.PCT;*.CLP;*.XWP;*.FLC;*.ANI;"
         "*.SGI;*.MAC;*.IMG;*.MSP;*.ICA;*.CAL"},
        {"CD Player Files", "*.CDA;*.DAT"},
        {"All MultiMedia Files",
         "*.JPG;*.JPE;*.JPEG;*.CMP;*.TIFF;*.TIF;*.MPT;*.BMP;*.ICO;*.CUR;*.PCX;*.DCX;*.PCD;*.FPX;*.DIC;*.WMF;*.EMF;"
         "*.FAX;*.AWD;*.XPM;*.IFF;*.PBM;*.CUT;*.PSD;*.PNG;*.TGA;*.EPS;*.JBG;*.RAS;*.WPG;*.PCT;*.CLP;*.XWP;*.FLC;"
         "*.ANI;*.SGI;*.WAV;*.MID;*.RMI;*.AVI;*.MPG;*.MPEG;*.MOV;*.MP2;*.ASF;*.ASX;*.MP3;*.M3U;*.MAC;*.IMG;*.MSP;"
         "*.ICA;*.CAL"},
        {"Text Files (TXT,RTF,INI,WRI,LST,HTM,HTML)",
         "*.TXT;*.RTF;*.INI;*.LOG;*.BAT;*.BAK;*.DOS;*.SYS;*.DOC;*.WPS;*.WDB;*.WRI;*.LST;*.HTM;*.HTML;*.SHTM;"
         "*.SHTML;*.ASP;*.URL;*.MSG;*.PDF;*.PHP"},
        {"All Files (*.*)", "*.*"},
    }};
    return rows;
}

QString allMediaPattern()
{
    return QStringLiteral("*.JPG;*.JPE;*.CMP;*.TIF;*.TIF;*.MPT;*.BMP;*.ICO;*.CUR;*.PCX;*.DCX;*.PCD;*.FPX;*.AWD;"
                          "*.WMF;*.EMF;*.FAX;*.XPM;*.IFF;*.PBM;*.CUT;*.PSD;*.PNG;*.TGA;*.EPS;*.JBG;*.RAS;*.WPG;"
                          "*.PCT;*.CLP;*.XWD;*.FLC;*.ANI;*.SGI;*.WAV;*.MID;*.RMI;*.AVI;*.MPG;*.MPEG;*.MOV;*.MP3");
}

bool IsSupportedFile(const QString& path)
{
    return tables::extensionIndex(GetFileExt(path)) >= 0;
}

} // namespace lists
