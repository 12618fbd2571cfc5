// A large picture opened as a user opens it (named on the command line, a
// double-click in the file list), shown as it opens and fitted to the
// window: painted from a decode at the size it shows, never from the whole
// picture, while the commands that need every pixel still get all of them.
#include "PartRecorder.h"
#include "ScriptedDialogs.h"
#include "PictureSamples.h"
#include "TiffSamples.h"
#include "TestSupport.h"

#include "platform/controls/Dialogs.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/imaging/Lead.h"
#include "platform/shell/ShellList.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"
#include "window/ToolWindows.h"

#include <QAbstractItemView>
#include <QFile>
#include <QImageReader>
#include <QTabBar>
#include <QTabWidget>
#include <QMenu>
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
        parts.forget();
        w = std::make_unique<Lumivex1>(QStringList{}, nullptr, parts);
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
        EXPECT_EQ(parts.wholePictures(), 0) << how;
        EXPECT_EQ(parts.partsOnTheWindowsThread(), 0) << how;
        // What shows, and a margin of a quarter of the view on every side.
        EXPECT_LE(parts.largestPart(), qint64(w->Frame3->width()) * w->Frame3->height() * 9 / 4) << how;
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

    // A click on the tool's entry in the picture view's drop-down menu.
    void pickViewTool(const char* id)
    {
        const platform::Tool* drop = w->ToolBarComp1->Item(QStringLiteral("ID_mnuImageViewDropDown"));
        const platform::Tool* tool = w->ToolBarComp1->Item(QString::fromLatin1(id));
        ASSERT_TRUE(drop && drop->menu() && tool) << id;
        drop->menu()->popup(w->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(drop->menu()));
        QTest::mouseClick(drop->menu(), Qt::LeftButton, {}, drop->menu()->actionGeometry(tool->action()).center());
    }

    void showPicturesTab()
    {
        QTabBar* tabs = w->TabStrip1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        ASSERT_EQ(w->TabStrip1->currentIndex(), 2);
    }

    testsupport::ProgramFolder program;
    platform::ScopedDialogs dialogs;
    platform::PartRecorder parts; // the decodes of the window's picture controls
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

namespace {

// What the calling thread has read from files (and other read calls) so far.
qint64 bytesReadByThisThread()
{
    QFile io(QStringLiteral("/proc/thread-self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

TEST_F(LargePictureOpen, ALargePngIsPaintedBeforeTheWindowsThreadReadsItThrough)
{
    // 36 MB stored without compression: reading it through shows.
    const QString png = program.file("pics/stored.png");
    const QImage picture = photo(4000, 3000);
    ASSERT_TRUE(samples::writeQt(png, picture, "png", 100));
    const qint64 size = QFileInfo(png).size();
    ASSERT_GT(size, 30 * 1000 * 1000);
    const qint64 before = bytesReadByThisThread();
    ASSERT_GE(before, 0) << "the kernel counts each thread's reads";
    start(png);
    ASSERT_EQ(w->cShownPicture, png);
    const QImage shot = painted();
    const qint64 read = bytesReadByThisThread() - before;
    EXPECT_LT(read, size / 10) << "the window's thread read " << read << " bytes of a file of " << size;
    const QRect inside = shot.rect().adjusted(2, 2, -2, -2);
    EXPECT_LE(samples::maxDifference(shot.copy(inside), picture.copy(inside)), 2);
    EXPECT_EQ(dialogs->texts().filter(QStringLiteral("Cannot Display")), QStringList{});
}

TEST_F(LargePictureOpen, DoubleClickedInTheFileListItIsPaintedFromADecodeAtTheShownSize)
{
    start({});
    w->setFileListFolder(program.file("pics"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->PTxShList1->Count() >= 2; }, 20000));
    parts.forget();
    doubleClick(QStringLiteral("large.jpg"));
    ASSERT_EQ(w->cShownPicture, large);
    expectTheCorner("as it opens from a double-click");
    fitAndExpectTheWholeScaled();
}

TEST_F(LargePictureOpen, CommandsThatNeedEveryPixelGetTheWholePicture)
{
    start(large);
    painted();
    ASSERT_EQ(parts.wholePictures(), 0);
    // Saving writes every pixel of it.
    ASSERT_EQ(w->Image1->Save(program.file("pics/copy.png"), platform::fmt::Png, 24, 0), 0);
    EXPECT_EQ(parts.wholePictures(), 1);
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
    QString half, checksum, spoilt, changed;
    QImage good;
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
                        folder + QStringLiteral("/spoilt.png"), folder + QStringLiteral("/changed.png"), gradient};
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
    // 2000 bytes changed in the middle chunk of pixels, its checksum made right again.
    std::vector<qsizetype> chunks;
    for (qsizetype at = bytes.indexOf("IDAT"); at >= 0; at = bytes.indexOf("IDAT", at + 4))
        chunks.push_back(at - 4);
    const qsizetype middle = chunks[chunks.size() / 2];
    EXPECT_GE(length(middle), 3000);
    QByteArray changed = bytes;
    for (int i = 500; i < 2500; ++i)
        changed[middle + 8 + i] = char(changed[middle + 8 + i] ^ 0x5a);
    const auto* at = reinterpret_cast<const Bytef*>(changed.constData() + middle + 4);
    const uLong sum = crc32(0, at, uInt(length(middle) + 4));
    for (int i = 0; i < 4; ++i)
        changed[middle + 8 + length(middle) + i] = char(sum >> (24 - 8 * i));
    EXPECT_TRUE(samples::writeBytes(d.changed, changed));
    return d;
}

} // namespace

TEST_F(LargePictureOpen, ADamagedLargePngEndsInTheProgramsMessageAsASmallOneDoes)
{
    // The messages about the picture (a first start tells others too).
    const auto told = [&] { return dialogs->texts().filter(QStringLiteral("Cannot Display")); };
    const DamagedPngs damaged = makeDamagedPngs(program.file("pics"));
    const QString message = QStringLiteral("Cannot Display this File - ");
    // Damage a decode on a worker meets soon after it is opened (a checksum
    // in the first chunk of pixels: the part on show; the file cut in half:
    // the whole picture at the window's size, decoded once that part is
    // painted): the message, once; fitting it to the window adds nothing.
    for (const QString& path : {damaged.half, damaged.checksum}) {
        dialogs->messages.clear();
        start(path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->Image1->grab(), !told().isEmpty(); }, 20000)) << "a message";
        EXPECT_EQ(told(), QStringList{message + path});
        w->ToolBarComp1->Item(QStringLiteral("ID_ViewFitImage"))->action()->trigger();
        w->Image1->grab();
        QTest::qWait(300);
        w->Image1->grab();
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

TEST_F(LargePictureOpen, ADamagedLargePngFittedToTheWindowKeepsItsOwnShape)
{
    const auto told = [&] { return dialogs->texts().filter(QStringLiteral("Cannot Display")); };
    const DamagedPngs damaged = makeDamagedPngs(program.file("pics"));
    // Opened by its name: the top shows, and the message comes.
    start(damaged.changed);
    ASSERT_EQ(w->cShownPicture, damaged.changed);
    showPicturesTab();
    const QImage top = painted();
    const QRect corner = top.rect().adjusted(2, 2, -2, -2);
    EXPECT_LE(samples::maxDifference(top.copy(corner), damaged.good.copy(corner)), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Image1->grab(), !told().isEmpty(); }, 20000)) << "a message";
    EXPECT_EQ(told(), QStringList{QStringLiteral("Cannot Display this File - ") + damaged.changed});

    // Fitted: what was decoded, in the picture's own box (4:3, in the middle
    // of the control), the rest the background.
    pickViewTool("ID_ViewFitImage");
    ASSERT_EQ(w->Image1->PaintSizeMode(), 3);
    painted();
    const QImage shot = w->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QSize view = shot.size();
    const QSize fitted = QSizeF(4000, 3000).scaled(QSizeF(view), Qt::KeepAspectRatio).toSize();
    const QRect box(QPoint((view.width() - fitted.width()) / 2, (view.height() - fitted.height()) / 2), fitted);
    const QRgb background = shot.pixel(box.center().x(), box.bottom() - 3); // below the damage
    const QRect inside = shot.rect().adjusted(1, 1, -1, -1); // within the control's border
    QRect drawn;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (shot.pixel(x, y) != background)
                drawn |= QRect(x, y, 1, 1);
    const QRect expected = box & inside;
    EXPECT_NEAR(drawn.left(), expected.left(), 2) << "drawn " << drawn.width() << "x" << drawn.height();
    EXPECT_NEAR(drawn.right(), expected.right(), 2);
    EXPECT_NEAR(drawn.top(), expected.top(), 2);
    EXPECT_LE(drawn.bottom(), expected.bottom());
    // The picture stands in the middle: its height is what the top leaves below.
    EXPECT_NEAR(double(drawn.width()) / (view.height() - 2 * drawn.top()), 4.0 / 3.0, 0.02) << "the picture's aspect";
    // The top quarter of it: the picture, scaled.
    const QRect band(box.left() + 2, box.top() + 2, box.width() - 4, box.height() / 4);
    const QImage scaled = damaged.good.scaled(box.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LE(samples::meanDifference(shot.copy(band), scaled.copy(band.translated(-box.topLeft()))), 4.0);
    EXPECT_EQ(told().size(), 1) << "told once";
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

namespace {

// A scan as a scanner or an archive stores it: LZW in strips of 32 rows.
bool writeScan(const QString& path, const QImage& picture)
{
    return tiffsamples::write(path, {picture}, {tiffsamples::Colour::Rgb, 8, COMPRESSION_LZW, false, false, 32, 2});
}

} // namespace

TEST_F(LargePictureOpen, TheWindowAnswersWhileAPartOfALargeTiffIsDecoded)
{
    const QString scan = program.file("pics/scan.tif");
    const QImage picture = photo(4800, 3200);
    ASSERT_TRUE(writeScan(scan, picture));
    // Every part the window asks for waits on the gate until the test opens it.
    parts.hold();
    start(scan);
    ASSERT_EQ(w->cShownPicture, scan);
    ASSERT_TRUE(QTest::qWaitFor([&] { return parts.partsHeld() > 0; }, 20000)) << "a part of the picture asked for";
    EXPECT_EQ(QSize(w->Image1->InfoWidth(), w->Image1->InfoHeight()), QSize(4800, 3200)) << "the facts, from the header";
    // The window's thread turns its event loop: a posted event runs, and a
    // click switches the tab.
    bool ran = false;
    QMetaObject::invokeMethod(w.get(), [&] { ran = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran; }, 20000)) << "the posted event ran";
    QTabBar* tabs = w->TabStrip1->tabBar();
    const int other = w->TabStrip1->currentIndex() == 0 ? 1 : 0;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(other).center());
    EXPECT_EQ(w->TabStrip1->currentIndex(), other);
    EXPECT_GT(parts.partsHeld(), 0) << "the part is still held";
    // Let go, the picture shows: the corner that shows, from its strips.
    parts.release();
    showPicturesTab();
    const QImage shot = painted();
    expectShownSizeDecodesOnly("a TIFF as it opens");
    const QRect inside = shot.rect().adjusted(2, 2, -2, -2);
    EXPECT_EQ(samples::maxDifference(shot.copy(inside), picture.copy(inside)), 0);
    EXPECT_EQ(dialogs->texts().filter(QStringLiteral("Cannot Display")), QStringList{});
}

TEST_F(LargePictureOpen, ADamagedLargeTiffShowsWhatComesBeforeTheDamageAndEndsInTheProgramsMessage)
{
    const auto told = [&] { return dialogs->texts().filter(QStringLiteral("Cannot Display")); };
    // The strips of its lower half spoilt: only decoding them tells.
    const QString scan = program.file("pics/spoilt.tif");
    const QImage picture = photo(4000, 3000);
    ASSERT_TRUE(writeScan(scan, picture));
    QByteArray bytes = samples::readBytes(scan);
    TIFF* tif = TIFFOpen(QFile::encodeName(scan).constData(), "r");
    ASSERT_NE(tif, nullptr);
    for (uint32_t strip = TIFFNumberOfStrips(tif) / 2; strip < TIFFNumberOfStrips(tif); ++strip) {
        const qsizetype at = qsizetype(TIFFGetStrileOffset(tif, strip));
        const qsizetype length = qsizetype(TIFFGetStrileByteCount(tif, strip));
        bytes.replace(at, length, QByteArray(length, char(0xFF)));
    }
    TIFFClose(tif);
    ASSERT_TRUE(samples::writeBytes(scan, bytes));
    start(scan);
    ASSERT_EQ(w->cShownPicture, scan);
    showPicturesTab();
    const QImage top = painted();
    const QRect corner = top.rect().adjusted(2, 2, -2, -2);
    EXPECT_EQ(samples::maxDifference(top.copy(corner), picture.copy(corner)), 0);
    // Fitted to the window, the damage is met: the message, once.
    pickViewTool("ID_ViewFitImage");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Image1->grab(), !told().isEmpty(); }, 20000)) << "a message, not a blank view";
    QTest::qWait(300);
    w->Image1->grab();
    EXPECT_EQ(told(), QStringList{QStringLiteral("Cannot Display this File - ") + scan});
}
