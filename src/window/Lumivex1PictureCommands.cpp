// Commands of the picture view: red eye, brightness, contrast and new size in
// place; opening, closing and converting picture files; acquiring a picture.
#include "window/Lumivex1.h"

#include "editor/NewSize1.h"
#include "platform/controls/Dialogs.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/ImagingDialogs.h"
#include "platform/pictures/PictureCodec.h"
#include "shared/FileTypes.h"
#include "shared/ImageErrors.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTabWidget>

namespace {

void message(const QString& text, const QString& title = kProgramTitle)
{
    platform::dialogs().message(title, text, platform::Buttons::Ok, platform::Icon::None);
}

constexpr int kTabPictures = 2; // index of tab 3

// The path without the extension of its file name.
QString withoutExtension(const QString& path)
{
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot <= 0)
        return path;
    return path.left(path.size() - (name.size() - dot));
}

} // namespace

// ---------------------------------------------------------------- red eye

void Lumivex1::StartRedEyeRemoval()
{
    if (fMagnifierOn)
        MagnifyOff();
    fRedEyeArmed = true;
    ArmRegionMarking();
}

void Lumivex1::ArmRegionMarking()
{
    if (fMagnifierOn)
        MagnifyOff();
    Image1->setRgnMarkingMode(3);
    Image1->setAutoPan(false);
}

void Lumivex1::Image1_Click()
{
    if (!fRedEyeArmed)
        return;
    mnuColorFill_Click();
    Image1->setRgnMarkingMode(0);
    Image1->setRgnFrameType(0);
    Image1->FreeRgn();
    Image1->setAutoPan(true);
    fPictureChanged = true;
    fRedEyeArmed = false;
}

void Lumivex1::mnuColorFill_Click()
{
    if (PictureTooLarge())
        return;
    const std::optional<QColor> chosen = platform::dialogs().color(QStringLiteral("Fill Color"), nFillColor);
    if (!chosen) {
        // The colour dialog's cancel error: number 32755.
        message(QStringLiteral(" 32755 - Cancel was selected."));
        return;
    }
    nFillColor = *chosen;
    Image1->FillRgn(platform::toOleColor(*chosen));
    fPictureChanged = true;
}

// ---------------------------------------------------------------- brightness and contrast


void Lumivex1::ChangeBrightness()
{
    LEADDlg1.DialogFontBold = gs.fBoldFonts;
    runChangeDialog(platform::LeadDlg::kChangeBrightness, &platform::Lead::Intensity);
}

// The contrast dialog keeps the font the brightness dialog set last.
void Lumivex1::ChangeContrast() { runChangeDialog(platform::LeadDlg::kChangeContrast, &platform::Lead::Contrast); }

void Lumivex1::runChangeDialog(int flags, int (platform::Lead::*change)(int))
{
    LEADDlg1.ChangeValue = 0;
    LEADDlg1.Flags = flags;
    if (!Image1->HasBitmap()) {
        message(ImageFailureText(QStringLiteral("LEADDlg1"), platform::err::InvalidBitmap));
        return;
    }
    if (PictureTooLarge() || !PictureDecodesWhole(cShownPicture))
        return;
    LEADDlg1.Bitmap = Image1->Bitmap();
    const int r = LEADDlg1.ShowChangeDlg(this);
    LEADDlg1.Bitmap = QImage();
    if (r == platform::err::DialogCancelled)
        return;
    const int done = r != 0 ? r : (Image1->*change)(short(LEADDlg1.ChangeValue));
    if (done != 0) {
        message(ImageFailureText(r != 0 ? QStringLiteral("LEADDlg1") : QStringLiteral("Image1"), done));
        return;
    }
    fPictureChanged = true;
}

// ---------------------------------------------------------------- new size

void Lumivex1::ResizePicture()
{
    if (PictureTooLarge())
        return;
    bool fOK = false, fResample = false;
    short nValue1 = 0, nValue2 = 0;
    NewSize1 dialog(nullptr, Image1);
    if (Image1->HasRgn()) {
        // A new size for the marked region is asked, and not applied.
        dialog.InitTheForm(3);
        dialog.exec();
        dialog.GetResults(fOK, nValue1, nValue2, fResample);
        return;
    }
    dialog.InitTheForm(0);
    dialog.exec();
    dialog.GetResults(fOK, nValue1, nValue2, fResample);
    if (!fOK)
        return;
    // A size beyond what the imaging library can hold is reported; the picture stays.
    if (const int r = Image1->Size(nValue1, nValue2, fResample ? 2 : 0)) {
        message(ImageFailureText(QStringLiteral("Image1"), r));
        return;
    }
    fPictureChanged = true;
    SetNormalSizeMode();
    SizeWindowToPicture();
    ResizeImage();
}

// ---------------------------------------------------------------- open, close, convert

void Lumivex1::OpenFileRoutine()
{
    QStringList pairs;
    for (int r = 0; r < tables::kFilterCount; ++r)
        pairs << FileFilterTable.names[r] << FileFilterTable.patterns[r].trimmed();
    if (LEADDlg1.InitialDir.trimmed().isEmpty())
        LEADDlg1.InitialDir = fileListFolder();
    LEADDlg1.Filter = pairs.join(QLatin1Char('|'));
    LEADDlg1.FileDialogFlags = 4096;
    LEADDlg1.DialogTitle = QStringLiteral("Open Image, Picture, or MultiMedia Files");
    gs.nPicturePage = 1;
    LEADDlg1.Flags = 228;
    LEADDlg1.FileName.clear();
    if (LEADDlg1.ShowOpenDlg(this) != 0)
        return; // cancelled: the current file stays what it was
    gs.cCurrentFile = LEADDlg1.FileName;
    gs.cCurrentExt = ::GetFileExt(gs.cCurrentFile);
    if (LEADDlg1.FileName.trimmed().isEmpty())
        return;
    gs.nPicturePage = LEADDlg1.PageNumber;
    LEADDlg1.InitialDir = gs.cCurrentFile;
    gs.fInternetLoading = false;
    DisplayFile(gs.cCurrentFile);
}

void Lumivex1::CloseCurrentFile()
{
    if (TabStrip1->currentIndex() != kTabPictures)
        return;
    // A changed picture is offered for saving before it goes.
    OfferToSavePicture();
    Image1->ClearBitmap();
    if (List3->currentRow() >= 0)
        delete List3->takeItem(List3->currentRow());
    fPictureChanged = false;
    fTwainPicture = false;
    gs.fInternetPicture = false;
}

void Lumivex1::ConvertFile(const QString& file)
{
    LEADDlg1.InitialDir = fileListFolder();
    LEADDlg1.FileName = file;
    LEADDlg1.Filter = PictureDialogFilter;
    LEADDlg1.FilterIndex = GetFileFilterType(QStringLiteral("*.") + ::GetFileExt(file));
    LEADDlg1.FileDialogFlags = 4096;
    LEADDlg1.DialogTitle = QStringLiteral("Convert From...") + gs.cCurrentFile;
    LEADDlg1.Flags = 100;
    if (LEADDlg1.ShowOpenDlg(this) != 0)
        return;
    const QString source = LEADDlg1.FileName;
    if (!source.trimmed().isEmpty())
        gs.nPicturePage = LEADDlg1.PageNumber;

    // The target: the source's name without its extension, in the folder of
    // the last conversion when there was one.
    const QString base = withoutExtension(source);
    LEADDlg1.InitialDir = !cConvertFolder.trimmed().isEmpty() ? cConvertFolder : QFileInfo(source).absolutePath();
    LEADDlg1.FileName = QFileInfo(base).fileName();
    LEADDlg1.DialogTitle = QStringLiteral("Save File");
    LEADDlg1.Filter = PictureDialogFilter;
    LEADDlg1.FileDialogFlags = 4096;
    LEADDlg1.Flags = 20;
    const int sourceFormat = platform::formatForExtension(::GetFileExt(source));
    LEADDlg1.SaveFormat = platform::formatWritable(sourceFormat) ? sourceFormat : platform::fmt::Jpeg;
    LEADDlg1.SaveBitsPerPixel = 0;
    LEADDlg1.SaveQFactor = gs.nJpegQuality;
    if (LEADDlg1.ShowSaveDlg(this) != 0)
        return;
    QString target = LEADDlg1.FileName;
    if (target.trimmed().isEmpty())
        return;
    if (::GetFileExt(QFileInfo(target).fileName()).isEmpty()) {
        const platform::SaveFormatChoice* choice = platform::saveFormatChoice(LEADDlg1.SaveFormat);
        const QString ext = choice ? choice->extension : platform::extensionForFormat(LEADDlg1.SaveFormat);
        if (!ext.isEmpty())
            target += QLatin1Char('.') + ext;
    }
    setCursor(Qt::WaitCursor);
    Image1->setMousePointer(11);
    cConvertFolder = QFileInfo(target).absolutePath();
    const int format = LEADDlg1.SaveFormat;
    const int bits = LEADDlg1.SaveBitsPerPixel;
    const int quality = LEADDlg1.SaveQFactor;
    const bool multiPage = LEADDlg1.SaveMultiPage;
    Image3->ClearBitmap();
    int r = Image3->Load(source, 0, gs.nPicturePage, -1);
    if (r == 0) {
        Image3->setSaveMultiPage(multiPage);
        r = Image3->Save(target, format, bits, quality, 0);
    }
    unsetCursor();
    Image1->setMousePointer(0);
    RefreshFileList();
    if (r == platform::err::LzwNotSupported)
        message(QStringLiteral("GIF/TIFF - LZW Format not Supported - Pay for the Program and I'll Pay the Royalties!"));
    else if (r != 0)
        message(QStringLiteral("Error Occurred for File - ") + file + QStringLiteral(" during Conversion"));
}

// ---------------------------------------------------------------- acquisition

void Lumivex1::TwainSelectSource()
{
    const int r = Image1->TwainSelect(this);
    if (r != 0)
        message(ImageErrorMessage(r), QStringLiteral("File Information Error"));
}

void Lumivex1::TwainAcquirePicture()
{
    fTwainPicture = false;
    const int r = Image1->TwainAcquire(this);
    if (r != 0) {
        message(ImageErrorMessage(r), QStringLiteral("File Information Error"));
        return;
    }
    Image1->TwainSetup(this);
    QString name = Image1->TwainSourceName();
    if (name.trimmed().isEmpty())
        name = QStringLiteral("TWAIN ACQUIRE IMAGE");
    gs.cCurrentFile = name;
    gs.cCurrentPicture = name;
    fTwainPicture = true;
    TabStrip1->setCurrentIndex(kTabPictures);
    setWindowTitle(gs.cCurrentPicture);
    Image1->show();
    // The control takes the scan's size, within the panel.
    if (!Image1->AutoSize())
        Image1->setAutoSize(true);
    ResizeImage();
    fPictureChanged = true;
}
