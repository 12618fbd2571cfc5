#include "platform/devices/AcquireWindow.h"

#include "platform/devices/SaneSource.h"
#include "platform/pictures/ImagingCodes.h"

#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform::sane {

namespace {

class AcquireDialog : public QDialog {
public:
    explicit AcquireDialog(QWidget* owner) : QDialog(owner)
    {
        setObjectName(QStringLiteral("AcquireDlg"));
        setWindowTitle(QStringLiteral("Twain Acquire Picture"));
        auto* text = new QLabel(QStringLiteral("Acquiring a picture..."), this);
        text->setObjectName(QStringLiteral("lblAcquire"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("CancelBtn"));
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addWidget(cancel, 0, Qt::AlignHCenter);
    }
};

} // namespace

int listDevicesWithHourglass(QWidget* owner, QList<Device>* out)
{
    DeviceListing listing;
    if (!listing.ended()) {
        // The pointer the owner had comes back, whatever happens meanwhile.
        const QPointer<QWidget> window(owner);
        const bool ownCursor = owner->testAttribute(Qt::WA_SetCursor);
        const QCursor before = owner->cursor();
        owner->setCursor(Qt::WaitCursor);
        QEventLoop loop;
        QObject::connect(&listing, &SaneWork::finished, &loop, &QEventLoop::quit);
        loop.exec();
        if (window && ownCursor)
            window->setCursor(before);
        else if (window)
            window->unsetCursor();
        if (!listing.ended())
            return err::TwainCancelled;
    }
    if (listing.result() != 0)
        return listing.result();
    *out = listing.devices();
    return 0;
}

int acquireWithWindow(QWidget* owner, const Device& device, QImage* image, QString* source)
{
    Scan scan(device);
    if (!scan.ended()) {
        AcquireDialog dialog(owner);
        QObject::connect(&scan, &SaneWork::finished, &dialog, &QDialog::accept);
        if (dialog.exec() != QDialog::Accepted || !scan.ended())
            return err::TwainCancelled;
    }
    if (scan.result() != 0)
        return scan.result();
    *image = scan.image();
    *source = scan.source();
    return 0;
}

} // namespace platform::sane
