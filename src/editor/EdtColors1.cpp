#include "editor/EdtColors1.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureEffects.h"
#include "shared/SharedState.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace fx = platform::effects;

EdtColors1::EdtColors1(editor::EditorHost host)
    : PictureEditor(QStringLiteral("EdtColors1"), QStringLiteral("Picture Image Color Editor"), std::move(host),
                    &gs.fEdtColorsOpen)
{
    Label1[3]->setText(QStringLiteral("Filters"));
    SCContrast = makeBar("SCContrast", -1000, 1000, 10, 100, 0);
    SCBrightness = makeBar("SCBrightness", -1000, 1000, 10, 100, 0);
    SCHalfTone = makeBar("SCHalfTone", -360, 360, 2, 45, 0);
    SCHistContrast = makeBar("SCHistContrast", -1000, 1000, 10, 100, 0);
    SCHue = makeBar("SCHue", -360, 360, 4, 45, 0);
    SCSaturation = makeBar("SCSaturation", -1000, 1000, 10, 100, 0);
    SCGamma = makeBar("SCGamma", 1, 499, 1, 10, 100);
    layOut(buildPanel());

    for (QScrollBar* bar : {SCContrast, SCBrightness, SCHistContrast, SCHue, SCSaturation, SCGamma})
        connect(bar, &QScrollBar::valueChanged, this, [this, bar] { adjustmentChanged(bar); });
    connect(SCHalfTone, &QScrollBar::valueChanged, this, &EdtColors1::SCHalfTone_Change);
    connect(IntensityBtn, &QPushButton::clicked, this, &EdtColors1::IntensityBtn_Click);
    connect(InvertBtn, &QPushButton::clicked, this, &EdtColors1::InvertBtn_Click);
    connect(GrayBtn, &QPushButton::clicked, this, &EdtColors1::GrayBtn_Click);
    connect(ResolutionBtn, &QPushButton::clicked, this, &EdtColors1::ResolutionBtn_Click);
    connect(PrewittBtn, &QPushButton::clicked, this, &EdtColors1::PrewittBtn_Click);
    connect(SorbelBtn, &QPushButton::clicked, this, &EdtColors1::SorbelBtn_Click);
    connect(ShiftBtn, &QPushButton::clicked, this, &EdtColors1::ShiftBtn_Click);
    for (int i = 0; i < 7; ++i)
        connect(AcceptBtn[i], &QPushButton::clicked, this, [this, i] { AcceptBtn_Click(i); });
    Form_Load();
}

QWidget* EdtColors1::buildPanel()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Frame1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    const char* captions[] = {"Contrast:", "Brightness:", "Half Tone:", "Histogram Contrast:",
                              "Hue:",      "Saturation:", "Gamma:"};
    QScrollBar* bars[] = {SCContrast, SCBrightness, SCHalfTone, SCHistContrast, SCHue, SCSaturation, SCGamma};
    for (int i = 0; i < 7; ++i) {
        Label2[i] = new QLabel(QString::fromLatin1(captions[i]), panel);
        Label2[i]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        Label3[i] = new QLabel(i == 6 ? QStringLiteral("1.00") : QStringLiteral("0"), panel);
        Label3[i]->setObjectName(QStringLiteral("Label3_%1").arg(i));
        Label3[i]->setMinimumWidth(40);
        grid->addWidget(Label2[i], i, 0);
        grid->addWidget(bars[i], i, 1);
        grid->addWidget(Label3[i], i, 2);
        grid->addWidget(AcceptBtn[i], i, 3);
    }
    IntensityBtn = makeButton("IntensityBtn", QStringLiteral("Intensity"),
                              QStringLiteral("Stretch Intensity of the Current Image"));
    InvertBtn = makeButton("InvertBtn", QStringLiteral("Invert"), QStringLiteral("Invert Colors of the Current Image"));
    GrayBtn = makeButton("GrayBtn", QStringLiteral("Gray Scale"), QStringLiteral("Gray Scale the Current Image"));
    ResolutionBtn = makeButton("ResolutionBtn", QStringLiteral("Resolution"),
                               QStringLiteral("Set Color Resolution of the Current Image"));
    auto* shots = new QHBoxLayout;
    for (QPushButton* b : {IntensityBtn, InvertBtn, GrayBtn, ResolutionBtn})
        shots->addWidget(b);
    grid->addLayout(shots, 7, 0, 1, 4);

    Frame2 = new QGroupBox(panel);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* filters = new QGridLayout(Frame2);
    RDOPTION[0] = new QRadioButton(QStringLiteral("Vertical"), Frame2);
    RDOPTION[1] = new QRadioButton(QStringLiteral("Horizontal"), Frame2);
    RDOPTION[0]->setObjectName(QStringLiteral("RDOPTION_0"));
    RDOPTION[1]->setObjectName(QStringLiteral("RDOPTION_1"));
    RDOPTION[0]->setChecked(true);
    PrewittBtn = makeButton("PrewittBtn", QStringLiteral("Prewitt"),
                            QStringLiteral("Add Prewitt Filter to the Image Edited"));
    SorbelBtn = makeButton("SorbelBtn", QStringLiteral("Sorbel"),
                           QStringLiteral("Add Sorbel Filter to the Image Edited"));
    ShiftBtn = makeButton("ShiftBtn", QStringLiteral("Shift"), QStringLiteral("Add Shift Filter to the Image Edited"));
    filters->addWidget(Label1[3], 0, 0, 1, 3);
    filters->addWidget(RDOPTION[0], 1, 0);
    filters->addWidget(RDOPTION[1], 1, 1);
    filters->addWidget(PrewittBtn, 2, 0);
    filters->addWidget(SorbelBtn, 2, 1);
    filters->addWidget(ShiftBtn, 2, 2);
    grid->addWidget(Frame2, 0, 4, 8, 1);
    return panel;
}

void EdtColors1::Form_Load()
{
    m_formLoading = true;
    ResetColorSliders(); // nothing yet: the window is loading
    nFilterCode = 25;
    fContrastOn = fBrightnessOn = fHistContrastOn = fHueOn = fSaturationOn = fGammaOn = false;
    loadCommon();
}

QHash<const QWidget*, dialogcolors::Paint> EdtColors1::paintOverrides() const
{
    // The direction buttons take the option buttons' 3-D text style.
    QHash<const QWidget*, dialogcolors::Paint> out;
    for (QRadioButton* option : RDOPTION) {
        dialogcolors::Paint p = dialogcolors::conventionPaint(dialogcolors::Kind::Check);
        p.textEffect = gs.nMenuFontType;
        out.insert(option, p);
    }
    return out;
}

// ---------------------------------------------------------------- the six adjustments

QList<EdtColors1::Adjustment> EdtColors1::adjustments()
{
    using A = fx::ColourAdjustments;
    return {{SCContrast, &fContrastOn, 0, &A::contrast, 0},
            {SCBrightness, &fBrightnessOn, 0, &A::intensity, 1},
            {SCHistContrast, &fHistContrastOn, 0, &A::histoContrast, 3},
            {SCHue, &fHueOn, 0, &A::hue, 4},
            {SCSaturation, &fSaturationOn, 0, &A::saturation, 5},
            {SCGamma, &fGammaOn, 100, &A::gamma, 6}};
}

void EdtColors1::ReapplyColorAdjustments()
{
    if (!m_session.loaded())
        return;
    const QList<Adjustment> all = adjustments();
    fx::ColourAdjustments values;
    for (const Adjustment& a : all)
        if (*a.on)
            values.*a.value = short(a.bar->value());
    const QImage original = m_session.original();
    // Built whole from the unedited picture, or not at all.
    const bool built = runEffect([&](QImage& p) {
        QImage rebuilt = original;
        if (const int r = fx::adjustColours(rebuilt, values))
            return r;
        p = rebuilt;
        return 0;
    });
    if (!built)
        return;
    for (const Adjustment& a : all)
        if (a.bar->value() == a.neutral)
            *a.on = false;
}

void EdtColors1::adjustmentChanged(QScrollBar* bar)
{
    if (!m_session.loaded())
        return;
    for (const Adjustment& a : adjustments()) {
        if (a.bar != bar)
            continue;
        *a.on = true;
        ReapplyColorAdjustments();
        Label3[a.label]->setText(bar == SCGamma ? QLocale().toString(bar->value() / 100.0, 'g',
                                                                      QLocale::FloatingPointShortest)
                                                : QString::number(bar->value()));
        m_session.setEdited(true);
    }
}

void EdtColors1::SCContrast_Change() { adjustmentChanged(SCContrast); }
void EdtColors1::SCBrightness_Change() { adjustmentChanged(SCBrightness); }
void EdtColors1::SCHistContrast_Change() { adjustmentChanged(SCHistContrast); }
void EdtColors1::SCHue_Change() { adjustmentChanged(SCHue); }
void EdtColors1::SCSaturation_Change() { adjustmentChanged(SCSaturation); }
void EdtColors1::SCGamma_Change() { adjustmentChanged(SCGamma); }

void EdtColors1::ResetColorSliders()
{
    if (m_formLoading)
        return;
    SCContrast->setValue(0);
    SCBrightness->setValue(0);
    SCGamma->setValue(100);
    SCHalfTone->setValue(0);
    SCHistContrast->setValue(0);
    SCHue->setValue(0);
    SCSaturation->setValue(0);
}

// ---------------------------------------------------------------- on the working copy as it stands

void EdtColors1::SCHalfTone_Change()
{
    const int angle = SCHalfTone->value();
    if (!runEffect([angle](QImage& p) { return fx::halftone(p, angle); }))
        return;
    Label3[2]->setText(QString::number(angle));
    m_session.setEdited(true);
}

void EdtColors1::oneShot(const editor::EditSession::Effect& effect)
{
    if (runEffect(effect))
        m_session.setEdited(true);
}

void EdtColors1::IntensityBtn_Click() { oneShot([](QImage& p) { return fx::stretchIntensity(p); }); }
void EdtColors1::InvertBtn_Click() { oneShot([](QImage& p) { return fx::invert(p); }); }
void EdtColors1::GrayBtn_Click() { oneShot([](QImage& p) { return fx::grayscale(p, 8); }); }

void EdtColors1::ResolutionBtn_Click()
{
    if (!m_session.loaded())
        return;
    LEADDlg1.Flags = 0x40000020;
    LEADDlg1.Bitmap = m_session.working();
    LEADDlg1.DialogFontBold = gs.fBoldFonts;
    const int shown = LEADDlg1.ShowColorResDlg(this);
    LEADDlg1.Bitmap = QImage();
    if (shown == platform::err::DialogCancelled)
        return;
    if (shown != 0) {
        reportFailure(QStringLiteral("LEADDlg1"), shown);
        return;
    }
    const auto bits = short(LEADDlg1.BitsPerPixel), palette = short(LEADDlg1.PaletteFlags);
    const auto dither = short(LEADDlg1.DitherFlags);
    oneShot([=](QImage& p) { return fx::colorRes(p, bits, palette, dither); });
}

void EdtColors1::edgeFilter(short vertical, short horizontal)
{
    if (RDOPTION[0]->isChecked())
        nFilterCode = vertical;
    else if (RDOPTION[1]->isChecked())
        nFilterCode = horizontal;
    const int code = nFilterCode;
    oneShot([code](QImage& p) { return fx::spatialFilter(p, code); });
}

void EdtColors1::PrewittBtn_Click() { edgeFilter(25, 24); }
void EdtColors1::SorbelBtn_Click() { edgeFilter(23, 22); }
void EdtColors1::ShiftBtn_Click() { edgeFilter(28, 27); }

void EdtColors1::AcceptBtn_Click(int)
{
    if (!m_session.loaded())
        return;
    m_session.takeSnapshot();
    m_session.setEdited(true);
    showPictures();
}
