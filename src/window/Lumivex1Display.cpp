// Routing a file to the viewer its extension calls for.
#include "shared/MessageBox.h"
#include "window/Lumivex1.h"

#include "platform/controls/Dialogs.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QTabWidget>
#include <QUrl>

namespace {
// The browser shows these documents; the rest of the range goes to the text box.
bool isBrowserDocument(const QString& ext)
{
    static const QStringList list = {QStringLiteral("DOC"),  QStringLiteral("HTM"),   QStringLiteral("HTML"),
                                     QStringLiteral("SHTM"), QStringLiteral("SHTML"), QStringLiteral("WPS"),
                                     QStringLiteral("ASP"),  QStringLiteral("PHP"),   QStringLiteral("PDF")};
    return list.contains(ext);
}

} // namespace

const QString Lumivex1::PictureDialogFilter = QStringLiteral(
    "JPeg and Lead Compressed|*.JPG;*.JPE;*.JPEG;*.CMP|TIFF Formats|*.TIFF;*.TIF;*.MPT|Bitmap Files|*.BMP|"
    "Icons and Cursor FIles|*.ICO;*.CUR|PCX Formats|*.PCX;*.DCX|Kodak Formats|*.PCD;*.FPX|Microsoft Fax |*.AWD|"
    "Meta Files|*.WMF;*.EMF|Raw Fax Format|*.FAX|XPicMap|*.XPM|Interchange File Format|*.IFF|"
    "Portable Bitmap Utilities|*.PBM|Dr. Halo|*.CUT|Photoshop 3.0 Format|*.PSD|"
    "Portable Network Graphics Format|*.PNG|TrueVision TARGA Format|*.TGA|Encapsulated PostScript|*.EPS|"
    "JBIG Format|*.JBG|Sun Raster Format|*.RAS|WordPerfect Format|*.WPG|Macintosh Pict Format|*.PCT|"
    "Microsoft Windows ClipBoard|*.CLP|X Window Dump|*.XWD|Flic Animation|*.FLC|Windows Animated Cursor|*.ANI|"
    "Silicon Graphics Image|*.SGI|Miscellaneous 1-Bit Formats|*.MAC;*.IMG;*.MSP;*.ICA;*.CAL");

int Lumivex1::GetFileFilterType(const QString& pattern) const
{
    const QString& filter = PictureDialogFilter;
    const int p = int(filter.indexOf(pattern.toUpper(), 0, Qt::CaseSensitive)) + 1;
    const QString head = filter.left(p);
    const int n = 1 + int(head.left(std::max<qsizetype>(0, head.size() - 1)).count(QLatin1Char('|')));
    return int(n / 2.0 + 0.5);
}

void Lumivex1::DisplayFile(const QString& WrkFileName)
{
    gs.cCurrentExt = ::GetFileExt(WrkFileName);
    if (gs.cCurrentExt.trimmed().isEmpty()) {
        gs.cCurrentFile.clear();
        return;
    }
    // The hourglass stays up until the loader is done with the file.
    setCursor(Qt::WaitCursor);
    const int index = tables::extensionIndex(gs.cCurrentExt);
    if (index >= 0) {
        setWindowTitle(kProgramTitle + QStringLiteral(" - ") + WrkFileName);
        if (IsMediaFile(WrkFileName)) {
            LoadMediaFile(WrkFileName);
        } else if (index >= tables::kFirstDocument && index <= tables::kLastDocument) {
            AddToDocumentList(WrkFileName);
            if (gs.fDocumentsAsText)
                LoadText(WrkFileName);
            else if (isBrowserDocument(gs.cCurrentExt))
                LoadDocument(WrkFileName);
            else
                LoadText(WrkFileName);
            TabStrip1->setCurrentIndex(4);
        } else {
            LoadImage(WrkFileName);
            if (!fFileToolsOn) {
                EnableFileTools();
                fFileToolsOn = true;
            }
        }
    } else {
        unsetCursor(); // the question waits for the user
        if (MsgBox(QStringLiteral("File Type is not Supported by this Software. Do you want to Open the File with "
                               "another Program?"),
                platform::Buttons::YesNo) == platform::Answer::Yes)
            OpenFileWithProgram(WrkFileName); // the file asked about, not the list's selection
        gs.cCurrentFile.clear();
    }
    unsetCursor();
}

void Lumivex1::OpenFileWithApplication()
{
    // The command opens the file list's selected item.
    OpenFileWithProgram(FileListSelectedPath().value_or(QString()));
}

void Lumivex1::OpenFileWithProgram(const QString& path)
{
    setCursor(Qt::WaitCursor);
    const QFileInfo fi(path);
    bool opened = false;
    if (!path.trimmed().isEmpty() && fi.isFile())
        opened = QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
    unsetCursor();
    if (!opened)
        MsgBox(QStringLiteral("Error Loading File Type - Check Explorer Options to set up Program for this File Type - ") +
            gs.cCurrentExt);
}
