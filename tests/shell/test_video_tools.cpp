// The video tool windows from the main window: their commands open them with
// their open flags, closing the join window releases its tool, and the
// program's shutdown closes them, stopping a join that runs and waiting for it.
#include "ShellTestWindow.h"
#include "platform/media/MediaConverter.h"
#include "window/ToolWindows.h"
#include "video/AudRepl1.h"
#include "video/VidJoin1.h"

#include <QColor>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace shelltest;

namespace {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A 20 s 320x240 MPEG-4 AVI with 16-bit PCM sound: long enough to be stopped mid-way.
bool makeLongVideo(const QString& path)
{
    platform::MediaWriter w;
    if (!w.open(path, {320, 240, 25, 44100, 2, {}, "pcm_s16le"}))
        return false;
    const std::vector<std::int16_t> silence(1764 * 2, 0);
    QImage img(320, 240, QImage::Format_RGB32);
    for (int f = 0; f < 500; ++f) {
        img.fill(QColor::fromHsv((f * 7) % 360, 200, 220));
        if (!w.writeFrame(img) || !w.writeAudio(silence.data(), 1764))
            return false;
    }
    return w.finish();
}

} // namespace

TEST(VideoTools, CommandsOpenThemAndShutdownClosesThem)
{
    Shell s;
    TestWindow& w = s.w();
    platform::Tool* joinTool = w.ToolBarComp1->Item("ID_Join");
    ASSERT_NE(joinTool, nullptr);

    w.click("ID_AudioReplace");
    auto* replace = qobject_cast<AudRepl1*>(toolwindows::existing("AudRepl1"));
    ASSERT_NE(replace, nullptr);
    EXPECT_TRUE(gs.fAudReplOpen);
    EXPECT_TRUE(replace->isVisible());
    EXPECT_EQ(replace->parentWidget(), nullptr);
    replace->hide();
    w.click("ID_AudioReplace"); // open already: shown again, not made again
    EXPECT_EQ(toolwindows::existing("AudRepl1"), replace);
    EXPECT_TRUE(replace->isVisible());

    // The join window: its tool stays down while it is open and is released when it closes.
    w.click("ID_Join");
    auto* join = qobject_cast<VidJoin1*>(toolwindows::existing("VidJoin1"));
    ASSERT_NE(join, nullptr);
    EXPECT_TRUE(gs.fVidJoinOpen);
    EXPECT_EQ(joinTool->State(), 1);
    QTest::mouseClick(join->CancelBtn, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(toolwindows::existing("VidJoin1"), nullptr);
    EXPECT_FALSE(gs.fVidJoinOpen);
    EXPECT_EQ(joinTool->State(), 0);
    EXPECT_FALSE(gs.fBusy);
    EXPECT_EQ(toolwindows::existing("VidJoin1"), nullptr) << "releasing the tool runs no command";

    // Shutdown while a join runs: stopped, cleaned up, both windows closed.
    QTemporaryDir dir;
    const QString big = dir.filePath("big.avi");
    ASSERT_TRUE(makeLongVideo(big));
    w.click("ID_Join");
    join = qobject_cast<VidJoin1*>(toolwindows::existing("VidJoin1"));
    ASSERT_NE(join, nullptr);
    join->List1->addItems({big, big, big});
    join->Text1->setText(dir.filePath("joined.avi"));
    QTest::mouseClick(join->OKBtn, Qt::LeftButton);
    ASSERT_TRUE(join->running());
    w.Form_Unload();
    flushDeletes();
    EXPECT_EQ(toolwindows::existing("VidJoin1"), nullptr);
    EXPECT_EQ(toolwindows::existing("AudRepl1"), nullptr);
    EXPECT_FALSE(gs.fVidJoinOpen);
    EXPECT_FALSE(gs.fAudReplOpen);
    // A join that got to its end before the stop keeps its file; one that was
    // stopped leaves none. Either way no temporary file stays behind.
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeAll("joined.avi");
    EXPECT_EQ(left, QStringList{"big.avi"});
}
