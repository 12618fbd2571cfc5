#pragma once
// The multimedia control: a row of transport buttons over one device (the
// audio CD), driven by command strings ("Open", "Close", "Play", "Pause",
// "Stop", "Next", "Prev", "Eject") as the program's code and the user's
// clicks give them.
#include <QString>
#include <QWidget>
#include <memory>

class QTimer;

namespace platform {

class MciDevice;

class MMControl : public QWidget {
    Q_OBJECT
public:
    explicit MMControl(QWidget* parent = nullptr);
    ~MMControl() override;

    // Runs one command; false when the device refused it (Error and
    // ErrorMessage then say why). An unknown command is refused too.
    bool setCommand(const QString& command);

    QString DeviceType;
    QString FileName; // a drive or disc image; "" = the first CD drive
    bool Notify = false;
    bool Wait = true;
    bool Shareable = false;
    int UpdateInterval = 1000; // ms between status events while playing

    qint64 Length() const;   // ms
    qint64 Position() const; // ms
    int Error() const { return m_error; }
    QString ErrorMessage() const { return m_errorMessage; }

    MciDevice* device() const { return m_device.get(); }

signals:
    // Sent every UpdateInterval while the device plays.
    void StatusUpdate();

private:
    std::unique_ptr<MciDevice> m_device;
    QTimer* m_timer;
    int m_error = 0;
    QString m_errorMessage;
};

} // namespace platform
