#pragma once
// The picture effects editor ("Picture Image Editor"): posterize, mosaic,
// median, sharpen, noise and emboss previewed on their sliders and accepted
// one by one, free rotation by a slider, fixed rotations by 90, 180 and 270
// degrees on a chosen background colour, flip and reverse.
#include "editor/PictureEditor.h"
#include "platform/controls/OleColor.h"

class QLineEdit;
class QListWidget;

class EdtImage1 : public editor::PictureEditor {
    Q_OBJECT
public:
    explicit EdtImage1(editor::EditorHost host);

    // Controls.
    QScrollBar* SCPosterize = nullptr;
    QScrollBar* SCMosiac = nullptr;
    QScrollBar* SCMedian = nullptr;
    QScrollBar* SCSharpen = nullptr;
    QScrollBar* SCNoise = nullptr;
    QScrollBar* SCEmboss = nullptr;
    QScrollBar* SCRotateFree = nullptr;
    QLabel* Label2[10] = {}; // captions
    QLabel* Label3[6] = {};  // the values of effects 0 to 5
    QListWidget* List1 = nullptr; // emboss directions
    QLineEdit* Text1 = nullptr;   // the free-rotation angle, on the rotation colour
    QPushButton* RColorBtn = nullptr;
    QPushButton* RotateAngle[3] = {};
    QPushButton* FlipBtn = nullptr;
    QPushButton* ReverseBtn = nullptr;

    // Fields.
    platform::OleColor nRotateBackColor = 0x00FFFFFF;
    short nRotateLast = 0;
    int nRotateTotal = 0;
    short nEmbossDirection = 0;
    int nNoiseChannel = 0;

    // Handlers.
    void SCPosterize_Change();
    void SCMosiac_Change();
    void SCMedian_Change();
    void SCSharpen_Change();
    void SCNoise_Change();
    void SCEmboss_Change();
    void SCRotateFree_Change();
    void AcceptBtn_Click(int index);
    void List1_Click();
    void RColorBtn_Click();
    void RotateAngle_Click(int index);
    void FlipBtn_Click();
    void ReverseBtn_Click();

protected:
    void resetSliders() override { ResetEffectSliders(); }
    void firstActivation() override;
    QHash<const QWidget*, dialogcolors::Paint> paintOverrides() const override;

private:
    void Form_Load();
    void ResetEffectSliders();
    void ResetFreeRotate();
    QWidget* buildPanel();
    // The effect of a slider (0 to 5) at a value, as it previews and accepts.
    editor::EditSession::Effect effectOf(int index, int value);
    void previewEffect(int index, QScrollBar* bar);
    // A change made as one command, so Undo takes it back.
    void oneCommand(const editor::EditSession::Effect& effect);
    QRgb rotateColor() const;

    quint64 m_noiseSeed = 0;
};
