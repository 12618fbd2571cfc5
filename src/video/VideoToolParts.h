#pragma once
// What the video tool windows share: picture buttons, the file picker and
// the message box that names no title of its own.
#include <QString>

class QToolButton;
class QWidget;

namespace videotools {

// A small button showing a picture, with a tool tip.
QToolButton* pictureButton(QWidget* parent, const char* name, int standardPixmap, const QString& tip);

// The open-file dialog; the chosen name, or an empty text when the user chose
// nothing (or only blanks).
QString pickFile(const QString& title, const QString& filter);

// A box with an OK button and the default title.
void message(const QString& text);

// The video file filter of the pickers.
extern const QString kVideoFilter;

} // namespace videotools
