#pragma once
// The picture colour editor ("Picture Image Color Editor"). Contrast,
// brightness, histogram contrast, hue, saturation and gamma are never laid
// on top of the working copy: every move of one of their sliders rebuilds it
// from the unedited picture with every active adjustment in a fixed order.
// Halftone, the one-shot buttons (intensity, invert, gray scale, colour
// resolution) and the edge filters act on the working copy as it stands.
#include "editor/PictureEditor.h"
#include "platform/pictures/PictureEffects.h"

class QGroupBox;
class QRadioButton;

class EdtColors1 : public editor::PictureEditor {
    Q_OBJECT
public:
    explicit EdtColors1(editor::EditorHost host);

    // Controls, sliders top to bottom.
    QScrollBar* SCContrast = nullptr;
    QScrollBar* SCBrightness = nullptr;
    QScrollBar* SCHalfTone = nullptr;
    QScrollBar* SCHistContrast = nullptr;
    QScrollBar* SCHue = nullptr;
    QScrollBar* SCSaturation = nullptr;
    QScrollBar* SCGamma = nullptr;
    QLabel* Label2[7] = {}; // slider captions
    QLabel* Label3[7] = {}; // slider values
    QPushButton* IntensityBtn = nullptr;
    QPushButton* InvertBtn = nullptr;
    QPushButton* GrayBtn = nullptr;
    QPushButton* ResolutionBtn = nullptr;
    QPushButton* PrewittBtn = nullptr;
    QPushButton* SorbelBtn = nullptr;
    QPushButton* ShiftBtn = nullptr;
    QRadioButton* RDOPTION[2] = {}; // 0 "Vertical", 1 "Horizontal"
    QGroupBox* Frame2 = nullptr;

    // Fields: the adjustments that each rebuild applies.
    bool fContrastOn = false, fBrightnessOn = false, fHistContrastOn = false;
    bool fHueOn = false, fSaturationOn = false, fGammaOn = false;
    short nFilterCode = 25;

    // Handlers.
    void SCContrast_Change();
    void SCBrightness_Change();
    void SCHistContrast_Change();
    void SCHue_Change();
    void SCSaturation_Change();
    void SCGamma_Change();
    void SCHalfTone_Change();
    void IntensityBtn_Click();
    void InvertBtn_Click();
    void GrayBtn_Click();
    void ResolutionBtn_Click();
    void PrewittBtn_Click();
    void SorbelBtn_Click();
    void ShiftBtn_Click();
    void AcceptBtn_Click(int index);

    void ReapplyColorAdjustments();
    void ResetColorSliders();

protected:
    void resetSliders() override { ResetColorSliders(); }
    QHash<const QWidget*, dialogcolors::Paint> paintOverrides() const override;

private:
    struct Adjustment {
        QScrollBar* bar;
        bool* on;
        int neutral;
        std::optional<int> platform::effects::ColourAdjustments::*value;
        int label;
    };
    void Form_Load();
    QWidget* buildPanel();
    // The six adjustments in the order every rebuild applies them.
    QList<Adjustment> adjustments();
    void adjustmentChanged(QScrollBar* bar);
    void oneShot(const editor::EditSession::Effect& effect);
    void edgeFilter(short vertical, short horizontal);
};
