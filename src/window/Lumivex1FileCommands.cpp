// The commands that act on the current file as a file: save under a new
// name, delete to the trash.
#include "window/Lumivex1.h"

#include "platform/controls/Dialogs.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/shell/Trash.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QUrl>

namespace {

void message(const QString& text)
{
    platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
}

// Two names of one file: the same text, or the same file on disk (links and
// other spellings included).
bool sameFile(const QString& a, const QString& b)
{
    if (a.trimmed() == b.trimmed())
        return true;
    const QFileInfo fa(a), fb(b);
    if (!fa.exists() || !fb.exists())
        return false;
    return fa.canonicalFilePath() == fb.canonicalFilePath();
}

// The file a Save As starts from, and the name and folder its dialog
// proposes: an internet picture is named after its address in the current
// folder; the folder of the last save wins over the file's own.
struct SaveSource {
    QString file, name, folder;
    bool fromInternet = false;
};

SaveSource saveSource(const QString& path, const QString& lastSaveFolder)
{
    SaveSource s{path, {}, QDir::currentPath(), false};
    if (path.contains(QDir::separator()) || path.contains(QLatin1Char('/'))) {
        const QFileInfo given(path);
        s.name = given.fileName();
        s.folder = given.path();
    }
    if (!lastSaveFolder.trimmed().isEmpty())
        s.folder = lastSaveFolder;
    const QUrl url(path);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        s.name = url.path().section(QLatin1Char('/'), -1);
        s.folder = QDir::currentPath();
        s.file = QDir(s.folder).filePath(s.name);
        s.fromInternet = true;
    }
    return s;
}

// A file that is not a picture is copied whole, never onto itself.
bool copyNonPicture(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to) && QFileInfo::exists(from) && sameFile(to, from)) {
        message(QStringLiteral("Cannot Replace Same File if not a Picture - ") + to);
        return false;
    }
    if (platform::copyFileSafely(from, to) != 0) {
        message(QStringLiteral("Error Copying File - ") + to);
        return false;
    }
    return true;
}

// Restores the control's pointer however the command ends.
struct PointerGuard {
    platform::Lead* lead;
    explicit PointerGuard(platform::Lead* l) : lead(l) { lead->setMousePointer(11); }
    ~PointerGuard() { lead->setMousePointer(0); }
};

} // namespace

int Lumivex1::SaveFormatCodes(const QString& ext)
{
    using namespace platform::fmt;
    static const QHash<QString, int> codes = {
        {QStringLiteral("CMP"), Cmp}, {QStringLiteral("JPG"), Jpeg}, {QStringLiteral("JPE"), Jpeg},
        {QStringLiteral("JPEG"), Jpeg}, // JPEG is JPEG's too
        {QStringLiteral("TIFF"), Tif}, {QStringLiteral("TIF"), Tif},   {QStringLiteral("MPT"), Tif},
        {QStringLiteral("BMP"), Bmp},  {QStringLiteral("ICO"), Ico},   {QStringLiteral("CUR"), Cur},
        {QStringLiteral("PCX"), Pcx},  {QStringLiteral("DCX"), Dcx}, // a multi-page PCX, not a PCX under its name
        {QStringLiteral("PCD"), Pcd},  {QStringLiteral("FPX"), Fpx},   {QStringLiteral("DIC"), 90},
        {QStringLiteral("WMF"), Wmf},  {QStringLiteral("EMF"), Emf},   {QStringLiteral("DXF"), 58},
        {QStringLiteral("FAX"), Fax},  {QStringLiteral("XPM"), Xpm},   {QStringLiteral("IFF"), Iff},
        {QStringLiteral("PBM"), Pbm}, // a portable bitmap, not a PNG
        {QStringLiteral("PNG"), Png},  {QStringLiteral("CUT"), Cut},   {QStringLiteral("PSD"), Psd},
        {QStringLiteral("TGA"), Tga},  {QStringLiteral("EPS"), Eps},   {QStringLiteral("JBG"), Jbg},
        {QStringLiteral("RAS"), Ras},  {QStringLiteral("WPG"), Wpg},   {QStringLiteral("PCT"), Pct},
        {QStringLiteral("CLP"), Clp},  {QStringLiteral("XWD"), Xwd},   {QStringLiteral("FLC"), Flc},
        {QStringLiteral("ANI"), Ani},  {QStringLiteral("DRW"), 136},   {QStringLiteral("CGM"), 62},
        {QStringLiteral("PLT"), 137},  {QStringLiteral("DGN"), 124},   {QStringLiteral("SGI"), Sgi},
        {QStringLiteral("MAC"), Mac},  {QStringLiteral("IMG"), Img},   {QStringLiteral("MSP"), Msp},
        {QStringLiteral("ICA"), Ica},  {QStringLiteral("CAL"), Cal},   {QStringLiteral("AWD"), Awd},
        {QStringLiteral("FLI"), Fli},
    };
    return codes.value(ext, 0);
}

bool Lumivex1::SaveFileAs(const QString& path)
{
    const int quality = short(gs.nJpegQuality);
    gs.cCurrentExt = ::GetFileExt(path);
    if (gs.cCurrentExt.trimmed().isEmpty())
        gs.cCurrentExt = QStringLiteral("JPG");
    const SaveSource source = saveSource(path, cLastSaveFolder);
    const QString& WrkFileName = source.file;
    const bool fromInternet = source.fromInternet;

    platform::FileRequest request;
    request.title = QStringLiteral("Enter New File Name for - ") + WrkFileName;
    request.folder = source.folder;
    request.fileName = source.name;
    request.filter = QStringLiteral("*.") + gs.cCurrentExt + QLatin1Char('|') + QStringLiteral("*.") + gs.cCurrentExt;
    request.defaultSuffix = gs.cCurrentExt; // a name typed without an extension gets the file's own
    const platform::FileAnswer answer = platform::dialogs().saveFile(request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return false;
    const QString NewName = answer.fileName;

    PointerGuard pointer(Image1);
    const int index = tables::extensionIndex(gs.cCurrentExt);
    const bool picture = index < 0 || index <= tables::kLastPicture;
    const int format = SaveFormatCodes(gs.cCurrentExt);

    const auto addToList = [&] {
        if ((NewName != WrkFileName || fromInternet) && !IsInPictureList(NewName)) {
            List3->addItem(NewName);
            List3->setCurrentRow(List3->count() - 1);
        }
    };

    if (picture) {
        // The file given is written: the picture on show only when it is that file.
        const bool shown = sameFile(WrkFileName, gs.cCurrentPicture) && Image1->HasBitmap();
        if (!shown && !fromInternet && QFileInfo(WrkFileName).isFile()) {
            Image3->ClearBitmap();
            if (Image3->Load(WrkFileName, 0, gs.nPicturePage, -1) != 0)
                return false;
            // Every page of a file that holds pages goes to the new one.
            Image3->setSaveMultiPage(platform::formatMultiPage(format));
            if (Image3->Save(NewName, format, Image3->BitmapBits(), quality, 0) != 0) {
                message(QStringLiteral("Error Saving File - ") + NewName);
                return false;
            }
            addToList();
            fTwainPicture = false;
            gs.fInternetPicture = false;
            return true;
        }
        if (PictureTooLarge())
            return false;
        if (Image1->Save(NewName, format, Image1->BitmapBits(), quality, 0) != 0) {
            message(QStringLiteral("Error Saving File - ") + NewName);
            return false;
        }
        cLastSaveFolder = QFileInfo(NewName).absolutePath();
        addToList();
        fPictureChanged = false;
        gs.fInternetPicture = false;
        fTwainPicture = false;
        return true;
    }

    return copyNonPicture(WrkFileName, NewName);
}

bool Lumivex1::SendFileToRecycleBin(const QString& path) { return platform::moveToTrash(path); }

void Lumivex1::DeleteCurrentFile()
{
    const QString path = gs.cCurrentFile;
    if (path.trimmed().isEmpty())
        return;
    const QFileInfo fi(path);
    if (!fi.isAbsolute() || !fi.isFile()) {
        message(QStringLiteral("File not Found - ") + path);
        return;
    }
    if (platform::dialogs().message(kProgramTitle,
                                    QStringLiteral("Are you sure you want to send - ") + path +
                                        QStringLiteral(" - to the Trash?"),
                                    platform::Buttons::YesNo, platform::Icon::None) != platform::Answer::Yes)
        return;
    if (!SendFileToRecycleBin(path))
        message(QStringLiteral("Error Deleting File - ") + path);
    RefreshFileList();
}
