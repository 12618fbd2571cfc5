#include "platform/devices/SaneChild.h"
#include "platform/media/MediaEngine.h"

#include <QApplication>
#include <QTemporaryDir>
#include <unistd.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The scanner's child of the program under test is this program again.
    if (const int code = platform::sane::runScannerChild(argc, argv); code >= 0)
        return code;
    // Windows show on the X server when there is one (./test starts one),
    // else on Qt's offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    // The web engine's sandbox cannot run as root.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    // The user's data folder (favourites, trash) is a temporary one: tests
    // never touch the real one.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int code = RUN_ALL_TESTS();
    data.remove();
    // As the program ends (main.cpp).
    platform::leaveBesideMediaEngine(code);
    return code;
}
