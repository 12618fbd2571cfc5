// The main window's video tools: the animation builder and the video
// properties open from their commands, come to the front when open, let their
// tool go when they close, and close with the main window.
#include "Fakes.h"
#include "MediaFixtures.h"

#include "shared/SharedState.h"
#include "window/ToolWindows.h"
#include "video/CreatAn1.h"
#include "video/VidProp1.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void click(Lumivex1& w, const char* id) { w.ToolBarComp1->Item(QString::fromLatin1(id))->action()->trigger(); }
int state(Lumivex1& w, const char* id) { return w.ToolBarComp1->Item(QString::fromLatin1(id))->State(); }
void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

TEST(VideoTools, AnimationBuilderLifecycle)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    QStringList viewed;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
        viewed << f.file(QString::fromLatin1(name));
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        ASSERT_TRUE(img.save(viewed.last()));
        w.DisplayFile(viewed.last());
    }
    ASSERT_EQ(w.List3->count(), 3);

    click(w, "ID_VidEdit");
    QPointer<CreatAn1> first = qobject_cast<CreatAn1*>(toolwindows::existing("CreatAn1"));
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(first->isVisible() && gs.fCreatAnOpen);
    EXPECT_EQ(state(w, "ID_VidEdit"), 1);
    ASSERT_EQ(first->List1->count(), 3);
    EXPECT_EQ(first->List1->item(2)->text(), viewed[2]) << "the viewed pictures, in viewing order";

    // The command again brings the same window to the front.
    first->List1->addItem(f.file("extra.jpg"));
    first->showMinimized();
    click(w, "ID_VidEdit");
    EXPECT_EQ(toolwindows::existing("CreatAn1"), first.data());
    EXPECT_FALSE(first->isMinimized());
    EXPECT_EQ(first->List1->count(), 4) << "not loaded again";

    QTest::mouseClick(first->CancelBtn, Qt::LeftButton);
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_FALSE(gs.fCreatAnOpen || gs.fBusy);
    EXPECT_EQ(state(w, "ID_VidEdit"), 0);

    // Shutdown closes an open builder.
    click(w, "ID_VidEdit");
    QPointer<QWidget> second = toolwindows::existing("CreatAn1");
    ASSERT_FALSE(second.isNull());
    w.close();
    settle();
    EXPECT_TRUE(second.isNull());
    EXPECT_FALSE(gs.fCreatAnOpen);
}

TEST(VideoTools, PropertiesOfTheActivePlayersFile)
{
    fakes::Window f;
    Lumivex1& w = *f.w;
    const QString video = f.file("clip.avi");
    const QString music = f.file("song.wav");
    ASSERT_TRUE(fixtures::makeVideo(video, 1.0, 160, 120, 15, false));
    ASSERT_TRUE(fixtures::makeTone(music, 1.0));
    w.LoadMediaFile(video);
    w.LoadMediaFile(music);
    ASSERT_EQ(gs.cPlayerMode, "1");

    click(w, "ID_VidProp");
    QPointer<VidProp1> p = qobject_cast<VidProp1*>(toolwindows::existing("VidProp1"));
    ASSERT_FALSE(p.isNull());
    EXPECT_TRUE(gs.fVidPropOpen);
    EXPECT_EQ(p->windowTitle(), "Properties for - " + music);
    EXPECT_EQ(p->Label2[17]->text(), "0x1");
    EXPECT_TRUE(p->Label2[10]->text().isEmpty()) << "the music file has no pictures";

    // Open: the command shows the same window again without reading anew.
    w.TabStrip1->setCurrentIndex(0);
    ASSERT_EQ(gs.cPlayerMode, "0");
    click(w, "ID_VidProp");
    EXPECT_EQ(toolwindows::existing("VidProp1"), p.data());
    EXPECT_EQ(p->windowTitle(), "Properties for - " + music);

    QTest::mouseClick(p->CancelBtn, Qt::LeftButton);
    settle();
    EXPECT_TRUE(p.isNull());
    EXPECT_FALSE(gs.fVidPropOpen);
    EXPECT_EQ(state(w, "ID_VidProp"), 0);

    click(w, "ID_VidProp");
    p = qobject_cast<VidProp1*>(toolwindows::existing("VidProp1"));
    ASSERT_FALSE(p.isNull());
    EXPECT_EQ(p->windowTitle(), "Properties for - " + video);
    EXPECT_EQ(p->Label2[10]->text(), "160 pixels");
    w.close();
    settle();
    EXPECT_TRUE(p.isNull()) << "shutdown closes it";
    EXPECT_FALSE(gs.fVidPropOpen);
}
