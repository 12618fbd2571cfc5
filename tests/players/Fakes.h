#pragma once
// Stand-ins for the media engine, the CD device and the web engine, and a
// main window built over them in a temporary program folder.
#include "ScriptedDialogs.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/devices/CdDevice.h"
#include "platform/controls/Dialogs.h"
#include "platform/media/PlayCtrl.h"
#include "window/Lumivex1.h"

#include <QStringList>
#include <memory>

namespace fakes {

class PlayBackend : public platform::PlayBackend {
public:
    QUrl source;
    bool playing = false;
    qint64 pos = 0, dur = 0;
    int loops = 1;
    bool muted = false;
    float volume = 1;
    QStringList calls;

    void setSource(const QUrl& url, const platform::PlaySettings& settings) override
    {
        source = url;
        playing = false;
        pos = 0;
        loops = settings.loops;
        muted = settings.muted;
        volume = settings.volume;
        calls << QStringLiteral("setSource");
    }
    void play() override { playing = true, calls << QStringLiteral("play"); }
    void pause() override { playing = false, calls << QStringLiteral("pause"); }
    void stop() override { playing = false, pos = 0, calls << QStringLiteral("stop"); }
    qint64 position() const override { return pos; }
    void setPosition(qint64 ms) override { pos = ms, calls << QStringLiteral("seek %1").arg(ms); }
    qint64 duration() const override { return dur; }
    void setLoops(int n) override { loops = n; }
    void setMuted(bool m) override { muted = m; }
    void setVolume(float v) override { volume = v; }
    QString tag(const QString&) const override { return {}; }
    // Playback reaching a position.
    void reach(qint64 ms)
    {
        pos = ms;
        emit positionChanged(ms);
    }
};

// Records every command the multimedia control gives the device.
class RecordingMci : public platform::MciDevice {
public:
    explicit RecordingMci(QStringList* log) : m_log(log) {}
    bool open(const QString& type, const QString&, QString*) override { return note("Open " + type); }
    bool close(QString*) override { return note("Close"); }
    bool play(QString*) override { return note("Play"); }
    bool pause(QString*) override { return note("Pause"); }
    bool stop(QString*) override { return note("Stop"); }
    bool next(QString*) override { return note("Next"); }
    bool prev(QString*) override { return note("Prev"); }
    bool eject(QString*) override { return note("Eject"); }
    qint64 length() const override { return 240000; }
    qint64 position() const override { return 60000; }
    bool isPlaying() const override { return false; }

private:
    bool note(const QString& c)
    {
        *m_log << c;
        return true;
    }
    QStringList* m_log;
};

using Browser = RecordingBrowser;

// A main window over the fakes, in a temporary program folder.
class Window {
public:
    Window()
    {
        platform::setPlayBackendFactory([] { return new PlayBackend; });
        platform::setMciDeviceFactory([this] { return new RecordingMci(&mci); });
        platform::setWebBrowserFactory(
            [](const QString&) -> std::unique_ptr<platform::WebBrowser> { return std::make_unique<Browser>(); });
        w = std::make_unique<Lumivex1>(QStringList());
        dialogs->messages.clear();
    }
    ~Window()
    {
        w.reset();
        platform::setPlayBackendFactory({});
        platform::setMciDeviceFactory({});
        platform::setWebBrowserFactory({});
    }
    PlayBackend& video() { return *static_cast<PlayBackend*>(w->MediaPlayer1->backend()); }
    PlayBackend& music() { return *static_cast<PlayBackend*>(w->MediaPlayer2->backend()); }
    Browser* browser1() { return static_cast<Browser*>(w->WebBrowser1.get()); }
    QString file(const QString& name) const { return folder.file(name); }

    testsupport::ProgramFolder folder;
    platform::ScopedDialogs dialogs;
    QStringList mci;
    std::unique_ptr<Lumivex1> w;
};

} // namespace fakes

