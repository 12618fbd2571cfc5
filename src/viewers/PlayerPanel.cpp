#include "viewers/PlayerPanel.h"

#include "platform/controls/Dialogs.h"
#include "platform/media/PlayCtrl.h"
#include "platform/controls/StyleIcons.h"
#include "platform/controls/WashControls.h"
#include "shared/SharedState.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace viewers {

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

struct ButtonSpec {
    const char* name;
    QStyle::StandardPixmap icon;
    const char* text; // shown instead of an icon when not empty
    const char* tip;
    bool twoState;
};

// Play, Pause, Stop, First, Last, StartMark, EndMark, Mute, Extra.
const ButtonSpec kVideoButtons[] = {
    {"VidPlayBtn", QStyle::SP_MediaPlay, "", "Play the Video", false},
    {"VidPauseBtn", QStyle::SP_MediaPause, "", "Pause the Video", false},
    {"VidStopBtn", QStyle::SP_MediaStop, "", "Stop the Video", false},
    {"VidFrstBtn", QStyle::SP_MediaSkipBackward, "", "Go to the Start", false},
    {"VidLastBtn", QStyle::SP_MediaSkipForward, "", "Go to the End", false},
    {"VidSCutBtn", QStyle::SP_CustomBase, "[", "Mark the Start of a Clip", false},
    {"VidECutBtn", QStyle::SP_CustomBase, "]", "Mark the End of a Clip", false},
    {"VidMuteBtn", QStyle::SP_MediaVolumeMuted, "", "Sound Off", true},
    {"VidContBtn", QStyle::SP_BrowserReload, "", "Play the Video Continuously", true},
};
const ButtonSpec kMusicButtons[] = {
    {"MusPlayBtn", QStyle::SP_MediaPlay, "", "Play the Music", false},
    {"MusPauseBtn", QStyle::SP_MediaPause, "", "Pause the Music", false},
    {"MusStopBtn", QStyle::SP_MediaStop, "", "Stop the Music", false},
    {"MusFrstBtn", QStyle::SP_MediaSkipBackward, "", "Go to the Start", false},
    {"MusLastBtn", QStyle::SP_MediaSkipForward, "", "Go to the End", false},
    {"MusBCutBtn", QStyle::SP_CustomBase, "[", "Mark the Start of a Clip", false},
    {"MusECutBtn", QStyle::SP_CustomBase, "]", "Mark the End of a Clip", false},
    {"MusMuteBtn", QStyle::SP_MediaVolumeMuted, "", "Sound Off", true},
    {"MusDeleteBtn", QStyle::SP_TrashIcon, "", "Delete the Selected Entry from the Play List", false},
};

platform::WashButton* makeButton(QWidget* parent, const ButtonSpec& spec)
{
    auto* b = new platform::WashButton(QString(), parent);
    b->setObjectName(QString::fromLatin1(spec.name));
    if (*spec.text)
        b->setText(QString::fromLatin1(spec.text));
    else
        b->setIcon(platform::styleIcon(spec.icon));
    b->setToolTip(QString::fromLatin1(spec.tip));
    b->setCheckable(spec.twoState);
    b->setFixedSize(30, 26);
    return b;
}

QSlider* makeSlider(QWidget* parent, const char* name, int max, const char* tip)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(0, max);
    s->setToolTip(QString::fromLatin1(tip));
    return s;
}

} // namespace

PlayerPanel::PlayerPanel(Kind kind, QWidget* parent) : QObject(parent), m_kind(kind)
{
    const bool video = kind == Video;
    Player = new platform::PlayCtrl(video, parent);
    Player->setObjectName(video ? QStringLiteral("MediaPlayer1") : QStringLiteral("MediaPlayer2"));
    buildControls(parent);

    connect(PlayBtn, &platform::WashButton::clicked, Player, [this] { Player->Run(); });
    connect(PauseBtn, &platform::WashButton::clicked, Player, &platform::PlayCtrl::Pause);
    connect(StopBtn, &platform::WashButton::clicked, Player, &platform::PlayCtrl::Stop);
    connect(FirstBtn, &platform::WashButton::clicked, Player, &platform::PlayCtrl::SeekStart);
    connect(LastBtn, &platform::WashButton::clicked, Player, &platform::PlayCtrl::SeekEnd);
    connect(StartMarkBtn, &platform::WashButton::clicked, this, [this] { markOrReport(true); });
    connect(EndMarkBtn, &platform::WashButton::clicked, this, [this] { markOrReport(false); });
    connect(MuteBtn, &platform::WashButton::clicked, this, [this] { Player->setMute(MuteBtn->isChecked()); });
    if (video)
        connect(ExtraBtn, &platform::WashButton::clicked, this, [this] {
            const int count = ExtraBtn->isChecked() ? 0 : 1;
            Player->setPlayCount(count);
            emit playCountChosen(count);
        });
    else
        connect(ExtraBtn, &platform::WashButton::clicked, this, &PlayerPanel::deleteClicked);
    connect(Player, &platform::PlayCtrl::PositionChange, this,
            [this](double position) { showPosition(position, Player->Duration()); });
    connect(Position, &QSlider::valueChanged, this, &PlayerPanel::positionMoved);
    connect(Volume, &QSlider::valueChanged, this, [this](int v) { Player->setVolume(v); });
    // A file the engine cannot play is named, rather than left silent.
    connect(Player, &platform::PlayCtrl::PlayFailed, this, [this](const QString& reason) {
        QString text = QStringLiteral("Cannot Play this File - ") + Player->SourceFile();
        if (!reason.trimmed().isEmpty())
            text += QStringLiteral(" - ") + reason.trimmed();
        platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
    });
}

void PlayerPanel::buildControls(QWidget* parent)
{
    const bool video = m_kind == Video;
    const ButtonSpec* specs = video ? kVideoButtons : kMusicButtons;
    m_controls = new QWidget(parent);
    platform::WashButton** buttons[] = {&PlayBtn,      &PauseBtn,   &StopBtn, &FirstBtn, &LastBtn,
                                        &StartMarkBtn, &EndMarkBtn, &MuteBtn, &ExtraBtn};
    for (size_t i = 0; i < std::size(buttons); ++i)
        *buttons[i] = makeButton(m_controls, specs[i]);
    Position = video ? makeSlider(m_controls, "MedPosition", kPositionMax, "Video Position")
                     : makeSlider(m_controls, "MusPosition", kPositionMax, "Current Frame Position of File");
    Volume = makeSlider(m_controls, video ? "MedVolume" : "MusVolPos", 100, "Volume Control");
    Volume->setValue(100);
    // Wide enough to be set with the mouse, whatever room the tab leaves.
    Position->setMinimumWidth(100);
    Volume->setMinimumWidth(60);
    Volume->setMaximumWidth(90);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    if (video) {
        m_controls->setObjectName(QStringLiteral("Frame1"));
        m_controls->setLayout(row);
        for (platform::WashButton* b :
             {PlayBtn, PauseBtn, StopBtn, FirstBtn, StartMarkBtn, EndMarkBtn, LastBtn, MuteBtn})
            row->addWidget(b);
        row->addWidget(Position, 1);
        row->addWidget(ExtraBtn);
        row->addWidget(Volume);
        return;
    }
    auto* column = new QVBoxLayout(m_controls);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(Position);
    for (platform::WashButton* b :
         {PlayBtn, PauseBtn, StopBtn, FirstBtn, LastBtn, StartMarkBtn, EndMarkBtn, ExtraBtn, MuteBtn})
        row->addWidget(b);
    row->addWidget(Volume);
    column->addLayout(row);
}

void PlayerPanel::load(const QString& path, bool autoPlay)
{
    Player->setSourceFile(path);
    Position->setMaximum(kPositionMax);
    if (autoPlay)
        Player->Run();
}

void PlayerPanel::setPlayCount(int count)
{
    Player->setPlayCount(count);
    if (m_kind == Video) {
        const QSignalBlocker block(ExtraBtn);
        ExtraBtn->setChecked(count == 0);
    }
}

void PlayerPanel::showPosition(double position, double length)
{
    m_positionUpdate = true;
    Position->setValue(sliderValue(position, length));
    m_positionUpdate = false;
}

void PlayerPanel::positionMoved()
{
    if (!m_positionUpdate)
        Player->setCurrentPosition(sliderPosition(Position->value(), Player->Duration()));
}

void PlayerPanel::markOrReport(bool start)
{
    platform::PlayError e;
    const bool ok = start ? Player->MarkSelectionStart(&e) : Player->MarkSelectionEnd(&e);
    if (ok)
        return;
    // The number as text, with the blank a number that is not negative gets.
    const QString num = (e.number >= 0 ? QStringLiteral(" ") : QString()) + QString::number(e.number);
    platform::dialogs().message(kDefaultTitle, e.description + QStringLiteral(" Error code = ") + num + QLatin1Char('.'),
                                platform::Buttons::Ok, platform::Icon::None);
}

} // namespace viewers
