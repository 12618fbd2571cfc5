#pragma once
// The window a scan shows while the device works: modal on the window that
// asked, with one Cancel button.
#include <QImage>
#include <QString>

class QWidget;

namespace platform::sane {

// Scans one picture from the named device while the acquisition window is
// up. Its Cancel button, close box and Esc give the scan up (the scan is then
// left to end by itself). Returns 0 or an imaging error code.
int acquireWithWindow(QWidget* owner, const QString& deviceName, QImage* image, QString* source);

} // namespace platform::sane
