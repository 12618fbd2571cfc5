#pragma once
// One player panel of the Videos or Music tab: the player, its transport
// buttons, its position and volume sliders and its clip marks. The position
// slider follows the player, and moving it moves the player.
#include <QObject>
#include <QString>

class QSlider;
class QWidget;
namespace platform {
class PlayCtrl;
class WashButton;
} // namespace platform

namespace viewers {

class PlayerPanel : public QObject {
    Q_OBJECT
public:
    enum Kind { Video, Music };
    // The panel's controls are made in parent; controls() arranges them.
    PlayerPanel(Kind kind, QWidget* parent);

    // The row of buttons and sliders, laid out as the tab shows them (the
    // video row holds its position slider; the music row stands below it).
    QWidget* controls() const { return m_controls; }

    platform::PlayCtrl* Player = nullptr;
    platform::WashButton *PlayBtn = nullptr, *PauseBtn = nullptr, *StopBtn = nullptr, *FirstBtn = nullptr,
                         *LastBtn = nullptr, *StartMarkBtn = nullptr, *EndMarkBtn = nullptr, *MuteBtn = nullptr;
    // Video: play continuously ("VidContBtn"); music: delete the selected list entry ("MusDeleteBtn").
    platform::WashButton* ExtraBtn = nullptr;
    QSlider* Position = nullptr;
    QSlider* Volume = nullptr;

    // Loads the file and sets the position slider's range for it.
    void load(const QString& path, bool autoPlay);
    // Shows a position (seconds) within a length on the slider, without moving the player.
    void showPosition(double position, double length);
    // The number of plays (0 repeats endlessly); the continuous button follows it.
    void setPlayCount(int count);

signals:
    // The continuous button: 0 plays endlessly, 1 once.
    void playCountChosen(int count);
    // The delete button of the music panel.
    void deleteClicked();

private:
    void buildControls(QWidget* parent);
    void markOrReport(bool start);
    void positionMoved();

    Kind m_kind;
    QWidget* m_controls = nullptr;
    bool m_positionUpdate = false;
};

} // namespace viewers
