// The video and music players of the main window, the CD device and the
// clip saves.
#include "shared/MessageBox.h"
#include "window/Lumivex1.h"

#include "platform/devices/CdDevice.h"
#include "platform/controls/Dialogs.h"
#include "platform/devices/MciControl.h"
#include "platform/media/MediaConverter.h"
#include "platform/media/PlayCtrl.h"
#include "platform/controls/WashControls.h"
#include "viewers/PlayerPanel.h"
#include "shared/FileTypes.h"
#include "shared/SharedState.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLayout>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The track number a CD track file stands for: the one it holds, else the
// number in its name ("Track03.cda"); 0 when neither says.
int cdaTrackNumber(const QString& path)
{
    const int held = platform::readCdaTrackNumber(path);
    if (held > 0)
        return held;
    static const QRegularExpression digits(QStringLiteral("(\\d+)(?!.*\\d)"));
    const QRegularExpressionMatch m = digits.match(QFileInfo(path).completeBaseName());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

void Lumivex1::buildPlayers()
{
    // Videos: pane 0 of Splitter2 holds the player beside the video play
    // lists, pane 1 the controls across the tab's whole width.
    TabPanel[1]->layout()->removeWidget(TreeView1);
    m_video = new viewers::PlayerPanel(viewers::PlayerPanel::Video, TabPanel[1]);
    MediaPlayer1 = m_video->Player;
    Frame1 = m_video->controls();
    Splitter2 = new QSplitter(Qt::Vertical, TabPanel[1]);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    auto* pictureAndLists = new QSplitter(Qt::Horizontal, Splitter2);
    pictureAndLists->setObjectName(QStringLiteral("VideoListSplitter"));
    pictureAndLists->addWidget(MediaPlayer1);
    pictureAndLists->addWidget(TreeView1);
    pictureAndLists->setStretchFactor(0, 3);
    pictureAndLists->setCollapsible(1, false);
    TreeView1->setMinimumWidth(120); // the list names stay readable
    Frame1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Splitter2->addWidget(Frame1);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setCollapsible(0, false);
    Splitter2->setCollapsible(1, false);
    TabPanel[1]->layout()->addWidget(Splitter2);

    // Music: the play lists, the CD control and the music controls.
    TabPanel[2]->layout()->removeWidget(TreeView2);
    TabPanel[2]->layout()->removeWidget(CHKMUSICLOOP);
    Frame2 = new QWidget(TabPanel[2]);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* musicColumn = new QVBoxLayout(Frame2);
    musicColumn->setContentsMargins(0, 0, 0, 0);
    TreeView2->setParent(Frame2);
    TreeView2->setMinimumSize(120, 60);
    musicColumn->addWidget(TreeView2, 1);
    MMControl1 = new platform::MMControl(Frame2);
    MMControl1->setObjectName(QStringLiteral("MMControl1"));
    MMControl1->setToolTip(QStringLiteral("Play CD"));
    MMControl1->hide();
    musicColumn->addWidget(MMControl1);
    m_music = new viewers::PlayerPanel(viewers::PlayerPanel::Music, Frame2);
    MediaPlayer2 = m_music->Player;
    musicColumn->addWidget(MediaPlayer2);
    musicColumn->addWidget(m_music->controls());
    CHKMUSICLOOP->setParent(m_music->controls());
    auto* musicRow = m_music->controls()->findChild<QHBoxLayout*>();
    musicRow->addWidget(CHKMUSICLOOP);
    musicRow->addStretch(1);
    TabPanel[2]->layout()->addWidget(Frame2);

    MediaConvert1 = new platform::MediaConverter(this);
    MediaConvert1->setObjectName(QStringLiteral("MediaConvert1"));

    connect(m_video, &viewers::PlayerPanel::playCountChosen, this, [this](int count) { nVideoPlayCount = count; });
    // The video's own window closed by its close box: the View tool lets go.
    connect(MediaPlayer1, &platform::PlayCtrl::VideoWindowClosed, this,
            [this] { setToolStateQuietly(QStringLiteral("ID_ViewVideos"), 0); });
    connect(m_music, &viewers::PlayerPanel::deleteClicked, this, &Lumivex1::MusDeleteBtn_Click);
    connect(CHKMUSICLOOP, &QCheckBox::toggled, this, [this](bool on) { CHKMUSICLOOP_Click(on ? 1 : 0); });
    connect(MMControl1, &platform::MMControl::StatusUpdate, this, &Lumivex1::MMControl1_StatusUpdate);
    connect(MediaConvert1, &platform::MediaConverter::Failed, this, &Lumivex1::MediaConvert1_Failed);
}

// ---------------------------------------------------------------- loading

void Lumivex1::LoadMediaFile(const QString& WrkFilePath)
{
    // The path's own extension decides: a stale current extension must not
    // send an address typed in the Internet tab to the CD device.
    const QString ext = ::GetFileExt(WrkFilePath);
    if (IsVideoFile(WrkFilePath)) {
        TabStrip1->setCurrentIndex(0);
        m_video->setPlayCount(nVideoPlayCount);
        m_video->load(WrkFilePath, gs.fAutoVideo);
        return;
    }
    StopMci();
    if (ext == QLatin1String("DAT") || ext == QLatin1String("CDA")) {
        TabStrip1->setCurrentIndex(1);
        PlayMciFile(WrkFilePath);
    }
    gs.cPlayerMode = QStringLiteral("1");
    m_music->load(WrkFilePath, gs.fAutoMusic);
    m_music->Volume->show();
    m_music->MuteBtn->show();
    CHKMUSICLOOP->show();
    MMControl1->hide();
    TabStrip1->setCurrentIndex(1);
}

void Lumivex1::PlayMciFile(const QString& path)
{
    const QString ext = ::GetFileExt(path);
    if (ext != QLatin1String("DAT") && ext != QLatin1String("CDA"))
        return;
    fMciOpen = true;
    MMControl1->setCommand(QStringLiteral("Close"));
    MMControl1->show();
    MMControl1->Notify = false;
    MMControl1->Wait = true;
    MMControl1->Shareable = false;
    MMControl1->setCommand(QStringLiteral("Close"));
    m_music->Position->setMaximum(int(std::clamp<qint64>(MMControl1->Length(), 0, INT_MAX)));
    m_music->Volume->hide();
    m_music->MuteBtn->hide();
    CHKMUSICLOOP->hide();
    if (ext == QLatin1String("DAT")) {
        MMControl1->setCommand(QStringLiteral("Play"));
        MMControl1->DeviceType = QStringLiteral("DAT");
    }
    if (ext == QLatin1String("CDA")) {
        MMControl1->DeviceType = QStringLiteral("CDAudio");
        // The track's place in the file list when it is the list's selection;
        // otherwise the number the track file itself holds.
        int n = 0;
        const FileListItem selected = selectedFileListItem ? selectedFileListItem() : FileListItem{};
        if (selected.index >= 0 && !selected.path.isEmpty() && platform::sameFile(selected.path, path))
            n = selected.index;
        else
            n = std::max(0, cdaTrackNumber(path) - 1);
        MMControl1->setCommand(QStringLiteral("Open"));
        for (int i = 0; i < n; ++i)
            MMControl1->setCommand(QStringLiteral("Next"));
        MMControl1->setCommand(QStringLiteral("Play"));
    }
}

void Lumivex1::StopMci()
{
    if (!MMControl1)
        return;
    MMControl1->setCommand(QStringLiteral("Stop"));
    MMControl1->setCommand(QStringLiteral("Close"));
    fMciOpen = false;
}

bool Lumivex1::SaveStillBitmap(const QString& path) { return MediaPlayer1->SaveStillBitmap(path); }

void Lumivex1::SetVideoWindowMode(int mode) { MediaPlayer1->setVideoWindowMode(mode); }

std::optional<QString> Lumivex1::PlayerFileName(int player)
{
    const platform::PlayCtrl* p = player == 0 ? MediaPlayer1 : MediaPlayer2;
    return p ? std::optional<QString>(p->FileName()) : std::nullopt;
}

// ---------------------------------------------------------------- loop and CD position

void Lumivex1::CHKMUSICLOOP_Click(int value) { MediaPlayer2->setPlayCount(std::abs(value) == 1 ? 0 : 1); }

void Lumivex1::MMControl1_StatusUpdate()
{
    m_music->showPosition(double(MMControl1->Position()) / 1000.0, double(MMControl1->Length()) / 1000.0);
}

// ---------------------------------------------------------------- music list

void Lumivex1::MusDeleteBtn_Click() { m_musicLists->DeleteSelectedNode(); }

// ---------------------------------------------------------------- clips

void Lumivex1::SaveVideoClip()
{
    runClipSave(MediaPlayer1,
                QStringLiteral("AVI File|*.AVI|MPG File|*.MPG|WMV File|*.WMV|ASF File|*.ASF|MOV File|*.MOV|Video "
                               "Files|*.AVI;*.MPG;*.WMV;*.ASF;*.MOV;*.MOV|WAV File|*.WAV|MID File|*.MID|WMA "
                               "File|*.WMA|MP3 File|*.MP3|Audio Files|*.WAV;*.MID;*.WMA;*.MP3"));
}

void Lumivex1::SaveMusicClip()
{
    runClipSave(MediaPlayer2, QStringLiteral("WAV File|*.WAV|MID File|*.MID|WMA File|*.WMA|MP3 File|*.MP3|Audio "
                                             "Files|*.WAV;*.MID;*.WMA;*.MP3"));
}

void Lumivex1::runClipSave(platform::PlayCtrl* player, const QString& filter)
{
    const QString source = player->SourceFile();
    platform::FileRequest request;
    request.title = QStringLiteral("Enter File Name for - ") + source;
    request.folder = source;
    request.filter = filter;
    request.confirmOverwrite = false; // the question below is the only one
    MediaConvert1->setSourceFile(source);
    const platform::FileAnswer answer = platform::dialogs().saveFile(request);
    const QString name = answer.fileName;
    if (answer.accepted && !name.isEmpty()) {
        if (!source.isEmpty() && platform::sameFile(name, source)) {
            // The clip would be read from and written to the same file.
            MsgBox(QStringLiteral("Cannot Save a Clip over the File that is Playing - ") + name);
        } else if (!QFileInfo::exists(name) ||
                   MsgBox(QStringLiteral("Do you want to Replace - ") + name + QStringLiteral(" ? "),
                       platform::Buttons::YesNo) == platform::Answer::Yes) {
            if (MediaConvert1->State() == platform::MediaConverter::StateRunning) {
                MsgBox(QStringLiteral("A Clip is being Saved - Try again when it is done - ") +
                    MediaConvert1->TargetFile());
            } else {
                MediaConvert1->setTargetFile(name);
                MediaConvert1->setSelectionStart(player->SelectionStart());
                const double end = player->SelectionEnd();
                MediaConvert1->setSelectionEnd(end > 0 ? end : -1);
                MediaConvert1->StartConvert();
            }
        }
    }
    BusyGuard busy;
    if (platform::Tool* tool = ToolBarComp1->Item(QStringLiteral("ID_VideoSave")))
        tool->setState(0);
}

void Lumivex1::MediaConvert1_Failed(const QString& reason)
{
    MsgBox(QStringLiteral("Error Saving Clip - ") + MediaConvert1->TargetFile() + QStringLiteral(" - ") + reason);
}
