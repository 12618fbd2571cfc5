#pragma once
// The imaging open, save and change dialogs as Qt dialogs. The program reaches
// them through platform::dialogs() (imageOpen, imageSave, imageChange).
#include "platform/controls/Dialogs.h"

#include <QList>
#include <QString>
#include <optional>

class QFileDialog;
class QWidget;

namespace platform {

// A format the save dialog offers.
struct SaveFormatChoice {
    int format;            // format code
    QString name;          // as listed
    QString extension;     // added to a name typed without one
    QList<int> bits;       // bits per pixel offered, the first preselected
    bool usesQFactor;
    bool multiPage;
};
const QList<SaveFormatChoice>& saveFormatChoices();
const SaveFormatChoice* saveFormatChoice(int format);

// Runs a file dialog: accepted, the name it accepted as it accepted it and
// its filter (from 1). Once it is closed, its name box and list may show
// something else (a completion or a folder's listing that came late), which
// selectedFiles() would read again.
FileAnswer execFileDialog(QFileDialog& dialog);

FileAnswer runImageOpenDialog(QWidget* parent, const FileRequest& request);
FileAnswer runImageSaveDialog(QWidget* parent, const FileRequest& request);
std::optional<int> runImageChangeDialog(QWidget* parent, const ChangeRequest& request);
std::optional<ColorResAnswer> runImageColorResDialog(QWidget* parent, const ColorResRequest& request);

} // namespace platform
