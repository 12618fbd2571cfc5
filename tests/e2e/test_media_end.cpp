// The program's end while the media engine holds a player: the program
// ends at once, without running its libraries' static destructors beside
// the engine's threads, and with its settings saved.
#include "E2eSupport.h"

#include "../players/HeldMedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace e2e;

TEST(MediaEnd, WhileTheEngineHoldsAPlayersTeardownTheProgramEndsWithoutStaticDestructorsBesideIt)
{
    const QString screen = sharedDisplay();
    ASSERT_FALSE(screen.isEmpty()) << "no X server";
    XDisplay display(screen);
    ProgramFolder folder;
    ASSERT_TRUE(folder.ok());
    QTemporaryDir media;
    HeldMedia held(media.path());
    const QString file = QDir(media.path()).filePath("held.avi");
    held.makeFile(file);
    // The program finds the tests' GStreamer plug-in, in a registry of its
    // own, looked at in the program's own process (a plug-in built with the
    // sanitizers loads only where their runtime is, not in GStreamer's
    // scanner).
    QProcessEnvironment env;
    env.insert(QStringLiteral("GST_PLUGIN_PATH"), QStringLiteral(LUMIVEX_HELD_MEDIA_DIR));
    env.insert(QStringLiteral("GST_REGISTRY"), media.filePath(QStringLiteral("registry.bin")));
    env.insert(QStringLiteral("GST_REGISTRY_FORK"), QStringLiteral("no"));

    Program program(folder, screen, {file}, env);
    ASSERT_TRUE(program.started());
    const std::optional<XWindow> main = program.waitForWindow(display, file, 60000);
    ASSERT_TRUE(main) << program.describeEnd().toStdString();
    while (held.count("open") == 0 && program.running())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    ASSERT_EQ(held.count("open"), 1) << "the engine has the file: " << program.describeEnd().toStdString();

    // The user closes the window: the player's end is held for good.
    display.closeWindow(main->id);
    ASSERT_TRUE(program.waitForExit(-1));
    QCoreApplication::processEvents(); // the last news
    EXPECT_FALSE(program.crashed()) << program.describeEnd().toStdString();
    EXPECT_EQ(program.exitCode(), 0) << program.describeEnd().toStdString();
    EXPECT_EQ(held.count("static destructors"), 0) << "the libraries' destructors ran beside the held teardown";
    EXPECT_EQ(held.count("let go"), 0);
}
