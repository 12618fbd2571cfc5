// A picture ImageMagick reads (a Targa here) opened as a user opens it: its
// size is there at once, it is decoded on a worker while the window answers
// (the decode held on the test's gate for as long as the test likes), and
// painted once it is there; a decode that fails is told once and leaves
// nothing shown, a second picture opened meanwhile drops the first, and a
// command that needs every pixel waits for them.
#include "PartRecorder.h"
#include "PictureSamples.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "platform/controls/ToolBarComp.h"
#include "platform/imaging/Lead.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Shapes in colours, so that a picture shown in the wrong place shows.
QImage photo(int w, int h, QColor tint)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(tint);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 240, 40));
    p.drawEllipse(QRect(w / 8, h / 8, w / 3, h / 3));
    p.setBrush(QColor(30, 40, 200));
    p.drawRect(QRect(w / 2, h / 2, w / 3, h / 4));
    return img;
}

class MagickPictureOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.file("pics"));
        for (const auto& [name, picture] : {std::pair{"photo.tga", shown}, std::pair{"other.tga", other}})
            ASSERT_TRUE(samples::writeMagick(program.file("pics/") + name, {picture}, "TGA"));
        // Its header and half its pixels.
        const QByteArray whole = samples::readBytes(program.file("pics/photo.tga"));
        ASSERT_TRUE(samples::writeBytes(program.file("pics/torn.tga"), whole.left(whole.size() / 2)));
        w = std::make_unique<Lumivex1>(QStringList{}, nullptr, parts);
        w->resize(1000, 750);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->finishStartUp();
        QCoreApplication::processEvents();
        dialogs.service.messages.clear();
        gs.fAutoPictures = true;
        gs.nPicturePage = 1;
    }
    void TearDown() override
    {
        parts.release();
        if (w)
            w->fPictureChanged = false;
        w.reset();
    }

    // Opens the picture as a user does: the open command, and its name in
    // the file dialog.
    void open(const QString& name)
    {
        platform::FileAnswer answer;
        answer.accepted = true;
        answer.fileName = program.file("pics/") + name;
        dialogs->fileAnswers << answer;
        w->ToolBarComp1->Item(QStringLiteral("ID_mnuOpenFile"))->action()->trigger();
        ASSERT_TRUE(dialogs->fileAnswers.isEmpty()) << "the file dialog was shown";
    }

    // Opens the picture as a user does, its decode held on the gate.
    void openHeld(const QString& name, int held)
    {
        parts.hold();
        open(name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return parts.partsHeld() == held; }, 20000))
            << "the decode of " << name.toStdString() << " waits on the gate, not on the window's thread";
        ASSERT_EQ(w->cShownPicture, program.file("pics/") + name);
    }

    // Waits for the picture painted; what shows of it.
    QImage painted()
    {
        const bool done = QTest::qWaitFor([&] { return w->Image1->grab(), w->Image1->PicturePainted(); }, 20000);
        EXPECT_TRUE(done) << "the picture was painted";
        return w->Image1->grab(w->Image1->ShownArea()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    void expectShown(const QImage& picture)
    {
        const QImage shot = painted();
        ASSERT_GT(shot.width(), 100);
        ASSERT_GT(shot.height(), 100);
        const QRect inside = shot.rect().adjusted(2, 2, -2, -2); // within the control's border
        EXPECT_LE(samples::maxDifference(shot.copy(inside), picture.copy(inside)), 2);
    }

    // Whether the control shows nothing but its background.
    bool blank()
    {
        const QImage shot = w->Image1->grab().toImage();
        const QRect inside = shot.rect().adjusted(3, 3, -3, -3);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (shot.pixel(x, y) != shot.pixel(inside.topLeft()))
                    return false;
        return true;
    }

    void clickTab(int index)
    {
        QTabBar* tabs = w->TabStrip1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }

    testsupport::ProgramFolder program;
    platform::ScopedDialogs dialogs;
    platform::PartRecorder parts; // the decodes of the window's picture controls
    std::unique_ptr<Lumivex1> w;
    const QImage shown = photo(640, 400, QColor(200, 60, 50));
    const QImage other = photo(320, 200, QColor(40, 160, 90));
};

} // namespace

TEST_F(MagickPictureOpen, ATargaIsDecodedOnAWorkerWhileTheWindowAnswers)
{
    openHeld(QStringLiteral("photo.tga"), 1);
    // What follows the load has the picture's true size, from its header.
    EXPECT_EQ(QSize(w->Image1->BitmapWidth(), w->Image1->BitmapHeight()), QSize(640, 400));
    EXPECT_EQ(QSize(w->Image1->InfoWidth(), w->Image1->InfoHeight()), QSize(640, 400));
    EXPECT_EQ(gs.cCurrentFile, program.file("pics/photo.tga"));
    EXPECT_EQ(w->Image1->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(w->TabStrip1->currentIndex(), 2);
    // The window answers: a posted event runs, a click switches the tab.
    bool ran = false;
    QMetaObject::invokeMethod(w.get(), [&] { ran = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran; }, 20000));
    clickTab(0);
    EXPECT_EQ(w->TabStrip1->currentIndex(), 0);
    clickTab(2);
    ASSERT_EQ(w->TabStrip1->currentIndex(), 2);
    EXPECT_TRUE(blank()) << "nothing is painted before the decode is there";
    EXPECT_EQ(parts.partsHeld(), 1);
    // Let go, it is painted.
    parts.release();
    expectShown(shown);
    EXPECT_NE(w->Image1->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(parts.wholePictures(), 0) << "nothing was decoded on the window's thread";
    EXPECT_EQ(parts.partsOnTheWindowsThread(), 0);
    EXPECT_EQ(parts.largestPart(), qint64(640) * 400);
    EXPECT_EQ(dialogs->texts(), QStringList{});
}

TEST_F(MagickPictureOpen, ADecodeThatFailsIsToldOnceAndLeavesNothingShown)
{
    open(QStringLiteral("photo.tga"));
    expectShown(shown);
    const QString damaged = program.file("pics/torn.tga");
    openHeld(QStringLiteral("torn.tga"), 1);
    EXPECT_TRUE(blank()) << "the picture before it no longer shows";
    parts.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs->texts().isEmpty(); }, 20000));
    // Everything posted by then has run: the message stays the one.
    bool ran = false;
    QMetaObject::invokeMethod(w.get(), [&] { ran = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran; }, 20000));
    EXPECT_EQ(dialogs->texts(), QStringList{QStringLiteral("Cannot Display this File - ") + damaged});
    EXPECT_FALSE(w->Image1->HasBitmap());
    EXPECT_TRUE(blank());
    EXPECT_NE(w->Image1->cursor().shape(), Qt::WaitCursor);
    // A command that needs the pixels has none to act on, and says so.
    dialogs->messages.clear();
    w->ToolBarComp1->Item(QStringLiteral("ID_mnuBrightness"))->action()->trigger();
    EXPECT_TRUE(dialogs->changeRequests.isEmpty()) << "no dialog on an empty picture";
    EXPECT_EQ(dialogs->texts(), QStringList{QStringLiteral("LEADDlg1 20002\rInvalid bitmap handle")});
}

TEST_F(MagickPictureOpen, ASecondPictureOpenedWhileTheFirstIsDecodedDropsTheFirst)
{
    openHeld(QStringLiteral("photo.tga"), 1);
    openHeld(QStringLiteral("other.tga"), 2);
    EXPECT_EQ(QSize(w->Image1->BitmapWidth(), w->Image1->BitmapHeight()), QSize(320, 200));
    parts.release();
    expectShown(other);
    // The first one's read stopped before it began: it decoded nothing.
    EXPECT_TRUE(QTest::qWaitFor([&] { return parts.partsHeld() == 0; }, 20000));
    EXPECT_EQ(parts.largestPart(), qint64(320) * 200);
    EXPECT_EQ(dialogs->texts(), QStringList{});
}

TEST_F(MagickPictureOpen, ACommandThatNeedsEveryPixelWaitsForTheDecode)
{
    openHeld(QStringLiteral("photo.tga"), 1);
    // The brightness dialog shows the whole picture it changes.
    w->ToolBarComp1->Item(QStringLiteral("ID_mnuBrightness"))->action()->trigger();
    ASSERT_EQ(dialogs->changeRequests.size(), 1);
    const QImage previewed = dialogs->changeRequests.first().preview.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(previewed.size(), shown.size()) << "the whole picture, never an empty one";
    EXPECT_LE(samples::maxDifference(previewed, shown), 2);
    EXPECT_EQ(parts.wholePictures(), 1) << "decoded at once for the command";
    expectShown(shown);
    // The decode held finds it done: the picture is not decoded again.
    parts.release();
    bool ran = false;
    QMetaObject::invokeMethod(w.get(), [&] { ran = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran && parts.partsHeld() == 0; }, 20000));
    EXPECT_EQ(parts.largestPart(), 0);
    EXPECT_EQ(dialogs->texts(), QStringList{});
}
