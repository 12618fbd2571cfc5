#include "shared/Tables.h"

#include "platform/shell/FileMask.h"

std::array<QString, tables::kExtensionCount> ExtensionTable;
FileFilterTableType FileFilterTable;

namespace tables {

const std::array<const char*, kExtensionCount>& extensionValues()
{
    static const std::array<const char*, kExtensionCount> v = {
        "JPG", "JPE", "JPEG", "CMP", "TIFF", "TIF", "MPT", "BMP", "ICO", "CUR",
        "PCX", "DCX", "PCD", "FPX", "AWD", "WMF", "EMF", "FAX", "XPM", "IFF",
        "PBM", "CUT", "PSD", "PNG", "TGA", "EPS", "GIF", "RAS", "WPG", "PCT",
        "CLP", "XWD", "FLC", "ANI", "SGI", "ICA", "CAL", "MAC", "IMG", "MSP",
        "WAV", "SND", "AU", "AIF", "AIFC", "AIFF", "MID", "RMI", "MP3", "M3U", "WMA",
        "AVI", "MPG", "MPEG", "MOV", "ASX", "ASF", "QT", "WMV", "VOB", "M1V", "MP2",
        "TXT", "RTF", "INI", "LOG", "BAT", "BAK", "DOS", "SYS", "DOC", "WPS", "WDB",
        "WRI", "LST", "HTM", "HTML", "SHTM", "SHTML", "URL", "MSG", "ASP", "PHP", "PDF",
        "DAT", "CDA"};
    return v;
}

const std::array<const char*, kFilterCount>& filterNames()
{
    static const std::array<const char*, kFilterCount> v = {
        "JPEG and LEAD Compressed (JPG and CMP)",
        "TIFF Formats",
        "BMP Formats",
        "Icons and Cursors",
        "PCX Formats",
        "Kodak Formats (PCD And FPX)",
        "Microsoft Fax Format (AWD)",
        "Exif Formats (TIFF And JPG)",
        "Windows MetaFile Formats (WMF and EMF)",
        "Raw Fax Format (FAX)",
        "XPicMap (XPM)",
        "Interchange Format (IFF)",
        "Portable Bitmap Utilities (PBM)",
        "Dr.Halo (CUT)",
        "Photoshop 3.0 Format (PSD)",
        "Portable Network Graphics Format (PNG)",
        "Truevision TARGA Format (TGA)",
        "Encapsulated PostScript (EPS)",
        "SUN Raster Format (RAS)",
        "WorkPerfect Format (WPG)",
        "Macintosh Pict Format (PCT)",
        "Microsoft Windows Clipboard (CLP)",
        "X Window Dump (XWD)",
        "Flic Animation (FLC)",
        "Windows Animated Cursor (ANI)",
        "Silicon Graphics Image (SGI)",
        "Wave Files (WAV)",
        "MIDI Files (MID, RMI)",
        "Audio-Video (AVI, MPG, MPEG, MOV,WMV)",
        "Music Files (MP3,WMA)",
        "Miscellaneous 1 bit (MAC,IMG,MSP,ICA,CAL) ",
        "All Picture Files",
        "CD Player Files",
        "All MultiMedia Files",
        "Text Files (TXT,RTF,INI,WRI,LST,HTM,HTML)",
        "All Files (*.*)"};
    return v;
}

const std::array<const char*, kFilterCount>& filterPatterns()
{
    static const std::array<const char*, kFilterCount> v = {
        "*.JPG;*.JPE;*.JPEG;*.CMP",
        "*.TIFF;*.TIF;*.MPT",
        "*.BMP",
        "*.ICO;*.CUR",
        "*.PCX;*.DCX",
        "*.PCD;*.FPX",
        "*.AWD",
        "*.TIFF;*.TIF;*.JPG",
        "*.WMF;*.EMF",
        "*.FAX",
        "*.XPM",
        "*.IFF",
        "*.PBM",
        "*.CUT",
        "*.PSD",
        "*.PNG",
        "*.TGA",
        "*.EPS",
        "*.RAS",
        "*.WPG",
        "*.PCT",
        "*.CLP",
        "*.XWD",
        "*.FLC",
        "*.ANI",
        "*.SGI",
        "*.WAV",
        "*.MID;*.RMI",
        "*.AVI;*.MPG;*.MPEG;*.MOV;*.MP2;*.ASF;*.ASX;*.WMV;*.VOB",
        "*.MID;*.RMI;*.MP3;*.M3U;*.WMA",
        "*.MAC;*.IMG;*.MSP;*.ICA;*.CAL",
        "*.JPG;*.JPE;*.JPEG;*.CMP;*.TIFF;*.TIF;*.MPT;*.BMP;*.ICO;*.CUR;*.PCX;*.DCX;*.PCD;*.FPX;"
        "*.DIC;*.WMF;*.EMF;*.FAX;*.AWD;*.XPM;*.IFF;*.PBM;*.CUT;*.PSD;*.PNG;*.TGA;*.EPS;*.JBG;"
        "*.RAS;*.WPG;*.PCT;*.CLP;*.XWP;*.FLC;*.ANI;*.SGI;*.MAC;*.IMG;*.MSP;*.ICA;*.CAL",
        "*.CDA;*.DAT",
        "*.JPG;*.JPE;*.JPEG;*.CMP;*.TIFF;*.TIF;*.MPT;*.BMP;*.ICO;*.CUR;*.PCX;*.DCX;*.PCD;*.FPX;"
        "*.DIC;*.WMF;*.EMF;*.FAX;*.AWD;*.XPM;*.IFF;*.PBM;*.CUT;*.PSD;*.PNG;*.TGA;*.EPS;*.JBG;"
        "*.RAS;*.WPG;*.PCT;*.CLP;*.XWP;*.FLC;*.ANI;*.SGI;*.WAV;*.MID;*.RMI;*.AVI;*.MPG;*.MPEG;"
        "*.MOV;*.MP2;*.ASF;*.ASX;*.MP3;*.M3U;*.MAC;*.IMG;*.MSP;*.ICA;*.CAL",
        "*.TXT;*.RTF;*.INI;*.LOG;*.BAT;*.BAK;*.DOS;*.SYS;*.DOC;*.WPS;*.WDB;*.WRI;*.LST;*.HTM;"
        "*.HTML;*.SHTM;*.SHTML;*.ASP;*.URL;*.MSG;*.PHP;*.PDF",
        "*.*"};
    return v;
}

void fillExtensionTable()
{
    const auto& v = extensionValues();
    for (int i = 0; i < kExtensionCount; ++i)
        ExtensionTable[i] = QString::fromLatin1(v[i]);
}

void fillFileFilterTable()
{
    const auto& n = filterNames();
    const auto& p = filterPatterns();
    for (int r = 0; r < kFilterCount; ++r) {
        FileFilterTable.names[r] = QString::fromLatin1(n[r]);
        FileFilterTable.patterns[r] = QString::fromLatin1(p[r]).leftJustified(kPatternWidth, QLatin1Char(' '));
    }
}

int extensionIndex(const QString& upperExt)
{
    if (upperExt.isEmpty())
        return -1;
    for (int i = 0; i < kExtensionCount; ++i)
        if (ExtensionTable[i] == upperExt)
            return i;
    return -1;
}

bool extensionInRange(const QString& upperExt, int first, int last)
{
    const int i = extensionIndex(upperExt);
    return i >= first && i <= last;
}

bool nameExtensionInRange(QStringView name, int first, int last)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || name.size() - dot - 1 > 8 || dot == name.size() - 1)
        return false;
    const QStringView ext = name.mid(dot + 1);
    for (int i = std::max(0, first); i <= last && i < kExtensionCount; ++i)
        if (ext.compare(ExtensionTable[i], Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString filterPattern(int row)
{
    if (row < 0 || row >= kFilterCount)
        return {};
    return FileFilterTable.patterns[row].trimmed();
}

int filterRowByName(const QString& name)
{
    for (int r = 0; r < kFilterCount; ++r)
        if (FileFilterTable.names[r] == name)
            return r;
    return -1;
}

QStringList masksOf(const QString& pattern)
{
    QStringList out;
    for (const QString& m : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = m.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

bool matchesMasks(const QString& fileName, const QStringList& masks)
{
    return platform::FileMask(masks.join(QLatin1Char(';'))).matches(fileName);
}

} // namespace tables
