// The animation and video file builder, driven through its own controls on
// pictures the tests make.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "VideoMedia.h"

#include "platform/controls/Dialogs.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureCodec.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"
#include "video/CreatAn1.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
    }
    void TearDown() override { delete win.data(); }
    void open(const QStringList& viewed)
    {
        win = new CreatAn1({viewed, [this] { return dir.path(); }, [this] { released += gs.fBusy ? 1 : 100; }});
        win->show();
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
    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    QPoint entryPoint(int i) const { return win->List1->visualItemRect(win->List1->item(i)).center(); }
    void clickEntry(int i) { QTest::mouseClick(win->List1->viewport(), Qt::LeftButton, {}, entryPoint(i)); }
    void saveAs(const QString& name)
    {
        platform::FileAnswer a;
        a.accepted = true;
        a.fileName = name;
        dialogs->fileAnswers << a;
        click(win->SaveAVIBtn);
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
    EXPECT_TRUE(gs.fCreatAnOpen);
    EXPECT_EQ(entries(), viewed);
    EXPECT_EQ(win->Text1->text(), "8");
    EXPECT_EQ(win->Image1->BitmapListCount(), 24) << "the broken picture leaves out only its own frames";
    EXPECT_TRUE(near(meanColor(win->Image1->Frames().at(23)), Qt::blue));
    EXPECT_TRUE(win->Image1->IsAnimating());
    for (int i : {0, 7, 8, 23}) {
        win->Image1->setBitmapListIndex(i);
        EXPECT_EQ(win->Image1->BitmapDelay(), 0) << "frames built at load wait for no delay, frame " << i;
    }

    click(win->CancelBtn);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());
    EXPECT_FALSE(gs.fCreatAnOpen);
    EXPECT_EQ(released, 1) << "the tool is let go once, with the dispatcher held off";

    open({});
    EXPECT_FALSE(win->Image1->HasBitmap() || win->Image1->isVisible());
}

TEST_F(Animation, ListEditingDropsAndTheOpenDialog)
{
    open({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    const QStringList abc = {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"};
    for (QPushButton* b : {win->UpBtn, win->DownBtn, win->DeleteBtn})
        click(b);
    EXPECT_EQ(entries(), abc) << "nothing selected: nothing changes";
    clickEntry(0);
    click(win->UpBtn);
    clickEntry(2);
    click(win->DownBtn);
    EXPECT_EQ(entries(), abc) << "up on the first and down on the last change nothing";

    clickEntry(1);
    click(win->UpBtn);
    EXPECT_EQ(entries(), QStringList({"/p/b.jpg", "/p/a.jpg", "/p/c.jpg"}));
    click(win->DownBtn);
    click(win->DownBtn);
    EXPECT_EQ(entries(), QStringList({"/p/a.jpg", "/p/c.jpg", "/p/b.jpg"}));
    click(win->DeleteBtn);
    EXPECT_EQ(selected(), 1) << "deleting entry i > 0 selects i - 1";
    clickEntry(0);
    click(win->DeleteBtn);
    EXPECT_EQ(entries(), QStringList({"/p/c.jpg"}));
    EXPECT_EQ(selected(), -1) << "deleting the first entry leaves nothing selected";

    // Dropped files go to the end, in the order of the drop; the drag focuses the list.
    ASSERT_TRUE(testsupport::dropFiles(win->List1->viewport(), {5, 5}, {"/drop/z.mp3", "/drop/b.gif"}));
    EXPECT_EQ(win->focusWidget(), win->List1);
    EXPECT_EQ(entries(), QStringList({"/p/c.jpg", "/drop/z.mp3", "/drop/b.gif"}));

    // The imaging open dialog: first in the browser's folder, then where the last pick was.
    platform::FileAnswer pick;
    pick.accepted = true;
    pick.fileName = path("pick.tif");
    pick.pageNumber = 2;
    dialogs->fileAnswers << pick;
    click(win->OpenBtn);
    click(win->OpenBtn); // cancelled
    ASSERT_EQ(dialogs->fileRequests.size(), 2);
    const platform::FileRequest& r = dialogs->fileRequests.first();
    EXPECT_EQ(r.title, "Open Image or Picture Files");
    EXPECT_EQ(r.folder, dir.path());
    const QStringList parts = r.filter.split('|');
    ASSERT_EQ(parts.size(), 64) << "rows 0 to 31, name and pattern each";
    EXPECT_EQ(parts[57], "*.AVI;*.MPG;*.MPEG;*.MOV;*.MP2;*.ASF;*.ASX;*.WMV") << "no DVD files here";
    EXPECT_EQ(dialogs->fileRequests.last().folder, path("pick.tif"));
    EXPECT_EQ(entries().last(), path("pick.tif"));
    EXPECT_EQ(entries().size(), 4);
    EXPECT_EQ(gs.nPicturePage, 1) << "a cancelled dialog leaves the first page";
}

TEST_F(Animation, OkRebuildsThePreviewFromEmpty)
{
    open(rgb() << path("song.mp3"));
    win->Text1->setText("2");
    win->Text2->setText(" 0.5");
    click(win->OKBtn);
    click(win->OKBtn);
    EXPECT_EQ(win->Image1->BitmapListCount(), 6) << "three pictures of two frames, not added to the last run";
    EXPECT_EQ(win->Image1->BitmapDelay(), 500);
    win->Text1->setText("abc");
    click(win->OKBtn);
    EXPECT_EQ(win->Image1->BitmapListCount(), 0) << "no number: no frames";
    EXPECT_TRUE(win->Image1->AnimationEnable());
    EXPECT_EQ(win->cursor().shape(), Qt::ArrowCursor);

    const int mode = win->Image1->PaintSizeMode();
    testsupport::doubleClick(win->Image1);
    EXPECT_EQ(win->Image1->PaintSizeMode(), mode == 0 ? 1 : 0);

    // A double-click on an entry shows that picture alone.
    clickEntry(1); // a double-click starts with a click
    QTest::mouseDClick(win->List1->viewport(), Qt::LeftButton, {}, entryPoint(1));
    EXPECT_EQ(win->Image1->BitmapListCount(), 1);
    EXPECT_TRUE(near(meanColor(win->Image1->Bitmap()), Qt::green));
}

TEST_F(Animation, TiffSaveWritesEveryFrameFromTheFirst)
{
    ASSERT_TRUE(writeSolid(path("one.bmp"), 64, 48, Qt::red));
    ASSERT_TRUE(writeSolid(path("two.bmp"), 64, 48, Qt::green));
    open({path("one.bmp"), path("two.bmp")});
    win->Text1->setText("3");
    click(win->OKBtn);
    win->Image1->setBitmapListIndex(4); // the running preview shows a later frame
    saveAs(path("anim.Tiff"));
    EXPECT_EQ(dialogs->fileRequests.last().title, "Save MultiMedia File");
    EXPECT_EQ(dialogs->fileRequests.last().filter, "Tiff File|*.Tiff|AVI File|*.Avi");
    EXPECT_EQ(win->Label1->text(), path("anim.Tiff"));
    ASSERT_EQ(dialogs->texts(), QStringList{"File Created - " + path("anim.Tiff")});
    EXPECT_EQ(dialogs->messages[0].title, kProgramTitle);
    platform::PictureData pages;
    ASSERT_EQ(platform::readPicture(path("anim.Tiff"), 1, -1, &pages), 0);
    ASSERT_EQ(pages.frames.size(), 6);
    EXPECT_TRUE(near(meanColor(pages.frames[0]), Qt::red));
    EXPECT_TRUE(near(meanColor(pages.frames[3]), Qt::green));

    // ".tif" is not a type this window writes; No to the replace question writes nothing.
    dialogs->messages.clear();
    saveAs(path("anim.tif"));
    const qint64 size = QFileInfo(path("anim.Tiff")).size();
    win->Text1->setText("1");
    click(win->OKBtn);
    dialogs->answers << platform::Answer::No;
    saveAs(path("anim.Tiff"));
    EXPECT_FALSE(QFile::exists(path("anim.tif")));
    EXPECT_EQ(dialogs->texts(), QStringList{"Do you want to Replace the Picture - " + path("anim.Tiff") + " ? "});
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
    EXPECT_FALSE(win->OKBtn->isEnabled() || win->List1->isEnabled());
    EXPECT_EQ(win->cursor().shape(), Qt::WaitCursor);
    waitForVideo();
    EXPECT_TRUE(win->OKBtn->isEnabled());
    EXPECT_EQ(win->cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(dialogs->texts(), QStringList{"File Created - " + path("out.avi")});
    EXPECT_EQ(dialogs->messages[0].title, kProgramTitle);

    const Contents out = readContents(path("out.avi"));
    ASSERT_EQ(out.streams.size(), 1u);
    const Stream& v = out.streams[0];
    EXPECT_EQ(out.container + " " + v.codec, "avi mpeg2video");
    EXPECT_EQ(QSize(v.width, v.height), QSize(320, 240));
    EXPECT_DOUBLE_EQ(v.frameRate, 15.0);
    EXPECT_NEAR(out.duration, 16.0 / 15, 0.001);
    const QList<QImage> frames = decodeFrames(path("out.avi"));
    ASSERT_EQ(frames.size(), 16) << "the PNG picture is not a type the video takes";
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(near(meanColor(frames[i]), i < 8 ? Qt::red : Qt::green)) << "frame " << i + 1;

    // No frame count, or a first entry without pictures: a message, no file.
    dialogs->messages.clear();
    win->Text1->setText("0");
    saveAs(path("zero.avi"));
    win->Text1->setText("8");
    win->List1->insertItem(0, path("notes.wav"));
    saveAs(path("bad.avi"));
    waitForVideo();
    ASSERT_EQ(dialogs->messages.size(), 2);
    EXPECT_EQ(dialogs->messages[0].text, "Illegal frame count... Please enter an integer greater than 1");
    EXPECT_TRUE(dialogs->messages[1].text.startsWith("The video file could not be created - " + path("bad.avi")));
    EXPECT_EQ(dialogs->messages[1].title, "Lumivex");
    EXPECT_FALSE(QFile::exists(path("zero.avi")) || QFile::exists(path("bad.avi")));
}

TEST_F(Animation, AviFramesKeepAnOddSizeAndTheirWrittenTimes)
{
    ASSERT_TRUE(writeSolid(path("odd.bmp"), 65, 49, Qt::red));
    ASSERT_TRUE(writeSolid(path("next.bmp"), 65, 49, Qt::blue));
    open({path("odd.bmp"), path("next.bmp")});
    win->Text1->setText("3");
    saveAs(path("odd.avi"));
    waitForVideo();
    ASSERT_EQ(dialogs->texts(), QStringList{"File Created - " + path("odd.avi")});
    const Contents out = readContents(path("odd.avi"));
    ASSERT_EQ(out.streams.size(), 1u);
    EXPECT_EQ(QSize(out.streams[0].width, out.streams[0].height), QSize(65, 49)) << "no row or column lost";
    EXPECT_EQ(out.streams[0].decoderDelay, 0) << "the stream says it holds no B-frames";
    std::vector<double> times;
    const QList<QImage> frames = decodeFrames(path("odd.avi"), &times);
    ASSERT_EQ(frames.size(), 6);
    ASSERT_EQ(times.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(frames[i].size(), QSize(65, 49));
        EXPECT_NEAR(times[size_t(i)], i / 15.0, 1e-6) << "frame " << i + 1;
        EXPECT_TRUE(near(meanColor(frames[i]), i < 3 ? Qt::red : Qt::blue)) << "frame " << i + 1;
    }
    EXPECT_TRUE(near(meanColor(frames[2], QRect(64, 0, 1, 49)), Qt::red)) << "the last column is the picture's";
}

TEST_F(Animation, AviOfTheLongestNameIsMadeAndMadeAgain)
{
    ASSERT_TRUE(writeSolid(path("a.bmp"), 32, 24, Qt::red));
    const QString target = path(QString(250, 'v') + ".avi"); // 254 bytes, and the temporary name must fit
    open({path("a.bmp")});
    win->Text1->setText("2");
    saveAs(target);
    waitForVideo();
    dialogs->answers << platform::Answer::Yes; // replace it
    saveAs(target);
    waitForVideo();
    EXPECT_EQ(dialogs->texts(), QStringList({"File Created - " + target,
                                             "Do you want to Replace the Picture - " + target + " ? ",
                                             "File Created - " + target}));
    EXPECT_EQ(decodeFrames(target).size(), 2);
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"a.bmp", QFileInfo(target).fileName()}));
}

TEST_F(Animation, AviTakesItsPictureTypesOnlyAndNamesThoseItCannotRead)
{
    ASSERT_TRUE(writeSolid(path("photo.jpg"), 320, 240, Qt::red));
    ASSERT_TRUE(writeSolid(path("skipped.png"), 320, 240, Qt::white));
    ASSERT_TRUE(writeSolid(path("skipped.jpeg"), 320, 240, Qt::white));
    ASSERT_TRUE(writeSolid(path("large.JPG"), 3200, 2400, Qt::green)); // fitted to the frame
    // Random bytes under a picture's name, as a damaged download leaves them.
    QByteArray noise(20000, 0);
    QRandomGenerator random(7);
    for (char& c : noise)
        c = char(random.bounded(256));
    testsupport::writeFile(path("r_broken.jpg"), noise);
    ASSERT_TRUE(writeSolid(path("blue.bmp"), 160, 120, Qt::blue));
    open({path("photo.jpg"), path("skipped.png"), path("skipped.jpeg"), path("large.JPG"), path("r_broken.jpg"),
          path("song.mp3"), path("blue.bmp")});
    win->Text1->setText("2");
    saveAs(path("out.avi"));
    waitForVideo();
    ASSERT_EQ(dialogs->texts(), QStringList({"These pictures could not be read and are not in the video:\n" +
                                                 path("r_broken.jpg"),
                                             "File Created - " + path("out.avi")}));
    EXPECT_EQ(dialogs->messages[0].title, "Lumivex");
    EXPECT_EQ(dialogs->messages[1].title, kProgramTitle);
    const QList<QImage> frames = decodeFrames(path("out.avi"));
    ASSERT_EQ(frames.size(), 6) << "two frames each of the JPG, the large JPG and the BMP";
    const QColor expected[] = {Qt::red, Qt::red, Qt::green, Qt::green, Qt::blue, Qt::blue};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(frames[i].size(), QSize(320, 240));
        EXPECT_TRUE(near(meanColor(frames[i], QRect(80, 60, 160, 120)), expected[i])) << "frame " << i + 1;
    }
}

namespace {
// The program's own message boxes; the file dialogs scripted.
class RealBoxes : public platform::ScriptedDialogs {
public:
    platform::Answer message(const QString& title, const QString& text, platform::Buttons buttons,
                             platform::Icon icon) override
    {
        ScriptedDialogs::message(title, text, buttons, icon);
        return platform::qtDialogs().message(title, text, buttons, icon);
    }
};
} // namespace

TEST_F(Animation, AviReportsBothStandOverTheAnimationWindowOneAfterTheOther)
{
    ASSERT_TRUE(writeSolid(path("photo.jpg"), 64, 48, Qt::red));
    testsupport::writeFile(path("r_broken.jpg"), QByteArray(4000, '\x5a'));
    open({path("photo.jpg"), path("r_broken.jpg")});
    win->Text1->setText("1");
    RealBoxes boxes;
    platform::setDialogs(&boxes);
    struct Shown {
        QString title, text;
        QWidget* owner;
    };
    QList<Shown> shown;
    // Reads each box as the user sees it, then presses its OK button (no focus needed).
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        shown << Shown{box->windowTitle(), box->text(), box->parentWidget()};
        box->button(QMessageBox::Ok)->click();
    });
    reader.start(20);
    platform::FileAnswer a;
    a.accepted = true;
    a.fileName = path("out.avi");
    boxes.fileAnswers << a;
    // The user goes on in another window while the video is written.
    QWidget elsewhere;
    elsewhere.resize(200, 100);
    elsewhere.show();
    elsewhere.activateWindow();
    click(win->SaveAVIBtn);
    waitForVideo();
    reader.stop();
    platform::setDialogs(&dialogs.service);
    // The writer's report in its own box first, then "File Created" once it is closed.
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].title, "Lumivex");
    EXPECT_EQ(shown[0].text, "These pictures could not be read and are not in the video:\n" + path("r_broken.jpg"));
    EXPECT_EQ(shown[1].title, kProgramTitle);
    EXPECT_EQ(shown[1].text, "File Created - " + path("out.avi"));
    for (const Shown& s : shown)
        EXPECT_EQ(s.owner, win.data()) << "kept above the animation window: " << s.text.toStdString();
}

TEST_F(Animation, ClosingWhileWritingStopsTheVideoFirst)
{
    open({});
    for (int i = 0; i < 40; ++i) {
        win->List1->addItem(path(QStringLiteral("p%1.bmp").arg(i)));
        ASSERT_TRUE(writeSolid(entries().last(), 320, 240, QColor::fromHsv(i * 9, 200, 200)));
    }
    win->Text1->setText("60");
    saveAs(path("long.avi"));
    ASSERT_TRUE(win->isWriting());
    win->close(); // the close box, or the main window shutting down
    EXPECT_TRUE(win->isVisible() && gs.fCreatAnOpen) << "the window waits for the writer";
    waitForVideo();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());
    EXPECT_FALSE(gs.fCreatAnOpen);
    EXPECT_FALSE(QFile::exists(path("long.avi")));
    EXPECT_TRUE(dialogs->messages.isEmpty());
}
