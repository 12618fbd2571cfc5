#include "window/Lumivex1.h"

#include <QApplication>
#include <unistd.h>

int main(int argc, char** argv)
{
    // The web engine's sandbox cannot run as root.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    Lumivex1 window(QApplication::arguments().mid(1));
    window.startUp();
    return app.exec();
}
