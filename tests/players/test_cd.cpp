// The CD device over libcdio, on a disc image the test writes, and without
// any drive at all.
#include "ScriptedDialogs.h"
#include "Fakes.h"

#include "platform/devices/CdDevice.h"
#include "platform/devices/MciControl.h"

#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

constexpr int kSector = 2352;

// A three-track audio disc image: 2 s, 2 s and 1 s; every sample of track t
// holds the value t * 1000.
QString makeDiscImage(const QTemporaryDir& dir)
{
    const int sectors[] = {150, 150, 75};
    QByteArray bin;
    for (int t = 0; t < 3; ++t) {
        QByteArray sector(kSector, '\0');
        for (int i = 0; i < kSector / 2; ++i)
            qToLittleEndian<qint16>(qint16((t + 1) * 1000), sector.data() + 2 * i);
        for (int s = 0; s < sectors[t]; ++s)
            bin += sector;
    }
    QFile b(dir.filePath("disc.bin"));
    b.open(QIODevice::WriteOnly);
    b.write(bin);
    b.close();
    const QByteArray cue = "FILE \"disc.bin\" BINARY\n"
                           "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                           "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n"
                           "  TRACK 03 AUDIO\n    INDEX 01 00:04:00\n";
    QFile c(dir.filePath("disc.cue"));
    c.open(QIODevice::WriteOnly);
    c.write(cue);
    return c.fileName();
}

} // namespace

TEST(CdDevice, ReadsTheTracksOfADiscImage)
{
    QTemporaryDir dir;
    const QString cue = makeDiscImage(dir);
    QString why;
    auto disc = platform::CdDisc::open(cue, &why);
    ASSERT_TRUE(disc) << why.toStdString();
    ASSERT_EQ(disc->tracks().size(), 3);
    EXPECT_EQ(disc->tracks()[1].firstSector - disc->tracks()[0].firstSector, 150);
    EXPECT_EQ(disc->tracks()[2].lengthMs(), 1000);
    QByteArray audio;
    ASSERT_TRUE(disc->readAudio(disc->tracks()[2].firstSector, 2, &audio));
    ASSERT_EQ(audio.size(), 2 * kSector);
    EXPECT_EQ(qFromLittleEndian<qint16>(audio.constData() + audio.size() - 2), 3000);

    // The multimedia control on the same image: open, two steps on, play.
    platform::MMControl mci;
    mci.DeviceType = "CDAudio";
    mci.FileName = cue;
    EXPECT_TRUE(mci.setCommand("Open")) << mci.ErrorMessage().toStdString();
    EXPECT_TRUE(mci.setCommand("Next"));
    EXPECT_TRUE(mci.setCommand("Next"));
    EXPECT_EQ(mci.Length(), 1000);
    const bool played = mci.setCommand("Play");
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        EXPECT_FALSE(played);
        EXPECT_EQ(mci.ErrorMessage(), "No sound device is available to play the CD");
    }
    EXPECT_TRUE(mci.setCommand("Stop"));
    EXPECT_TRUE(mci.setCommand("Close"));
    EXPECT_FALSE(mci.setCommand("Rewind"));
    EXPECT_EQ(mci.ErrorMessage(), "Unknown command - Rewind");
}

TEST(CdDevice, WithoutADriveEveryCommandIsRefusedQuietly)
{
    QTemporaryDir dir;
    platform::MMControl mci;
    mci.DeviceType = "CDAudio";
    mci.FileName = dir.filePath("no-such-drive");
    EXPECT_FALSE(mci.setCommand("Open"));
    EXPECT_EQ(mci.ErrorMessage(), "No CD drive was found");
    EXPECT_FALSE(mci.setCommand("Play"));
}

TEST(CdDevice, TheMainWindowPlaysATrackOfTheRealDeviceWithoutCrashing)
{
    // The real device: a CD track with no drive (or no disc) plays nothing,
    // reports nothing and the window goes on.
    platform::ScopedDialogs dialogs;
    testsupport::ProgramFolder folder;
    Lumivex1 w{QStringList()};
    dialogs->messages.clear();
    const QString track = folder.file("Track02.cda");
    testsupport::writeFile(track, "");
    w.LoadMediaFile(track);
    EXPECT_TRUE(w.fMciOpen);
    EXPECT_TRUE(dialogs->messages.isEmpty());
    w.StopMci();
    EXPECT_FALSE(w.fMciOpen);
}
