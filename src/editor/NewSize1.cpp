#include "editor/NewSize1.h"

#include "browser/DialogParts.h"
#include "platform/imaging/Lead.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <cmath>

NewSize1::NewSize1(QWidget* parent, const platform::Lead* picture)
    : QDialog(parent), m_picture(picture)
{
    setObjectName(QStringLiteral("NewSize1"));
    setWindowTitle(QStringLiteral("New Size"));
    setModal(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(Frame1);
    for (int i = 0; i < 2; ++i) {
        Frame2[i] = new QGroupBox(Frame1);
        Frame2[i]->setObjectName(QStringLiteral("Frame2_%1").arg(i));
    }
    const auto row = [](QGroupBox* box, QLineEdit* text, QScrollBar* bar) {
        auto* h = new QHBoxLayout(box);
        h->addWidget(text);
        h->addWidget(bar, 1);
    };
    TxtHeight1 = new QLineEdit(Frame2[0]);
    TxtHeight1->setObjectName(QStringLiteral("TxtHeight1"));
    TxtHeight1->setToolTip(QStringLiteral("Height in Pixels"));
    SCHeight1 = new QScrollBar(Qt::Horizontal, Frame2[0]);
    SCHeight1->setObjectName(QStringLiteral("SCHeight1"));
    SCHeight1->setToolTip(QStringLiteral("Height in Pixels"));
    row(Frame2[0], TxtHeight1, SCHeight1);
    TxtWidth1 = new QLineEdit(Frame2[1]);
    TxtWidth1->setObjectName(QStringLiteral("TxtWidth1"));
    TxtWidth1->setToolTip(QStringLiteral("Width in Pixels"));
    SCWeight1 = new QScrollBar(Qt::Horizontal, Frame2[1]);
    SCWeight1->setObjectName(QStringLiteral("SCWeight1"));
    SCWeight1->setToolTip(QStringLiteral("Width in Pixels"));
    row(Frame2[1], TxtWidth1, SCWeight1);
    for (QLineEdit* box : {TxtHeight1, TxtWidth1})
        box->setMaximumWidth(80);
    CHKASPECT = new QCheckBox(QStringLiteral("Maintain Aspect Ratio"), Frame1);
    CHKASPECT->setObjectName(QStringLiteral("CHKASPECT"));
    CHKASPECT->setToolTip(QStringLiteral("Maintain Ratio of Height to Width for any Size"));
    CHKRESAMPLE = new QCheckBox(QStringLiteral("Resample"), Frame1);
    CHKRESAMPLE->setObjectName(QStringLiteral("CHKRESAMPLE"));
    CHKRESAMPLE->setToolTip(QStringLiteral("Redraw smoothing color differences"));
    grid->addWidget(Frame2[0], 0, 0, 1, 2);
    grid->addWidget(Frame2[1], 1, 0, 1, 2);
    grid->addWidget(CHKASPECT, 2, 0);
    grid->addWidget(CHKRESAMPLE, 2, 1);

    const browser::DialogButtons buttons = browser::layOutDialog(
        this, Frame1, QStringLiteral("Select the New Size Height and Width"),
        QStringLiteral("Close the New Size Height and Width Selection Window"),
        QStringLiteral("Help with the New Size Height and Width Selection Window"));
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    HelpBtn = buttons.help;

    connect(SCWeight1, &QScrollBar::valueChanged, this, &NewSize1::SCWeight1_Change);
    connect(SCHeight1, &QScrollBar::valueChanged, this, &NewSize1::SCHeight1_Change);
    connect(TxtWidth1, &QLineEdit::textChanged, this, &NewSize1::TxtWidth1_Change);
    connect(TxtHeight1, &QLineEdit::textChanged, this, &NewSize1::TxtHeight1_Change);
    connect(CHKASPECT, &QCheckBox::clicked, this, &NewSize1::CHKASPECT_Click);
    connect(OKBtn, &QPushButton::clicked, this, &NewSize1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &NewSize1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &NewSize1::HelpBtn_Click);
}

double NewSize1::ratio() const
{
    if (!m_picture)
        return 0;
    const double w = nSizeMode == 3 ? m_picture->RgnWidth() : m_picture->BitmapWidth();
    const double h = nSizeMode == 3 ? m_picture->RgnHeight() : m_picture->BitmapHeight();
    return w > 0 && h > 0 ? h / w : 0;
}

void NewSize1::InitTheForm(short mode)
{
    fOK = false;
    nSizeMode = mode;
    fWidthTextActive = fWidthBarActive = fHeightTextActive = fHeightBarActive = false;
    if (mode == 0 || mode == 3) {
        setWindowTitle(QStringLiteral("Resize"));
        Frame2[1]->setTitle(QStringLiteral(" Width "));
        Frame2[0]->setTitle(QStringLiteral(" Height "));
        const int bw = m_picture ? m_picture->BitmapWidth() : 0;
        const int bh = m_picture ? m_picture->BitmapHeight() : 0;
        SCWeight1->setRange(1, kMaxSide);
        // A picture without width has no proportion: the height keeps the width's limit.
        const double heightMax = bw > 0 ? std::floor(double(bh) * kMaxSide / bw) : kMaxSide;
        SCHeight1->setRange(1, int(std::clamp(heightMax, 1.0, double(kMaxValue))));
        for (QScrollBar* bar : {SCWeight1, SCHeight1}) {
            bar->setPageStep(100);
            bar->setSingleStep(10);
        }
        CHKASPECT->setVisible(true);
        CHKRESAMPLE->setVisible(true);
        const int w = mode == 3 ? (m_picture ? m_picture->RgnWidth() : 0) : bw;
        const int h = mode == 3 ? (m_picture ? m_picture->RgnHeight() : 0) : bh;
        // The start values are kept within the bars' limits. The aspect box is
        // still clear here, so each bar fills only its own box.
        CHKASPECT->setChecked(false);
        SCWeight1->setValue(std::clamp(w, SCWeight1->minimum(), SCWeight1->maximum()));
        SCHeight1->setValue(std::clamp(h, SCHeight1->minimum(), SCHeight1->maximum()));
        SCWeight1_Change();
        SCHeight1_Change();
        CHKRESAMPLE->setChecked(false);
        CHKASPECT->setChecked(true);
    } else if (mode == 999) {
        setWindowTitle(QStringLiteral("Intensity Detect"));
        CHKRESAMPLE->setVisible(false);
        CHKASPECT->setVisible(false);
        CHKASPECT->setChecked(false);
        Frame2[1]->setTitle(QStringLiteral("Low"));
        Frame2[0]->setTitle(QStringLiteral("High"));
        for (QScrollBar* bar : {SCWeight1, SCHeight1}) {
            bar->setRange(0, 255);
            bar->setPageStep(10);
            bar->setSingleStep(1);
            bar->setValue(128);
        }
        SCWeight1_Change();
        SCHeight1_Change();
    }
    fWidthTextActive = fWidthBarActive = fHeightTextActive = fHeightBarActive = false;
    adjustSize();
    if (const QScreen* s = screen())
        move((s->geometry().width() - width()) / 2, (s->geometry().height() - height()) / 2);
}

void NewSize1::GetResults(bool& fOKOut, short& nValue1, short& nValue2, bool& fResample) const
{
    fOKOut = fOK;
    nValue1 = short(SCWeight1->value());
    nValue2 = short(SCHeight1->value());
    fResample = CHKRESAMPLE->isChecked();
}

void NewSize1::keepProportion(QScrollBar* target, int value, double factor)
{
    if (!CHKASPECT->isChecked() || factor <= 0 || m_keepingProportion)
        return; // no proportion to keep (never a division by zero), or the partner follows already
    const int other = int(std::min(std::floor(value * factor), double(kMaxValue)));
    const int clamped = std::clamp(other, target->minimum(), target->maximum());
    if (clamped == target->value())
        return;
    // The partner takes the value without answering with a proportion of
    // its own: rounded back and forth, the two would creep downwards.
    m_keepingProportion = true;
    target->setValue(clamped);
    m_keepingProportion = false;
}

void NewSize1::SCWeight1_Change()
{
    if (!fWidthTextActive) {
        fWidthBarActive = true;
        TxtWidth1->setText(QString::number(SCWeight1->value()));
        if (nSizeMode == 0 || nSizeMode == 3)
            keepProportion(SCHeight1, SCWeight1->value(), ratio());
    }
    fWidthTextActive = false;
}

void NewSize1::SCHeight1_Change()
{
    if (!fHeightTextActive) {
        fHeightBarActive = true;
        TxtHeight1->setText(QString::number(SCHeight1->value()));
        const double r = ratio();
        if (nSizeMode == 0 || nSizeMode == 3)
            keepProportion(SCWeight1, SCHeight1->value(), r > 0 ? 1.0 / r : 0);
    }
    fHeightTextActive = false;
}

bool NewSize1::boxValue(const QLineEdit* box, const QScrollBar* bar, int* value)
{
    bool ok = false;
    const int v = box->text().trimmed().toInt(&ok);
    if (!ok || v < -32768 || v > 32767 || v < bar->minimum() || v > bar->maximum())
        return false;
    *value = v;
    return true;
}

void NewSize1::TxtWidth1_Change()
{
    if (!fWidthBarActive) {
        fWidthTextActive = true;
        int v = 0;
        if (boxValue(TxtWidth1, SCWeight1, &v)) {
            SCWeight1->setValue(v);
            if (nSizeMode == 0 || nSizeMode == 3)
                keepProportion(SCHeight1, v, ratio());
        }
    }
    fWidthBarActive = false;
}

void NewSize1::TxtHeight1_Change()
{
    if (!fHeightBarActive) {
        fHeightTextActive = true;
        int v = 0;
        if (boxValue(TxtHeight1, SCHeight1, &v)) {
            SCHeight1->setValue(v);
            const double r = ratio();
            if (nSizeMode == 0 || nSizeMode == 3)
                keepProportion(SCWeight1, v, r > 0 ? 1.0 / r : 0);
        }
    }
    fHeightBarActive = false;
}

void NewSize1::CHKASPECT_Click()
{
    if (nSizeMode != 0 && nSizeMode != 3)
        return;
    const double r = ratio();
    if (r <= 0)
        return; // a side of 0: no proportion to apply
    SCHeight1->setMinimum(1);
    SCHeight1->setMaximum(int(std::clamp(std::floor(kMaxSide * r), 1.0, double(kMaxValue))));
    const int h = int(std::min(std::floor(SCWeight1->value() * r), double(kMaxValue)));
    SCHeight1->setValue(std::clamp(h, SCHeight1->minimum(), SCHeight1->maximum()));
}

void NewSize1::OKBtn_Click()
{
    int w = 0, h = 0;
    if (!boxValue(TxtWidth1, SCWeight1, &w) || !boxValue(TxtHeight1, SCHeight1, &h))
        return;
    fOK = true;
    hide();
    done(QDialog::Accepted);
}

void NewSize1::CancelBtn_Click()
{
    hide();
    done(QDialog::Rejected);
}

void NewSize1::HelpBtn_Click() { browser::sendHelpKey(this); }

void NewSize1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void NewSize1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void NewSize1::Form_Activate()
{
    // The window is plain and its frame washed; the two number frames and
    // the check boxes stand in the window's background and text colours.
    using dialogcolors::Kind;
    dialogcolors::Paint plain = dialogcolors::conventionPaint(Kind::Window);
    plain.washEnd.reset();
    dialogcolors::Paint numbers = dialogcolors::conventionPaint(Kind::Panel);
    numbers.washEnd.reset();
    dialogcolors::Paint check = dialogcolors::conventionPaint(Kind::Check);
    check.back = gs.nSelectBackColor;
    dialogcolors::applyDialogColors(this, {{this, plain},
                                           {Frame2[0], numbers},
                                           {Frame2[1], numbers},
                                           {CHKASPECT, check},
                                           {CHKRESAMPLE, check}});
    TxtWidth1->setFocus();
}
