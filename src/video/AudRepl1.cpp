#include "video/AudRepl1.h"

#include "browser/DialogParts.h"
#include "platform/media/MediaJoin.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"
#include "video/VideoToolParts.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kAudioFilter = QStringLiteral(
    "WAV File|*.WAV|MID File|*.MID|WMA File|*.WMA|MP3 File|*.MP3|Audio Files|*.WAV;*.MID;*.WMA;*.MP3");

} // namespace

AudRepl1::AudRepl1(QWidget* parent) : QDialog(parent, Qt::Window)
{
    setObjectName(QStringLiteral("AudRepl1"));
    setWindowTitle(QStringLiteral("Replace Audio in Video File"));
    setAttribute(Qt::WA_DeleteOnClose);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(Frame1);
    const char* captions[] = {"Source Video File:", "Source Audio File:", "Destination File:"};
    QLineEdit** texts[] = {&Text1, &Text2, &Text3};
    QToolButton** pickers[] = {&OpenSVBtn, &OpenSABtn, &OpenDVBtn};
    const char* pickerNames[] = {"OpenSVBtn", "OpenSABtn", "OpenDVBtn"};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(captions[i]), Frame1);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        *texts[i] = new QLineEdit(Frame1);
        (*texts[i])->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        (*texts[i])->setMinimumWidth(320);
        *pickers[i] = videotools::pictureButton(Frame1, pickerNames[i], QStyle::SP_DirOpenIcon, {});
        grid->addWidget(Label1[i], i * 2, 0, 1, 2);
        grid->addWidget(*texts[i], i * 2 + 1, 0);
        grid->addWidget(*pickers[i], i * 2 + 1, 1);
    }

    const browser::DialogButtons buttons = browser::layOutDialog(
        this, Frame1, QStringLiteral("Replace the Audio in Video"), QStringLiteral("Close Replace Audio in Video Window"),
        QStringLiteral("Help with Replace Audio in Video Window"));
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    HelpBtn = buttons.help;

    DestCtrl = new platform::MediaConverter(this);
    connect(DestCtrl, &platform::MediaConverter::Status, this, &QWidget::setWindowTitle);
    connect(DestCtrl, &platform::MediaConverter::Complete, this, [this] { runEnded(true); });
    connect(DestCtrl, &platform::MediaConverter::Failed, this, [this] { runEnded(false); });
    connect(DestCtrl, &platform::MediaConverter::Stopped, this, [this] { runEnded(false); });

    connect(OpenSVBtn, &QToolButton::clicked, this, &AudRepl1::OpenSVBtn_Click);
    connect(OpenSABtn, &QToolButton::clicked, this, &AudRepl1::OpenSABtn_Click);
    connect(OpenDVBtn, &QToolButton::clicked, this, &AudRepl1::OpenDVBtn_Click);
    connect(OKBtn, &QPushButton::clicked, this, &AudRepl1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &AudRepl1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &AudRepl1::HelpBtn_Click);
    Form_Load();
}

AudRepl1::~AudRepl1()
{
    // The converter's own clean-up stops and waits for a job still running.
    Form_Unload();
}

bool AudRepl1::running() const { return DestCtrl->State() == platform::MediaConverter::StateRunning; }

void AudRepl1::Form_Load()
{
    nTimeOut = 10000;
    gs.fAudReplOpen = true;
}

void AudRepl1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void AudRepl1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void AudRepl1::Form_Activate() { dialogcolors::applyDialogColors(this); }

void AudRepl1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fAudReplOpen = false;
}

void AudRepl1::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->ignore(); // already closing: the first close finishes the job
        return;
    }
    if (running()) {
        // Cancel, the close box and shutdown stop the job and wait for its clean-up.
        m_closing = true;
        DestCtrl->StopConvert();
        DestCtrl->waitForFinished(-1, false);
        m_closing = false;
    }
    Form_Unload();
    QDialog::closeEvent(event);
}

void AudRepl1::OpenSVBtn_Click()
{
    const QString name =
        videotools::pickFile(QStringLiteral("Enter or Select Video File Name for Audio Replacement "), videotools::kVideoFilter);
    if (!name.isEmpty())
        Text1->setText(name);
}

void AudRepl1::OpenSABtn_Click()
{
    const QString name = videotools::pickFile(
        QStringLiteral("Enter or Select Audio File Name for Audio Replacement of Video File"), kAudioFilter);
    if (!name.isEmpty())
        Text2->setText(name);
}

void AudRepl1::OpenDVBtn_Click()
{
    const QString name = videotools::pickFile(
        QStringLiteral("Enter or Select Video File Name for Audio Replacement Destination"), videotools::kVideoFilter);
    if (!name.isEmpty())
        Text3->setText(name);
}

void AudRepl1::OKBtn_Click()
{
    if (!running())
        ReplaceAudio();
}

void AudRepl1::CancelBtn_Click() { close(); }
void AudRepl1::HelpBtn_Click() { browser::sendHelpKey(this); }

void AudRepl1::ReplaceAudio()
{
    const platform::ReplaceAudioJob job{Text1->text(), Text2->text(), Text3->text()};
    const bool started = DestCtrl->StartJob(
        [job](const std::atomic<bool>* cancel, const platform::StatusReport& status) {
            return platform::ReplaceAudio(job, cancel, status);
        });
    if (!started)
        return;
    setCursor(Qt::WaitCursor);
    setInputsEnabled(false);
}

void AudRepl1::runEnded(bool ok)
{
    setInputsEnabled(true);
    unsetCursor();
    const platform::ConvertResult& r = DestCtrl->LastResult();
    if (!ok && !r.stopped && !m_closing)
        videotools::message(r.error);
    setWindowTitle(ok ? platform::kReplaceDone : platform::kReplaceAborted);
}

void AudRepl1::setInputsEnabled(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Text1, Text2, Text3, OpenSVBtn, OpenSABtn, OpenDVBtn, OKBtn})
        w->setEnabled(on);
}
