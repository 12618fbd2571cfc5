#include "EditorFixture.h"

#include "editor/EdtColors1.h"
#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureEffects.h"

#include <QRadioButton>

using namespace edittest;
namespace fx = platform::effects;

namespace {

class ColourEditor : public Editors {
protected:
    // Shows a picture and opens the editor on it; false when no editor came up.
    bool open()
    {
        path = showPicture();
        e = openEditor<EdtColors1>("ID_EditColors", "EdtColors1");
        if (e)
            original = e->session().original();
        return e;
    }
    EdtColors1* e = nullptr;
    QString path;
    QImage original;
};

} // namespace

TEST_F(ColourEditor, OpensWithEverySliderAtItsDefault)
{
    ASSERT_TRUE(open());
    EXPECT_TRUE(gs.fEdtColorsOpen);
    EXPECT_EQ(tool("ID_EditColors")->State(), 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(e->Label3[i]->text(), "0");
    EXPECT_EQ(e->Label3[6]->text(), "1.00");
    EXPECT_TRUE(e->RDOPTION[0]->isChecked());
    EXPECT_EQ(e->nFilterCode, 25);
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_FALSE(e->fImageEdited());

    click(e->CancelBtn);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(gs.fEdtColorsOpen);
    EXPECT_EQ(tool("ID_EditColors")->State(), 0);
    EXPECT_EQ(w->Image1->Bitmap(), original) << "nothing applied";
}

TEST_F(ColourEditor, AdjustmentsRebuildFromTheUneditedPictureInTheirOrder)
{
    ASSERT_TRUE(open());
    pageRight(e->SCBrightness);
    pageRight(e->SCBrightness);
    click(e->InvertBtn);
    pageRight(e->SCContrast);
    EXPECT_EQ(e->Label3[1]->text(), "200");
    EXPECT_EQ(e->Label3[0]->text(), "100");
    // Contrast before brightness whatever the order of the moves; the inversion is gone.
    const QImage expected = with(original, EFFECT(contrast, 100), EFFECT(intensity, 200));
    EXPECT_EQ(e->Image2->Bitmap(), expected);
    EXPECT_TRUE(e->fContrastOn && e->fBrightnessOn);

    // Back to 0, contrast runs once more as 0 and drops out.
    pageLeft(e->SCContrast);
    EXPECT_FALSE(e->fContrastOn);
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(intensity, 200)));
    // Undo leaves bars and flags; the next move rebuilds with them.
    click(e->UndoBtn);
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_TRUE(e->fBrightnessOn);

    // Gamma shows its value in hundredths as a short decimal number.
    for (int i = 0; i < 5; ++i)
        pageRight(e->SCGamma);
    EXPECT_EQ(e->Label3[6]->text(), "1.5");
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(intensity, 200), EFFECT(gammaCorrect, 150)));

    // Hue, saturation and histogram contrast join the rebuild in their places.
    pageRight(e->SCSaturation);
    key(e->SCHue, '+');
    pageLeft(e->SCHistContrast);
    EXPECT_EQ(e->Label3[4]->text(), "4");
    fx::ColourAdjustments all;
    all.intensity = 200;
    all.histoContrast = -100;
    all.hue = 4;
    all.saturation = 100;
    all.gamma = 150;
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(adjustColours, all)));

    click(e->RestoreBtn);
    for (QScrollBar* bar : {e->SCContrast, e->SCBrightness, e->SCHalfTone, e->SCHistContrast, e->SCHue,
                            e->SCSaturation})
        EXPECT_EQ(bar->value(), 0) << bar->objectName().toStdString();
    EXPECT_EQ(e->SCGamma->value(), 100);
    EXPECT_EQ(e->Label3[1]->text(), "0");
    EXPECT_EQ(e->Label3[6]->text(), "1");
    EXPECT_FALSE(e->fBrightnessOn || e->fGammaOn || e->fContrastOn || e->fHueOn || e->fSaturationOn);
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_EQ(e->Image3->Bitmap(), original);
    EXPECT_FALSE(e->fImageEdited());
}

TEST_F(ColourEditor, HalftoneAndTheButtonsActOnTheWorkingCopy)
{
    ASSERT_TRUE(open());
    pageRight(e->SCHalfTone);
    EXPECT_EQ(e->Label3[2]->text(), "45");
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(halftone, 45)));
    EXPECT_EQ(e->Image2->BitmapBits(), 1);
    // Back to 0 halftones once more; it does not undo the first.
    pageLeft(e->SCHalfTone);
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(halftone, 45), EFFECT(halftone, 0)));
    click(e->UndoBtn);
    EXPECT_EQ(e->Image2->Bitmap(), original);

    click(e->GrayBtn);
    EXPECT_EQ(e->Image2->BitmapBits(), 8);
    click(e->IntensityBtn);
    QImage expected = with(original, EFFECT(grayscale, 8), EFFECT(stretchIntensity));
    EXPECT_EQ(e->Image2->Bitmap(), expected);

    // The edge filters read the direction at the click.
    click(e->PrewittBtn);
    EXPECT_EQ(e->nFilterCode, 25);
    expected = with(expected, EFFECT(spatialFilter, 25));
    click(e->RDOPTION[1]);
    click(e->SorbelBtn);
    EXPECT_EQ(e->nFilterCode, 22);
    click(e->ShiftBtn);
    EXPECT_EQ(e->nFilterCode, 27);
    expected = with(expected, EFFECT(spatialFilter, 22), EFFECT(spatialFilter, 27));
    EXPECT_EQ(e->Image2->Bitmap(), expected);
    EXPECT_EQ(e->Image3->Bitmap(), original) << "none of them takes a snapshot";
    EXPECT_TRUE(e->fImageEdited());
}

TEST_F(ColourEditor, AcceptUndoAndApply)
{
    ASSERT_TRUE(open());
    click(e->UndoBtn);
    click(e->ApplyBtn);
    EXPECT_FALSE(w->fPictureChanged);

    click(e->InvertBtn);
    click(e->AcceptBtn[4]);
    const QImage inverted = with(original, EFFECT(invert));
    EXPECT_EQ(e->Image3->Bitmap(), inverted);
    click(e->GrayBtn);
    click(e->UndoBtn);
    EXPECT_EQ(e->Image2->Bitmap(), inverted);
    EXPECT_TRUE(e->fImageEdited()) << "the snapshot held the inversion";
    click(e->ApplyBtn);
    EXPECT_TRUE(w->fPictureChanged);
    EXPECT_EQ(w->Image1->Bitmap(), inverted);

    // Saved under its own name (blanks around it do not count): the file and
    // the main view hold it, the flag is cleared.
    answerSave(" " + path + " ", platform::fmt::Png);
    click(e->SaveBtn);
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_EQ(onDisk(path), plain(inverted));
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(ColourEditor, ColourResolutionThroughItsDialog)
{
    ASSERT_TRUE(open());
    // Cancelled: nothing happens and nothing is said.
    click(e->ResolutionBtn);
    ASSERT_EQ(dialogs->service.colorResRequests.size(), 1);
    EXPECT_EQ(dialogs->service.colorResRequests.first().preview, original);
    EXPECT_EQ(e->Image2->Bitmap(), original);
    EXPECT_FALSE(e->fImageEdited());

    dialogs->service.colorResAnswers << platform::ColorResAnswer{4, 1, 1};
    click(e->ResolutionBtn);
    EXPECT_EQ(e->LEADDlg1.BitsPerPixel, 4);
    EXPECT_EQ(e->Image2->BitmapBits(), 4);
    EXPECT_EQ(e->Image2->Bitmap(), with(original, EFFECT(colorRes, 4, 1, 1)));
    EXPECT_TRUE(e->fImageEdited());
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(ColourEditor, AnEditorWithoutAPictureDoesNothing)
{
    const QString gone = showPicture(QStringLiteral("gone.png"));
    const QImage shown = w->Image1->Bitmap();
    QFile::remove(gone);
    e = openEditor<EdtColors1>("ID_EditColors", "EdtColors1");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(gs.cEditFile, gone);
    for (QPushButton* b : {e->ApplyBtn, e->SaveBtn, e->RestoreBtn, e->UndoBtn, e->AcceptBtn[0], e->IntensityBtn,
                           e->InvertBtn, e->GrayBtn, e->ResolutionBtn, e->PrewittBtn})
        click(b);
    for (QScrollBar* bar : {e->SCContrast, e->SCGamma, e->SCHalfTone})
        pageRight(bar);
    EXPECT_FALSE(e->Image2->HasBitmap());
    EXPECT_FALSE(e->fImageEdited());
    EXPECT_EQ(w->Image1->Bitmap(), shown) << "the main view is never blanked";
    EXPECT_FALSE(w->fPictureChanged);
    EXPECT_TRUE(dialogs->service.fileRequests.isEmpty());
    EXPECT_TRUE(dialogs->service.colorResRequests.isEmpty());
    EXPECT_TRUE(texts().isEmpty());
}
