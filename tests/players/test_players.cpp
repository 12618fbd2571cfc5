// The video and music players of the main window: loading, transport,
// loops, sliders, marks, the music list's delete button and the clip saves.
#include "viewers/PlayerPanel.h"
#include "Fakes.h"
#include "MediaFixtures.h"

#include "platform/devices/MciControl.h"
#include "platform/media/MediaConverter.h"
#include "shared/SharedState.h"

#include <QCheckBox>
#include <QFile>
#include <QSlider>
#include <QTabWidget>
#include "platform/controls/WashControls.h"
#include <gtest/gtest.h>

namespace {

bool shown(QWidget* w) { return !w->isHidden(); }

} // namespace

TEST(Players, VideoAndMusicFilesGoToTheirOwnTabAndPlayer)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    const QString avi = f.file("clip.avi");
    const QString wav = f.file("song.wav");

    ASSERT_TRUE(gs.fAutoVideo && gs.fAutoMusic);
    w.LoadMediaFile(avi);
    EXPECT_EQ(w.TabStrip1->currentIndex(), 0);
    EXPECT_EQ(f.video().source, QUrl::fromLocalFile(avi));
    EXPECT_TRUE(f.video().playing);
    EXPECT_TRUE(f.mci.isEmpty()) << "a video leaves the CD device alone";

    w.LoadMediaFile(wav);
    EXPECT_EQ(w.TabStrip1->currentIndex(), 1);
    EXPECT_EQ(gs.cPlayerMode, "1");
    EXPECT_EQ(w.MediaPlayer2->SourceFile(), wav);
    EXPECT_TRUE(f.music().playing);
    EXPECT_TRUE(f.video().playing) << "a music file does not stop the video";
    EXPECT_EQ(f.mci, QStringList({"Stop", "Close"}));
    EXPECT_FALSE(shown(w.MMControl1));

    // With the automatic start off, the files are loaded but wait for Play.
    gs.fAutoVideo = gs.fAutoMusic = false;
    w.LoadMediaFile(f.file("other.avi"));
    w.LoadMediaFile(f.file("other.mp3"));
    EXPECT_FALSE(f.video().playing);
    EXPECT_FALSE(f.music().playing);
    w.video().PlayBtn->click();
    EXPECT_TRUE(f.video().playing);
    gs.fAutoVideo = gs.fAutoMusic = true;
}

TEST(Players, LoopMuteVolumeAndPosition)
{
    fakes::Window f;
    Lumivex1& w = *f.w;

    // The video loop: the option's value reaches the player with the file.
    w.nVideoPlayCount = 0;
    w.LoadMediaFile(f.file("a.avi"));
    EXPECT_EQ(f.video().loops, -1);
    w.video().ExtraBtn->click(); // released: play once
    EXPECT_EQ(f.video().loops, 1);
    w.CHKMUSICLOOP->setChecked(true);
    EXPECT_EQ(f.music().loops, -1);
    w.CHKMUSICLOOP->setChecked(false);
    EXPECT_EQ(f.music().loops, 1);

    w.video().MuteBtn->click();
    EXPECT_TRUE(f.video().muted);
    w.music().MuteBtn->click();
    EXPECT_TRUE(f.music().muted);
    w.video().Volume->setValue(30);
    EXPECT_FLOAT_EQ(f.video().volume, 0.3f);

    // The slider follows playback over the whole length of the file.
    f.video().dur = 40000;
    f.video().calls.clear();
    f.video().reach(10000);
    EXPECT_EQ(w.video().Position->value(), 2500);
    f.video().reach(20002); // 5000.5: halves to the even number
    EXPECT_EQ(w.video().Position->value(), 5000);
    EXPECT_TRUE(f.video().calls.isEmpty()) << "following playback must not seek";
    // Moving it seeks.
    w.video().Position->setValue(7500);
    EXPECT_EQ(f.video().pos, 30000);
    f.music().dur = 10000;
    w.music().LastBtn->click();
    EXPECT_EQ(f.music().pos, 10000);
}

TEST(Players, SelectionMarksReportTheirErrors)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    w.video().StartMarkBtn->click(); // nothing loaded
    EXPECT_EQ(f.dialogs->texts(), QStringList{"No media file is loaded Error code =  5."});

    w.LoadMediaFile(f.file("a.mp3"));
    f.music().dur = 60000;
    f.music().reach(5000);
    w.music().StartMarkBtn->click();
    f.music().reach(2000);
    w.music().EndMarkBtn->click(); // before the start mark
    ASSERT_EQ(f.dialogs->messages.size(), 2);
    EXPECT_EQ(f.dialogs->messages[1].text, "The end of the marked part must come after its start Error code =  5.");
    EXPECT_DOUBLE_EQ(w.MediaPlayer2->SelectionStart(), 5.0);
    EXPECT_DOUBLE_EQ(w.MediaPlayer2->SelectionEnd(), 60.0) << "unmarked end: the whole file";
}

TEST(Players, CdTracksAndVideoCdFilesDriveTheCdDevice)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    const QString cdFolder = f.file("cd");
    const QString track1 = cdFolder + "/Track01.cda";
    const QString track3 = cdFolder + "/Track03.cda";
    testsupport::writeFile(track1, "");
    testsupport::writeFile(track3, "");

    // The selected item of the file list gives the track's place.
    Lumivex1::FileListItem selected{track3, 2};
    w.selectedFileListItem = [&] { return selected; };
    gs.cCurrentExt = "CDA";
    w.LoadMediaFile(track3);
    EXPECT_EQ(f.mci, QStringList({"Stop", "Close", "Close", "Close", "Open CDAudio", "Next", "Next", "Play"}));
    EXPECT_TRUE(w.fMciOpen);
    EXPECT_EQ(w.TabStrip1->currentIndex(), 1);

    f.mci.clear();
    selected = {track1, 0};
    w.LoadMediaFile(track1);
    EXPECT_EQ(f.mci, QStringList({"Stop", "Close", "Close", "Close", "Open CDAudio", "Play"}));

    // The CD's position reaches the music slider.
    f.mci.clear();
    w.MMControl1_StatusUpdate();
    EXPECT_EQ(w.music().Position->value(), 2500);

    // A video CD file: closed twice, played, device type set; then the player.
    gs.cCurrentExt = "DAT";
    w.LoadMediaFile(f.file("AVSEQ01.DAT"));
    EXPECT_EQ(f.mci, QStringList({"Stop", "Close", "Close", "Close", "Play"}));

    w.StopMci();
    EXPECT_FALSE(w.fMciOpen);
}

TEST(Players, CdTrackNumberComesFromTheFileWhenItIsNotTheSelection)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    // A Windows CD track file that says: track 4.
    QByteArray cda("RIFF\x24\0\0\0CDDAfmt \x18\0\0\0\x01\0\x04\0", 24);
    cda += QByteArray(20, '\0');
    const QString file = f.file("disc/anything.cda");
    testsupport::writeFile(file, cda);
    EXPECT_EQ(platform::readCdaTrackNumber(file), 4);

    // The file list shows another file selected (a play list opened this one).
    w.selectedFileListItem = [&] { return Lumivex1::FileListItem{f.file("disc/Track01.cda"), 0}; };
    w.PlayMciFile(file);
    EXPECT_EQ(f.mci.count("Next"), 3);

    // No file list at all, and a track file that holds nothing: its name.
    f.mci.clear();
    w.selectedFileListItem = nullptr;
    testsupport::writeFile(f.file("disc/Track 02.cda"), "");
    w.PlayMciFile(f.file("disc/Track 02.cda"));
    EXPECT_EQ(f.mci.count("Next"), 1);
}

// ---------------------------------------------------------------- clip saves

namespace {

class ClipSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        wav = f.file("tone.wav");
        ASSERT_TRUE(fixtures::makeTone(wav, 10.0));
        w().LoadMediaFile(wav);
        f.music().dur = 10000;
        f.music().reach(2000);
        w().music().StartMarkBtn->click();
        f.music().reach(5000);
        w().music().EndMarkBtn->click();
        ASSERT_TRUE(f.dialogs->messages.isEmpty());
    }
    Lumivex1& w() { return *f.w; }
    void save(const QString& target)
    {
        f.dialogs->fileAnswers = {platform::FileAnswer{true, target, 1}};
        w().SaveMusicClip();
    }
    bool finished() { return w().MediaConvert1->waitForFinished(60000); }

    fakes::Window f;
    QString wav;
};

} // namespace

TEST_F(ClipSave, MarkedRangeOfTheMusicIsSaved)
{
    const QString clip = f.file("clip.wav");
    save(clip);
    ASSERT_EQ(f.dialogs->fileRequests.size(), 1);
    const platform::FileRequest& r = f.dialogs->fileRequests[0];
    EXPECT_EQ(r.title, "Enter File Name for - " + wav);
    EXPECT_EQ(r.folder, wav);
    EXPECT_EQ(r.fileName, "");
    EXPECT_EQ(r.filter, "WAV File|*.WAV|MID File|*.MID|WMA File|*.WMA|MP3 File|*.MP3|Audio Files|*.WAV;*.MID;*.WMA;*.MP3");
    ASSERT_TRUE(finished());
    EXPECT_TRUE(f.dialogs->messages.isEmpty());
    EXPECT_NEAR(fixtures::probe(clip).duration, 3.0, 0.1);
}

TEST_F(ClipSave, AnExistingTargetIsReplacedOnlyOnYes)
{
    const QString clip = f.file("old.wav");
    testsupport::writeFile(clip, "OLD");
    f.dialogs->answers = {platform::Answer::No};
    save(clip);
    ASSERT_EQ(f.dialogs->messages.size(), 1);
    EXPECT_EQ(f.dialogs->messages[0].text, "Do you want to Replace - " + clip + " ? ");
    EXPECT_EQ(f.dialogs->messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(w().MediaConvert1->State(), platform::MediaConverter::StateStopped);
    EXPECT_EQ(testsupport::readFile(clip), "OLD");

    f.dialogs->answers = {platform::Answer::Yes};
    save(clip);
    ASSERT_TRUE(finished());
    EXPECT_NEAR(fixtures::probe(clip).duration, 3.0, 0.1);
}

TEST_F(ClipSave, ThePlayingFileIsNeverTheTarget)
{
    const QByteArray before = testsupport::readFile(wav);
    save(wav);
    ASSERT_EQ(f.dialogs->messages.size(), 1);
    EXPECT_EQ(f.dialogs->messages[0].text, "Cannot Save a Clip over the File that is Playing - " + wav);
    EXPECT_EQ(w().MediaConvert1->State(), platform::MediaConverter::StateStopped);
    EXPECT_EQ(testsupport::readFile(wav), before);
}

TEST_F(ClipSave, AFailedConversionIsReportedWhenItEnds)
{
    const QString target = f.file("clip.mid"); // no writer for MIDI
    save(target);
    ASSERT_TRUE(finished());
    ASSERT_EQ(f.dialogs->messages.size(), 1);
    EXPECT_EQ(f.dialogs->messages[0].text,
              "Error Saving Clip - " + target + " - The file type cannot be written - clip.mid");
    EXPECT_EQ(f.dialogs->messages[0].title, kProgramTitle);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(ClipSave, OnAFullDiskTheOldFileStaysAndTheFailureIsReported)
{
    testsupport::FullDisk disk(f.file("disk"));
    const QString clip = f.file("disk/old.wav");
    testsupport::writeFile(clip, "OLD");
    disk.fill();
    f.dialogs->answers = {platform::Answer::Yes};
    save(clip);
    ASSERT_TRUE(finished());
    disk.release();
    ASSERT_EQ(f.dialogs->messages.size(), 2);
    EXPECT_TRUE(f.dialogs->messages[1].text.startsWith("Error Saving Clip - " + clip + " - "))
        << f.dialogs->messages[1].text.toStdString();
    EXPECT_EQ(testsupport::readFile(clip), "OLD");
    EXPECT_EQ(QDir(f.file("disk")).entryList(QDir::Files | QDir::Hidden), QStringList{"old.wav"})
        << "no temporary file is left behind";
}

TEST_F(ClipSave, AVideoClipOfAVideo)
{
    const QString avi = f.file("movie.avi");
    ASSERT_TRUE(fixtures::makeVideo(avi, 4.0));
    w().LoadMediaFile(avi);
    f.video().dur = 4000;
    f.video().reach(1000);
    w().video().StartMarkBtn->click();
    f.video().reach(3000);
    w().video().EndMarkBtn->click();
    f.dialogs->fileAnswers = {platform::FileAnswer{true, f.file("part.avi"), 1}};
    w().SaveVideoClip();
    ASSERT_TRUE(finished());
    const auto part = fixtures::probe(f.file("part.avi"));
    EXPECT_TRUE(part.hasVideo && part.hasAudio);
    EXPECT_GE(part.duration, 1.9);
    EXPECT_LE(part.duration, 3.0);
}
