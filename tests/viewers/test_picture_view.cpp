#include "LoopbackServer.h"
#include "ViewerFixture.h"

#include <QSignalSpy>
#include <QTest>

using viewertest::Viewer;
using viewertest::waitFor;

namespace {
QByteArray pngBytes(int w, int h)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    samples::pattern(w, h).save(&buf, "png");
    return bytes;
}
} // namespace

TEST_F(Viewer, KeypadPlusAndMinusZoomInStepsOfFiveNeverBelowOne)
{
    w->DisplayFile(picture(QStringLiteral("a.jpg"), 60, 40));
    EXPECT_EQ(w->nZoomFactor, 100);
    QTest::keyClick(w->Image1, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(w->Image1->DstWidth(), 63);
    // The main keyboard's plus and minus do nothing.
    QTest::keyClick(w->Image1, Qt::Key_Plus);
    QTest::keyClick(w->Image1, Qt::Key_Minus);
    QTest::keyClick(w->Image1, Qt::Key_Equal);
    EXPECT_EQ(w->nZoomFactor, 105);
    w->nZoomFactor = 5;
    QTest::keyClick(w->Image1, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(w->nZoomFactor, 1);
    QTest::keyClick(w->Image1, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(w->nZoomFactor, 1);
    // The next picture starts at 100 again.
    w->DisplayFile(picture(QStringLiteral("b.jpg"), 60, 40));
    EXPECT_EQ(w->Image1->PaintZoomFactor(), 100);
}

TEST_F(Viewer, SnapMakesTheClientAreaThePicturesSize)
{
    w->DisplayFile(picture(QStringLiteral("vga.png"), 640, 480));
    w->SnapImageToWindow();
    EXPECT_TRUE(waitFor([&] { return w->size() == QSize(640, 480); })) << w->width() << "x" << w->height();
    // Minimized or maximized: nothing changes.
    w->DisplayFile(picture(QStringLiteral("small.png"), 300, 200));
    w->showMaximized();
    QCoreApplication::processEvents();
    const QSize maximized = w->size();
    w->SnapImageToWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->size(), maximized);
}

TEST_F(Viewer, TheControlFitsItsPanelAndDoubleClickTogglesStretch)
{
    // Smaller than the panel: the picture's own size, and its frame around it.
    w->DisplayFile(picture(QStringLiteral("small.png"), 120, 90));
    EXPECT_EQ(w->Image1->size(), QSize(122, 92));
    // As tall as the panel, so taller than the panel less its margin: the panel's size less 35 and 25 twips.
    w->DisplayFile(picture(QStringLiteral("tall.png"), 50, w->Frame3->height()));
    EXPECT_EQ(w->Image1->size(), w->Frame3->size() - QSize(2, 2));
    // Fit paints the whole picture inside the control.
    w->FitImageToWindow();
    EXPECT_EQ(w->Image1->PaintSizeMode(), 3);
    EXPECT_LE(w->Image1->DstHeight(), w->Image1->height());
    w->ViewNormalSize();
    EXPECT_EQ(w->Image1->PaintSizeMode(), 0);
    // A double-click toggles stretch, and the tool bar follows.
    testsupport::doubleClick(w->Image1, QPoint(10, 10));
    EXPECT_EQ(w->Image1->PaintSizeMode(), 1);
    EXPECT_EQ(w->ToolBarComp1->Item(QStringLiteral("ID_ViewStretch"))->State(), 1);
    testsupport::doubleClick(w->Image1, QPoint(10, 10));
    EXPECT_EQ(w->Image1->PaintSizeMode(), 0);
    EXPECT_EQ(w->ToolBarComp1->Item(QStringLiteral("ID_ViewNormal"))->State(), 1);
}

TEST_F(Viewer, MagnifierAndPanWindow)
{
    w->DisplayFile(picture(QStringLiteral("a.jpg"), 400, 300));
    w->ToggleMagnifier();
    EXPECT_TRUE(w->Image1->MagGlassActive());
    EXPECT_EQ(w->ToolBarComp1->Item(QStringLiteral("ID_ViewMagnify"))->State(), 1);
    // Painting with the glass shown does not fail.
    QTest::mousePress(w->Image1, Qt::LeftButton, {}, QPoint(50, 50));
    w->Image1->grab();
    QTest::mouseRelease(w->Image1, Qt::LeftButton, {}, QPoint(50, 50));
    // A right click stops it.
    QTest::mouseClick(w->Image1, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_FALSE(w->Image1->MagGlassActive());
    EXPECT_EQ(w->ToolBarComp1->Item(QStringLiteral("ID_ViewMagnify"))->State(), 0);

    // Pan window: shown, hidden by Stretch, shown again.
    w->TogglePanWindow();
    EXPECT_TRUE(w->Image1->PanWinShown());
    w->StretchImageToWindow();
    EXPECT_FALSE(w->Image1->PanWinShown());
    EXPECT_EQ(w->ToolBarComp1->Item(QStringLiteral("ID_ViewPan"))->State(), 0);
    w->TogglePanWindow();
    EXPECT_TRUE(w->Image1->PanWinShown());
    // Magnifying while stretched returns to normal size and closes the pan window.
    w->ToggleMagnifier();
    EXPECT_EQ(w->Image1->PaintSizeMode(), 0);
    EXPECT_FALSE(w->Image1->PanWinShown());
    // The pan window while the magnifier runs stops the magnifier first.
    w->TogglePanWindow();
    EXPECT_FALSE(w->fMagnifierOn);
    EXPECT_TRUE(w->fPanWindowOn);
}

TEST_F(Viewer, InternetPicturesOverHttpAndHttps)
{
    for (const bool tls : {false, true}) {
        LoopbackServer server(tls);
        QTemporaryDir keys;
        if (tls && !server.setUpTls(keys.path()))
            GTEST_SKIP() << "the openssl tool could not make a test certificate";
        ASSERT_TRUE(server.isListening());
        server.put(QStringLiteral("/pic.png"), pngBytes(90, 70), "image/png");

        // A local picture first: no load events, never marked changed.
        QSignalSpy status(w->Image1, &platform::Lead::LoadStatus);
        const QString local = picture(tls ? QStringLiteral("l2.jpg") : QStringLiteral("l1.jpg"), 30, 30);
        w->DisplayFile(local);
        QCoreApplication::processEvents();
        EXPECT_EQ(status.count(), 0);
        EXPECT_FALSE(w->fPictureChanged);

        const QString url = server.url(QStringLiteral("/pic.png"));
        gs.fInternetLoading = true;
        w->DisplayFile(url);
        EXPECT_TRUE(w->Frame5->isVisibleTo(w->Frame3));
        ASSERT_TRUE(waitFor([&] { return !gs.fInternetLoading; })) << "tls " << tls;
        EXPECT_TRUE(texts().isEmpty()) << texts().join('|').toStdString();
        EXPECT_EQ(w->Image1->BitmapWidth(), 90);
        EXPECT_FALSE(w->Frame5->isVisible());
        EXPECT_TRUE(gs.fInternetPicture);
        EXPECT_TRUE(w->fPictureChanged) << "an internet picture is offered for saving";
        EXPECT_TRUE(status.count() >= 2);
        EXPECT_EQ(status.first().first().toInt(), 1);
        EXPECT_EQ(status.last().first().toInt(), 4);
        EXPECT_EQ(list3().last(), local) << "the viewed list is not touched";

        // A failed fetch: the message, and the picture on show stays.
        w->fPictureChanged = false;
        gs.fInternetLoading = true;
        w->DisplayFile(server.url(QStringLiteral("/missing.png")));
        ASSERT_TRUE(waitFor([&] { return !gs.fInternetLoading; }));
        EXPECT_EQ(texts(), QStringList{"Error Loading Picture"});
        EXPECT_EQ(w->Image1->BitmapWidth(), 90);
        EXPECT_FALSE(gs.fInternetPicture);
        dialogs->service.messages.clear();
        w->fPictureChanged = false;
    }
}
