#include "shell/About1.h"

#include "platform/controls/Dialogs.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

About1* gInstance = nullptr;

// The program's mark: a play triangle on a rounded tile.
QPixmap programIcon()
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 48, 48);
    g.setColorAt(0, QColor(0x20, 0x60, 0xC0));
    g.setColorAt(1, QColor(0x10, 0x90, 0x50));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 9, 9);
    QPainterPath play;
    play.moveTo(18, 13);
    play.lineTo(36, 24);
    play.lineTo(18, 35);
    play.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(play);
    return pm;
}

} // namespace

const QString About1::kMakerAddress = QStringLiteral("https://www.example.com/lumivex/");
const QString About1::kMsgNoSysInfo = QStringLiteral("System Information Is Unavailable At This Time");

QStringList& About1::sysInfoPrograms()
{
#ifdef Q_OS_WIN
    static QStringList programs = {QStringLiteral("msinfo32.exe")};
#else
    static QStringList programs = {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
                                   QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor")};
#endif
    return programs;
}

QString About1::FindSysInfoProgram(const QStringList& programs)
{
    for (const QString& program : programs) {
        if (program.trimmed().isEmpty())
            continue;
        if (program.contains(QLatin1Char('/')) || program.contains(QDir::separator())) {
            const QFileInfo fi(program);
            if (fi.isFile() && fi.isExecutable())
                return fi.absoluteFilePath();
            continue;
        }
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

About1* About1::current() { return gInstance; }

void About1::open(QWidget* parent, std::function<void(const QString&)> openAddress)
{
    if (gInstance) {
        gInstance->show();
        gInstance->raise();
        gInstance->activateWindow();
        return;
    }
    gInstance = new About1(parent);
    gInstance->m_openAddress = std::move(openAddress);
    gInstance->Form_Load();
    gInstance->show();
    gInstance->Form_Activate();
}

About1::About1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("About1"));
    setWindowTitle(QStringLiteral("About the Brevanto Lumivex"));
    setProperty("lumivexToolWindow", true);
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
}

About1::~About1()
{
    if (!m_unloaded) {
        gs.fAboutOpen = false;
        if (gInstance == this)
            gInstance = nullptr;
    }
}

void About1::buildWindow()
{
    auto* outer = new QVBoxLayout(this);
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    outer->addWidget(Frame1);

    auto* grid = new QGridLayout(Frame1);
    picIcon = new QLabel(Frame1);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(programIcon());
    picIcon->setProperty(dialogcolors::kOwnColorsProperty, true);
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(picIcon, 0, 0, 4, 1);

    const QString texts[4] = {
        QStringLiteral("Brevanto Lumivex - Version 3.0"),
        QStringLiteral("Made by the Lumivex Project Team"),
        kMakerAddress,
        QStringLiteral("Brevanto Lumivex is a all purpose Multimedia Application that Plays Videos, Music, Displays "
                       "Pictures, Images, Text, Documents, and allows you to Surf the Internet. You can easily find all "
                       "types of Multimedia Files, and save in Favorite and Play Lists. Extensive Picture Editing and "
                       "Multimedia Conversion, Splicing, Joining adds to the Multimedia Player. ")};
    for (int i = 0; i < 4; ++i) {
        Label1[i] = new QLabel(texts[i], Frame1);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Label1[i]->installEventFilter(this);
        grid->addWidget(Label1[i], i, 1);
    }
    Label1[3]->setWordWrap(true);
    Label1[3]->setMinimumWidth(380);
    QFont big = Label1[0]->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    Label1[0]->setFont(big);
    QFont link = Label1[2]->font();
    link.setUnderline(true);
    Label1[2]->setFont(link);
    Label1[2]->setCursor(Qt::PointingHandCursor);
    Label1[2]->setToolTip(QStringLiteral("Visit the Lumivex Web Site"));
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Close About Lumivex Window"));
    SysBtn = new QPushButton(QStringLiteral("&System Info..."), this);
    SysBtn->setObjectName(QStringLiteral("SysBtn"));
    SysBtn->setToolTip(QStringLiteral("Get System Information"));
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(SysBtn);
    outer->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &About1::OKBtn_Click);
    connect(SysBtn, &QPushButton::clicked, this, &About1::SysBtn_Click);
    OKBtn->setFocus();
}

// ---------------------------------------------------------------- load, activate, unload

void About1::Form_Load() { gs.fAboutOpen = true; }

void About1::Form_Activate()
{
    using dialogcolors::Paint;
    QHash<const QWidget*, Paint> paints;
    Paint frame = dialogcolors::conventionPaint(dialogcolors::Kind::Panel);
    frame.back = gs.nMainBackColor;
    frame.fore = gs.nMainForeColor;
    paints.insert(Frame1, frame);
    Paint text = dialogcolors::conventionPaint(dialogcolors::Kind::Label);
    text.back = gs.nSelectBackColor; // solid, so that the long text stays legible
    for (QLabel* l : Label1)
        paints.insert(l, text);
    dialogcolors::applyDialogColors(this, paints);
}

void About1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_unloaded)
        Form_Activate();
}

void About1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fAboutOpen = false;
    if (gInstance == this)
        gInstance = nullptr;
}

void About1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void About1::OKBtn_Click() { close(); }

void About1::Form_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        close();
}

void About1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Form_KeyPress(13);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool About1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 4; ++i)
            if (watched == Label1[i]) {
                Label1_Click(i);
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- link and system information

void About1::Label1_Click(int index)
{
    if (index != 2)
        return;
    gs.cCurrentURL = kMakerAddress;
    if (m_openAddress)
        m_openAddress(gs.cCurrentURL);
}

void About1::SysBtn_Click() { StartSysInfo(); }

void About1::StartSysInfo()
{
    const QString path = FindSysInfoProgram(sysInfoPrograms());
    if (!path.isEmpty() && QProcess::startDetached(path, {}))
        return;
    platform::dialogs().message(kProgramTitle, kMsgNoSysInfo, platform::Buttons::Ok, platform::Icon::None);
}
