#include "EditorFixture.h"

#include "editor/EdtImage1.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureEffects.h"
#include "shell/HelpWindow.h"

#include <Magick++.h>
#ifdef Intensity
#undef Intensity
#endif

#include <QFileInfo>
#include <QLineEdit>

#include <functional>

using namespace edittest;
using platform::Answer;
namespace fx = platform::effects;

namespace {

class EffectsEditor : public Editors {
protected:
    // Shows a picture and opens the editor on it; false when no editor came up.
    bool open()
    {
        path = showPicture();
        e = openEditor<EdtImage1>("ID_EditImage", "EdtImage1");
        if (e)
            original = e->session().original();
        return e;
    }
    EdtImage1* e = nullptr;
    QString path;
    QImage original;
};

} // namespace

TEST_F(EffectsEditor, OpensOnTheShownPictureWithItsToolPressed)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(gs.cEditFile, path);
    EXPECT_TRUE(gs.fEdtImageOpen);
    EXPECT_EQ(tool("ID_EditImage")->State(), 1);
    EXPECT_EQ(e->Label1[2]->text(), "  Image: " + path);
    EXPECT_EQ(e->Image1->Bitmap(), w->Image1->Bitmap());
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_EQ(e->Image3->Bitmap(), original);
    EXPECT_EQ(e->List1->currentRow(), 0);
    EXPECT_FALSE(e->fImageEdited());
    EXPECT_FALSE(e->fFormLoading());

    // The command again brings the same window forward.
    tool("ID_EditImage")->action()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(toolwindows::existing("EdtImage1"), e);

    // Double-clicks switch a picture between normal and stretched painting.
    testsupport::doubleClick(e->Image1);
    EXPECT_EQ(e->Image1->PaintSizeMode(), 0);
    EXPECT_FALSE(e->fOriginalStretched());
    testsupport::doubleClick(e->Image1);
    EXPECT_EQ(e->Image1->PaintSizeMode(), 1);
    testsupport::doubleClick(e->Image2);
    EXPECT_FALSE(e->fCurrentStretched());

    help::setHelpFolder(testsupport::assetsFolder() + "/Help");
    click(e->HelpBtn);
    ASSERT_NE(help::existingWindow(), nullptr);
    EXPECT_EQ(QFileInfo(help::existingWindow()->currentPage()).completeBaseName(), "EdtImage1");
    help::existingWindow()->close();
}

TEST_F(EffectsEditor, SaveRoundTripAndCancel)
{
    ASSERT_TRUE(open());
    w->fPictureChanged = true;
    click(e->FlipBtn);
    const QImage flipped = with(original, EFFECT(flip));
    EXPECT_EQ(e->Image2->Bitmap(), flipped);

    answerSave(path, platform::fmt::Png);
    click(e->SaveBtn);
    ASSERT_EQ(dialogs->service.fileRequests.size(), 1);
    EXPECT_EQ(dialogs->service.fileRequests.first().fileName, path);
    EXPECT_EQ(dialogs->service.fileRequests.first().saveFormat, platform::fmt::Png);
    EXPECT_EQ(onDisk(path), plain(flipped));
    EXPECT_EQ(w->Image1->Bitmap(), flipped) << "the main view shows the saved picture";
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(e->Image1->Bitmap(), original) << "the unedited picture stays as first loaded";

    click(e->UndoBtn);
    EXPECT_EQ(e->Image2->Bitmap(), original);

    click(e->CancelBtn);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(toolwindows::existing("EdtImage1"), nullptr);
    EXPECT_FALSE(gs.fEdtImageOpen);
    EXPECT_EQ(tool("ID_EditImage")->State(), 0);
    EXPECT_EQ(w->Image1->Bitmap(), flipped);

    // Saving under another name writes that file and leaves the main view alone.
    e = openEditor<EdtImage1>("ID_EditImage", "EdtImage1");
    ASSERT_NE(e, nullptr);
    click(e->ReverseBtn);
    answerSave(file("other"), platform::fmt::Bmp);
    click(e->SaveBtn);
    EXPECT_EQ(onDisk(file("other.BMP")),
              plain(with(flipped, EFFECT(reverse))));
    EXPECT_EQ(w->Image1->Bitmap(), flipped);

    // A cancelled save dialog shows nothing and changes nothing.
    click(e->SaveBtn);
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(EffectsEditor, AFailedSaveLeavesTheFileAndTheMainViewAsTheyWere)
{
    ASSERT_TRUE(open());
    const QByteArray bytes = samples::readBytes(path);
    click(e->FlipBtn);
    for (const bool changed : {false, true}) {
        w->fPictureChanged = changed;
        answerSave(file("gone/flipped.png"), platform::fmt::Png);
        click(e->SaveBtn);
        EXPECT_EQ(dialogs->service.messages.last().title, kProgramTitle);
        EXPECT_EQ(dialogs->service.messages.last().text, "Error '20014, Not able to open file' was generated.");
        EXPECT_EQ(w->fPictureChanged, changed);
        EXPECT_EQ(w->Image1->Bitmap(), original);
    }
    EXPECT_FALSE(QFileInfo::exists(file("gone")));

    // Failing on the picture's own file leaves the file and the main view.
    answerSave(path, platform::fmt::Gif);
    click(e->SaveBtn);
    EXPECT_EQ(texts().size(), 3);
    EXPECT_TRUE(texts().last().startsWith("Error '20146, "));
    EXPECT_EQ(samples::readBytes(path), bytes);
    EXPECT_EQ(w->Image1->Bitmap(), original);
}

TEST_F(EffectsEditor, ApplyMarksThePictureChangedOnlyAfterAnEdit)
{
    ASSERT_TRUE(open());
    click(e->ApplyBtn);
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_EQ(w->Image1->Bitmap(), original);
    EXPECT_TRUE(e->isVisible()) << "the editor stays open";

    click(e->FlipBtn);
    click(e->ApplyBtn);
    EXPECT_TRUE(w->fPictureChanged);
    EXPECT_EQ(w->Image1->Bitmap(), with(original, EFFECT(flip)));

    // Undo gives back the snapshot with its own state: taken before the flip, unedited.
    w->fPictureChanged = false;
    click(e->UndoBtn);
    EXPECT_FALSE(e->fImageEdited());
    click(e->ApplyBtn);
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_EQ(w->Image1->Bitmap(), original);

    // Choosing an emboss direction embosses the working copy: an edit.
    clickItem(e->List1, 2);
    EXPECT_EQ(e->nEmbossDirection, 2);
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(emboss, 2, 500)));
    click(e->ApplyBtn);
    EXPECT_TRUE(w->fPictureChanged);

    // A snapshot that holds edits keeps them through Undo.
    w->fPictureChanged = false;
    click(e->AcceptBtn[0]);
    click(e->ReverseBtn);
    click(e->UndoBtn);
    EXPECT_TRUE(e->fImageEdited());
    click(e->ApplyBtn);
    EXPECT_TRUE(w->fPictureChanged);
}

TEST_F(EffectsEditor, PlusAndMinusKeysStepTheSliders)
{
    ASSERT_TRUE(open());
    QImage expected = original;
    for (int levels : {3, 4, 5}) {
        key(e->SCPosterize, '+');
        expected = with(expected, EFFECT(posterize, levels));
    }
    EXPECT_EQ(e->SCPosterize->value(), 5);
    EXPECT_EQ(e->Label3[0]->text(), "5");
    EXPECT_EQ(e->Image2->Bitmap(), expected);
    click(e->AcceptBtn[0]);
    expected = with(expected, EFFECT(posterize, 5));
    EXPECT_EQ(e->Image2->Bitmap(), expected);
    EXPECT_EQ(e->Image3->Bitmap(), expected);

    // At the ends, and where the step would pass the end, nothing happens.
    QTest::keyClick(e->SCPosterize, Qt::Key_End);
    EXPECT_EQ(e->SCPosterize->value(), 64);
    const QImage atEnd = e->Image2->Bitmap();
    key(e->SCPosterize, '+');
    EXPECT_EQ(e->SCPosterize->value(), 64);
    EXPECT_EQ(e->Image2->Bitmap(), atEnd);
    key(e->SCMedian, '-');
    EXPECT_EQ(e->SCMedian->value(), 3);
    EXPECT_EQ(e->Label3[2]->text(), "3");
    e->SCNoise->setValue(995);
    key(e->SCNoise, '+');
    EXPECT_EQ(e->SCNoise->value(), 995);
    key(e->SCSharpen, '-');
    EXPECT_EQ(e->SCSharpen->value(), -10);
    EXPECT_EQ(e->Label3[3]->text(), "-10");
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(EffectsEditor, DraggingASliderPreviewsOnceWhenLetGo)
{
    ASSERT_TRUE(open());
    const QRect handle = part(e->SCMosiac, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(e->SCMosiac, Qt::LeftButton, {}, handle.center());
    QTest::mouseMove(e->SCMosiac, handle.center() + QPoint(60, 0));
    QTest::mouseMove(e->SCMosiac, handle.center() + QPoint(120, 0));
    EXPECT_EQ(e->Label3[1]->text(), "2") << "nothing while the handle moves";
    EXPECT_EQ(e->Image2->Bitmap(), original);
    QTest::mouseRelease(e->SCMosiac, Qt::LeftButton, {}, handle.center() + QPoint(120, 0));
    QCoreApplication::processEvents();
    const int tile = e->SCMosiac->value();
    ASSERT_GT(tile, 2);
    EXPECT_EQ(e->Label3[1]->text(), QString::number(tile));
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(mosaic, tile)));
}

TEST_F(EffectsEditor, FreeRotationAcceptsTheWholeAngleOnce)
{
    ASSERT_TRUE(open());
    const QRgb white = qRgb(255, 255, 255);
    for (int i = 0; i < 3; ++i)
        pageRight(e->SCRotateFree);
    EXPECT_EQ(e->SCRotateFree->value(), 30);
    pageLeft(e->SCRotateFree);
    EXPECT_EQ(e->SCRotateFree->value(), 20);
    EXPECT_EQ(e->Text1->text(), "20");
    EXPECT_EQ(e->nRotateTotal, 20);
    QImage stepwise = original;
    for (int degrees : {10, 10, 10, -10})
        stepwise = with(stepwise, EFFECT(rotate, degrees * 100, white));
    EXPECT_EQ(e->Image2->Bitmap(), stepwise);

    click(e->AcceptBtn[6]);
    const QImage once = with(original, EFFECT(rotate, 2000, white));
    EXPECT_EQ(e->Image3->Bitmap(), once);
    EXPECT_EQ(e->Image2->Bitmap(), once);
    EXPECT_EQ(e->Text1->text(), "0");
    EXPECT_EQ(e->SCRotateFree->value(), 0);
    EXPECT_EQ(e->nRotateLast, 0);
    EXPECT_EQ(e->nRotateTotal, 0);
}

TEST_F(EffectsEditor, FixedRotationsUseTheChosenBackground)
{
    ASSERT_TRUE(open());
    click(e->RotateAngle[0]);
    const QImage quarter = with(original, EFFECT(rotate, 9000, 0));
    EXPECT_EQ(e->Image2->Bitmap(), quarter);
    EXPECT_EQ(e->Image2->BitmapWidth(), original.height());
    click(e->UndoBtn);
    EXPECT_EQ(e->Image2->Bitmap(), original);

    // A free turn right after opening fills with white; after a colour is chosen, with it.
    pageRight(e->SCRotateFree);
    EXPECT_EQ(e->Image2->Bitmap().pixel(0, 0), qRgb(255, 255, 255));
    dialogs->service.colorAnswers << QColor(0, 0, 255);
    click(e->RColorBtn);
    EXPECT_EQ(dialogs->service.colorRequests.last().title, "Select Color for Rotate Image Background");
    EXPECT_EQ(dialogs->service.colorRequests.last().initial, QColor(Qt::white));
    EXPECT_EQ(e->nRotateBackColor, 0x00FF0000u);
    EXPECT_TRUE(e->styleSheet().contains("#0000ff")) << "the angle box shows the colour";
    click(e->RotateAngle[2]);
    pageRight(e->SCRotateFree);
    EXPECT_EQ(e->Image2->Bitmap().pixel(0, 0), qRgb(0, 0, 255));
    // Cancelling the colour dialog keeps the colour.
    click(e->RColorBtn);
    EXPECT_EQ(e->nRotateBackColor, 0x00FF0000u);
}

TEST_F(EffectsEditor, RestorePutsEveryBarBackAndStartsOver)
{
    ASSERT_TRUE(open());
    clickItem(e->List1, 4);
    // Each bar previews its own effect on the working copy as it stands.
    const std::pair<QScrollBar*, std::function<int(QImage&)>> bars[] = {
        {e->SCPosterize, EFFECT(posterize, 6)},
        {e->SCMosiac, EFFECT(mosaic, 4)},
        {e->SCMedian, EFFECT(median, 4)},
        {e->SCSharpen, EFFECT(sharpen, 100)},
        {e->SCNoise, nullptr}, // a new run of noise each time
        {e->SCEmboss, EFFECT(emboss, 4, 600)}};
    for (const auto& [bar, effect] : bars) {
        const QImage before = e->Image2->Bitmap();
        pageRight(bar);
        if (effect)
            EXPECT_EQ(e->Image2->Bitmap(), with(before, effect)) << bar->objectName().toStdString();
        else
            EXPECT_NE(e->Image2->Bitmap(), before);
    }
    EXPECT_EQ(e->Label3[4]->text(), "600");
    // Undo without Accept, once or twice, gives back the snapshot of the load; the bars stay.
    click(e->UndoBtn);
    click(e->UndoBtn);
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_EQ(e->SCPosterize->value(), 6);
    for (int i = 0; i < 3; ++i)
        pageRight(e->SCRotateFree);
    click(e->AcceptBtn[3]);
    EXPECT_TRUE(e->fImageEdited());

    click(e->RestoreBtn);
    const std::pair<QScrollBar*, int> start[] = {{e->SCPosterize, 2}, {e->SCMosiac, 2},  {e->SCMedian, 3},
                                                 {e->SCSharpen, 0},   {e->SCNoise, 500}, {e->SCEmboss, 500},
                                                 {e->SCRotateFree, 0}};
    for (const auto& [bar, value] : start)
        EXPECT_EQ(bar->value(), value) << bar->objectName().toStdString();
    EXPECT_EQ(e->Text1->text(), "0");
    EXPECT_EQ(e->List1->currentRow(), 4) << "the emboss direction stays";
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_EQ(e->Image3->Bitmap(), original);
    EXPECT_FALSE(e->fImageEdited());
    click(e->ApplyBtn);
    EXPECT_FALSE(w->fPictureChanged);
}

TEST_F(EffectsEditor, AnEditorWithoutAPictureDoesNothing)
{
    const QString gone = showPicture(QStringLiteral("gone.png"));
    const QImage shown = w->Image1->Bitmap();
    QFile::remove(gone);
    samples::writeBytes(file("broken.png"), "not a picture at all");
    for (const QString& missing : {gone, file("broken.png")}) {
        w->List3->addItem(missing);
        w->List3->setCurrentRow(w->List3->count() - 1);
        e = openEditor<EdtImage1>("ID_EditImage", "EdtImage1");
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(gs.cEditFile, missing);
        EXPECT_FALSE(e->Image1->HasBitmap());
        EXPECT_FALSE(e->Image2->HasBitmap());
        for (QPushButton* b : {e->ApplyBtn, e->SaveBtn, e->RestoreBtn, e->UndoBtn, e->AcceptBtn[0], e->AcceptBtn[6],
                               e->FlipBtn, e->ReverseBtn, e->RotateAngle[1]})
            click(b);
        pageRight(e->SCPosterize);
        clickItem(e->List1, 3);
        EXPECT_FALSE(e->Image2->HasBitmap());
        EXPECT_FALSE(e->fImageEdited());
        EXPECT_EQ(w->Image1->Bitmap(), shown) << "the main view is never blanked";
        EXPECT_FALSE(w->fPictureChanged);
        EXPECT_TRUE(dialogs->service.fileRequests.isEmpty());
        EXPECT_TRUE(texts().isEmpty());
        click(e->CancelBtn);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(EffectsEditor, AnEffectPastImageMagicksLimitsIsReportedAndUndone)
{
    ASSERT_TRUE(open());
    platform::ensureMagick();
    const auto oldWidth = Magick::ResourceLimits::width();
    Magick::ResourceLimits::width(original.height() - 1);
    click(e->RotateAngle[0]); // turned, the picture would be wider than the limit
    Magick::ResourceLimits::width(oldWidth);
    EXPECT_EQ(texts(), QStringList{"Image2 20001\rNot enough memory available"});
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_FALSE(e->fImageEdited());
}
