// The video properties window on media files the tests make.
#include "VideoFixtures.h"

#include "platform/Dialogs.h"
#include "platform/MediaConverter.h"
#include "shared/SharedState.h"
#include "video/VidProp1.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace videotest;

namespace {

class Properties : public ::testing::Test {
protected:
    platform::ScopedDialogs dialogs;
    QTemporaryDir dir;
    QPointer<VidProp1> win;
    int released = 0;

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void SetUp() override { gs.fVidPropOpen = false; }
    void TearDown() override
    {
        if (win)
            delete win.data();
    }
    VidProp1* open(const QString& file)
    {
        if (win)
            delete win.data();
        win = new VidProp1({file, [this] {
                                ++released;
                                EXPECT_TRUE(gs.fBusy);
                            }});
        win->show();
        return win;
    }
    QStringList values() const
    {
        QStringList out;
        for (QLabel* l : win->Label2)
            out << l->text();
        return out;
    }
    QString clip()
    {
        EXPECT_TRUE(makeVideoWithPcm(path("clip.avi"), 1.0));
        return path("clip.avi");
    }
};

} // namespace

TEST_F(Properties, SoundAndPictureFactsOfAVideo)
{
    open(clip());
    EXPECT_TRUE(gs.fVidPropOpen);
    EXPECT_EQ(win->windowTitle(), "Properties for - " + path("clip.avi"));
    EXPECT_EQ(win->Label1[5]->text(), "Audio Format:");
    EXPECT_EQ(win->Label2[17]->text(), "0x1");
    EXPECT_EQ(win->Label2[5]->text(), "172.27 Kb/second");
    EXPECT_EQ(win->Label2[6]->text(), "44.10 kHz");
    EXPECT_EQ(win->Label2[7]->text(), "16 bit");
    EXPECT_EQ(win->Label2[8]->text(), "2");
    EXPECT_EQ(win->Label2[9]->text(), "0x34504D46") << "MPEG-4 pictures in an AVI file: FMP4";
    EXPECT_EQ(win->Label2[10]->text(), "320 pixels");
    EXPECT_EQ(win->Label2[11]->text(), "240 pixels");
    EXPECT_EQ(win->Label2[12]->text(), "1.00 seconds");
    EXPECT_EQ(win->Label2[13]->text(), "15");
    EXPECT_EQ(win->Label2[14]->text(), "15.00 frames/second");
    EXPECT_TRUE(win->Label2[15]->text().endsWith(" Kb/second"));
    EXPECT_TRUE(win->Label2[16]->text().endsWith(" bit"));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(win->Label2[i]->text().isEmpty()) << "no tags in this file";
    EXPECT_TRUE(dialogs->messages.isEmpty());

    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());
    EXPECT_FALSE(gs.fVidPropOpen);
    EXPECT_EQ(released, 1);
}

TEST_F(Properties, TagsComeFromTheFile)
{
    const QString source = clip();
    ASSERT_TRUE(copyWithTags(source, path("tagged.mkv"),
                             {{"title", "Harbour at Dawn"}, {"artist", "K. Maren"}, {"copyright", "2024 Maren"},
                              {"comment", "first light"}, {"rating", "4"}}));
    open(path("tagged.mkv"));
    EXPECT_EQ(values().mid(0, 5), QStringList({"Harbour at Dawn", "K. Maren", "2024 Maren", "first light", "4"}));
    EXPECT_EQ(win->Label2[10]->text(), "320 pixels");

    // An author wins over an artist; a description stands in for a comment.
    ASSERT_TRUE(copyWithTags(source, path("author.mkv"),
                             {{"author", "Author"}, {"artist", "Artist"}, {"description", "Described"}}));
    open(path("author.mkv"));
    EXPECT_EQ(win->Label2[1]->text(), "Author");
    EXPECT_EQ(win->Label2[3]->text(), "Described");
}

TEST_F(Properties, CoverPictureIsNoVideo)
{
    platform::MediaWriter w;
    ASSERT_TRUE(w.open(path("song.mp3"), {0, 0, 0, 44100, 2, {}, {}}));
    std::vector<std::int16_t> silence(44100 * 2);
    ASSERT_TRUE(w.writeAudio(silence.data(), 44100));
    ASSERT_TRUE(w.finish());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage cover(16, 16, QImage::Format_RGB32);
    cover.fill(Qt::magenta);
    ASSERT_TRUE(cover.save(&buffer, "PNG"));
    ASSERT_TRUE(copyWithTags(path("song.mp3"), path("covered.mp3"), {{"title", "Song"}}, png));

    open(path("covered.mp3"));
    EXPECT_EQ(win->Label2[0]->text(), "Song");
    EXPECT_EQ(win->Label2[17]->text(), "0x55") << "MP3 sound";
    EXPECT_EQ(win->Label2[6]->text(), "44.10 kHz");
    for (int i = 9; i <= 16; ++i)
        EXPECT_TRUE(win->Label2[i]->text().isEmpty()) << "row " << i << ": the cover is not a video";
}

TEST_F(Properties, NoFileGivesEmptyRows)
{
    open(QString());
    EXPECT_EQ(win->windowTitle(), "Properties for - ");
    for (const QString& v : values())
        EXPECT_TRUE(v.isEmpty());
    open(path("gone.avi"));
    EXPECT_EQ(win->windowTitle(), "Properties for - " + path("gone.avi"));
    for (const QString& v : values())
        EXPECT_TRUE(v.isEmpty());
    EXPECT_TRUE(dialogs->messages.isEmpty());
    QTest::mouseClick(win->CancelBtn, Qt::LeftButton);
    EXPECT_FALSE(gs.fVidPropOpen);
}
