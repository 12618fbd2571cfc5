#include "platform/devices/AcquireWindow.h"

#include "platform/devices/SaneSource.h"
#include "platform/pictures/ImagingCodes.h"

#include <QDialog>
#include <QLabel>
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

int acquireWithWindow(QWidget* owner, const QString& deviceName, QImage* image, QString* source)
{
    Scan scan(deviceName);
    if (!scan.ended()) {
        AcquireDialog dialog(owner);
        QObject::connect(&scan, &Scan::finished, &dialog, &QDialog::accept);
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
