#include "SaneConfig.h"
#include "ViewerFixture.h"

#include "editor/NewSize1.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/shell/ShellList.h"

#include <Magick++.h>
#ifdef Intensity
#undef Intensity
#endif

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QCheckBox>
#include <QDialog>
#include <QTest>
#include <QTimer>

using viewertest::Viewer;
using viewertest::waitFor;
using namespace platform;

namespace {

FileAnswer saveAs(const QString& name)
{
    FileAnswer a;
    a.accepted = true;
    a.fileName = name;
    return a;
}

FileAnswer imageFile(const QString& name, int format = 0, int page = 1, int bits = 0)
{
    FileAnswer a = saveAs(name);
    a.pageNumber = page;
    a.saveFormat = format;
    a.saveBitsPerPixel = bits;
    a.saveQFactor = 5;
    return a;
}

QSize sizeOf(const QString& path)
{
    PictureData d;
    return readPicture(path, 1, 1, &d) == 0 ? d.frames.first().size() : QSize();
}

// Answers the new-size dialog once it is up.
void answerNewSize(const std::function<void(NewSize1&)>& fill)
{
    QTimer::singleShot(0, [fill] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<NewSize1*>(w); d && d->isVisible()) {
                fill(*d);
                return;
            }
    });
}

} // namespace

TEST_F(Viewer, SaveAsWritesTheShownPictureInItsOwnFormat)
{
    const QString cat = picture(QStringLiteral("pics/cat.jpg"), 120, 80);
    w->DisplayFile(cat);
    w->fPictureChanged = true;
    const QString out = file(QStringLiteral("out/cat.png"));
    QDir().mkpath(QFileInfo(out).absolutePath());
    gs.nJpegQuality = 5;
    dialogs->service.fileAnswers << saveAs(out);
    EXPECT_TRUE(w->SaveFileAs(cat));
    ASSERT_EQ(dialogs->service.fileRequests.size(), 1);
    const FileRequest& r = dialogs->service.fileRequests.first();
    EXPECT_EQ(r.title, "Enter New File Name for - " + cat);
    EXPECT_EQ(r.filter, "*.JPG|*.JPG");
    EXPECT_TRUE(samples::readBytes(out).startsWith("\xFF\xD8")) << "JPEG, whatever name was typed";
    EXPECT_EQ(sizeOf(out), QSize(120, 80));
    EXPECT_FALSE(w->fPictureChanged);
    // The compression factor: a larger factor, a smaller file.
    gs.nJpegQuality = 95;
    const QString small = file(QStringLiteral("out/small.jpg"));
    dialogs->service.fileAnswers << saveAs(small);
    EXPECT_TRUE(w->SaveFileAs(cat));
    EXPECT_LT(QFileInfo(small).size(), QFileInfo(out).size());
    // The next save starts in the folder of the last one.
    w->SaveFileAs(cat);
    EXPECT_EQ(dialogs->service.fileRequests.last().folder, QFileInfo(out).absolutePath());

    // Cancel and failure keep the changed flag.
    w->fPictureChanged = true;
    EXPECT_FALSE(w->SaveFileAs(cat));
    EXPECT_TRUE(w->fPictureChanged);
    const QString nowhere = file(QStringLiteral("no/such/folder/x.jpg"));
    dialogs->service.fileAnswers << saveAs(nowhere);
    EXPECT_FALSE(w->SaveFileAs(cat));
    EXPECT_EQ(texts().last(), "Error Saving File - " + nowhere);
    EXPECT_TRUE(w->fPictureChanged);
}

TEST_F(Viewer, SaveAsKeepsTheFormatOfJpegAndPbmFiles)
{
    const QString pbm = file(QStringLiteral("mono.pbm"));
    ASSERT_TRUE(samples::writeQt(pbm, samples::pattern(40, 30), "pbm"));
    const std::pair<QString, QByteArray> cases[] = {{picture(QStringLiteral("photo.jpeg"), 40, 30), "\xFF\xD8"},
                                                    {pbm, "P4"}}; // a portable bitmap, not a PNG
    for (const auto& [source, magic] : cases) {
        w->DisplayFile(source);
        const QString out = file(QStringLiteral("copy.") + QFileInfo(source).suffix());
        dialogs->service.fileAnswers << saveAs(out);
        ASSERT_TRUE(w->SaveFileAs(source));
        EXPECT_TRUE(samples::readBytes(out).startsWith(magic)) << out.toStdString();
        EXPECT_EQ(sizeOf(out), QSize(40, 30));
    }
}

TEST_F(Viewer, SaveAsOfAFileNotOnShowReadsItFromDisk)
{
    const QString shown = picture(QStringLiteral("shown.jpg"), 200, 100);
    const QString other = picture(QStringLiteral("other.png"), 30, 60);
    w->DisplayFile(shown);
    w->fPictureChanged = true;
    const QString out = file(QStringLiteral("copy.png"));
    dialogs->service.fileAnswers << saveAs(out);
    ASSERT_TRUE(w->SaveFileAs(other));
    EXPECT_EQ(sizeOf(out), QSize(30, 60)) << "the selected file, not the picture on show";
    EXPECT_TRUE(w->fPictureChanged) << "the picture on show is still not saved";
    EXPECT_EQ(w->Image1->BitmapWidth(), 200);
}

TEST_F(Viewer, SaveAsOfOtherFilesCopiesThem)
{
    const QString song = file(QStringLiteral("music/song.mp3"));
    const QByteArray bytes = QByteArray(2500, '\x31') + QByteArray(2500, '\xC7');
    samples::writeBytes(song, bytes);
    const QString copy = file(QStringLiteral("song copy.mp3"));
    dialogs->service.fileAnswers << saveAs(copy);
    ASSERT_TRUE(w->SaveFileAs(song));
    EXPECT_EQ(dialogs->service.fileRequests.last().filter, "*.MP3|*.MP3");
    EXPECT_EQ(samples::readBytes(copy), bytes);

    // Onto itself, however it is spelled: refused, the file intact.
    const QString link = file(QStringLiteral("link.mp3"));
    ASSERT_TRUE(QFile::link(song, link));
    for (const QString& same : {song, file(QStringLiteral("music/./song.mp3")), link}) {
        dialogs->service.fileAnswers << saveAs(same);
        EXPECT_FALSE(w->SaveFileAs(song));
        EXPECT_EQ(texts().last(), "Cannot Replace Same File if not a Picture - " + same);
        EXPECT_EQ(samples::readBytes(song), bytes);
    }
}

TEST_F(Viewer, ConvertWritesTheChosenFormatAndLeavesTheViewAlone)
{
    const QString boat = picture(QStringLiteral("pics/boat.jpg"), 90, 70);
    const QString shown = picture(QStringLiteral("shown.png"), 33, 44);
    w->DisplayFile(shown);
    gs.cCurrentFile = boat;
    const QString outDir = file(QStringLiteral("out"));
    QDir().mkpath(outDir);
    dialogs->service.fileAnswers << imageFile(boat) << imageFile(outDir + QStringLiteral("/boat.png"), fmt::Png);
    w->ConvertFile(boat);
    ASSERT_EQ(dialogs->service.fileRequests.size(), 2);
    EXPECT_EQ(dialogs->service.fileRequests.at(0).title, "Convert From..." + boat);
    const FileRequest& to = dialogs->service.fileRequests.at(1);
    EXPECT_EQ(to.fileName, "boat") << "the source without its extension";
    EXPECT_EQ(to.folder, QFileInfo(boat).absolutePath());
    EXPECT_EQ(to.saveFormat, fmt::Jpeg) << "the source's own format offered";
    EXPECT_TRUE(samples::readBytes(outDir + "/boat.png").startsWith("\x89PNG"));
    EXPECT_EQ(sizeOf(outDir + "/boat.png"), QSize(90, 70));
    EXPECT_EQ(w->Image1->BitmapWidth(), 33) << "the view is not touched";

    // The next conversion starts in the last target's folder; a name without
    // extension gets the format's.
    dialogs->service.fileAnswers << imageFile(boat) << imageFile(outDir + QStringLiteral("/plain"), fmt::Bmp);
    w->ConvertFile(boat);
    EXPECT_EQ(dialogs->service.fileRequests.last().folder, outDir);
    EXPECT_TRUE(samples::readBytes(outDir + "/plain.BMP").startsWith("BM"));

    // A GIF target: the LZW message, exactly.
    dialogs->service.fileAnswers << imageFile(boat) << imageFile(outDir + QStringLiteral("/boat.gif"), fmt::Gif);
    w->ConvertFile(boat);
    EXPECT_EQ(texts().last(),
              "GIF/TIFF - LZW Format not Supported - Pay for the Program and I'll Pay the Royalties!");
    EXPECT_FALSE(QFileInfo::exists(outDir + "/boat.gif"));

    // A source that cannot be read is reported; the target stays as it was.
    const QString broken = file(QStringLiteral("broken.tif"));
    samples::writeBytes(broken, QByteArray(500, 'z'));
    const QString keep = outDir + QStringLiteral("/keep.png");
    samples::writeBytes(keep, "keep");
    dialogs->service.messages.clear();
    dialogs->service.fileAnswers << imageFile(broken) << imageFile(keep, fmt::Png);
    w->ConvertFile(broken);
    EXPECT_EQ(texts(), QStringList{"Error Occurred for File - " + broken + " during Conversion"});
    EXPECT_EQ(samples::readBytes(keep), QByteArray("keep"));

    // A cancelled dialog ends the command without a word.
    dialogs->service.messages.clear();
    dialogs->service.fileAnswers << imageFile(boat); // then the target dialog is cancelled
    w->ConvertFile(boat);
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(Viewer, OpenThroughTheImagingDialog)
{
    const QString tif = file(QStringLiteral("pages.tif"));
    ASSERT_TRUE(samples::writeMagick(tif, {samples::pattern(10, 10), samples::pattern(20, 20)}, "TIFF"));
    w->setFileListFolder(program->path());
    dialogs->service.fileAnswers << imageFile(tif, 0, 2);
    w->OpenFileRoutine();
    const FileRequest& r = dialogs->service.fileRequests.last();
    EXPECT_EQ(r.folder, program->path());
    EXPECT_EQ(r.filter.count('|'), 36 * 2 - 1);
    EXPECT_EQ(gs.nPicturePage, 2);
    EXPECT_EQ(w->Image1->BitmapWidth(), 20) << "page 2 on show";
    EXPECT_EQ(gs.cCurrentFile, tif);
}

TEST_F(Viewer, CloseFileOffersToSaveAndForgetsThePicture)
{
    const QString a = picture(QStringLiteral("a.jpg")), b = picture(QStringLiteral("b.jpg"));
    w->DisplayFile(a);
    w->DisplayFile(b);
    w->TabStrip1->setCurrentIndex(0);
    w->CloseCurrentFile();
    EXPECT_TRUE(w->Image1->HasBitmap()) << "only on the Pictures tab";
    w->TabStrip1->setCurrentIndex(2);
    w->fPictureChanged = true;
    w->CloseCurrentFile();
    EXPECT_EQ(texts(), QStringList{"Do you want to Save the Current Picture - " + b + " ? "});
    EXPECT_FALSE(w->Image1->HasBitmap());
    EXPECT_EQ(list3(), QStringList{a});
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_FALSE(w->fTwainPicture);
    EXPECT_FALSE(gs.fInternetPicture);
    EXPECT_EQ(gs.cCurrentPicture, b);
}

TEST_F(Viewer, RedEyeFillsTheMarkedEllipse)
{
    QImage white(100, 80, QImage::Format_RGB32);
    white.fill(Qt::white);
    const QString path = file(QStringLiteral("eye.png"));
    ASSERT_TRUE(samples::writeQt(path, white, "png"));
    w->DisplayFile(path);
    // A click without the command does nothing.
    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_TRUE(texts().isEmpty());

    w->StartRedEyeRemoval();
    QTest::mousePress(w->Image1, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(w->Image1, QPoint(60, 50));
    QTest::mouseRelease(w->Image1, Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_TRUE(w->fRedEyeArmed) << "dragging does not end the marking";
    dialogs->service.colorAnswers << QColor(Qt::black);
    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(40, 35));
    EXPECT_EQ(QColor(w->Image1->Bitmap().pixel(40, 35)), QColor(Qt::black));
    EXPECT_EQ(QColor(w->Image1->Bitmap().pixel(90, 70)), QColor(Qt::white));
    EXPECT_TRUE(w->fPictureChanged);
    EXPECT_FALSE(w->fRedEyeArmed);
    EXPECT_FALSE(w->Image1->HasRgn());

    // Cancel in the colour dialog: the message once, the marking ends.
    w->fPictureChanged = false;
    w->StartRedEyeRemoval();
    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(40, 35));
    EXPECT_EQ(texts(), QStringList{" 32755 - Cancel was selected."});
    EXPECT_FALSE(w->fRedEyeArmed);
    EXPECT_TRUE(w->fPictureChanged);
}

TEST_F(Viewer, BrightnessAndContrastChangeThePicture)
{
    QImage grey(40, 40, QImage::Format_RGB32);
    grey.fill(QColor(100, 100, 100));
    const QString path = file(QStringLiteral("grey.png"));
    ASSERT_TRUE(samples::writeQt(path, grey, "png"));
    // Without a picture: the failure box.
    w->ChangeBrightness();
    EXPECT_EQ(texts(), QStringList{"LEADDlg1 20002\rInvalid bitmap handle"});
    dialogs->service.messages.clear();

    w->DisplayFile(path);
    dialogs->service.changeAnswers << 500;
    w->ChangeBrightness();
    ASSERT_EQ(dialogs->service.changeRequests.size(), 1);
    EXPECT_EQ(dialogs->service.changeRequests.first().kind, 0);
    EXPECT_EQ(qRed(w->Image1->Bitmap().pixel(5, 5)), 150);
    EXPECT_TRUE(w->fPictureChanged);

    dialogs->service.changeAnswers << 500;
    w->ChangeContrast();
    EXPECT_EQ(dialogs->service.changeRequests.last().kind, 1);
    EXPECT_GT(qRed(w->Image1->Bitmap().pixel(5, 5)), 150);

    // Cancel changes nothing and leaves the flag.
    w->fPictureChanged = false;
    const QImage before = w->Image1->Bitmap();
    w->ChangeBrightness();
    EXPECT_EQ(w->Image1->Bitmap(), before);
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(Viewer, ResizeAsksTheNewSize)
{
    w->DisplayFile(picture(QStringLiteral("big.png"), 400, 300));
    answerNewSize([](NewSize1& d) {
        d.TxtWidth1->setText(QStringLiteral("200"));
        d.OKBtn_Click();
    });
    w->ResizePicture();
    EXPECT_EQ(w->Image1->Bitmap().size(), QSize(200, 150));
    EXPECT_TRUE(w->fPictureChanged);

    // Resampled, without the proportion.
    answerNewSize([](NewSize1& d) {
        d.CHKASPECT->setChecked(false);
        d.CHKRESAMPLE->setChecked(true);
        d.SCWeight1->setValue(50);
        d.SCHeight1->setValue(77);
        d.OKBtn_Click();
    });
    w->ResizePicture();
    EXPECT_EQ(w->Image1->Bitmap().size(), QSize(50, 77));

    // With a marked region the answer is not applied.
    ASSERT_EQ(w->Image1->SetRgnEllipse(QRect(0, 0, 20, 20)), 0);
    answerNewSize([](NewSize1& d) {
        EXPECT_EQ(d.SCWeight1->value(), 20);
        d.OKBtn_Click();
    });
    w->ResizePicture();
    EXPECT_EQ(w->Image1->BitmapWidth(), 50);
}

TEST_F(Viewer, AResizePastImageMagicksLimitsIsReportedAndLeavesThePicture)
{
    w->DisplayFile(picture(QStringLiteral("wide.png"), 400, 300));
    const QImage before = w->Image1->Bitmap();
    ensureMagick();
    const auto oldWidth = Magick::ResourceLimits::width();
    Magick::ResourceLimits::width(1000);
    answerNewSize([](NewSize1& d) {
        d.TxtWidth1->setText(QStringLiteral("1200"));
        d.OKBtn_Click();
    });
    w->ResizePicture();
    Magick::ResourceLimits::width(oldWidth);
    EXPECT_EQ(texts(), QStringList{"Image1 20001\rNot enough memory available"});
    EXPECT_EQ(w->Image1->Bitmap(), before);
    EXPECT_FALSE(w->fPictureChanged);
}

TEST_F(Viewer, DeleteMovesTheFileToTheTrash)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    const QString victim = home.path() + QStringLiteral("/pics/victim.jpg");
    samples::writeQt(victim, samples::pattern(10, 10), "jpeg");

    gs.cCurrentFile = victim;
    w->DeleteCurrentFile(); // the question answered No
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_EQ(texts(), QStringList{"Are you sure you want to send - " + victim + " - to the Trash?"});

    w->setFileListFolder(QFileInfo(victim).absolutePath());
    w->PTxShList1->setFilter(QStringLiteral("*.*"));
    ASSERT_TRUE(w->SelectFileListItem(victim));
    dialogs->service.answers << Answer::Yes;
    w->DeleteCurrentFile();
    EXPECT_FALSE(w->SelectFileListItem(victim)) << "the file list was read again";
    EXPECT_TRUE(QFileInfo::exists(home.path() + QStringLiteral("/data/Trash/files/victim.jpg")));
    const QString info = home.path() + QStringLiteral("/data/Trash/info/victim.jpg.trashinfo");
    EXPECT_TRUE(samples::readBytes(info).contains("Path="));

    // Only an absolute path to a file that is there.
    dialogs->service.messages.clear();
    gs.cCurrentFile = QStringLiteral("victim.jpg");
    w->DeleteCurrentFile();
    EXPECT_EQ(texts(), QStringList{"File not Found - victim.jpg"});

    // A move the system refuses is reported.
    const QString second = home.path() + QStringLiteral("/pics/second.jpg");
    samples::writeQt(second, samples::pattern(10, 10), "jpeg");
    QDir(home.path() + QStringLiteral("/data/Trash")).removeRecursively();
    samples::writeBytes(home.path() + QStringLiteral("/data/Trash"), "not a folder");
    dialogs->service.messages.clear();
    dialogs->service.answers << Answer::Yes;
    gs.cCurrentFile = second;
    w->DeleteCurrentFile();
    EXPECT_EQ(texts().last(), "Error Deleting File - " + second);
    EXPECT_TRUE(QFileInfo::exists(second)) << "the file stays where it was";

    qputenv("HOME", oldHome);
    qputenv("XDG_DATA_HOME", oldData);
}

using testsupport::SaneConfig;

TEST_F(Viewer, AcquiringAPictureFromTheTestScanner)
{
    {
        SaneConfig none("# no backends\n");
        w->TwainAcquirePicture();
        ASSERT_EQ(dialogs->service.messages.size(), 1);
        EXPECT_EQ(dialogs->service.messages.first().title, "File Information Error");
        EXPECT_EQ(dialogs->service.messages.first().text, "Error '20082, Twain no Data Source' was generated.");
        EXPECT_FALSE(w->fTwainPicture);
    }
    dialogs->service.messages.clear();
    SaneConfig config("test\n");
    w->TabStrip1->setCurrentIndex(0);
    w->TwainAcquirePicture();
    if (!texts().isEmpty())
        GTEST_SKIP() << "SANE's test backend is not installed: " << texts().first().toStdString();
    const QString source = w->Image1->TwainSourceName();
    EXPECT_EQ(source, "Noname frontend-tester");
    EXPECT_EQ(w->windowTitle(), source);
    EXPECT_EQ(w->TabStrip1->currentIndex(), 2);
    EXPECT_TRUE(w->Image1->isVisible() && w->Image1->HasBitmap());
    EXPECT_TRUE(w->fTwainPicture);

    // The next load offers to save the scan.
    w->DisplayFile(picture(QStringLiteral("next.jpg")));
    EXPECT_EQ(texts(), QStringList{"Do you want to Save the Current Picture - " + source + " ? "});
}
