// The main window's players over the real media engine: every video and
// music type the program lists plays, Play after the end starts again, and a
// file the engine cannot play is named and leaves no old picture on show.
#include "ScriptedDialogs.h"
#include "HeldMedia.h"
#include "MediaFixtures.h"
#include "TestSupport.h"

#include "platform/controls/Dialogs.h"
#include "platform/media/MediaPlayList.h"
#include "platform/media/PlayCtrl.h"
#include "platform/shell/ShellList.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "viewers/PlayerPanel.h"
#include "platform/controls/WashControls.h"
#include "video/AviWriter.h"
#include "video/CreatAn1.h"
#include "window/Lumivex1.h"
#include "window/ToolWindows.h"

#include <QDeadlineTimer>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QWindow>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A short tune as a standard MIDI file: three notes on a piano.
QByteArray midiTune()
{
    QByteArray events;
    events += QByteArray::fromHex("00c000");
    for (const char note : {60, 64, 67}) {
        events += QByteArray::fromHex("0090") + note + char(100);
        events += QByteArray::fromHex("6080") + note + char(0);
    }
    events += QByteArray::fromHex("00ff2f00");
    QByteArray track = "MTrk" + QByteArray(4, 0) + events;
    qToBigEndian<quint32>(quint32(events.size()), track.data() + 4);
    return QByteArray::fromHex("4d546864000000060000000100") + char(96) + track;
}

// The same tune wrapped as a RIFF MIDI file.
QByteArray riffMidi()
{
    const QByteArray midi = midiTune();
    QByteArray data = "data" + QByteArray(4, 0) + midi;
    qToLittleEndian<quint32>(quint32(midi.size()), data.data() + 4);
    QByteArray riff = "RIFF" + QByteArray(4, 0) + "RMID" + data;
    qToLittleEndian<quint32>(quint32(4 + data.size()), riff.data() + 4);
    return riff;
}

// True when the media engine's plugin (the library's name without "libgst")
// is installed where GStreamer looks for it.
bool gstreamerPlugin(const QString& name)
{
    QStringList dirs = qEnvironmentVariable("GST_PLUGIN_SYSTEM_PATH_1_0").split(':', Qt::SkipEmptyParts);
    dirs << QStringLiteral("/usr/lib/gstreamer-1.0") << QStringLiteral("/usr/local/lib/gstreamer-1.0");
    for (const QString& multiarch : QDir(QStringLiteral("/usr/lib")).entryList({"*-linux-gnu*"}, QDir::Dirs))
        dirs << QStringLiteral("/usr/lib/") + multiarch + QStringLiteral("/gstreamer-1.0");
    for (const QString& dir : dirs)
        if (QFileInfo::exists(dir + QStringLiteral("/libgst") + name + QStringLiteral(".so")))
            return true;
    return false;
}

// The reason to skip when a plugin the media types need is missing.
QString missingPlugins(const QStringList& names)
{
    QStringList missing;
    for (const QString& n : names)
        if (!gstreamerPlugin(n))
            missing << n;
    return missing.isEmpty() ? QString()
                             : "GStreamer plugins missing (scripts/deps.sh installs them): " + missing.join(", ");
}

class RealPlayers : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = std::make_unique<Lumivex1>(QStringList{});
        w->resize(1000, 750);
        w->show();
        w->finishStartUp();
        dialogs->messages.clear();
        ASSERT_TRUE(gs.fAutoVideo && gs.fAutoMusic);
    }
    void TearDown() override { w.reset(); }
    QString file(const QString& name) const { return folder.file(name); }

    // Opens the file as a double-click does and waits until its player has
    // played it to the end; the failure the player reported otherwise.
    QString playToTheEnd(const QString& path)
    {
        dialogs->messages.clear();
        platform::PlayCtrl* players[] = {w->MediaPlayer1, w->MediaPlayer2};
        QSignalSpy videoDone(players[0], &platform::PlayCtrl::PlayComplete);
        QSignalSpy musicDone(players[1], &platform::PlayCtrl::PlayComplete);
        w->DisplayFile(path);
        // A bound against a hang only; a file of half a second ends long before.
        QDeadlineTimer deadline(30000);
        while (videoDone.isEmpty() && musicDone.isEmpty() && dialogs->messages.isEmpty() && !deadline.hasExpired())
            QTest::qWait(20);
        if (!dialogs->messages.isEmpty())
            return dialogs->messages.first().text;
        return videoDone.isEmpty() && musicDone.isEmpty() ? QStringLiteral("did not reach its end") : QString();
    }

    // Double-clicks the file in the main window's file list, showing the
    // folder's video files; false when the list does not hold it.
    bool doubleClickVideo(const QString& folderPath, const QString& name)
    {
        w->setFileListFolder(folderPath);
        const int videoFilter = w->CMBFILTER->findText("Audio-Video", Qt::MatchStartsWith);
        if (videoFilter < 0)
            return false;
        w->CMBFILTER->setCurrentIndex(videoFilter);
        auto* list = w->PTxShList1;
        int row = -1;
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i)->Name() == name)
                row = i;
        if (row < 0)
            return false;
        QAbstractItemView* view = list->currentView();
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        return true;
    }

    testsupport::ProgramFolder folder;
    platform::ScopedDialogs dialogs;
    std::unique_ptr<Lumivex1> w;
};

} // namespace

TEST_F(RealPlayers, EveryVideoAndMusicTypeOfTheTablePlays)
{
    // MPEG program streams, the Windows Media types and MIDI each need a plugin of their own.
    const QString missing = missingPlugins({"mpegpsdemux", "libav", "fluidsynthmidi"});
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    for (const char* ext : {"WAV", "AU", "AIF", "AIFC", "AIFF", "MP3", "WMA", "MP2"})
        ASSERT_TRUE(fixtures::makeTone(file(QString("tone.") + ext), 0.5)) << ext;
    for (const char* ext : {"AVI", "MPG", "MPEG", "MOV", "ASF", "WMV", "VOB"})
        ASSERT_TRUE(fixtures::makeVideo(file(QString("clip.") + ext), 0.5)) << ext;
    ASSERT_TRUE(fixtures::makeVideo(file("clip.M1V"), 0.5, 160, 120, 15, false));
    // Types no writer names: the same bytes under the other names.
    ASSERT_TRUE(QFile::copy(file("tone.AU"), file("tone.SND")));
    ASSERT_TRUE(QFile::copy(file("clip.MOV"), file("clip.QT")));
    ASSERT_TRUE(QFile::copy(file("clip.MPG"), file("clip.DAT"))); // a video CD's file
    testsupport::writeFile(file("tune.MID"), midiTune());
    testsupport::writeFile(file("tune.RMI"), riffMidi());
    testsupport::writeFile(file("list.M3U"), "#EXTM3U\r\n#EXTINF:1,Tone\r\ntone.WAV\r\n" +
                                                 file("tone.MP3").toUtf8() + "\r\n");
    testsupport::writeFile(file("list.ASX"),
                           "<ASX version=\"3.0\"><Entry><Ref href=\"clip.AVI\" /></Entry></ASX>\r\n");

    int checked = 0;
    for (int i = 0; i < int(ExtensionTable.size()); ++i) {
        const QString ext = ExtensionTable[i];
        if (!IsMediaFile("x." + ext) || ext == "CDA") // a CD track needs a CD drive
            continue;
        const QStringList made = QDir(folder.path()).entryList({"*." + ext}, QDir::Files);
        ASSERT_EQ(made.size(), 1) << "a file for every type: " << ext.toStdString();
        EXPECT_EQ(playToTheEnd(file(made.first())), "") << made.first().toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 23);
}

TEST_F(RealPlayers, AnMpegFileDoubleClickedInTheListPlaysInTheVideosTab)
{
    if (!gstreamerPlugin("mpegpsdemux"))
        GTEST_SKIP() << "the GStreamer MPEG program stream demuxer is missing (scripts/deps.sh installs it)";
    ASSERT_TRUE(fixtures::makeVideo(file("clip.MPG"), 0.5));
    ASSERT_EQ(fixtures::probe(file("clip.MPG")).container, "mpeg") << "an MPEG program stream";
    QSignalSpy done(w->MediaPlayer1, &platform::PlayCtrl::PlayComplete);
    ASSERT_TRUE(doubleClickVideo(folder.path(), "clip.MPG"));
    EXPECT_TRUE(done.wait(15000)) << "the clip plays to its end";
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.value(0).text.toStdString();
    auto* picture = w->MediaPlayer1->findChild<platform::VideoView*>("VideoWindow");
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->currentFrame().isNull()) << "its pictures were shown";
}

TEST_F(RealPlayers, AVideoCreateVideoMadeOfLargePhotosPlaysInTheVideosTabToItsEnd)
{
    if (!gstreamerPlugin("libav"))
        GTEST_SKIP() << "the GStreamer MPEG-2 decoder is missing (scripts/deps.sh installs it)";
    const QDir photos(folder.file("photos"));
    ASSERT_TRUE(QDir().mkpath(photos.path()));
    for (int i = 0; i < 5; ++i) {
        QImage photo(3000, 2000, QImage::Format_RGB32);
        photo.fill(QColor::fromHsv(i * 70, 180, 200));
        for (int y = 0; y < 2000; y += 50) // some detail, as a photo has
            for (int x = 0; x < 3000; ++x)
                photo.setPixel(x, y + (x / 7) % 50, qRgb(x % 256, y % 256, (x * y) % 256));
        const QString path = photos.filePath(QString("photo%1.jpg").arg(i));
        ASSERT_TRUE(photo.save(path, nullptr, 90));
        w->DisplayFile(path);
    }
    ASSERT_EQ(w->List3->count(), 5);
    w->ToolBarComp1->Item("ID_VidEdit")->action()->trigger();
    auto* maker = qobject_cast<CreatAn1*>(toolwindows::existing("CreatAn1"));
    ASSERT_TRUE(maker);
    ASSERT_EQ(maker->List1->count(), 5);
    maker->Text1->setText("3");
    const QString movie = folder.file("movie.avi");
    platform::FileAnswer answer;
    answer.accepted = true;
    answer.fileName = movie;
    dialogs->fileAnswers << answer;
    QSignalSpy written(maker, &CreatAn1::videoWritten);
    QTest::mouseClick(maker->SaveAVIBtn, Qt::LeftButton);
    ASSERT_TRUE(written.wait(120000));
    ASSERT_EQ(dialogs->texts(), QStringList{"File Created - " + movie});
    QTest::mouseClick(maker->CancelBtn, Qt::LeftButton);
    dialogs->messages.clear();

    QSignalSpy done(w->MediaPlayer1, &platform::PlayCtrl::PlayComplete);
    ASSERT_TRUE(doubleClickVideo(folder.path(), "movie.avi"));
    EXPECT_TRUE(done.wait(30000)) << "the video plays to its end";
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.value(0).text.toStdString();
    auto* picture = w->MediaPlayer1->findChild<platform::VideoView*>("VideoWindow");
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->currentFrame().isNull()) << "its pictures were shown";
}

TEST_F(RealPlayers, CreateVideoTakesTheJpgPicturesAndNamesTheBrokenOneBeforeFileCreated)
{
    const QDir photos(folder.file("photos"));
    ASSERT_TRUE(QDir().mkpath(photos.path()));
    int n = 0;
    for (const QColor& c : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
        QImage photo(640, 480, QImage::Format_RGB32);
        photo.fill(c);
        const QString path = photos.filePath(QString("photo%1.jpg").arg(++n));
        ASSERT_TRUE(photo.save(path, nullptr, 90));
        w->DisplayFile(path);
    }
    ASSERT_EQ(w->List3->count(), 3);
    QImage other(640, 480, QImage::Format_RGB32);
    other.fill(Qt::white);
    ASSERT_TRUE(other.save(photos.filePath("other.png")));
    ASSERT_TRUE(other.save(photos.filePath("other.jpeg"), "JPG"));
    QByteArray noise(30000, 0);
    QRandomGenerator random(11);
    for (char& c : noise)
        c = char(random.bounded(256));
    testsupport::writeFile(photos.filePath("r_broken.jpg"), noise);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // an animation window closed before
    ASSERT_EQ(toolwindows::existing("CreatAn1"), nullptr);
    w->ToolBarComp1->Item("ID_VidEdit")->action()->trigger();
    auto* maker = qobject_cast<CreatAn1*>(toolwindows::existing("CreatAn1"));
    ASSERT_TRUE(maker);
    for (const char* name : {"other.png", "r_broken.jpg", "other.jpeg"}) {
        platform::FileAnswer pick;
        pick.accepted = true;
        pick.fileName = photos.filePath(name);
        dialogs->fileAnswers << pick;
        QTest::mouseClick(maker->OpenBtn, Qt::LeftButton);
    }
    ASSERT_EQ(maker->List1->count(), 6);
    maker->Text1->setText("2");
    const QString movie = folder.file("movie.avi");
    platform::FileAnswer target;
    target.accepted = true;
    target.fileName = movie;
    dialogs->fileAnswers << target;
    QSignalSpy written(maker, &CreatAn1::videoWritten);
    QTest::mouseClick(maker->SaveAVIBtn, Qt::LeftButton);
    ASSERT_TRUE(written.wait(60000));
    ASSERT_EQ(dialogs->messages.size(), 2) << dialogs->texts().join(" | ").toStdString();
    EXPECT_EQ(dialogs->messages[0].title, kApplicationTitle);
    EXPECT_EQ(dialogs->messages[0].text,
              "These pictures could not be read and are not in the video:\n" + photos.filePath("r_broken.jpg"));
    EXPECT_EQ(dialogs->messages[1].title, kProgramTitle);
    EXPECT_EQ(dialogs->messages[1].text, "File Created - " + movie);
    const fixtures::MediaFacts facts = fixtures::probe(movie);
    EXPECT_EQ(QSize(facts.width, facts.height), QSize(640, 480));
    EXPECT_NEAR(facts.duration, 6.0 / 15, 0.01) << "two frames of each JPG picture; the PNG and JPEG ones are not taken";
    QTest::mouseClick(maker->CancelBtn, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(RealPlayers, PlayAfterTheEndStartsAgainFromTheBeginning)
{
    const QString clip = file("clip.avi");
    ASSERT_TRUE(fixtures::makeVideo(clip, 0.5, 160, 120, 15, false));
    ASSERT_EQ(playToTheEnd(clip), "");

    QSignalSpy done(w->MediaPlayer1, &platform::PlayCtrl::PlayComplete);
    QSignalSpy moved(w->MediaPlayer1, &platform::PlayCtrl::PositionChange);
    QTest::mouseClick(w->video().PlayBtn, Qt::LeftButton);
    EXPECT_TRUE(done.wait(15000)) << "Play after the end plays the file again";
    ASSERT_FALSE(moved.isEmpty());
    EXPECT_LT(moved.first().first().toDouble(), 0.3) << "from its beginning";
}

TEST_F(RealPlayers, AFileThatCannotBePlayedIsNamedAndLeavesNoOldPicture)
{
    const QString clip = file("clip.avi");
    ASSERT_TRUE(fixtures::makeVideo(clip, 0.5, 160, 120, 15, false));
    ASSERT_EQ(playToTheEnd(clip), "");
    auto* view = w->MediaPlayer1->findChild<platform::VideoView*>("VideoWindow");
    ASSERT_TRUE(view);
    ASSERT_FALSE(view->currentFrame().isNull()) << "the clip's last picture is on show";

    const QString broken = file("broken.mpg");
    testsupport::writeFile(broken, QByteArray(4096, 'x'));
    const QString failure = playToTheEnd(broken);
    EXPECT_TRUE(failure.startsWith("Cannot Play this File - " + broken)) << failure.toStdString();
    EXPECT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages.first().title, kProgramTitle);
    EXPECT_TRUE(view->currentFrame().isNull()) << "no picture of the clip before";
}

// Cameras and screen recorders write full-range YUV (Motion JPEG): the greys
// shown, and the still Snap Picture writes, are those FFmpeg makes of the
// file, not the same samples stretched as if they were limited range.
TEST_F(RealPlayers, AFullRangeVideoShowsTheGreysFfmpegMakesOfIt)
{
    if (!gstreamerPlugin("jpeg"))
        GTEST_SKIP() << "the GStreamer JPEG decoder is missing (scripts/deps.sh installs it)";
    const QString clip = file("greys.avi");
    ASSERT_TRUE(fixtures::makeFullRangeGreyBars(clip, {0x20, 0x80, 0xE0}, 100, 240, 1.0));
    const QImage reference = fixtures::ffmpegPicture(clip);
    ASSERT_EQ(reference.size(), QSize(300, 240));
    const int bars[3] = {50, 150, 250}; // the middle of each bar
    for (const int x : bars) // the file is full range: FFmpeg keeps its greys (within JPEG's rounding)
        ASSERT_NEAR(qRed(reference.pixel(x, 120)), (x / 100 == 0 ? 0x20 : x / 100 == 1 ? 0x80 : 0xE0), 2);
    ASSERT_EQ(playToTheEnd(clip), "");
    auto* view = w->MediaPlayer1->findChild<platform::VideoView*>("VideoWindow");
    ASSERT_TRUE(view);
    const QImage picture = view->currentFrame();
    ASSERT_EQ(picture.size(), reference.size());

    // What the window paints: the picture, kept in proportion, in the middle.
    const QImage painted = view->grab().toImage();
    const QSize shown = picture.size().scaled(painted.size() / painted.devicePixelRatio(), Qt::KeepAspectRatio);
    const QPoint origin((view->width() - shown.width()) / 2, (view->height() - shown.height()) / 2);
    w->ToolBarComp1->Item("ID_PicBtn")->action()->trigger();
    const QImage still(QDir(gs.cProgramFolder).filePath("a.bmp"));
    ASSERT_EQ(still.size(), reference.size()) << "Snap Picture wrote the picture on show";
    for (const int x : bars) {
        const QColor want = reference.pixelColor(x, 120);
        const QPoint at = origin + QPoint(x * shown.width() / picture.width(), 120 * shown.height() / picture.height());
        const QColor sources[3] = {picture.pixelColor(x, 120),
                                   painted.pixelColor(at * painted.devicePixelRatio()), still.pixelColor(x, 120)};
        const char* names[3] = {"the picture", "the window", "a.bmp"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(sources[i].red(), want.red(), 2) << names[i] << " at x " << x;
            EXPECT_NEAR(sources[i].green(), want.green(), 2) << names[i] << " at x " << x;
            EXPECT_NEAR(sources[i].blue(), want.blue(), 2) << names[i] << " at x " << x;
        }
    }
}

TEST_F(RealPlayers, TheViewWindowLeavesTheToolsFreeAndItsCloseBoxBringsTheVideoBack)
{
    if (!gstreamerPlugin("libav"))
        GTEST_SKIP() << "the GStreamer MPEG-2 decoder is missing (scripts/deps.sh installs it)";
    QImage red(160, 120, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(file("red.bmp")));
    const QString clip = file("red.avi");
    ASSERT_EQ(video::writeVideoFile({{file("red.bmp")}, 8, clip}).outcome, video::VideoResult::Written);
    w->move(100, 80);
    ASSERT_EQ(playToTheEnd(clip), "");
    auto* view = w->findChild<platform::VideoView*>("VideoWindow");
    ASSERT_TRUE(view);
    const auto isRed = [](const QImage& shot) {
        const QColor c = shot.pixelColor(shot.rect().center());
        return c.red() > 200 && c.green() < 70 && c.blue() < 70;
    };
    ASSERT_TRUE(isRed(w->MediaPlayer1->grab().toImage())) << "the video's last picture stays on show";

    // The user comes to the Videos tab from another one, which brings its tools.
    QTabBar* tabs = w->TabStrip1->tabBar();
    for (int tab : {2, 0})
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    ASSERT_EQ(w->TabStrip1->tabText(w->TabStrip1->currentIndex()), "Videos");
    platform::Tool* tool = w->ToolBarComp1->Item("ID_ViewVideos");
    ASSERT_TRUE(tool);
    QToolBar* bar = nullptr; // the bar the tool stands on, on the Videos tab
    QWidget* button = nullptr;
    for (int n = 2; n < w->ToolBarComp1->ToolBarsCount() && !button; ++n) {
        bar = w->ToolBarComp1->toolBar(n);
        button = bar && bar->isVisible() ? bar->widgetForAction(tool->action()) : nullptr;
    }
    ASSERT_TRUE(button && button->isVisible());
    const auto globalRect = [](const QWidget* wgt) { return QRect(wgt->mapToGlobal(QPoint(0, 0)), wgt->size()); };
    const auto clickView = [&] { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); };

    clickView();
    EXPECT_EQ(tool->State(), 1);
    ASSERT_TRUE(view->isWindow() && view->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    EXPECT_FALSE(view->frameGeometry().intersects(globalRect(button))) << "the View tool stays in sight";
    EXPECT_FALSE(view->frameGeometry().intersects(globalRect(bar))) << "so does the tool bar";
    EXPECT_GE(view->frameGeometry().top(), view->screen()->availableGeometry().top()) << "its caption on the screen";
    EXPECT_TRUE(isRed(view->grab().toImage()));

    // The user moves it, then closes it with its close box, as the window manager asks.
    const QPoint moved = view->pos() + QPoint(-20, 30);
    view->move(moved);
    QCoreApplication::processEvents();
    view->windowHandle()->close();
    QDeadlineTimer deadline(5000);
    while (view->isWindow() && !deadline.hasExpired())
        QTest::qWait(20);
    EXPECT_FALSE(view->isWindow()) << "the video is back in the video area";
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(tool->State(), 0) << "the View tool let go";
    EXPECT_TRUE(isRed(w->MediaPlayer1->grab().toImage())) << "the video area shows the video, not an empty grey area";

    // View again: where the user left it.
    clickView();
    ASSERT_TRUE(view->isWindow() && view->isVisible());
    EXPECT_EQ(view->pos(), moved);
    clickView();
    EXPECT_FALSE(view->isWindow());
    EXPECT_EQ(tool->State(), 0);
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.value(0).text.toStdString();
}

TEST_F(RealPlayers, WithNoRoomBesideTheMainWindowTheViewWindowStandsOverTheVideoAreaAndAlwaysOnTheScreen)
{
    const QRect screen = w->screen()->availableGeometry();
    QTabBar* tabs = w->TabStrip1->tabBar();
    for (int tab : {2, 0})
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    QCoreApplication::processEvents();
    platform::Tool* tool = w->ToolBarComp1->Item("ID_ViewVideos");
    ASSERT_TRUE(tool);
    QToolBar* bar = nullptr;
    QWidget* button = nullptr;
    for (int n = 2; n < w->ToolBarComp1->ToolBarsCount() && !button; ++n) {
        bar = w->ToolBarComp1->toolBar(n);
        button = bar && bar->isVisible() ? bar->widgetForAction(tool->action()) : nullptr;
    }
    ASSERT_TRUE(button && button->isVisible());
    const auto globalRect = [](const QWidget* wgt) { return QRect(wgt->mapToGlobal(QPoint(0, 0)), wgt->size()); };
    auto* view = w->findChild<platform::VideoView*>("VideoWindow");
    ASSERT_TRUE(view);
    const auto clickView = [&] { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); };
    // The window manager's close box, and the pictures back in the control.
    const auto closeBox = [&] {
        view->windowHandle()->close();
        return QTest::qWaitFor([&] { return !view->isWindow(); }, 5000);
    };

    w->setGeometry(screen.adjusted(8, 40, -8, -8)); // the whole screen but for a caption and borders
    // As the window manager (if any) has placed it.
    QTest::qWait(300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry().width() > screen.width() - 320; }, 5000))
        << "no room for a window beside it";
    QCoreApplication::processEvents();
    const QRect area = globalRect(w->MediaPlayer1);

    clickView();
    ASSERT_TRUE(view->isWindow() && view->isVisible());
    EXPECT_TRUE(area.contains(view->frameGeometry())) << "where the video area was";
    // With no frame known yet, room is left above its inside for the caption
    // a window manager puts there: within the video area, below the tabs.
    const int caption = view->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QRect withCaption = view->geometry().adjusted(0, -caption, 0, 0);
    EXPECT_TRUE(area.contains(withCaption)) << "room for its caption";
    EXPECT_FALSE(withCaption.intersects(globalRect(tabs))) << "the tab captions stay in sight";
    EXPECT_FALSE(withCaption.intersects(globalRect(bar))) << "so does the tool bar";

    // Left where it was put, it is put anew: beside the program's window
    // once that has room beside it.
    clickView();
    ASSERT_FALSE(view->isWindow());
    w->setGeometry(QRect(screen.topLeft() + QPoint(8, 40), QSize(900, 700)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry().width() < screen.width() - 400; }, 5000));
    clickView();
    ASSERT_TRUE(view->isWindow() && view->isVisible());
    EXPECT_FALSE(view->frameGeometry().intersects(w->frameGeometry())) << "beside the program's window";
    // A user moves a window the window system has shown. Until then its
    // reports of the place given at the showing are still to come, and one
    // read after the move below would take the window back to that size
    // for a moment (perhaps the moment it is closed).
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));

    // Moved partly off the screen's bottom and closed, it comes back moved up
    // onto the screen, as large as it was.
    const QRect left(screen.left() + 500, screen.top() + 300, area.width() - 40, screen.height() - 200);
    view->setGeometry(left);
    QCoreApplication::processEvents();
    ASSERT_GT(view->frameGeometry().bottom(), screen.bottom());
    ASSERT_TRUE(closeBox()) << "the video is back in the video area";
    clickView();
    ASSERT_TRUE(view->isWindow() && view->isVisible());
    EXPECT_TRUE(screen.contains(view->frameGeometry())) << "wholly on the screen";
    EXPECT_EQ(view->frameGeometry().bottom(), screen.bottom());
    EXPECT_EQ(view->geometry().left(), left.left());
    EXPECT_EQ(view->size(), left.size());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));

    // Larger than the screen: made as large as the screen leaves room for.
    view->setGeometry(screen.adjusted(-50, -50, 50, 50));
    QCoreApplication::processEvents();
    ASSERT_TRUE(closeBox());
    clickView();
    ASSERT_TRUE(view->isWindow() && view->isVisible());
    EXPECT_EQ(view->frameGeometry(), screen);
    clickView();
    EXPECT_FALSE(view->isWindow());
}

// Two pictures a second of a still, as a slide show is made: MPEG-2 writes
// the rate with its extension, and all sixteen small pictures sit in one
// pack of the program stream, which gives GStreamer no span to reckon the
// length from. The slider still goes from its start to its end as the file
// plays, painted so.
TEST_F(RealPlayers, TheVideoPositionSliderFollowsASlowMpegWhoseLengthTheEngineCannotTell)
{
    const QString missing = missingPlugins({"mpegpsdemux", "libav"});
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    const QString slow = file("slow.mpg");
    ASSERT_TRUE(fixtures::makeStillMpeg2(slow, 2, 8.0));
    ASSERT_EQ(fixtures::probe(slow).container, "mpeg") << "an MPEG program stream";

    QSlider* slider = w->video().Position;
    QList<int> values;
    QImage first, last; // the slider as painted at the first position told, and at the last
    bool done = false;
    QObject::connect(w->MediaPlayer1, &platform::PlayCtrl::PositionChange, slider, [&] {
        values << slider->value();
        (first.isNull() ? first : last) = slider->grab().toImage();
    });
    QObject::connect(w->MediaPlayer1, &platform::PlayCtrl::PlayComplete, slider, [&] { done = true; });
    QObject::connect(w->MediaPlayer1, &platform::PlayCtrl::PlayFailed, slider, [&] { done = true; });
    w->DisplayFile(slow);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    ASSERT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.value(0).text.toStdString();
    ASSERT_GE(values.size(), 3) << "the position was told as the file played";
    EXPECT_LT(values.first(), slider->maximum() / 4) << "from the start";
    EXPECT_GT(values.last(), slider->maximum() / 2) << "and on, well away from it";
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "onward";
    ASSERT_FALSE(last.isNull());
    EXPECT_NE(first, last) << "the handle painted elsewhere";
}

namespace {

// Serves this thread's events until an event posted now has been delivered.
void postAndServe()
{
    class Posted : public QEvent {
    public:
        explicit Posted(bool* delivered) : QEvent(QEvent::User), m_delivered(delivered) {}
        ~Posted() override { *m_delivered = true; }

    private:
        bool* m_delivered;
    };
    bool delivered = false;
    QObject receiver;
    QCoreApplication::postEvent(&receiver, new Posted(&delivered));
    while (!delivered)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace

// The engine may take as long as it likes to let go of a file, or never do:
// the window answers meanwhile.
TEST_F(RealPlayers, TheWindowAnswersWhileTheEngineHoldsTheTeardownOfTheFileBefore)
{
    if (const QString why = HeldMedia::load(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    HeldMedia held(folder.path());
    held.makeFile(file("first.avi"));
    held.makeFile(file("second.avi"));
    w->DisplayFile(file("first.avi"));
    held.waitFor("open", 1);
    w->DisplayFile(file("second.avi")); // the first file's player ends
    held.waitFor("held", 1);

    QTabBar* tabs = w->TabStrip1->tabBar();
    for (const int tab : {2, 0, 1}) {
        postAndServe();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        EXPECT_EQ(w->TabStrip1->currentIndex(), tab);
    }
    postAndServe();
    EXPECT_EQ(held.count("let go"), 0) << "the teardown was held all along";
    EXPECT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.value(0).text.toStdString();

    held.openGate();
    held.waitFor("gone", 1);
    w.reset(); // the second file's player ends too
    held.waitFor("gone", 2);
}

TEST_F(RealPlayers, OnceTheEngineHoldsMoreThanEightFilesItWasAskedToCloseAnotherFileIsRefusedWithAMessage)
{
    if (const QString why = HeldMedia::load(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    HeldMedia held(folder.path());
    for (int i = 0; i < 9; ++i) {
        const QString path = file(QString("held%1.avi").arg(i));
        held.makeFile(path);
        w->DisplayFile(path); // the file before it ends, and is held
        held.waitFor("open", i + 1);
    }
    held.waitFor("held", 8);
    ASSERT_TRUE(dialogs->messages.isEmpty()) << dialogs->messages.value(0).text.toStdString();

    const QString clip = file("clip.avi");
    ASSERT_TRUE(fixtures::makeVideo(clip, 0.5, 160, 120, 15, false));
    w->DisplayFile(clip);
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages.first().title, kProgramTitle);
    EXPECT_EQ(dialogs->messages.first().text,
              "Cannot Play this File - " + clip +
                  " - The media engine has not yet let go of the last 9 files it was asked to close; no other file "
                  "can be played until it does");

    // Once the engine lets go of them, files play again.
    held.openGate();
    held.waitFor("gone", 9);
    EXPECT_EQ(playToTheEnd(clip), "");
}

TEST(MediaPlayLists, EntriesInOrderFromTheListsFolder)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.filePath("a.m3u"), "\xEF\xBB\xBF#EXTM3U\r\n\r\nsub\\one.wav\r\n/abs/two.mp3\r\n"
                                                  "http://example.invalid/three.mp3\r\nfile:///x/four.wav\r\n");
    EXPECT_EQ(platform::readMediaPlayList(dir.filePath("a.m3u")),
              (QStringList{dir.filePath("sub/one.wav"), "/abs/two.mp3", "http://example.invalid/three.mp3",
                           "/x/four.wav"}));
    testsupport::writeFile(dir.filePath("b.asx"), "<asx><entry><REF HREF='one.wmv'/></entry>"
                                                  "<entry><ref  href=\"two.wma\"></ref></entry></asx>");
    EXPECT_EQ(platform::readMediaPlayList(dir.filePath("b.asx")),
              (QStringList{dir.filePath("one.wmv"), dir.filePath("two.wma")}));
    EXPECT_TRUE(platform::readMediaPlayList(dir.filePath("none.m3u")).isEmpty());
    EXPECT_TRUE(platform::isMediaPlayList("x.M3U") && platform::isMediaPlayList("x.asx"));
    EXPECT_FALSE(platform::isMediaPlayList("x.mp3"));
}
