// FFmpeg, SANE and libcdio are loaded with the first command that needs
// them, the web engine, the media engine and ImageMagick with the first page,
// media file or picture that needs them (plug-ins next to the program). When
// one cannot be loaded, the program says so and goes on. Each test runs this
// test program again where they cannot be loaded: files that are not
// libraries stand first in the library path under the libraries' names; a
// copy of the program stands in a folder without the plug-ins, or with a
// plug-in that is not a library.
#include "ScriptedDialogs.h"
#include "platform/devices/CdDevice.h"
#include "platform/controls/Dialogs.h"
#include "platform/net/Download.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/media/FrameEncoder.h"
#include "platform/core/LibraryLoad.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/MagickCodec.h"
#include "platform/media/MediaConverter.h"
#include "platform/media/MediaJoin.h"
#include "platform/media/MediaProbe.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureEffects.h"
#include "platform/media/PlayCtrl.h"
#include "platform/core/PlugIn.h"
#include "platform/devices/SaneSource.h"
#include "platform/net/WebBrowser.h"
#include "PictureSamples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

bool says(const QString& error, const char* what)
{
    return error.contains(QLatin1String("cannot be loaded")) && error.contains(QLatin1String(what));
}

} // namespace

// Run only by the test below, in a process without the libraries.
TEST(LibraryLoadChild, DISABLED_EveryCommandSaysTheLibrariesAreMissing)
{
    QTemporaryDir dir;
    const QString video = dir.filePath("clip.avi"), picture = dir.filePath("photo.jpg");
    QFile(video).open(QIODevice::WriteOnly);
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    ASSERT_TRUE(img.save(picture));

    QString error;
    EXPECT_FALSE(mediaLibrariesLoaded(&error));
    EXPECT_TRUE(says(error, "FFmpeg")) << qPrintable(error);
    EXPECT_TRUE(says(probeMedia(video).error, "FFmpeg"));
    EXPECT_TRUE(says(convertMedia({video, dir.filePath("out.mpg")}).error, "FFmpeg"));
    MediaInfo info;
    EXPECT_FALSE(GetMediaInfo(video, &info, &error));
    EXPECT_TRUE(says(error, "FFmpeg"));
    EXPECT_TRUE(says(JoinVideoFiles({{video, video}, dir.filePath("joined.avi")}).error, "FFmpeg"));
    EXPECT_FALSE(canWriteFormat(dir.filePath("out.avi")));
    {
        FrameEncoder encoder;
        FrameFormat format;
        format.width = 64;
        format.height = 48;
        EXPECT_FALSE(encoder.open(dir.filePath("anim.avi"), format));
        EXPECT_TRUE(says(encoder.error(), "FFmpeg")) << qPrintable(encoder.error());
        // A JPEG still reads, through the picture readers.
        EXPECT_FALSE(StillPicture::read(picture, {64, 48}).isNull());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("out.mpg")) || QFile::exists(dir.filePath("anim.avi")));

    EXPECT_FALSE(deviceLibrariesLoaded(&error));
    EXPECT_TRUE(says(error, "SANE")) << qPrintable(error);
    sane::DeviceListing listing;
    while (!listing.ended())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(listing.result(), err::TwainNoManager);
    EXPECT_EQ(CdDisc::open({}, &error), nullptr);
    EXPECT_TRUE(says(error, "libcdio")) << qPrintable(error);
}

TEST(LibraryLoad, MissingLibrariesAreMessagesNotACrash)
{
    QTemporaryDir libs;
    for (const char* name : {"libavutil.so.57", "libavformat.so.59", "libsane.so.1", "libcdio.so.19"}) {
        QFile f(libs.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a library");
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_LIBRARY_PATH", libs.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=LibraryLoadChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << qPrintable(out);
    EXPECT_EQ(child.exitCode(), 0) << qPrintable(out);
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << qPrintable(out);
}

// Run only by the test below, by a copy of this program in a folder without
// the plug-ins.
TEST(PlugInChild, DISABLED_MissingPlugInsAreSaidWhereTheyWouldShow)
{
    ASSERT_FALSE(QFile::exists(QCoreApplication::applicationDirPath() + "/liblumivex_web.so"));
    ScopedDialogs dialogs;
    QTemporaryDir dir;

    auto browser = createWebEngineBrowser("WebBrowser1");
    browser->view()->resize(400, 300);
    browser->view()->show();
    browser->Navigate2("about:blank");
    browser->Navigate2("about:blank");
    const QList<QLabel*> notes = browser->view()->findChildren<QLabel*>();
    ASSERT_EQ(notes.size(), 1) << "said once, where the pages would show";
    EXPECT_TRUE(notes.first()->text().startsWith("The web browser cannot be started: "))
        << qPrintable(notes.first()->text());
    EXPECT_FALSE(plugInError("lumivex_web").isEmpty());

    PlayCtrl player(true);
    QStringList errors;
    player.setSourceFile(dir.filePath("clip.avi"));
    player.setSourceFile(dir.filePath("other.avi"));
    EXPECT_TRUE(player.Run()) << "the control goes on without an engine";
    ASSERT_EQ(dialogs->messages.size(), 1) << "one message, not one a file";
    EXPECT_TRUE(dialogs->messages.first().text.startsWith("The media engine cannot be started: "))
        << qPrintable(dialogs->messages.first().text);
    EXPECT_EQ(dialogs->messages.first().icon, Icon::Critical);

    QString error;
    QObject owner;
    EXPECT_EQ(startDownload(QUrl("http://127.0.0.1:9/pic.png"), 1000, &owner, &error), nullptr);
    EXPECT_TRUE(error.startsWith("The network cannot be reached: ")) << qPrintable(error);
}

// Run only by the test below, by copies of this program in folders where the
// ImageMagick plug-in is missing or is not a library.
TEST(PlugInChild, DISABLED_PicturesOnlyImageMagickReadsSayItIsMissing)
{
    QTemporaryDir dir;
    const QString tga = dir.filePath("drawing.tga"), jpeg = dir.filePath("photo.jpg");
    ASSERT_TRUE(samples::writeMagick(tga, {samples::pattern(40, 30)}, "TGA"));
    ASSERT_TRUE(samples::pattern(40, 30).save(jpeg));

    QString error;
    EXPECT_EQ(magickFunctions(&error), nullptr);
    EXPECT_TRUE(error.startsWith("ImageMagick cannot be loaded: ")) << qPrintable(error);
    PictureData data;
    EXPECT_EQ(readPicture(tga, 1, 1, &data), err::FormatNotAvailable);
    QImage scaled;
    EXPECT_EQ(readScaledPicture(tga, QSize(16, 16), &scaled), err::FormatNotAvailable);
    Lead lead;
    EXPECT_EQ(lead.Load(tga), err::FormatNotAvailable);
    EXPECT_FALSE(lead.HasBitmap());
    EXPECT_EQ(writePicture(dir.filePath("out.pcx"), {samples::pattern(40, 30)}, fmt::Pcx, 0, 10, false),
              err::FormatNotAvailable);
    EXPECT_FALSE(QFile::exists(dir.filePath("out.pcx")));
    QImage picture = samples::pattern(40, 30);
    const QImage before = picture;
    EXPECT_EQ(effects::colorRes(picture, 8, 0, 0), err::Failure) << "a palette fitted by ImageMagick";
    EXPECT_EQ(picture, before);

    // What Qt reads and writes goes on.
    EXPECT_EQ(lead.Load(jpeg), 0);
    EXPECT_TRUE(withinImagingLimits(4000, 3000));
    EXPECT_EQ(writePicture(dir.filePath("out.jpg"), {picture}, fmt::Jpeg, 0, 10, false), 0);
    EXPECT_FALSE(magickLoaded());
}

namespace {

// Runs the PlugInChild tests named by filter in a copy of this program in
// bin, with whatever stands there; the output when they did not all pass.
QString childFailures(const QTemporaryDir& bin, const char* filter, int tests)
{
    const QString copy = bin.filePath("test_platform");
    if (!QFile::exists(copy) && !QFile::copy(QCoreApplication::applicationFilePath(), copy))
        return "cannot copy the test program";
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(copy, {"--gtest_also_run_disabled_tests", QStringLiteral("--gtest_filter=") + filter});
    if (!child.waitForFinished(60000))
        return "the child did not finish";
    const QString out = QString::fromLocal8Bit(child.readAll());
    const bool passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                        out.contains(QStringLiteral("[  PASSED  ] %1 test").arg(tests));
    return passed ? QString() : out;
}

} // namespace

TEST(PlugIn, MissingPlugInsAreMessagesNotACrash)
{
    QTemporaryDir without;
    EXPECT_EQ(childFailures(without, "PlugInChild.*", 2), QString());
    // A plug-in that cannot be loaded (damaged, or its libraries missing).
    QTemporaryDir broken;
    QFile plugIn(broken.filePath("liblumivex_magick.so"));
    ASSERT_TRUE(plugIn.open(QIODevice::WriteOnly));
    plugIn.write("not a library");
    plugIn.close();
    EXPECT_EQ(childFailures(broken, "PlugInChild.*ImageMagick*", 1), QString());
}

// Run only by the test below, in a process of its own with the ImageMagick
// plug-in beside it.
TEST(MagickUnloadedChild, DISABLED_PicturesQtReadsNeverLoadImageMagick)
{
    ASSERT_FALSE(magickLoaded());
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("photo.jpg");
    ASSERT_TRUE(samples::pattern(64, 48).save(jpeg));
    Lead lead;
    ASSERT_EQ(lead.Load(jpeg), 0);
    EXPECT_EQ(lead.Size(128, 96, 2), 0) << "a new size";
    EXPECT_EQ(lead.Bitmap().size(), QSize(128, 96));
    QImage picture = samples::pattern(64, 48);
    EXPECT_EQ(effects::rotate(picture, 9000, 0), 0) << "a quarter turn";
    EXPECT_EQ(picture.size(), QSize(48, 64));
    // Create Video: the size of the first picture, its frames.
    EXPECT_TRUE(withinImagingLimits(64, 48));
    EXPECT_EQ(StillPicture::sizeOf(jpeg), QSize(64, 48));
    EXPECT_FALSE(StillPicture::read(jpeg, {32, 24}).isNull());
    EXPECT_FALSE(magickLoaded());
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("liblumivex_magick"));
}

TEST(PlugIn, PicturesQtReadsNeverLoadImageMagick)
{
    ASSERT_TRUE(QFile::exists(QCoreApplication::applicationDirPath() + "/liblumivex_magick.so"));
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=MagickUnloadedChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << qPrintable(out);
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << qPrintable(out);
}
