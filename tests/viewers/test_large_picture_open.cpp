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

#include <QAbstractItemView>
#include <QImageReader>
#include <QLinearGradient>
#include <QTest>
#include <gtest/gtest.h>

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

// The largest difference of a colour channel, pixel by pixel.
int maxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// The mean difference of the colour channels.
double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    qint64 n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x, n += 3) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return n > 0 ? sum / double(n) : 255.0;
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
        EXPECT_LE(platform::decodeCounts().largestPart, qint64(w->Frame3->width()) * w->Frame3->height()) << how;
        EXPECT_FALSE(w->Image1->WholePictureInMemory()) << how;
    }

    // As it opens: the top left corner, pixel for pixel.
    void expectTheCorner(const char* how)
    {
        const QImage shot = painted();
        expectShownSizeDecodesOnly(how);
        ASSERT_GT(shot.width(), 100) << how;
        const QRect inside = shot.rect().adjusted(2, 2, -2, -2); // within the control's border
        EXPECT_LE(maxDifference(shot.copy(inside), whole.copy(inside)), 2) << how;
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
        EXPECT_LE(meanDifference(shot.copy(inside), scaled.copy(inside)), 4.0);
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
    EXPECT_LE(maxDifference(saved, whole), 2);
    // An edit changes the whole picture, and the control holds all of it.
    EXPECT_EQ(w->Image1->Intensity(100), 0);
    EXPECT_TRUE(w->Image1->WholePictureInMemory());
    EXPECT_EQ(w->Image1->Bitmap().size(), QSize(4800, 3200));
}
