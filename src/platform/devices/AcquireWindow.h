#pragma once
// What the user sees while the scanner's child works (SaneSource.h): the
// hourglass while the devices are listed, and a window with one Cancel
// button while a device scans. The window that asked keeps answering.
#include "platform/devices/SaneSource.h"

#include <QImage>
#include <QList>
#include <QString>

class QWidget;

namespace platform::sane {

// Lists the devices with the hourglass on the owner; its events go on
// meanwhile. Returns 0 or an imaging error code (cancelled when the
// program ends before the list is there).
int listDevicesWithHourglass(QWidget* owner, QList<Device>* out);

// Scans one picture from the device while the acquisition window is up,
// modal on the owner. Its Cancel button, close box and Esc give the scan up:
// the driver is asked to cancel, and its child is ended if it does not.
// Returns 0 or an imaging error code.
int acquireWithWindow(QWidget* owner, const Device& device, QImage* image, QString* source);

} // namespace platform::sane
