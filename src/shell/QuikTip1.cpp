#include "shell/QuikTip1.h"

#include "platform/controls/Dialogs.h"
#include "platform/text/TextFile.h"
#include "platform/controls/WindowFront.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <cmath>

namespace {

QuikTip1* gInstance = nullptr;

// The tip panel's picture: a light bulb.
QPixmap bulbPicture()
{
    QPixmap pm(36, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1.5));
    p.setBrush(QColor(0xFF, 0xE0, 0x40));
    p.drawEllipse(QRectF(4, 2, 28, 28));
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(QRectF(11, 30, 14, 10));
    p.drawLine(QPointF(11, 34), QPointF(25, 34));
    p.drawLine(QPointF(11, 37), QPointF(25, 37));
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawRoundedRect(QRectF(14, 40, 8, 5), 2, 2);
    return pm;
}

} // namespace

const QString QuikTip1::kTipsFile = QStringLiteral("TIPHELP.TXT");
const QString QuikTip1::kMsgTipsError = QStringLiteral("       Error Loading Quick Tips File");
const QString QuikTip1::kMissingFileText = QStringLiteral("That the ") + QuikTip1::kTipsFile +
                                           QStringLiteral(" file was not found? \r\n\r\nCreate a text file named ") +
                                           QuikTip1::kTipsFile +
                                           QStringLiteral(" using NotePad with 1 tip per line. Then place it in the "
                                                          "same directory as the application. ");

QuikTip1* QuikTip1::current() { return gInstance; }

QuikTip1* QuikTip1::load(QWidget* parent)
{
    if (!gInstance) {
        gInstance = new QuikTip1(parent);
        gInstance->Form_Load();
        platform::placeBelowBars(gInstance, parent);
    }
    return gInstance;
}

void QuikTip1::open(QWidget* parent)
{
    const bool wasOpen = gInstance != nullptr;
    QuikTip1* w = load(parent);
    w->show();
    w->raise();
    if (wasOpen)
        w->activateWindow();
    w->Form_Activate();
}

void QuikTip1::showTip(QWidget* parent)
{
    const bool wasOpen = gInstance != nullptr;
    QuikTip1* w = load(parent);
    w->show();
    w->raise();
    if (!wasOpen)
        w->Form_Activate();
}

QuikTip1::QuikTip1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("QuikTip1"));
    setWindowTitle(QStringLiteral("Quick Tip of the Day"));
    setProperty("lumivexToolWindow", true);
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
}

QuikTip1::~QuikTip1()
{
    if (!m_unloaded) {
        gs.fQuikTipOpen = false;
        if (gInstance == this)
            gInstance = nullptr;
    }
}

void QuikTip1::buildWindow()
{
    auto* outer = new QVBoxLayout(this);
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    outer->addWidget(Frame1);
    auto* frameLayout = new QVBoxLayout(Frame1);

    Picture1 = new QFrame(Frame1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setMinimumSize(420, 150);
    frameLayout->addWidget(Picture1);
    auto* tipLayout = new QHBoxLayout(Picture1);
    auto* bulb = new QLabel(Picture1);
    bulb->setPixmap(bulbPicture());
    bulb->setAlignment(Qt::AlignTop);
    bulb->setProperty(dialogcolors::kOwnColorsProperty, true);
    tipLayout->addWidget(bulb, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    Label1 = new QLabel(QStringLiteral("Did you know..."), Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.25);
    Label1->setFont(heading);
    lblTipText = new QLabel(Picture1);
    lblTipText->setObjectName(QStringLiteral("lblTipText"));
    lblTipText->setWordWrap(true);
    lblTipText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lblTipText->setTextFormat(Qt::PlainText);
    texts->addWidget(Label1);
    texts->addWidget(lblTipText, 1);
    tipLayout->addLayout(texts, 1);

    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("Do not Show Tips at Startup"), Frame1);
    chkLoadTipsAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    chkLoadTipsAtStartup->setToolTip(QStringLiteral("Check if you do not want to display these quick tips at Start Up"));
    frameLayout->addWidget(chkLoadTipsAtStartup);

    auto* buttons = new QHBoxLayout;
    NextTipBtn = new QPushButton(QStringLiteral("Next Tip"), this);
    NextTipBtn->setObjectName(QStringLiteral("NextTipBtn"));
    NextTipBtn->setToolTip(QStringLiteral("View Next Quick Tip"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Close Quick Tip Window"));
    buttons->addStretch(1);
    buttons->addWidget(NextTipBtn);
    buttons->addWidget(OKBtn);
    outer->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QuikTip1::OKBtn_Click);
    connect(NextTipBtn, &QPushButton::clicked, this, &QuikTip1::NextTipBtn_Click);
    OKBtn->setFocus();
}

// ---------------------------------------------------------------- load and unload

void QuikTip1::Form_Load()
{
    gs.fQuikTipOpen = true;
    nCurrentTip = 0;
    chkLoadTipsAtStartup->setChecked(true);
    if (gs.fTipsAtStartup)
        chkLoadTipsAtStartup->setChecked(false);
    if (!LoadTips(gs.programFile(kTipsFile)))
        lblTipText->setText(kMissingFileText);
}

bool QuikTip1::LoadTips(const QString& sFile)
{
    QStringList lines;
    // A file that is there but cannot be read counts as missing.
    if (platform::readLines(sFile, &lines) != platform::ReadStatus::Ok) {
        platform::dialogs().message(kProgramTitle, kMsgTipsError, platform::Buttons::Ok, platform::Icon::None);
        return false;
    }
    TipList += lines;
    PickRandomTip();
    return true;
}

void QuikTip1::PickRandomTip()
{
    const int n = int(TipList.size());
    const double r = QRandomGenerator::global()->generateDouble(); // [0, 1)
    nCurrentTip = int(std::floor(r * n + 1));
    if (nCurrentTip > n || nCurrentTip < 1)
        nCurrentTip = 1;
    ShowCurrentTip();
}

void QuikTip1::ShowCurrentTip()
{
    if (TipList.isEmpty() || nCurrentTip > TipList.size() || nCurrentTip < 1)
        return;
    lblTipText->setText(TipList.at(nCurrentTip - 1));
    lblTipText->repaint();
}

void QuikTip1::Form_Activate()
{
    using dialogcolors::Paint;
    QHash<const QWidget*, Paint> paints;
    Paint tip;
    tip.back = gs.nTipBackColor;
    tip.fore = gs.nTipForeColor;
    tip.bold = gs.fBoldFonts;
    paints.insert(Picture1, tip);
    Paint tipText = tip;
    tipText.back.reset(); // on the tip panel
    paints.insert(Label1, tipText);
    paints.insert(lblTipText, tipText);
    dialogcolors::applyDialogColors(this, paints);
}

void QuikTip1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_unloaded)
        Form_Activate();
}

void QuikTip1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fQuikTipOpen = false;
    if (gInstance == this)
        gInstance = nullptr;
}

void QuikTip1::closeEvent(QCloseEvent* event)
{
    // The close box leaves the start-up choice as it was.
    Form_Unload();
    event->accept();
}

// ---------------------------------------------------------------- handlers

void QuikTip1::NextTipBtn_Click() { PickRandomTip(); }

void QuikTip1::OKBtn_Click()
{
    gs.fTipsAtStartup = !chkLoadTipsAtStartup->isChecked();
    close();
}

void QuikTip1::Form_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        OKBtn_Click();
}

void QuikTip1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Form_KeyPress(13);
        return;
    }
    // Esc closes the window as its close box does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
