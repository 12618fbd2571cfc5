// Saves a picture of the main window as it starts, to look at by eye:
// LUMIVEX_SCREENSHOT=/tmp/main.png xvfb-run -a build/test/bin/test_shell --gtest_filter=Screenshot.*
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "window/Lumivex1.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

TEST(Screenshot, MainWindow)
{
    const QString target = qEnvironmentVariable("LUMIVEX_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set LUMIVEX_SCREENSHOT to the PNG file to write";
    testsupport::ProgramFolder folder; // with the assets beside the program, as installed
    platform::ScopedDialogs dialogs; // the first start's messages about missing settings
    Lumivex1 w(QStringList{});
    w.resize(1100, 720);
    w.show();
    w.finishStartUp();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(w.grab().save(target, "PNG"));

    // Beside it: the Internet tab with its address bar, and the help window.
    const QString base = target.left(target.size() - QFileInfo(target).suffix().size() - 1);
    w.TabStrip1->setCurrentIndex(5);
    w.ToolBarComp1->Item(QStringLiteral("ID_IntVisited"))->setState(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.grab().save(base + QStringLiteral("-internet.png"), "PNG"));
    w.ShowHelpContents();
    QCoreApplication::processEvents();
    QWidget* help = w.findChild<QWidget*>(QStringLiteral("HelpWindow"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->grab().save(base + QStringLiteral("-help.png"), "PNG"));
    w.close();
}
