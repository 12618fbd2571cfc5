// The picture reader for every format it reads but FLIC and ANI (those have
// targets of their own): the first byte picks the format, the rest is the
// file. Each input is read whole, its second page alone, its facts without
// the pixels, and scaled in the decoder as the thumbnails and the first
// paint read it.
#include "FuzzSupport.h"
#include "platform/pictures/PictureCodec.h"

#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// An input whose four reads cost over 20 seconds of processor time is a
// finding, however busy the machine: ImageMagick works on one thread here
// (MAGICK_THREAD_LIMIT), so that the process's time is the input's work.
// One that costs none while it goes on for ten minutes is a hang. libFuzzer's
// own -timeout is told to the thread that happens to take its alarm, one of
// ImageMagick's or Qt's as often as not, and then passes over it: a watch of
// the target's own ends such an input as a crash, which libFuzzer keeps.
constexpr qint64 kInputCpuMs = 20000;
constexpr qint64 kInputHangMs = 10 * 60 * 1000;

qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// When the input going on started, by the clock and by the processor's
// time; {0, 0}: none.
struct InputStart {
    qint64 ms = 0;
    qint64 cpuMs = 0;
};
std::mutex g_inputMutex;
InputStart g_input;

void noteInput(InputStart start)
{
    std::lock_guard<std::mutex> lock(g_inputMutex);
    g_input = start;
}

// The watch runs from the first input to the end of the process, and ends
// with it: the process's exit stops it and waits for it, and for the
// threads Qt's pool keeps, so that no thread of ours is left running or
// ending while the leak check that follows looks at every thread.
class InputWatch {
public:
    InputWatch() : m_thread([this] { watch(); }) {}
    ~InputWatch()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
        if (QThreadPool* pool = QThreadPool::globalInstance())
            pool->waitForDone();
    }

private:
    void watch()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_stop; })) {
            InputStart started;
            {
                std::lock_guard<std::mutex> inputLock(g_inputMutex);
                started = g_input;
            }
            if (started.ms == 0)
                continue;
            if (cpuMs() - started.cpuMs > kInputCpuMs) {
                std::fprintf(stderr, "==fuzz_pictures== an input took over %lld s of processor time\n",
                             kInputCpuMs / 1000);
                std::abort();
            }
            if (nowMs() - started.ms > kInputHangMs) {
                std::fprintf(stderr, "==fuzz_pictures== an input went on for over %lld minutes\n",
                             kInputHangMs / 60000);
                std::abort();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // libFuzzer's time-out for a hang as well, where it works; one given on
    // the command line comes later and wins.
    static std::vector<char*> args(*argv, *argv + *argc);
    static char timeout[] = "-timeout=600";
    args.insert(args.begin() + 1, timeout);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    // Before ImageMagick is loaded: its work on one thread.
    setenv("MAGICK_THREAD_LIMIT", "1", 1);
    fuzz::startMediaApplication();
    // Made after the sanitizers' own exit work is set up, so undone before it.
    static InputWatch watch;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    noteInput({nowMs(), cpuMs()});
    struct Ended {
        ~Ended() { noteInput({}); }
    } ended;
    const QString ext = QString::fromLatin1(fuzz::kPictureFormats[data[0] % std::size(fuzz::kPictureFormats)]);
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    {
        platform::PictureData whole;
        platform::readPictureBytes(bytes, ext, 1, -1, &whole);
    }
    {
        platform::PictureData second;
        platform::readPictureBytes(bytes, ext, 2, 1, &second);
    }
    const QString path = fuzz::writeScratch(("picture." + ext.toLatin1()).constData(), data + 1, size - 1);
    platform::PictureInfo info;
    platform::readPictureInfo(path, 1, &info);
    QImage scaled;
    platform::readScaledPicture(path, QSize(96, 64), &scaled);
    return 0;
}
