#pragma once
// The imaging dialog control: properties set before a dialog, results read
// after it. Each Show returns 0, or 20150 when the user cancelled (and then
// FileName is empty). The dialogs themselves come from platform::dialogs().
#include <QImage>
#include <QString>

class QWidget;

namespace platform {

class LeadDlg {
public:
    // Dialog set-up.
    QString DialogTitle;
    QString Filter;        // "Name|*.A;*.B|Name|*.C"
    int FilterIndex = 1;   // 1-based
    QString InitialDir;    // a folder, or a file whose folder is meant
    QString FileName;
    int Flags = 0;
    int FileDialogFlags = 0;
    bool DialogFontBold = false;

    // Open results.
    int PageNumber = 1;
    // Save choices (also preset before the save dialog).
    int SaveFormat = 0;
    int SaveBitsPerPixel = 0;
    int SaveQFactor = 0;
    bool SaveMultiPage = false;

    // The change dialog: the picture it previews and the value.
    QImage Bitmap;
    int ChangeValue = 0;

    int ShowOpenDlg(QWidget* owner);
    int ShowSaveDlg(QWidget* owner);
    int ShowChangeDlg(QWidget* owner);
    // The colour-resolution dialog on Bitmap: BitsPerPixel, PaletteFlags and
    // DitherFlags hold the choices afterwards.
    int ShowColorResDlg(QWidget* owner);

    // Colour-resolution choices (also preset before the dialog).
    int BitsPerPixel = 8;
    int PaletteFlags = 0;
    int DitherFlags = 0;

    // The flags that choose the change dialog.
    static constexpr int kChangeBrightness = 0x40000002;
    static constexpr int kChangeContrast = 0x40000004;
};

} // namespace platform
