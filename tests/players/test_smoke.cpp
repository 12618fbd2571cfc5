// The real engines: Qt Multimedia plays a generated file to its end, and the
// web engine loads a local page. Each skips, with the reason, where the
// machine cannot run it.
#include "MediaFixtures.h"

#include "platform/PlayCtrl.h"
#include "platform/PlugIn.h"
#include "platform/WebBrowser.h"

#include <QAudioDevice>
#include <QImage>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

int objectsOfClass(const QObject* root, const char* className)
{
    int n = 0;
    for (const QObject* o : root->findChildren<QObject*>())
        n += o->inherits(className) ? 1 : 0;
    return n;
}

} // namespace

TEST(Smoke, TheRealPlayerPlaysAGeneratedFileToItsEnd)
{
    QTemporaryDir dir;
    // Pictures only, unless there is a sound device to play sound on.
    const bool sound = !QMediaDevices::defaultAudioOutput().isNull();
    const QString file = dir.filePath("short.avi");
    ASSERT_TRUE(fixtures::makeVideo(file, 1.0, 64, 48, 15, sound));

    platform::PlayCtrl player(true);
    QString failure;
    QObject::connect(player.backend(), &platform::PlayBackend::errorOccurred,
                     [&](const QString& text) { failure = text; });
    QSignalSpy done(&player, &platform::PlayCtrl::PlayComplete);
    QSignalSpy moved(&player, &platform::PlayCtrl::PositionChange);
    // The pipeline and its video sink are made with the first file, not before.
    EXPECT_EQ(objectsOfClass(&player, "QMediaPlayer"), 0);
    EXPECT_EQ(objectsOfClass(&player, "QVideoSink"), 0);
    player.setSourceFile(file);
    EXPECT_EQ(objectsOfClass(&player, "QMediaPlayer"), 1);
    EXPECT_EQ(objectsOfClass(&player, "QVideoSink"), 1);
    ASSERT_TRUE(player.Run());
    // A generous bound only against a hang; nothing here measures speed.
    for (int i = 0; i < 600 && done.isEmpty() && failure.isEmpty(); ++i)
        done.wait(100);
    if (!failure.isEmpty())
        GTEST_SKIP() << "the media engine cannot play here: " << failure.toStdString();
    if (done.isEmpty())
        GTEST_SKIP() << "the media engine did not reach the end of the file within a minute";
    EXPECT_FALSE(moved.isEmpty());
    EXPECT_NEAR(player.Duration(), 1.0, 0.2);
    // The picture on show is written as a still bitmap.
    const QString still = dir.filePath("a.bmp");
    ASSERT_TRUE(player.SaveStillBitmap(still));
    EXPECT_EQ(QImage(still).size(), QSize(64, 48));
}

TEST(Smoke, TheRealWebEngineLoadsALocalPage)
{
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QTemporaryDir dir;
    const QString page = dir.filePath("page #1.htm");
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><head><title>Local Page</title></head><body><img src=\"http://example.invalid/x.png\">"
            "hello</body></html>");
    f.close();

    auto browser = platform::createWebEngineBrowser("WebBrowser1");
    QWidget* view = browser->view();
    view->resize(400, 300);
    view->show();
    EXPECT_EQ(view->findChildren<QWidget*>().size(), 0) << "no engine before the first page";
    QStringList titles;
    browser->setEvents({{}, {}, [&](const QString& title) { titles << title; }});
    browser->setOffline(true);
    browser->Navigate2("File://" + page);
    EXPECT_TRUE(platform::plugInLoaded("lumivex_web")) << "the web plug-in, found next to the program";
    for (int i = 0; i < 600 && browser->LocationName() != "Local Page"; ++i)
        QTest::qWait(100);
    if (browser->LocationName() != "Local Page")
        GTEST_SKIP() << "the web engine did not start here (offscreen, no GPU)";
    EXPECT_EQ(QUrl(browser->LocationURL()).toLocalFile(), page) << "the '#' is part of the file name";
    EXPECT_TRUE(titles.contains("Local Page")) << "the engine's notifications reach the browser's listener";
}
