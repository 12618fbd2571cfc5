#include "editor/EdtImage1.h"

#include "platform/controls/Dialogs.h"
#include "platform/pictures/PictureEffects.h"
#include "shared/SharedState.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyle>

namespace fx = platform::effects;

EdtImage1::EdtImage1(editor::EditorHost host)
    : PictureEditor(QStringLiteral("EdtImage1"), QStringLiteral("Picture Image Editor"), std::move(host),
                    &gs.fEdtImageOpen)
{
    Label1[3]->setText(QStringLiteral("Effects"));
    SCPosterize = makeBar("SCPosterize", 2, 64, 1, 4, 2);
    SCMosiac = makeBar("SCMosiac", 2, 64, 1, 2, 2);
    SCMedian = makeBar("SCMedian", 3, 11, 1, 1, 3);
    SCSharpen = makeBar("SCSharpen", -1000, 1000, 10, 100, 0);
    SCNoise = makeBar("SCNoise", 0, 1000, 10, 100, 500);
    SCEmboss = makeBar("SCEmboss", 0, 1000, 10, 100, 500);
    SCRotateFree = makeBar("SCRotateFree", -180, 180, 1, 10, 0);
    layOut(buildPanel());
    m_noiseSeed = QRandomGenerator::global()->generate64();

    connect(SCPosterize, &QScrollBar::valueChanged, this, &EdtImage1::SCPosterize_Change);
    connect(SCMosiac, &QScrollBar::valueChanged, this, &EdtImage1::SCMosiac_Change);
    connect(SCMedian, &QScrollBar::valueChanged, this, &EdtImage1::SCMedian_Change);
    connect(SCSharpen, &QScrollBar::valueChanged, this, &EdtImage1::SCSharpen_Change);
    connect(SCNoise, &QScrollBar::valueChanged, this, &EdtImage1::SCNoise_Change);
    connect(SCEmboss, &QScrollBar::valueChanged, this, &EdtImage1::SCEmboss_Change);
    connect(SCRotateFree, &QScrollBar::valueChanged, this, &EdtImage1::SCRotateFree_Change);
    for (int i = 0; i < 7; ++i)
        connect(AcceptBtn[i], &QPushButton::clicked, this, [this, i] { AcceptBtn_Click(i); });
    for (int i = 0; i < 3; ++i)
        connect(RotateAngle[i], &QPushButton::clicked, this, [this, i] { RotateAngle_Click(i); });
    connect(List1, &QListWidget::currentRowChanged, this, &EdtImage1::List1_Click);
    connect(RColorBtn, &QPushButton::clicked, this, &EdtImage1::RColorBtn_Click);
    connect(FlipBtn, &QPushButton::clicked, this, &EdtImage1::FlipBtn_Click);
    connect(ReverseBtn, &QPushButton::clicked, this, &EdtImage1::ReverseBtn_Click);
    Form_Load();
}

QWidget* EdtImage1::buildPanel()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Frame1"));
    panel->setFrameShape(QFrame::StyledPanel);
    const char* captions[] = {"Rotate Image:", "-180", "180", "Posterize:", "Mosiac:",
                              "Median:",       "Sharpen:", "Noise:", "Emboss:", "0"};
    for (int i = 0; i < 10; ++i) {
        Label2[i] = new QLabel(QString::fromLatin1(captions[i]), panel);
        Label2[i]->setObjectName(QStringLiteral("Label2_%1").arg(i));
    }
    const char* values[] = {"2", "2", "3", "0", "500", "500"};
    QScrollBar* bars[] = {SCPosterize, SCMosiac, SCMedian, SCSharpen, SCNoise, SCEmboss};
    auto* grid = new QGridLayout(panel);
    grid->addWidget(Label1[3], 0, 0, 1, 4);
    for (int i = 0; i < 6; ++i) {
        Label3[i] = new QLabel(QString::fromLatin1(values[i]), panel);
        Label3[i]->setObjectName(QStringLiteral("Label3_%1").arg(i));
        Label3[i]->setMinimumWidth(40);
        grid->addWidget(Label2[i + 3], i + 1, 0);
        grid->addWidget(bars[i], i + 1, 1);
        grid->addWidget(Label3[i], i + 1, 2);
        grid->addWidget(AcceptBtn[i], i + 1, 3);
    }
    List1 = new QListWidget(panel);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(QStringLiteral("Select Direction of Emboss"));
    List1->addItems({QStringLiteral("North"), QStringLiteral("NorthEast"), QStringLiteral("East"),
                     QStringLiteral("SouthEast"), QStringLiteral("South"), QStringLiteral("SouthWest"),
                     QStringLiteral("West"), QStringLiteral("NorthWest")});
    List1->setMaximumHeight(150);
    grid->addWidget(List1, 1, 4, 6, 1);

    auto* rotate = new QHBoxLayout;
    rotate->addWidget(Label2[0]);
    rotate->addWidget(Label2[1]);
    rotate->addWidget(SCRotateFree, 1);
    rotate->addWidget(Label2[2]);
    Text1 = new QLineEdit(QStringLiteral("0"), panel);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Rotate Picture by this Angle"));
    Text1->setReadOnly(true);
    Text1->setMaximumWidth(60);
    rotate->addWidget(Text1);
    rotate->addWidget(AcceptBtn[6]);
    RColorBtn = makeButton("RColorBtn", QString(), QStringLiteral("Set Rotate Background Color"));
    RColorBtn->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    rotate->addWidget(RColorBtn);
    Label2[9]->hide(); // the bar's middle mark
    grid->addLayout(rotate, 7, 0, 1, 5);

    auto* turns = new QHBoxLayout;
    const char* angles[] = {"90", "180", "270"};
    for (int i = 0; i < 3; ++i) {
        RotateAngle[i] = makeButton("", QString::fromLatin1(angles[i]),
                                    QStringLiteral("Rotate the Current Image by %1 Degrees").arg(angles[i]));
        RotateAngle[i]->setObjectName(QStringLiteral("RotateAngle_%1").arg(i));
        turns->addWidget(RotateAngle[i]);
    }
    FlipBtn = makeButton("FlipBtn", QStringLiteral("Flip"), QStringLiteral("Flip the Current Image"));
    ReverseBtn = makeButton("ReverseBtn", QStringLiteral("Reverse"), QStringLiteral("Reverse the Current Image"));
    turns->addWidget(FlipBtn);
    turns->addWidget(ReverseBtn);
    turns->addStretch(1);
    grid->addLayout(turns, 8, 0, 1, 5);
    return panel;
}

void EdtImage1::Form_Load()
{
    loadCommon();
    nRotateBackColor = 0x00FFFFFF;
    ResetFreeRotate();
    nNoiseChannel = 0;
    nEmbossDirection = 0;
    m_session.setEdited(false);
    m_formLoading = true;
}

void EdtImage1::firstActivation()
{
    // Its click does nothing yet: the window is still loading.
    List1->setCurrentRow(0);
}

QHash<const QWidget*, dialogcolors::Paint> EdtImage1::paintOverrides() const
{
    // The angle box shows the rotation colour; only its type follows the scheme.
    dialogcolors::Paint text;
    text.back = nRotateBackColor;
    text.fore = platform::resolveOleColor(nRotateBackColor).lightness() < 128 ? 0x00FFFFFF : 0;
    text.bold = gs.fBoldFonts;
    return {{Text1, text}};
}

// ---------------------------------------------------------------- effects

QRgb EdtImage1::rotateColor() const { return platform::resolveOleColor(nRotateBackColor).rgb(); }

editor::EditSession::Effect EdtImage1::effectOf(int index, int value)
{
    switch (index) {
    case 0: return [value](QImage& p) { return fx::posterize(p, value); };
    case 1: return [value](QImage& p) { return fx::mosaic(p, value); };
    case 2: return [value](QImage& p) { return fx::median(p, value); };
    case 3: return [value](QImage& p) { return fx::sharpen(p, value); };
    case 4: {
        // A new run of noise every time, as a user expects of noise.
        const quint64 seed = m_noiseSeed++;
        const int channel = nNoiseChannel;
        return [value, seed, channel](QImage& p) { return fx::addNoise(p, value, channel, seed); };
    }
    default: {
        const int direction = nEmbossDirection;
        return [direction, value](QImage& p) { return fx::emboss(p, direction, value); };
    }
    }
}

void EdtImage1::previewEffect(int index, QScrollBar* bar)
{
    if (!runEffect(effectOf(index, bar->value()), index == 2))
        return;
    Label3[index]->setText(QString::number(bar->value()));
    m_session.setEdited(true);
}

void EdtImage1::SCPosterize_Change() { previewEffect(0, SCPosterize); }
void EdtImage1::SCMosiac_Change() { previewEffect(1, SCMosiac); }
void EdtImage1::SCMedian_Change() { previewEffect(2, SCMedian); }
void EdtImage1::SCSharpen_Change() { previewEffect(3, SCSharpen); }
void EdtImage1::SCNoise_Change() { previewEffect(4, SCNoise); }
void EdtImage1::SCEmboss_Change() { previewEffect(5, SCEmboss); }

void EdtImage1::SCRotateFree_Change()
{
    const short value = short(SCRotateFree->value());
    const int change = value - nRotateLast;
    const QRgb fill = rotateColor();
    if (!runEffect([change, fill](QImage& p) { return fx::rotate(p, change * 100, fill); }))
        return;
    Text1->setText(QString::number(value));
    nRotateLast = value;
    nRotateTotal = Text1->text().toInt();
    m_session.setEdited(true);
}

void EdtImage1::ResetFreeRotate()
{
    nRotateLast = 0;
    nRotateTotal = 0;
    SCRotateFree->setValue(0);
}

void EdtImage1::ResetEffectSliders()
{
    SCEmboss->setValue(500);
    SCMedian->setValue(3);
    SCMosiac->setValue(2);
    SCNoise->setValue(500);
    SCPosterize->setValue(2);
    SCSharpen->setValue(0);
    SCRotateFree->setValue(0);
}

void EdtImage1::AcceptBtn_Click(int index)
{
    if (!m_session.loaded() || index < 0 || index > 6)
        return;
    if (index < 6) {
        QScrollBar* bars[] = {SCPosterize, SCMosiac, SCMedian, SCSharpen, SCNoise, SCEmboss};
        if (!runEffect(effectOf(index, bars[index]->value()), index == 2))
            return;
        m_session.setEdited(true);
        m_session.takeSnapshot();
        showPictures();
        return;
    }
    // The slider's step-by-step turns are dropped: the snapshot turns once by the whole angle.
    const int total = nRotateTotal;
    const QRgb fill = rotateColor();
    const QImage snapshot = m_session.snapshot();
    const bool turned = runEffect([&](QImage& p) {
        QImage whole = snapshot;
        if (const int r = fx::rotate(whole, total * 100, fill))
            return r;
        p = whole;
        return 0;
    });
    if (!turned)
        return;
    m_session.setEdited(true);
    ResetFreeRotate();
    BeginEditStep();
    EndEditStep();
    m_session.takeSnapshot();
    showPictures();
}

void EdtImage1::List1_Click()
{
    if (m_formLoading)
        return;
    const int index = List1->currentRow();
    if (index >= 0 && index <= 7)
        nEmbossDirection = short(index);
    // Choosing a direction embosses the working copy: that is an edit.
    if (runEffect(effectOf(5, SCEmboss->value())))
        m_session.setEdited(true);
}

void EdtImage1::RColorBtn_Click()
{
    const std::optional<QColor> chosen = platform::dialogs().color(
        QStringLiteral("Select Color for Rotate Image Background"), platform::resolveOleColor(nRotateBackColor));
    if (!chosen)
        return;
    nRotateBackColor = platform::toOleColor(*chosen);
    Form_Activate(); // the angle box takes the colour
}

void EdtImage1::oneCommand(const editor::EditSession::Effect& effect)
{
    if (!m_session.loaded())
        return;
    BeginEditStep();
    if (runEffect(effect))
        m_session.setEdited(true);
    EndEditStep();
}

void EdtImage1::RotateAngle_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    const int angle = (index + 1) * 9000;
    const QRgb fill = rotateColor();
    oneCommand([angle, fill](QImage& p) { return fx::rotate(p, angle, fill); });
}

void EdtImage1::FlipBtn_Click() { oneCommand([](QImage& p) { return fx::flip(p); }); }
void EdtImage1::ReverseBtn_Click() { oneCommand([](QImage& p) { return fx::reverse(p); }); }
