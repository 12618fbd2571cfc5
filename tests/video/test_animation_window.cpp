// The animation and video file builder, driven through its own controls on
// pictures the tests make.
#include "VideoFixtures.h"

#include "platform/Dialogs.h"
#include "platform/Lead.h"
#include "platform/PictureCodec.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "video/CreatAn1.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace videotest;

namespace {

class Animation : public ::testing::Test {
protected:
    platform::ScopedDialogs dialogs;
    QTemporaryDir dir;
    QPointer<CreatAn1> win;
    int released = 0;

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    void SetUp() override
    {
        tables::fillExtensionTable();
        gs.nPicturePage = 1;
        gs.nJpegQuality = 9;
        gs.fCreatAnOpen = false;
    }
    void TearDown() override
    {
        if (win)
            delete win.data();
    }
    CreatAn1* open(const QStringList& viewed)
    {
        CreatAnLinks links;
        links.viewedPictures = viewed;
        links.browserFolder = [this] { return dir.path(); };
        links.releaseTool = [this] {
            ++released;
            EXPECT_TRUE(gs.fBusy) << "the tool is released with the dispatcher held off";
        };
        win = new CreatAn1(links);
        win->show();
        return win;
    }
    // Three 320x240 pictures: red.jpg, green.bmp, blue.png.
    QStringList rgb()
    {
        EXPECT_TRUE(writeSolid(path("red.jpg"), 320, 240, Qt::red));
        EXPECT_TRUE(writeSolid(path("green.bmp"), 320, 240, Qt::green));
        EXPECT_TRUE(writeSolid(path("blue.png"), 320, 240, Qt::blue));
        return {path("red.jpg"), path("green.bmp"), path("blue.png")};
    }
    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < win->List1->count(); ++i)
            out << win->List1->item(i)->text();
        return out;
    }
    int selected() const
    {
        const int i = win->List1->currentRow();
        return i >= 0 && win->List1->item(i)->isSelected() ? i : -1;
    }
    void clickEntry(int i)
    {
        QListWidget* l = win->List1;
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(i)).center());
    }
    void saveAs(const QString& name)
    {
        platform::FileAnswer a;
        a.accepted = true;
        a.fileName = name;
        dialogs->fileAnswers << a;
        QTest::mouseClick(win->SaveAVIBtn, Qt::LeftButton);
    }
    void waitForVideo()
    {
        QSignalSpy done(win.data(), &CreatAn1::videoWritten);
        if (win->isWriting()) {
            ASSERT_TRUE(done.wait(60000));
        }
    }
};

} // namespace

TEST_F(Animation, ViewedPicturesFillTheListAndThePreview)
{
    QStringList viewed = rgb();
    ASSERT_TRUE(QFile(path("broken.jpg")).open(QIODevice::WriteOnly)); // empty: not a picture
    viewed.insert(1, path("broken.jpg"));
    open(viewed);
    EXPECT_EQ(win->windowTitle(), "Create Animation or Video File");
    EXPECT_TRUE(gs.fCreatAnOpen);
    EXPECT_EQ(entries(), viewed);
    EXPECT_EQ(win->Text1->text(), "8");
    EXPECT_EQ(win->Text2->text(), "10");
    EXPECT_EQ(win->Label1->text(), "File Name: ");
    // The broken picture leaves out only its own frames.
    EXPECT_EQ(win->Image1->BitmapListCount(), 24);
    EXPECT_TRUE(near(meanColor(win->Image1->Frames().at(23)), Qt::blue));
    EXPECT_TRUE(win->Image1->isVisible());
    EXPECT_TRUE(win->Image1->IsAnimating());
    EXPECT_TRUE(dialogs->messages.isEmpty());

    QTest::mouseClick(win->CancelBtn, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());
    EXPECT_FALSE(gs.fCreatAnOpen);
    EXPECT_EQ(released, 1);

    open({});
    EXPECT_EQ(win->List1->count(), 0);
    EXPECT_FALSE(win->Image1->HasBitmap());
    EXPECT_FALSE(win->Image1->isVisible());
}

TEST_F(Animation, ListEditingWithTheButtons)
{
    open({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    const QStringList abc = {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"};
    for (QPushButton* b : {win->UpBtn, win->DownBtn, win->DeleteBtn})
        QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(entries(), abc) << "nothing selected: nothing changes";

    clickEntry(0);
    QTest::mouseClick(win->UpBtn, Qt::LeftButton);
    EXPECT_EQ(entries(), abc);
    EXPECT_EQ(selected(), 0);
    clickEntry(2);
    QTest::mouseClick(win->DownBtn, Qt::LeftButton);
    EXPECT_EQ(entries(), abc);
    EXPECT_EQ(selected(), 2);

    clickEntry(1);
    QTest::mouseClick(win->UpBtn, Qt::LeftButton);
    EXPECT_EQ(entries(), QStringList({"/p/b.jpg", "/p/a.jpg", "/p/c.jpg"}));
    EXPECT_EQ(selected(), 0);
    QTest::mouseClick(win->DownBtn, Qt::LeftButton);
    QTest::mouseClick(win->DownBtn, Qt::LeftButton);
    EXPECT_EQ(entries(), QStringList({"/p/a.jpg", "/p/c.jpg", "/p/b.jpg"}));
    EXPECT_EQ(selected(), 2);

    QTest::mouseClick(win->DeleteBtn, Qt::LeftButton);
    EXPECT_EQ(entries(), QStringList({"/p/a.jpg", "/p/c.jpg"}));
    EXPECT_EQ(selected(), 1) << "deleting entry i > 0 selects i - 1";
    clickEntry(0);
    QTest::mouseClick(win->DeleteBtn, Qt::LeftButton);
    EXPECT_EQ(entries(), QStringList({"/p/c.jpg"}));
    EXPECT_EQ(selected(), -1) << "deleting the first entry leaves nothing selected";
}

TEST_F(Animation, DroppedFilesAppendInDropOrder)
{
    open({"/p/a.jpg"});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/drop/z.mp3"), QUrl::fromLocalFile("/drop/b.gif")});
    QWidget* target = win->List1->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &move);
    EXPECT_EQ(win->focusWidget(), win->List1) << "dragging over the list gives it the focus";
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_EQ(entries(), QStringList({"/p/a.jpg", "/drop/z.mp3", "/drop/b.gif"}));
}

TEST_F(Animation, OpenButtonAddsThroughTheImagingOpenDialog)
{
    open({});
    platform::FileAnswer a;
    a.accepted = true;
    a.fileName = path("pick.tif");
    a.pageNumber = 2;
    dialogs->fileAnswers << a;
    QTest::mouseClick(win->OpenBtn, Qt::LeftButton);
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    const platform::FileRequest& r = dialogs->fileRequests.first();
    EXPECT_EQ(r.title, "Open Image or Picture Files");
    EXPECT_EQ(r.folder, dir.path()) << "the first time, the file browser's folder";
    const QStringList parts = r.filter.split('|');
    ASSERT_EQ(parts.size(), 64) << "rows 0 to 31, name and pattern each";
    EXPECT_EQ(parts.first(), "JPEG and LEAD Compressed (JPG and CMP)");
    EXPECT_EQ(parts[57], "*.AVI;*.MPG;*.MPEG;*.MOV;*.MP2;*.ASF;*.ASX;*.WMV") << "no DVD files here";
    EXPECT_EQ(parts[60], "Miscellaneous 1 bit (MAC,IMG,MSP,ICA,CAL) ");
    EXPECT_EQ(parts[62], "All Picture Files");
    EXPECT_EQ(entries(), QStringList{path("pick.tif")});
    EXPECT_EQ(gs.nPicturePage, 2);
    EXPECT_TRUE(win->AnimationFilterTable.names[36].isEmpty());
    EXPECT_EQ(win->AnimationFilterTable.patterns[35].size(), tables::kPatternWidth);

    // A cancelled dialog adds nothing and leaves the first page chosen.
    QTest::mouseClick(win->OpenBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs->fileRequests.last().folder, path("pick.tif")) << "then where the last pick was";
    EXPECT_EQ(win->List1->count(), 1);
    EXPECT_EQ(gs.nPicturePage, 1);
}

TEST_F(Animation, OkRebuildsThePreviewFromEmpty)
{
    QStringList viewed = rgb();
    viewed << path("song.mp3");
    open(viewed);
    win->Text1->setText("2");
    win->Text2->setText(" 0.5");
    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    EXPECT_EQ(win->Image1->BitmapListCount(), 6) << "three pictures of two frames, not added to the last run";
    EXPECT_EQ(win->Image1->BitmapDelay(), 500);
    EXPECT_TRUE(win->Image1->AnimationEnable());

    win->Text1->setText("abc");
    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    EXPECT_EQ(win->Image1->BitmapListCount(), 0) << "no number: no frames";
    EXPECT_TRUE(win->Image1->AnimationEnable());
    EXPECT_EQ(win->cursor().shape(), Qt::ArrowCursor);

    win->Text1->setText("1");
    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    const int mode = win->Image1->PaintSizeMode();
    QTest::mouseDClick(win->Image1, Qt::LeftButton);
    EXPECT_EQ(win->Image1->PaintSizeMode(), mode == 0 ? 1 : 0);
    QTest::mouseDClick(win->Image1, Qt::LeftButton);
    EXPECT_EQ(win->Image1->PaintSizeMode(), mode);

    // A double-click on an entry shows that picture alone.
    QListWidget* l = win->List1;
    const QPoint at = l->visualItemRect(l->item(1)).center();
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, at); // a double-click starts with a click
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(win->Image1->BitmapListCount(), 1);
    EXPECT_TRUE(near(meanColor(win->Image1->Bitmap()), Qt::green));
}

TEST_F(Animation, TiffSaveWritesEveryFrameFromTheFirst)
{
    ASSERT_TRUE(writeSolid(path("one.bmp"), 64, 48, Qt::red));
    ASSERT_TRUE(writeSolid(path("two.bmp"), 64, 48, Qt::green));
    open({path("one.bmp"), path("two.bmp")});
    win->Text1->setText("3");
    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    ASSERT_EQ(win->Image1->BitmapListCount(), 6);
    win->Image1->setBitmapListIndex(4); // the running preview shows a later frame

    saveAs(path("anim.Tiff"));
    EXPECT_EQ(dialogs->fileRequests.last().title, "Save MultiMedia File");
    EXPECT_EQ(dialogs->fileRequests.last().filter, "Tiff File|*.Tiff|AVI File|*.Avi");
    EXPECT_EQ(win->Label1->text(), path("anim.Tiff"));
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].title, kProgramTitle);
    EXPECT_EQ(dialogs->messages[0].text, "File Created - " + path("anim.Tiff"));
    platform::PictureData pages;
    ASSERT_EQ(platform::readPicture(path("anim.Tiff"), 1, -1, &pages), 0);
    ASSERT_EQ(pages.frames.size(), 6);
    EXPECT_TRUE(near(meanColor(pages.frames[0]), Qt::red));
    EXPECT_TRUE(near(meanColor(pages.frames[3]), Qt::green));

    // ".tif" is not a type this window writes: nothing happens.
    dialogs->messages.clear();
    saveAs(path("anim.tif"));
    EXPECT_FALSE(QFile::exists(path("anim.tif")));
    EXPECT_TRUE(dialogs->messages.isEmpty());

    // No to the replace question: the file stays as it was.
    const qint64 size = QFileInfo(path("anim.Tiff")).size();
    win->Text1->setText("1");
    QTest::mouseClick(win->OKBtn, Qt::LeftButton);
    dialogs->answers << platform::Answer::No;
    saveAs(path("anim.Tiff"));
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].text, "Do you want to Replace the Picture - " + path("anim.Tiff") + " ? ");
    EXPECT_EQ(dialogs->messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(QFileInfo(path("anim.Tiff")).size(), size);

    // A save that fails says so, naming the file, and never "File Created".
    dialogs->messages.clear();
    saveAs(path("missing/anim.Tiff"));
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_TRUE(dialogs->messages[0].text.startsWith("The file could not be created - " + path("missing/anim.Tiff")));
}

TEST_F(Animation, AviSaveMakesAFifteenFramesASecondVideo)
{
    open(rgb());
    saveAs(path("out.avi"));
    EXPECT_TRUE(win->isWriting());
    EXPECT_FALSE(win->OKBtn->isEnabled());
    EXPECT_FALSE(win->List1->isEnabled());
    EXPECT_EQ(win->cursor().shape(), Qt::WaitCursor);
    waitForVideo();
    EXPECT_TRUE(win->OKBtn->isEnabled());
    EXPECT_EQ(win->cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].title, kProgramTitle);
    EXPECT_EQ(dialogs->messages[0].text, "File Created - " + path("out.avi"));

    const VideoStream v = readVideoStream(path("out.avi"));
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.container, "avi");
    EXPECT_EQ(v.streams, 1);
    EXPECT_EQ(v.codec, "mpeg2video");
    EXPECT_EQ(QSize(v.width, v.height), QSize(320, 240));
    EXPECT_DOUBLE_EQ(v.frameRate, 15.0);
    EXPECT_EQ(v.packetPts.size(), 16) << "the PNG picture is not a type the video takes";
    EXPECT_NEAR(v.duration, 16.0 / 15, 0.001);
    const QList<QImage> frames = decodeFrames(path("out.avi"));
    ASSERT_EQ(frames.size(), 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(near(meanColor(frames[i]), i < 8 ? Qt::red : Qt::green)) << "frame " << i + 1;
}

TEST_F(Animation, AviSaveFailuresAreReported)
{
    QStringList viewed = rgb();
    open(viewed);
    win->Text1->setText("0");
    saveAs(path("zero.avi"));
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].title, "Lumivex");
    EXPECT_EQ(dialogs->messages[0].text, "Illegal frame count... Please enter an integer greater than 1");
    EXPECT_FALSE(win->isWriting());

    // A first entry without pictures has no frame size.
    dialogs->messages.clear();
    win->Text1->setText("8");
    win->List1->insertItem(0, path("notes.wav"));
    saveAs(path("bad.avi"));
    waitForVideo();
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages[0].title, "Lumivex");
    EXPECT_TRUE(dialogs->messages[0].text.startsWith("The video file could not be created - " + path("bad.avi")));
    EXPECT_FALSE(QFile::exists(path("zero.avi")));
    EXPECT_FALSE(QFile::exists(path("bad.avi")));
}

TEST_F(Animation, ClosingWhileWritingStopsTheVideoFirst)
{
    QStringList many;
    for (int i = 0; i < 40; ++i) {
        many << path(QStringLiteral("p%1.bmp").arg(i));
        ASSERT_TRUE(writeSolid(many.last(), 320, 240, QColor::fromHsv(i * 9, 200, 200)));
    }
    open({});
    win->List1->addItems(many);
    win->Text1->setText("60");
    saveAs(path("long.avi"));
    ASSERT_TRUE(win->isWriting());
    win->close(); // the close box, or the main window shutting down
    EXPECT_TRUE(win->isVisible()) << "the window waits for the writer";
    EXPECT_TRUE(gs.fCreatAnOpen);
    waitForVideo();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());
    EXPECT_FALSE(gs.fCreatAnOpen);
    EXPECT_EQ(released, 1);
    EXPECT_FALSE(QFile::exists(path("long.avi")));
    EXPECT_TRUE(dialogs->messages.isEmpty());
}
