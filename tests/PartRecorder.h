#pragma once
// The scheduler the tests give a picture control for the decodes of a large
// picture: it runs them as the program's own decoding threads do, through
// them, and records what was asked and what the decodes gave, so that a test
// can tell which parts a control asked for, how large they were, where they
// were decoded and how often the whole picture was. While it holds, the parts
// asked wait on a gate the test opens.
#include "platform/pictures/PictureSource.h"

#include <QList>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace platform {

class PartRecorder : public PartScheduler {
public:
    ~PartRecorder() override; // drops the parts still held, and waits for those at work

    void later(const PartRequest& request, Decode decode, QObject* context, Done done) override;
    PartResult now(const PartRequest& request, const Decode& decode) override;

    // Runs as each part is asked, on the thread that asks (the window's).
    std::function<void(const PartRequest&)> onAsked;

    // What was asked and decoded since it was made, or since forget().
    QList<PartRequest> asked() const;
    int wholePictures() const;          // whole pictures decoded
    qint64 largestPart() const;         // the most pixels one part decode gave
    int partsOnTheWindowsThread() const; // part decodes that ran on the window's thread
    void forget();

    // The parts asked from now on wait, undecoded, until release, which
    // lets them (and those asked after it) go on.
    void hold();
    void release();
    int partsHeld() const;

private:
    void start(Decode decode, QObject* context, Done done);

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    QList<PartRequest> m_asked;
    int m_wholePictures = 0;
    qint64 m_largestPart = 0;
    int m_partsOnTheWindowsThread = 0;
    int m_atWork = 0;
    bool m_holding = false;
    QList<std::function<void()>> m_held;
};

} // namespace platform
