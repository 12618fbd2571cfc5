// The real engines: Qt Multimedia plays a generated file to its end, and the
// web engine loads a local page and saves it. Each skips, with the reason,
// where the machine cannot run it.
#include "ScriptedDialogs.h"
#include "MediaFixtures.h"
#include "TestSupport.h"

#include "platform/controls/Dialogs.h"
#include "platform/media/PlayCtrl.h"
#include "platform/core/PlugIn.h"
#include "platform/net/WebBrowser.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

namespace {

int objectsOfClass(const QObject* root, const char* className)
{
    int n = 0;
    for (const QObject* o : root->findChildren<QObject*>())
        n += o->inherits(className) ? 1 : 0;
    return n;
}

// The web engine draws through the X server ./test starts; on Qt's
// offscreen platform it has nothing to draw with and does not start.
bool webEngineCanStartHere() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Opens the local page and waits for the engine to tell it has opened it
// (or failed to), however long it takes: an engine that never answers ends
// in the test's time-out, a failure.
void openAndWait(platform::WebBrowser& browser, const QString& page, std::function<void(const QString&)> titleChange)
{
    QEventLoop loop;
    bool opened = false;
    browser.setEvents({{},
                       [&](const QString& address) {
                           if (QUrl(address).toLocalFile() == page) {
                               opened = true;
                               loop.quit();
                           }
                       },
                       std::move(titleChange)});
    browser.setOffline(true);
    browser.Navigate2("File://" + page);
    if (!opened)
        loop.exec();
    browser.setEvents({});
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
    // The engine is loaded with the first file; its player and video sink
    // live on a thread of their own, not in the window's.
    player.setSourceFile(file);
    EXPECT_TRUE(platform::plugInLoaded("lumivex_media"));
    EXPECT_EQ(objectsOfClass(&player, "QMediaPlayer"), 0);
    EXPECT_EQ(objectsOfClass(&player, "QVideoSink"), 0);
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
    if (!webEngineCanStartHere())
        GTEST_SKIP() << "the web engine needs an X server; the platform here is "
                     << QGuiApplication::platformName().toStdString();
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
    openAndWait(*browser, page, [&](const QString& title) { titles << title; });
    EXPECT_TRUE(platform::plugInLoaded("lumivex_web")) << "the web plug-in, found next to the program";
    ASSERT_EQ(browser->LocationName(), QStringLiteral("Local Page")) << "the engine opened the page";
    EXPECT_EQ(QUrl(browser->LocationURL()).toLocalFile(), page) << "the '#' is part of the file name";
    EXPECT_TRUE(titles.contains("Local Page")) << "the engine's notifications reach the browser's listener";
}

TEST(Smoke, TheRealWebEngineSavesAPageWholeOrNotAtAll)
{
    if (!webEngineCanStartHere())
        GTEST_SKIP() << "the web engine needs an X server; the platform here is "
                     << QGuiApplication::platformName().toStdString();
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QTemporaryDir dir;
    const QString page = dir.filePath("page.htm");
    testsupport::writeFile(page, "<html><head><title>Saved Page</title></head><body>hello there</body></html>");
    auto browser = platform::createWebEngineBrowser("WebBrowser1");
    QWidget* view = browser->view();
    view->resize(400, 300);
    view->show();
    openAndWait(*browser, page, {});
    ASSERT_EQ(browser->LocationName(), QStringLiteral("Saved Page")) << "the engine opened the page";
    platform::ScopedDialogs dialogs;
    auto saveAs = [&](const QString& name) {
        platform::FileAnswer a;
        a.accepted = true;
        a.fileName = name;
        dialogs->fileAnswers << a;
        browser->ExecWB(platform::kBrowserSaveAs, platform::kBrowserDoDefault);
    };
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i)
            QTest::qWait(100);
        return done();
    };

    // A page and a web archive are written; nothing else stays in the folder.
    QDir().mkpath(dir.filePath("out"));
    const QString saved = dir.filePath("out/saved.htm"), archive = dir.filePath("out/saved.mht");
    saveAs(saved);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(saved); })) << "the save is not cancelled";
    EXPECT_TRUE(testsupport::readFile(saved).contains("hello there"));
    saveAs(archive);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(archive); }));
    waitFor([&] { return QDir(dir.filePath("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() <= 3; });
    EXPECT_FALSE(QDir(dir.filePath("out")).entryList(QDir::AllEntries | QDir::Hidden).join(' ').contains(".lumivex-save"));
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // On a full disk the old page and the old PDF stay, and each save says it failed.
    testsupport::FullDisk disk(dir.filePath("disk"));
    const QString oldPage = dir.filePath("disk/saved.mht"), oldPdf = dir.filePath("disk/saved.pdf");
    testsupport::writeFile(oldPage, "the old page");
    testsupport::writeFile(oldPdf, "the old pdf");
    disk.fill();
    saveAs(oldPage);
    EXPECT_TRUE(waitFor([&] { return dialogs->messages.size() == 1; }));
    saveAs(oldPdf);
    EXPECT_TRUE(waitFor([&] { return dialogs->messages.size() == 2; }));
    disk.release();
    EXPECT_EQ(dialogs->texts(), QStringList({"The file could not be saved - " + oldPage,
                                             "The file could not be saved - " + oldPdf}));
    EXPECT_EQ(testsupport::readFile(oldPage), "the old page");
    EXPECT_EQ(testsupport::readFile(oldPdf), "the old pdf");
}
