// A large picture opened as a user opens it (named on the command line, a
// double-click in the file list), shown as it opens and fitted to the
// window: painted from a decode at the size it shows, never from the whole
// picture, while the commands that need every pixel still get all of them.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/Dialogs.h"
#include "platform/ImagingCodes.h"
#include "platform/Lead.h"
#include "platform/PictureSource.h"
#include "platform/ShellList.h"
#include "platform/ToolBarComp.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"
#include "window/ToolWindows.h"

#include <QAbstractItemView>
#include <QImageReader>
#include <QLinearGradient>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>

namespace {

// Gradients and shapes, so that a part in the wrong place shows.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(240, 40, 20));
    g.setColorAt(0.5, QColor(30, 200, 90));
    g.setColorAt(1, QColor(20, 40, 230));
    p.fillRect(img.rect(), g);
    p.setBrush(QColor(250, 250, 250));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i)
        p.drawEllipse(QPoint(w * i / 12, h * ((i * 7) % 12) / 12), w / 15, h / 11);
    return img;
}

class LargePictureOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.file("pics"));
        large = program.file("pics/large.jpg");
        ASSERT_TRUE(samples::writeQt(large, photo(4800, 3200), "jpeg", 90));
        ASSERT_TRUE(samples::writeQt(program.file("pics/small.jpg"), photo(64, 48), "jpeg", 90));
        whole = QImageReader(large).read().convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(whole.isNull());
    }
    void TearDown() override
    {
        if (w)
            w->fPictureChanged = false;
        w.reset();
    }

    // The main window, started as the program starts, with the file named
    // on the command line when there is one.
    void start(const QString& commandLineFile)
    {
        platform::resetDecodeCounts();
        w = std::make_unique<Lumivex1>(QStringList{});
        w->cCommandArg1 = commandLineFile;
        w->resize(1000, 750);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->finishStartUp();
    }

    void doubleClick(const QString& name)
    {
        platform::ShellList* list = w->PTxShList1;
        QAbstractItemView* view = list->currentView();
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i)->Name() == name) {
                const QPoint at = view->visualRect(view->model()->index(i, 0)).center();
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
                return;
            }
        ADD_FAILURE() << "no item " << name.toStdString();
    }

    // Waits for the picture painted at the size it shows; what shows of it.
    QImage painted()
    {
        const bool done = QTest::qWaitFor([&] { return w->Image1->grab(), w->Image1->PicturePainted(); }, 20000);
        EXPECT_TRUE(done) << "the picture was painted";
        return w->Image1->grab(w->Image1->ShownArea()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Painted from decodes no larger than the picture panel shows, never
    // whole, made on a worker (a paint never waits for one).
    void expectShownSizeDecodesOnly(const char* how)
    {
        ASSERT_FALSE(w->Image1->ShownArea().isEmpty()) << how;
        EXPECT_EQ(platform::decodeCounts().wholePictures, 0) << how;
        EXPECT_EQ(platform::decodeCounts().partsOnTheUiThread, 0) << how;
        // What shows, and a margin of a quarter of the view on every side.
        EXPECT_LE(platform::decodeCounts().largestPart, qint64(w->Frame3->width()) * w->Frame3->height() * 9 / 4)
            << how;
        EXPECT_FALSE(w->Image1->WholePictureInMemory()) << how;
    }

    // As it opens: the top left corner, pixel for pixel.
    void expectTheCorner(const char* how)
    {
        const QImage shot = painted();
        expectShownSizeDecodesOnly(how);
        ASSERT_GT(shot.width(), 100) << how;
        const QRect inside = shot.rect().adjusted(2, 2, -2, -2); // within the control's border
        EXPECT_LE(samples::maxDifference(shot.copy(inside), whole.copy(inside)), 2) << how;
    }

    // Fitted to the window: the whole picture, scaled.
    void fitAndExpectTheWholeScaled()
    {
        w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
        ASSERT_EQ(w->Image1->PaintSizeMode(), 3);
        const QImage shot = painted();
        expectShownSizeDecodesOnly("fitted");
        const QImage scaled = whole.scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRect inside = shot.rect().adjusted(2, 2, -2, -2);
        // Scalers round the edges of shapes apart by a pixel: the mean tells.
        EXPECT_LE(samples::meanDifference(shot.copy(inside), scaled.copy(inside)), 4.0);
    }

    testsupport::ProgramFolder program;
    platform::ScopedDialogs dialogs;
    std::unique_ptr<Lumivex1> w;
    QString large;
    QImage whole;
};

} // namespace

TEST_F(LargePictureOpen, NamedOnTheCommandLineItIsPaintedFromADecodeAtTheShownSize)
{
    start(large);
    ASSERT_EQ(w->cShownPicture, large);
    EXPECT_EQ(QSize(w->Image1->InfoWidth(), w->Image1->InfoHeight()), QSize(4800, 3200)) << "the facts, from the header";
    expectTheCorner("as it opens from the command line");
    fitAndExpectTheWholeScaled();
}

TEST_F(LargePictureOpen, DoubleClickedInTheFileListItIsPaintedFromADecodeAtTheShownSize)
{
    start({});
    w->setFileListFolder(program.file("pics"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->PTxShList1->Count() >= 2; }, 20000));
    platform::resetDecodeCounts();
    doubleClick(QStringLiteral("large.jpg"));
    ASSERT_EQ(w->cShownPicture, large);
    expectTheCorner("as it opens from a double-click");
    fitAndExpectTheWholeScaled();
}

TEST_F(LargePictureOpen, CommandsThatNeedEveryPixelGetTheWholePicture)
{
    start(large);
    painted();
    ASSERT_EQ(platform::decodeCounts().wholePictures, 0);
    // Saving writes every pixel of it.
    ASSERT_EQ(w->Image1->Save(program.file("pics/copy.png"), platform::fmt::Png, 24, 0), 0);
    EXPECT_EQ(platform::decodeCounts().wholePictures, 1);
    const QImage saved = QImageReader(program.file("pics/copy.png")).read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(saved.size(), whole.size());
    EXPECT_LE(samples::maxDifference(saved, whole), 2);
    // An edit changes the whole picture, and the control holds all of it.
    EXPECT_EQ(w->Image1->Intensity(100), 0);
    EXPECT_TRUE(w->Image1->WholePictureInMemory());
    EXPECT_EQ(w->Image1->Bitmap().size(), QSize(4800, 3200));
}

namespace {

// A large PNG as a photograph editor makes it, and copies damaged three
// ways: the file cut in half; one byte of a checksum turned; the data of a
// chunk in its lower half spoilt under a right checksum, which only decoding
// that part tells.
struct DamagedPngs {
    QString half, checksum, spoilt;
};

DamagedPngs makeDamagedPngs(const QString& folder)
{
    QImage gradient(4000, 3000, QImage::Format_RGB32);
    QPainter p(&gradient);
    QLinearGradient g(0, 0, 0, 3000);
    g.setColorAt(0, Qt::yellow);
    g.setColorAt(1, Qt::green);
    p.fillRect(gradient.rect(), g);
    p.end();
    const QString good = folder + QStringLiteral("/good.png");
    EXPECT_TRUE(samples::writeQt(good, gradient, "png"));
    const QByteArray bytes = samples::readBytes(good);
    const auto length = [&](qsizetype at) {
        const auto* b = reinterpret_cast<const uchar*>(bytes.constData() + at);
        return int(quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3]);
    };
    const DamagedPngs d{folder + QStringLiteral("/half.png"), folder + QStringLiteral("/checksum.png"),
                        folder + QStringLiteral("/spoilt.png")};
    EXPECT_TRUE(samples::writeBytes(d.half, bytes.left(bytes.size() / 2)));
    QByteArray turned = bytes;
    const qsizetype first = bytes.indexOf("IDAT") - 4;
    turned[first + 8 + length(first)] = char(~turned[first + 8 + length(first)]);
    EXPECT_TRUE(samples::writeBytes(d.checksum, turned));
    QByteArray spoilt = bytes;
    const qsizetype chunk = bytes.indexOf("IDAT", bytes.size() * 2 / 3) - 4;
    EXPECT_GT(chunk, first);
    for (int i = 0; i < length(chunk); i += 3)
        spoilt[chunk + 8 + i] = char(0xa5 ^ i);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(spoilt.constData() + chunk + 4), uInt(length(chunk) + 4));
    for (int i = 0; i < 4; ++i)
        spoilt[chunk + 8 + length(chunk) + i] = char(crc >> (24 - 8 * i));
    EXPECT_TRUE(samples::writeBytes(d.spoilt, spoilt));
    return d;
}

} // namespace

TEST_F(LargePictureOpen, ADamagedLargePngEndsInTheProgramsMessageAsASmallOneDoes)
{
    // The messages about the picture (a first start tells others too).
    const auto told = [&] { return dialogs->texts().filter(QStringLiteral("Cannot Display")); };
    const DamagedPngs damaged = makeDamagedPngs(program.file("pics"));
    const QString message = QStringLiteral("Cannot Display this File - ");
    // Damage the file tells as it is opened: the message at once, as for a
    // small picture, and fitting it to the window afterwards adds nothing.
    for (const QString& path : {damaged.half, damaged.checksum}) {
        dialogs->messages.clear();
        start(path);
        EXPECT_EQ(told(), QStringList{message + path});
        w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
        QTest::qWait(300);
        EXPECT_EQ(told(), QStringList{message + path}) << "told once";
        w->fPictureChanged = false;
        w.reset();
    }
    // Damage found only when a part that holds it is decoded: what comes
    // before it shows, and the message follows, by the time it is fitted to
    // the window at the latest.
    dialogs->messages.clear();
    start(damaged.spoilt);
    ASSERT_EQ(w->cShownPicture, damaged.spoilt);
    painted();
    w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !told().isEmpty(); }, 20000)) << "a message, not a blank view";
    QTest::qWait(300);
    EXPECT_EQ(told(), QStringList{message + damaged.spoilt});
}

TEST_F(LargePictureOpen, ADamagedLargePngIsToldOfByTheCommandsThatNeedEveryPixel)
{
    const auto told = [&] { return dialogs->texts().filter(QStringLiteral("Cannot Display")); };
    const DamagedPngs damaged = makeDamagedPngs(program.file("pics"));
    const QString message = QStringLiteral("Cannot Display this File - ") + damaged.spoilt;
    start(damaged.spoilt);
    ASSERT_EQ(w->cShownPicture, damaged.spoilt);
    painted();
    w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !told().isEmpty(); }, 20000));
    // Told already as it showed, and told again by each command that needs
    // every pixel of it, through the toolbar and menus: no window or dialog
    // opens on an empty picture, no tool stays down.
    const std::pair<const char*, const char*> commands[] = {
        {"ID_EditImage", "EdtImage1"}, {"ID_EditColors", "EdtColors1"}, {"ID_PrintImage", "PrntPict1"},
        {"ID_mnuBrightness", nullptr}, {"ID_mnuContrast", nullptr},     {"ID_mnuCopy", nullptr}};
    for (const auto& [id, name] : commands) {
        dialogs->messages.clear();
        platform::Tool* tool = w->ToolBarComp1->Item(QString::fromLatin1(id));
        ASSERT_NE(tool, nullptr) << id;
        tool->action()->trigger();
        QTest::qWait(300);
        EXPECT_EQ(told(), QStringList{message}) << id << ": " << dialogs->texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(tool->State(), 0) << id;
        if (!name)
            continue;
        const QWidget* window = toolwindows::existing(QString::fromLatin1(name));
        EXPECT_TRUE(!window || !window->isVisible()) << name << " opened on a picture that cannot be read";
        EXPECT_FALSE(*toolwindows::openFlag(QString::fromLatin1(name))) << name;
    }
    EXPECT_EQ(dialogs->changeRequests.size(), 0) << "no brightness or contrast dialog on an empty picture";
    // The paints that meet the damage afterwards add nothing.
    dialogs->messages.clear();
    w->ToolBarComp1->Item(QStringLiteral("ID_ViewNormal"))->action()->trigger();
    w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
    QTest::qWait(500);
    EXPECT_EQ(told(), QStringList{});
}

TEST_F(LargePictureOpen, APictureWrittenOverInPlaceIsTheOriginalThatResetRestores)
{
    start(large);
    painted();
    // Another picture, of another shape, written into the same file.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(large).constData(), &before), 0);
    ASSERT_TRUE(samples::writeQt(large, photo(2400, 3600).mirrored(true, false), "jpeg", 90));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(large).constData(), &after), 0);
    ASSERT_EQ(after.st_ino, before.st_ino) << "written in place";
    const QImage next = QImageReader(large).read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(next.size(), QSize(2400, 3600));
    // Shown again, it is noticed and loaded again as the picture it is now.
    w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Image1->BitmapWidth() == 2400; }, 20000)) << "loaded again";
    // Reset to Original takes the picture as loaded: the new one, whole.
    w->ToolBarComp1->Item(QStringLiteral("ID_mnuImageReset"))->action()->trigger();
    EXPECT_EQ(QSize(w->Image1->BitmapWidth(), w->Image1->BitmapHeight()), QSize(2400, 3600));
    const QImage restored = w->Image1->Bitmap().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(restored.size(), QSize(2400, 3600));
    EXPECT_LE(samples::maxDifference(restored, next), 2);
    QTest::qWait(300);
    EXPECT_EQ(dialogs->texts().filter(QStringLiteral("Cannot Display")), QStringList{});
    EXPECT_EQ(QSize(w->Image1->BitmapWidth(), w->Image1->BitmapHeight()), QSize(2400, 3600));
}
