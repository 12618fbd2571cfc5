#include "platform/devices/MciControl.h"

#include "platform/devices/CdDevice.h"
#include "platform/core/ErrorNumbers.h"

#include <QHBoxLayout>
#include <QTimer>
#include <QToolButton>

namespace platform {

MMControl::MMControl(QWidget* parent) : QWidget(parent), m_device(createMciDevice()), m_timer(new QTimer(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    struct Button {
        const char* command;
        const char* text;
    };
    for (const Button& b : {Button{"Prev", "|<"}, Button{"Play", ">"}, Button{"Pause", "||"}, Button{"Stop", "[]"},
                            Button{"Next", ">|"}, Button{"Eject", "^"}}) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("MCI%1").arg(QLatin1String(b.command)));
        button->setText(QString::fromLatin1(b.text));
        button->setToolTip(QString::fromLatin1(b.command));
        const QString command = QString::fromLatin1(b.command);
        connect(button, &QToolButton::clicked, this, [this, command] {
            if (command == QLatin1String("Play") && !m_device->isPlaying() && Length() == 0)
                setCommand(QStringLiteral("Open"));
            setCommand(command);
        });
        row->addWidget(button);
    }
    row->addStretch(1);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (!m_device->isPlaying())
            m_timer->stop();
        emit StatusUpdate();
    });
}

MMControl::~MMControl() = default;

bool MMControl::setCommand(const QString& command)
{
    QString why;
    bool ok = false;
    const QString c = command.trimmed().toLower();
    if (c == QLatin1String("open"))
        ok = m_device->open(DeviceType, FileName, &why);
    else if (c == QLatin1String("close"))
        ok = m_device->close(&why);
    else if (c == QLatin1String("play"))
        ok = m_device->play(&why);
    else if (c == QLatin1String("pause"))
        ok = m_device->pause(&why);
    else if (c == QLatin1String("stop"))
        ok = m_device->stop(&why);
    else if (c == QLatin1String("next"))
        ok = m_device->next(&why);
    else if (c == QLatin1String("prev"))
        ok = m_device->prev(&why);
    else if (c == QLatin1String("eject"))
        ok = m_device->eject(&why);
    else
        why = QStringLiteral("Unknown command - ") + command;
    m_error = ok ? 0 : ErrDeviceUnavailable;
    m_errorMessage = ok ? QString() : why;
    if (ok && m_device->isPlaying() && UpdateInterval > 0)
        m_timer->start(UpdateInterval);
    else if (!m_device->isPlaying())
        m_timer->stop();
    return ok;
}

qint64 MMControl::Length() const { return m_device->length(); }
qint64 MMControl::Position() const { return m_device->position(); }

} // namespace platform
