#include "video/VidJoin1.h"

#include "browser/DialogParts.h"
#include "platform/media/MediaJoin.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"
#include "video/VideoToolParts.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <cmath>

namespace {

const QString kPickerTitle = QStringLiteral("Enter or Select Video File Name for Audio Replacement ");

} // namespace

VidJoin1::VidJoin1(QWidget* parent) : QDialog(parent, Qt::Window)
{
    setObjectName(QStringLiteral("VidJoin1"));
    setWindowTitle(QStringLiteral("Join Video Files"));
    setAttribute(Qt::WA_DeleteOnClose);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(Frame1);
    Label1[0] = new QLabel(QStringLiteral("Select Video Files to Join"), Frame1);
    Label1[1] = new QLabel(QStringLiteral("Locate or Enter Path and Name of Destination Video File"), Frame1);
    for (int i = 0; i < 2; ++i)
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setProperty(dialogcolors::kOwnColorsProperty, true);
    List1->setAcceptDrops(true);
    List1->viewport()->setAcceptDrops(true);
    List1->viewport()->installEventFilter(this);
    List1->setMinimumSize(360, 140);
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    lblstatus = new QLabel(QStringLiteral("lblstatus"), Frame1);
    lblstatus->setObjectName(QStringLiteral("lblstatus"));

    OpenBtn = videotools::pictureButton(Frame1, "OpenBtn", QStyle::SP_DirOpenIcon,
                                        QStringLiteral("Open Video File to Add to List"));
    OpenDBtn = videotools::pictureButton(Frame1, "OpenDBtn", QStyle::SP_DirOpenIcon,
                                         QStringLiteral("Locate Folder and Name Video File to Create"));
    UpBtn = videotools::pictureButton(
        Frame1, "UpBtn", QStyle::SP_ArrowUp,
        QStringLiteral("Move Highlighted Picture or Multimedia File Location up one position"));
    DownBtn = videotools::pictureButton(
        Frame1, "DownBtn", QStyle::SP_ArrowDown,
        QStringLiteral("Move Highlighted Picture or Multimedia File Location down one position"));
    DeleteBtn = videotools::pictureButton(Frame1, "DeleteBtn", QStyle::SP_TrashIcon, {});

    auto* side = new QVBoxLayout;
    for (QToolButton* b : {OpenBtn, UpBtn, DownBtn, DeleteBtn})
        side->addWidget(b);
    side->addStretch(1);
    grid->addWidget(Label1[0], 0, 0, 1, 2);
    grid->addWidget(List1, 1, 0);
    grid->addLayout(side, 1, 1);
    grid->addWidget(Label1[1], 2, 0, 1, 2);
    grid->addWidget(Text1, 3, 0);
    grid->addWidget(OpenDBtn, 3, 1);
    grid->addWidget(lblstatus, 4, 0, 1, 2);

    const browser::DialogButtons buttons = browser::layOutDialog(
        this, Frame1, QStringLiteral("Join Video Files in the List into another Video File"),
        QStringLiteral("Close Join Video File Window"), QStringLiteral("Help with Join Video File Window"));
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    HelpBtn = buttons.help;

    ltmmConvertCtrl2 = new platform::MediaConverter(this);
    connect(ltmmConvertCtrl2, &platform::MediaConverter::Status, this, &VidJoin1::showStatus);
    connect(ltmmConvertCtrl2, &platform::MediaConverter::Complete, this, [this] { runEnded(true); });
    connect(ltmmConvertCtrl2, &platform::MediaConverter::Failed, this, [this] { runEnded(false); });
    connect(ltmmConvertCtrl2, &platform::MediaConverter::Stopped, this, [this] { runEnded(false); });

    connect(OKBtn, &QPushButton::clicked, this, &VidJoin1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &VidJoin1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &VidJoin1::HelpBtn_Click);
    connect(OpenBtn, &QToolButton::clicked, this, &VidJoin1::OpenBtn_Click);
    connect(OpenDBtn, &QToolButton::clicked, this, &VidJoin1::OpenDBtn_Click);
    connect(UpBtn, &QToolButton::clicked, this, &VidJoin1::UpBtn_Click);
    connect(DownBtn, &QToolButton::clicked, this, &VidJoin1::DownBtn_Click);
    connect(DeleteBtn, &QToolButton::clicked, this, &VidJoin1::DeleteBtn_Click);
    Form_Load();
}

VidJoin1::~VidJoin1() { Form_Unload(); }

bool VidJoin1::running() const { return ltmmConvertCtrl2->State() == platform::MediaConverter::StateRunning; }

void VidJoin1::Form_Load()
{
    gs.fVidJoinOpen = true;
    lblstatus->hide();
    lblstatus->setText(QStringLiteral("Ready..."));
}

void VidJoin1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void VidJoin1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void VidJoin1::Form_Activate() { dialogcolors::applyDialogColors(this); }

void VidJoin1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fVidJoinOpen = false;
    emit Unloaded();
}

void VidJoin1::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->ignore(); // already closing: the first close finishes the job
        return;
    }
    if (running()) {
        // Cancel, the close box and shutdown stop the join and wait for its clean-up.
        m_closing = true;
        ltmmConvertCtrl2->StopConvert();
        ltmmConvertCtrl2->waitForFinished(-1, false);
        m_closing = false;
    }
    Form_Unload();
    QDialog::closeEvent(event);
}

void VidJoin1::OKBtn_Click()
{
    if (!running())
        JoinVideoFiles();
}

void VidJoin1::CancelBtn_Click() { close(); }
void VidJoin1::HelpBtn_Click() { browser::sendHelpKey(this); }

void VidJoin1::OpenBtn_Click()
{
    const QString name = videotools::pickFile(kPickerTitle, videotools::kVideoFilter);
    if (!name.isEmpty())
        List1->addItem(name);
}

void VidJoin1::OpenDBtn_Click()
{
    const QString name = videotools::pickFile(kPickerTitle, videotools::kVideoFilter);
    if (!name.isEmpty())
        Text1->setText(name);
}

void VidJoin1::swapWithSelected(int step)
{
    const int row = List1->currentRow();
    const int other = row + step;
    if (row < 0 || !List1->currentItem()->isSelected() || other < 0 || other >= List1->count())
        return;
    QListWidgetItem* item = List1->takeItem(row);
    List1->insertItem(other, item);
    List1->setCurrentRow(other);
}

void VidJoin1::UpBtn_Click() { swapWithSelected(-1); }
void VidJoin1::DownBtn_Click() { swapWithSelected(1); }

void VidJoin1::DeleteBtn_Click()
{
    const int row = List1->currentRow();
    if (List1->count() == 0 || row < 0 || !List1->currentItem()->isSelected())
        return;
    delete List1->takeItem(row);
    if (row > 0)
        List1->setCurrentRow(row - 1);
}

bool VidJoin1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != List1->viewport())
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDropEvent*>(event);
        if (!e->mimeData()->hasUrls())
            return false;
        List1->setFocus();
        e->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        if (!e->mimeData()->hasUrls() || running())
            return false;
        for (const QUrl& url : e->mimeData()->urls())
            if (url.isLocalFile())
                List1->addItem(url.toLocalFile());
        e->acceptProposedAction();
        return true;
    }
    default: return false;
    }
}

void VidJoin1::JoinVideoFiles()
{
    platform::JoinJob job;
    for (int i = 0; i < List1->count(); ++i)
        job.sources << List1->item(i)->text();
    job.target = Text1->text();
    const bool started = ltmmConvertCtrl2->StartJob(
        [job](const std::atomic<bool>* cancel, const platform::StatusReport& status) {
            return platform::JoinVideoFiles(job, cancel, status);
        });
    if (!started)
        return;
    setCursor(Qt::WaitCursor);
    setInputsEnabled(false);
}

void VidJoin1::showStatus(const QString& text)
{
    lblstatus->setText(text);
    // The status line shows once the writing starts.
    if (text != platform::kVerifyingFiles)
        lblstatus->show();
}

void VidJoin1::runEnded(bool ok)
{
    setInputsEnabled(true);
    unsetCursor();
    const platform::ConvertResult& r = ltmmConvertCtrl2->LastResult();
    if (ok)
        showStatus(QStringLiteral("Process Finished"));
    else if (!r.stopped && !m_closing)
        videotools::message(r.error);
}

void VidJoin1::setInputsEnabled(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{List1, Text1, OpenBtn, OpenDBtn, UpBtn, DownBtn, DeleteBtn, OKBtn})
        w->setEnabled(on);
}

std::int16_t VidJoin1::SafeLeftShift(std::int32_t& value, std::int32_t& count)
{
    if (count < 0 || count > 15)
        return 0;
    return std::int16_t(std::uint16_t(std::uint32_t(value) << count));
}

std::int16_t VidJoin1::SafeRightShift(double& value, std::int32_t& count)
{
    if (count < 0 || count > 31 || !std::isfinite(value) || std::abs(value) >= 9.0e15)
        return 0;
    const auto whole = std::int64_t(std::floor(value / double(std::int64_t(1) << count)));
    return std::int16_t(std::uint16_t(std::uint64_t(whole)));
}
