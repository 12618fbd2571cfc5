// The video properties window on media files the tests make.
#include "ScriptedDialogs.h"
#include "VideoMedia.h"

#include "platform/controls/Dialogs.h"
#include "shared/SharedState.h"
#include "video/VidProp1.h"

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
    void TearDown() override { delete win.data(); }
    void open(const QString& file)
    {
        delete win.data();
        win = new VidProp1({file, [this] { released += gs.fBusy ? 1 : 100; }});
        win->show();
    }
    QStringList values() const
    {
        QStringList out;
        for (QLabel* l : win->Label2)
            out << l->text();
        return out;
    }
};

} // namespace

TEST_F(Properties, SoundAndPictureFactsOfAVideo)
{
    // With 16-bit stereo samples.
    ASSERT_TRUE(makeVideo(path("clip.avi"), {.seconds = 1, .width = 320, .height = 240, .fps = 15}));
    open(path("clip.avi"));
    EXPECT_TRUE(gs.fVidPropOpen);
    EXPECT_EQ(win->windowTitle(), "Properties for - " + path("clip.avi"));
    const QStringList v = values();
    // Title .. rating, then the sound rows (the format's value stands last).
    EXPECT_EQ(v.mid(0, 9), QStringList({"", "", "", "", "", "172.27 Kb/second", "44.10 kHz", "16 bit", "2"}));
    EXPECT_EQ(v[17], "0x1");
    EXPECT_EQ(v.mid(9, 6), QStringList({"0x34504D46", "320 pixels", "240 pixels", "1.00 seconds", "15",
                                        "15.00 frames/second"})) << "MPEG-4 pictures in an AVI file: FMP4";
    EXPECT_TRUE(v[15].endsWith(" Kb/second"));
    EXPECT_TRUE(v[16].endsWith(" bit"));

    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());
    EXPECT_FALSE(gs.fVidPropOpen);
    EXPECT_EQ(released, 1) << "the tool is let go once, with the dispatcher held off";
}

TEST_F(Properties, TagsAndMissingFiles)
{
    ASSERT_TRUE(writeTaggedWav(path("song.wav"), {{"INAM", "Harbour at Dawn"}, {"IART", "K. Maren"},
                                                  {"ICOP", "2024 Maren"}, {"ICMT", "first light"}}));
    open(path("song.wav"));
    EXPECT_EQ(values().mid(0, 4), QStringList({"Harbour at Dawn", "K. Maren", "2024 Maren", "first light"}));
    EXPECT_EQ(win->Label2[6]->text(), "8.00 kHz");
    EXPECT_TRUE(win->Label2[10]->text().isEmpty()) << "no pictures: the video rows stay empty";

    for (const QString& file : {QString(), path("gone.avi")}) {
        open(file);
        EXPECT_EQ(win->windowTitle(), "Properties for - " + file);
        EXPECT_EQ(values().join(""), "");
    }
    EXPECT_TRUE(dialogs->messages.isEmpty());
}
