// The video and music players of the main window, the CD device and the
// clip saves.
#include "shared/MessageBox.h"
#include "window/Lumivex1.h"

#include "platform/CdDevice.h"
#include "platform/Dialogs.h"
#include "platform/MciControl.h"
#include "platform/MediaConverter.h"
#include "platform/PlayCtrl.h"
#include "platform/WashControls.h"
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

// The title of the boxes that name none of their own.
const QString kDefaultTitle = QStringLiteral("Lumivex");
constexpr int kPositionMax = 10000;

// A slider value for a position within a length: the whole length spans the
// slider (a length not known yet leaves the position in seconds).
int sliderValue(double position, double length)
{
    const double v = length > 0 ? position / length * kPositionMax : position;
    return int(std::nearbyint(std::clamp(v, 0.0, double(kPositionMax)))); // halves to the even number
}

double sliderPosition(int value, double length)
{
    return length > 0 ? double(value) / kPositionMax * length : double(value);
}

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
    auto makeButton = [this](QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& text,
                             const char* tip, bool twoState) {
        auto* b = new platform::WashButton(QString(), parent);
        b->setObjectName(QString::fromLatin1(name));
        if (text.isEmpty())
            b->setIcon(style()->standardIcon(icon));
        else
            b->setText(text);
        b->setToolTip(QString::fromLatin1(tip));
        b->setCheckable(twoState);
        b->setFixedSize(30, 26);
        return b;
    };
    auto makeSlider = [](QWidget* parent, const char* name, int max, const char* tip) {
        auto* s = new QSlider(Qt::Horizontal, parent);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(0, max);
        s->setToolTip(QString::fromLatin1(tip));
        return s;
    };

    // Videos: the player with its controls beside the video play lists.
    TabPanel[1]->layout()->removeWidget(TreeView1);
    Splitter2 = new QSplitter(Qt::Horizontal, TabPanel[1]);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    auto* videoSide = new QWidget(Splitter2);
    auto* videoColumn = new QVBoxLayout(videoSide);
    videoColumn->setContentsMargins(0, 0, 0, 0);
    MediaPlayer1 = new platform::PlayCtrl(true, videoSide);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    videoColumn->addWidget(MediaPlayer1, 1);
    Frame1 = new QWidget(videoSide);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* videoRow = new QHBoxLayout(Frame1);
    videoRow->setContentsMargins(0, 0, 0, 0);
    VidPlayBtn = makeButton(Frame1, "VidPlayBtn", QStyle::SP_MediaPlay, {}, "Play the Video", false);
    VidPauseBtn = makeButton(Frame1, "VidPauseBtn", QStyle::SP_MediaPause, {}, "Pause the Video", false);
    VidStopBtn = makeButton(Frame1, "VidStopBtn", QStyle::SP_MediaStop, {}, "Stop the Video", false);
    VidFrstBtn = makeButton(Frame1, "VidFrstBtn", QStyle::SP_MediaSkipBackward, {}, "Go to the Start", false);
    VidSCutBtn = makeButton(Frame1, "VidSCutBtn", {}, QStringLiteral("["), "Mark the Start of a Clip", false);
    VidECutBtn = makeButton(Frame1, "VidECutBtn", {}, QStringLiteral("]"), "Mark the End of a Clip", false);
    VidLastBtn = makeButton(Frame1, "VidLastBtn", QStyle::SP_MediaSkipForward, {}, "Go to the End", false);
    VidMuteBtn = makeButton(Frame1, "VidMuteBtn", QStyle::SP_MediaVolumeMuted, {}, "Sound Off", true);
    for (platform::WashButton* b : {VidPlayBtn, VidPauseBtn, VidStopBtn, VidFrstBtn, VidSCutBtn, VidECutBtn, VidLastBtn,
                           VidMuteBtn})
        videoRow->addWidget(b);
    MedPosition = makeSlider(Frame1, "MedPosition", kPositionMax, "Video Position");
    videoRow->addWidget(MedPosition, 1);
    VidContBtn = makeButton(Frame1, "VidContBtn", QStyle::SP_BrowserReload, {}, "Play the Video Continuously", true);
    videoRow->addWidget(VidContBtn);
    MedVolume = makeSlider(Frame1, "MedVolume", 100, "Volume Control");
    MedVolume->setValue(100);
    MedVolume->setMaximumWidth(90);
    videoRow->addWidget(MedVolume);
    videoColumn->addWidget(Frame1);
    Splitter2->addWidget(TreeView1);
    Splitter2->setStretchFactor(0, 3);
    TabPanel[1]->layout()->addWidget(Splitter2);

    // Music: the play lists, the CD control and the music controls.
    TabPanel[2]->layout()->removeWidget(TreeView2);
    TabPanel[2]->layout()->removeWidget(CHKMUSICLOOP);
    Frame2 = new QWidget(TabPanel[2]);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* musicColumn = new QVBoxLayout(Frame2);
    musicColumn->setContentsMargins(0, 0, 0, 0);
    TreeView2->setParent(Frame2);
    musicColumn->addWidget(TreeView2, 1);
    MMControl1 = new platform::MMControl(Frame2);
    MMControl1->setObjectName(QStringLiteral("MMControl1"));
    MMControl1->setToolTip(QStringLiteral("Play CD"));
    MMControl1->hide();
    musicColumn->addWidget(MMControl1);
    MediaPlayer2 = new platform::PlayCtrl(false, Frame2);
    MediaPlayer2->setObjectName(QStringLiteral("MediaPlayer2"));
    musicColumn->addWidget(MediaPlayer2);
    MusPosition = makeSlider(Frame2, "MusPosition", kPositionMax, "Current Frame Position of File");
    musicColumn->addWidget(MusPosition);
    auto* musicRow = new QHBoxLayout;
    MusPlayBtn = makeButton(Frame2, "MusPlayBtn", QStyle::SP_MediaPlay, {}, "Play the Music", false);
    MusPauseBtn = makeButton(Frame2, "MusPauseBtn", QStyle::SP_MediaPause, {}, "Pause the Music", false);
    MusStopBtn = makeButton(Frame2, "MusStopBtn", QStyle::SP_MediaStop, {}, "Stop the Music", false);
    MusFrstBtn = makeButton(Frame2, "MusFrstBtn", QStyle::SP_MediaSkipBackward, {}, "Go to the Start", false);
    MusLastBtn = makeButton(Frame2, "MusLastBtn", QStyle::SP_MediaSkipForward, {}, "Go to the End", false);
    MusBCutBtn = makeButton(Frame2, "MusBCutBtn", {}, QStringLiteral("["), "Mark the Start of a Clip", false);
    MusECutBtn = makeButton(Frame2, "MusECutBtn", {}, QStringLiteral("]"), "Mark the End of a Clip", false);
    MusDeleteBtn = makeButton(Frame2, "MusDeleteBtn", QStyle::SP_TrashIcon, {}, "Delete the Selected Entry from the Play List",
                              false);
    MusMuteBtn = makeButton(Frame2, "MusMuteBtn", QStyle::SP_MediaVolumeMuted, {}, "Sound Off", true);
    for (platform::WashButton* b : {MusPlayBtn, MusPauseBtn, MusStopBtn, MusFrstBtn, MusLastBtn, MusBCutBtn, MusECutBtn,
                           MusDeleteBtn, MusMuteBtn})
        musicRow->addWidget(b);
    MusVolPos = makeSlider(Frame2, "MusVolPos", 100, "Volume Control");
    MusVolPos->setValue(100);
    MusVolPos->setMaximumWidth(90);
    musicRow->addWidget(MusVolPos);
    CHKMUSICLOOP->setParent(Frame2);
    musicRow->addWidget(CHKMUSICLOOP);
    musicRow->addStretch(1);
    musicColumn->addLayout(musicRow);
    TabPanel[2]->layout()->addWidget(Frame2);

    MediaConvert1 = new platform::MediaConverter(this);
    MediaConvert1->setObjectName(QStringLiteral("MediaConvert1"));

    struct Wire {
        platform::WashButton* button;
        void (Lumivex1::*handler)();
    };
    for (const Wire& w :
         {Wire{VidPlayBtn, &Lumivex1::VidPlayBtn_Click}, Wire{VidPauseBtn, &Lumivex1::VidPauseBtn_Click},
          Wire{VidStopBtn, &Lumivex1::VidStopBtn_Click}, Wire{VidFrstBtn, &Lumivex1::VidFrstBtn_Click},
          Wire{VidLastBtn, &Lumivex1::VidLastBtn_Click}, Wire{VidSCutBtn, &Lumivex1::VidSCutBtn_Click},
          Wire{VidECutBtn, &Lumivex1::VidECutBtn_Click}, Wire{VidMuteBtn, &Lumivex1::VidMuteBtn_Click},
          Wire{VidContBtn, &Lumivex1::VidContBtn_Click}, Wire{MusPlayBtn, &Lumivex1::MusPlayBtn_Click},
          Wire{MusPauseBtn, &Lumivex1::MusPauseBtn_Click}, Wire{MusStopBtn, &Lumivex1::MusStopBtn_Click},
          Wire{MusFrstBtn, &Lumivex1::MusFrstBtn_Click}, Wire{MusLastBtn, &Lumivex1::MusLastBtn_Click},
          Wire{MusBCutBtn, &Lumivex1::MusBCutBtn_Click}, Wire{MusECutBtn, &Lumivex1::MusECutBtn_Click},
          Wire{MusMuteBtn, &Lumivex1::MusMuteBtn_Click}, Wire{MusDeleteBtn, &Lumivex1::MusDeleteBtn_Click}})
        connect(w.button, &platform::WashButton::clicked, this, w.handler);
    connect(CHKMUSICLOOP, &QCheckBox::toggled, this, [this](bool on) { CHKMUSICLOOP_Click(on ? 1 : 0); });
    connect(MediaPlayer1, &platform::PlayCtrl::PositionChange, this, &Lumivex1::MediaPlayer1_PositionChange);
    connect(MediaPlayer2, &platform::PlayCtrl::PositionChange, this, &Lumivex1::MediaPlayer2_PositionChange);
    connect(MedPosition, &QSlider::valueChanged, this, [this] {
        if (!m_positionUpdate)
            MedPosition_Change();
    });
    connect(MusPosition, &QSlider::valueChanged, this, [this] {
        if (!m_positionUpdate)
            MusPosition_Change();
    });
    connect(MedVolume, &QSlider::valueChanged, this, &Lumivex1::MedVolume_Change);
    connect(MusVolPos, &QSlider::valueChanged, this, &Lumivex1::MusVolPos_Change);
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
        MediaPlayer1->setSourceFile(WrkFilePath);
        MediaPlayer1->setPlayCount(nVideoPlayCount);
        {
            const QSignalBlocker block(VidContBtn);
            VidContBtn->setChecked(nVideoPlayCount == 0);
        }
        MedPosition->setMaximum(kPositionMax);
        if (gs.fAutoVideo)
            MediaPlayer1->Run();
        return;
    }
    StopMci();
    if (ext == QLatin1String("DAT") || ext == QLatin1String("CDA")) {
        TabStrip1->setCurrentIndex(1);
        PlayMciFile(WrkFilePath);
    }
    gs.cPlayerMode = QStringLiteral("1");
    MediaPlayer2->setSourceFile(WrkFilePath);
    if (gs.fAutoMusic)
        MediaPlayer2->Run();
    MusVolPos->show();
    MusMuteBtn->show();
    CHKMUSICLOOP->show();
    MMControl1->hide();
    MusPosition->setMaximum(kPositionMax);
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
    MusPosition->setMaximum(int(std::clamp<qint64>(MMControl1->Length(), 0, INT_MAX)));
    MusVolPos->hide();
    MusMuteBtn->hide();
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

// ---------------------------------------------------------------- transport

void Lumivex1::VidPlayBtn_Click() { MediaPlayer1->Run(); }
void Lumivex1::VidPauseBtn_Click() { MediaPlayer1->Pause(); }
void Lumivex1::VidStopBtn_Click() { MediaPlayer1->Stop(); }
void Lumivex1::VidFrstBtn_Click() { MediaPlayer1->SeekStart(); }
void Lumivex1::VidLastBtn_Click() { MediaPlayer1->SeekEnd(); }
void Lumivex1::MusPlayBtn_Click() { MediaPlayer2->Run(); }
void Lumivex1::MusPauseBtn_Click() { MediaPlayer2->Pause(); }
void Lumivex1::MusStopBtn_Click() { MediaPlayer2->Stop(); }
void Lumivex1::MusFrstBtn_Click() { MediaPlayer2->SeekStart(); }
void Lumivex1::MusLastBtn_Click() { MediaPlayer2->SeekEnd(); }

void Lumivex1::showMarkError(int number, const QString& description)
{
    // The number as text, with the blank a number that is not negative gets.
    const QString num = (number >= 0 ? QStringLiteral(" ") : QString()) + QString::number(number);
    platform::dialogs().message(kDefaultTitle, description + QStringLiteral(" Error code = ") + num + QLatin1Char('.'),
                                platform::Buttons::Ok, platform::Icon::None);
}

namespace {
// A selection mark of a player; false with the error when the player refused it.
bool markSelection(platform::PlayCtrl* player, bool start, platform::PlayError* error)
{
    return start ? player->MarkSelectionStart(error) : player->MarkSelectionEnd(error);
}
} // namespace

void Lumivex1::VidSCutBtn_Click() { markOrReport(MediaPlayer1, true); }
void Lumivex1::VidECutBtn_Click() { markOrReport(MediaPlayer1, false); }
void Lumivex1::MusBCutBtn_Click() { markOrReport(MediaPlayer2, true); }
void Lumivex1::MusECutBtn_Click() { markOrReport(MediaPlayer2, false); }

void Lumivex1::markOrReport(platform::PlayCtrl* player, bool start)
{
    platform::PlayError e;
    if (!markSelection(player, start, &e))
        showMarkError(e.number, e.description);
}

void Lumivex1::VidMuteBtn_Click() { MediaPlayer1->setMute(VidMuteBtn->isChecked()); }
void Lumivex1::MusMuteBtn_Click() { MediaPlayer2->setMute(MusMuteBtn->isChecked()); }

void Lumivex1::VidContBtn_Click()
{
    nVideoPlayCount = VidContBtn->isChecked() ? 0 : 1;
    MediaPlayer1->setPlayCount(nVideoPlayCount);
}

void Lumivex1::CHKMUSICLOOP_Click(int value) { MediaPlayer2->setPlayCount(std::abs(value) == 1 ? 0 : 1); }

// ---------------------------------------------------------------- sliders

void Lumivex1::setPositionSlider(QSlider* slider, double position, double length)
{
    m_positionUpdate = true;
    slider->setValue(sliderValue(position, length));
    m_positionUpdate = false;
}

void Lumivex1::MediaPlayer1_PositionChange(double position)
{
    setPositionSlider(MedPosition, position, MediaPlayer1->Duration());
}

void Lumivex1::MediaPlayer2_PositionChange(double position)
{
    setPositionSlider(MusPosition, position, MediaPlayer2->Duration());
}

void Lumivex1::MedPosition_Change()
{
    MediaPlayer1->setCurrentPosition(sliderPosition(MedPosition->value(), MediaPlayer1->Duration()));
}

void Lumivex1::MusPosition_Change()
{
    MediaPlayer2->setCurrentPosition(sliderPosition(MusPosition->value(), MediaPlayer2->Duration()));
}

void Lumivex1::MedVolume_Change() { MediaPlayer1->setVolume(MedVolume->value()); }
void Lumivex1::MusVolPos_Change() { MediaPlayer2->setVolume(MusVolPos->value()); }

void Lumivex1::MMControl1_StatusUpdate()
{
    setPositionSlider(MusPosition, double(MMControl1->Position()) / 1000.0, double(MMControl1->Length()) / 1000.0);
}

// ---------------------------------------------------------------- music list

void Lumivex1::MusDeleteBtn_Click()
{
    if (TreeView2->Count() < 1)
        return;
    platform::TreeNode* node = TreeView2->SelectedNode();
    if (!node)
        return;
    if (MsgBox(QStringLiteral("Do You want to Delete - ") + node->Text + QStringLiteral(" from the Play List ?"),
            platform::Buttons::YesNo) != platform::Answer::Yes)
        return;
    {
        // Asked already: the tree's own question must not come again.
        const QSignalBlocker block(TreeView2);
        TreeView2->Remove(node->Index());
    }
    fMusicListsChanged = true; // so that the deletion is written with the lists
}

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
