#include "PaintProbe.h"
#include "platform/devices/SaneChild.h"
#include "platform/media/MediaEngine.h"
#include "window/Lumivex1.h"

#include <QApplication>
#include <memory>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Started again as the scanner's child: SANE's work, and nothing else.
    if (const int code = platform::sane::runScannerChild(argc, argv); code >= 0)
        return code;
    // The web engine's sandbox cannot run as root.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    std::unique_ptr<PaintProbe> probe;
    if (const QByteArray what = qgetenv("LUMIVEX_PAINT_PROBE"); !what.isEmpty()) {
        probe = std::make_unique<PaintProbe>(what);
        app.installEventFilter(probe.get());
    }
    int code = 0;
    {
        Lumivex1 window(QApplication::arguments().mid(1));
        if (probe)
            probe->setWindow(&window);
        window.startUp();
        code = app.exec();
    }
    // The window has saved what it holds and gone; a player still inside
    // the media engine ends the program here.
    platform::leaveBesideMediaEngine(code);
    return code;
}
