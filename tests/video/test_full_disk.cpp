// The video writers on a full disk, through their windows: Create Video's
// AVI and TIFF and the join each keep the old file and say that the disk is
// full, as every other writer of the program does ("Error: 61 - Disk full").
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "VideoMedia.h"

#include "platform/controls/Dialogs.h"
#include "platform/media/MediaConverter.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "video/CreatAn1.h"
#include "video/VidJoin1.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace videotest;

namespace {

const QString kDiskFull = QStringLiteral("Error: 61 - Disk full");

// A photo-like picture that does not compress: its video fills FFmpeg's
// write buffer many times over, so the disk is met while frames are written.
bool writeNoise(const QString& path, quint32 seed)
{
    QImage img(640, 480, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, random.generate() | 0xFF000000u);
    return img.save(path, "BMP");
}

void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

platform::FileAnswer chosen(const QString& path)
{
    platform::FileAnswer a;
    a.accepted = true;
    a.fileName = path;
    return a;
}

} // namespace

TEST(FullDisk, CreateVideoAndTheJoinKeepTheOldFilesAndSayTheDiskIsFull)
{
    tables::fillExtensionTable();
    gs.nPicturePage = 1;
    gs.nJpegQuality = 9;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList pictures;
    for (quint32 i = 0; i < 4; ++i) {
        pictures << dir.filePath(QStringLiteral("photo%1.bmp").arg(i));
        ASSERT_TRUE(writeNoise(pictures.last(), i + 1));
    }
    const QString clip = dir.filePath("clip.avi"); // a second of uncompressed sound and moving pictures
    ASSERT_TRUE(makeVideo(clip, {.seconds = 2, .width = 320, .height = 240}));
    testsupport::FullDisk disk(dir.filePath("disk"));
    const QString avi = dir.filePath("disk/movie.avi"), tiff = dir.filePath("disk/anim.Tiff");
    const QString joined = dir.filePath("disk/J.avi");
    for (const QString& old : {avi, tiff, joined})
        testsupport::writeFile(old, "OLD");

    platform::ScopedDialogs dialogs;
    QPointer<CreatAn1> maker = new CreatAn1({pictures, [&] { return dir.path(); }, [] {}});
    maker->show();
    maker->Text1->setText("2");
    click(maker->OKBtn); // the preview's frames are what the TIFF holds
    disk.fill();
    // Yes to replace the TIFF, OK to its failure, Yes to replace the AVI.
    dialogs->answers << platform::Answer::Yes << platform::Answer::Ok << platform::Answer::Yes;
    dialogs->fileAnswers << chosen(tiff) << chosen(avi);
    click(maker->SaveAVIBtn);
    QSignalSpy written(maker.data(), &CreatAn1::videoWritten);
    click(maker->SaveAVIBtn);
    ASSERT_TRUE(written.wait(60000)) << dialogs->texts().join(" | ").toStdString();
    delete maker.data();

    auto* join = new VidJoin1;
    join->show();
    ASSERT_TRUE(testsupport::dropFiles(join->List1->viewport(), join->List1->viewport()->rect().center(),
                                       {clip, clip, clip}));
    join->Text1->setText(joined);
    click(join->OKBtn);
    ASSERT_TRUE(join->ltmmConvertCtrl2->waitForFinished(60000));
    delete join;
    disk.release();

    const QStringList texts = dialogs->texts();
    ASSERT_EQ(texts.size(), 5) << texts.join(" | ").toStdString();
    EXPECT_EQ(texts[0], "Do you want to Replace the Picture - " + tiff + " ? ");
    EXPECT_EQ(texts[1], "The file could not be created - " + tiff + "\nError writing file - " + kDiskFull);
    EXPECT_EQ(texts[2], "Do you want to Replace the Picture - " + avi + " ? ");
    EXPECT_EQ(texts[3], "The video file could not be created - " + avi + "\nCannot write the file - " + kDiskFull);
    EXPECT_EQ(texts[4], "Error starting conversion\nCannot write the file - " + kDiskFull);
    for (const QString& old : {avi, tiff, joined})
        EXPECT_EQ(testsupport::readFile(old), "OLD") << old.toStdString();
    EXPECT_EQ(folderEntries(dir.filePath("disk")), QStringList({"J.avi", "anim.Tiff", "movie.avi"}))
        << "no temporary file is left behind";
}
