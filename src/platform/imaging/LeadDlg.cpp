#include "platform/imaging/LeadDlg.h"

#include "platform/controls/Dialogs.h"
#include "platform/pictures/ImagingCodes.h"

namespace platform {
namespace {
FileRequest requestFrom(const LeadDlg& d)
{
    FileRequest r;
    r.title = d.DialogTitle;
    r.folder = d.InitialDir;
    r.fileName = d.FileName;
    r.filter = d.Filter;
    r.filterIndex = d.FilterIndex;
    r.saveFormat = d.SaveFormat;
    r.saveBitsPerPixel = d.SaveBitsPerPixel;
    r.saveQFactor = d.SaveQFactor;
    return r;
}
} // namespace

int LeadDlg::ShowOpenDlg(QWidget*)
{
    const FileAnswer a = dialogs().imageOpen(requestFrom(*this));
    if (!a.accepted || a.fileName.isEmpty()) {
        FileName.clear();
        return err::DialogCancelled;
    }
    FileName = a.fileName;
    FilterIndex = a.filterIndex;
    PageNumber = a.pageNumber < 1 ? 1 : a.pageNumber;
    return 0;
}

int LeadDlg::ShowSaveDlg(QWidget*)
{
    const FileAnswer a = dialogs().imageSave(requestFrom(*this));
    if (!a.accepted || a.fileName.isEmpty()) {
        FileName.clear();
        return err::DialogCancelled;
    }
    FileName = a.fileName;
    FilterIndex = a.filterIndex;
    SaveFormat = a.saveFormat;
    SaveBitsPerPixel = a.saveBitsPerPixel;
    SaveQFactor = a.saveQFactor;
    SaveMultiPage = a.saveMultiPage;
    return 0;
}

int LeadDlg::ShowChangeDlg(QWidget*)
{
    ChangeRequest r;
    r.kind = Flags == kChangeContrast ? 1 : 0;
    r.title = r.kind == 1 ? QStringLiteral("Picture Contrast") : QStringLiteral("Picture Brightness");
    r.preview = Bitmap;
    r.value = ChangeValue;
    r.boldFont = DialogFontBold;
    const std::optional<int> v = dialogs().imageChange(r);
    if (!v)
        return err::DialogCancelled;
    ChangeValue = *v;
    return 0;
}

int LeadDlg::ShowColorResDlg(QWidget*)
{
    ColorResRequest r;
    r.title = QStringLiteral("Color Resolution");
    r.preview = Bitmap;
    r.bits = BitsPerPixel;
    r.palette = PaletteFlags;
    r.dither = DitherFlags;
    r.boldFont = DialogFontBold;
    const std::optional<ColorResAnswer> a = dialogs().imageColorRes(r);
    if (!a)
        return err::DialogCancelled;
    BitsPerPixel = a->bits;
    PaletteFlags = a->palette;
    DitherFlags = a->dither;
    return 0;
}

} // namespace platform
