#include "platform/devices/SaneChild.h"

#include "platform/core/LibraryLoad.h"
#include "platform/devices/SaneWire.h"
#include "platform/pictures/ImagingCodes.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace platform::sane {
namespace {

int errorFromStatus(SANE_Status s)
{
    switch (s) {
    case SANE_STATUS_GOOD: return 0;
    case SANE_STATUS_CANCELLED: return err::TwainCancelled;
    case SANE_STATUS_NO_MEM: return err::TwainNoMemory;
    case SANE_STATUS_DEVICE_BUSY: return err::TwainBusy;
    case SANE_STATUS_INVAL: return err::TwainBadValue;
    default: return err::TwainFailure;
    }
}

// sane_init for the life of the object.
class Session {
public:
    Session() { m_ok = deviceLibrariesLoaded() && sane_init(nullptr, nullptr) == SANE_STATUS_GOOD; }
    ~Session()
    {
        if (m_ok)
            sane_exit();
    }
    bool ok() const { return m_ok; }

private:
    bool m_ok = false;
};

// The records go to a descriptor of their own; whatever a driver prints goes
// to the standard error instead of into them.
int takeOutput()
{
    const int records = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    return records;
}

// The child's last record: 0 is the exit code once it is written.
int finish(int out, qint32 result)
{
    return wire::writeRecord(out, wire::End, &result, sizeof result) ? 0 : 1;
}

bool sendDevice(int out, const SANE_Device* d)
{
    std::string fields;
    for (const char* field : {d->name, d->vendor, d->model, d->type}) {
        fields += field ? field : "";
        fields += '\0';
    }
    return wire::writeRecord(out, wire::Device, fields.data(), quint32(fields.size()));
}

int listDevices(const SANE_Device*** list)
{
    const SANE_Status s = sane_get_devices(list, SANE_TRUE);
    if (s != SANE_STATUS_GOOD)
        return errorFromStatus(s);
    return *list && (*list)[0] ? 0 : err::TwainNoSource;
}

int runListing(int out)
{
    Session session;
    if (!session.ok())
        return finish(out, err::TwainNoManager);
    const SANE_Device** list = nullptr;
    if (const int r = listDevices(&list))
        return finish(out, r);
    for (int i = 0; list[i]; ++i)
        if (!sendDevice(out, list[i]))
            return 1;
    return finish(out, 0);
}

// The program's word to cancel, watched on a thread of its own: a byte on
// the standard input or its end. It cancels the scan of the device open
// (SANE lets sane_cancel be called while a read waits), or the one about to
// be opened.
std::mutex g_cancelLock;
SANE_Handle g_open = nullptr;
bool g_cancelled = false;

void watchForCancel()
{
    std::thread([] {
        char byte;
        while (::read(STDIN_FILENO, &byte, 1) < 0 && errno == EINTR) {
        }
        const std::lock_guard<std::mutex> hold(g_cancelLock);
        g_cancelled = true;
        if (g_open)
            sane_cancel(g_open);
    }).detach();
}

// The device the scan goes on with; false when the program has cancelled.
bool adopt(SANE_Handle h)
{
    const std::lock_guard<std::mutex> hold(g_cancelLock);
    g_open = h;
    return !g_cancelled;
}

void letGo()
{
    const std::lock_guard<std::mutex> hold(g_cancelLock);
    g_open = nullptr;
}

// A resolution below 25 dpi is a device default nobody scans at.
void raiseResolution(SANE_Handle h)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
        if (!d)
            return;
        if (!d->name || std::strcmp(d->name, SANE_NAME_SCAN_RESOLUTION) != 0)
            continue;
        if (!SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size != sizeof(SANE_Word))
            return;
        SANE_Word value = 0;
        if (sane_control_option(h, i, SANE_ACTION_GET_VALUE, &value, nullptr) != SANE_STATUS_GOOD)
            return;
        const double dpi = d->type == SANE_TYPE_FIXED ? SANE_UNFIX(value) : double(value);
        if (dpi >= 25)
            return;
        SANE_Word wanted = d->type == SANE_TYPE_FIXED ? SANE_FIX(100) : 100;
        sane_control_option(h, i, SANE_ACTION_SET_VALUE, &wanted, nullptr);
        return;
    }
}

constexpr int kProgramGone = -1;

// Sends every frame of the scan as the driver reads it; a device sends at
// most three. 0, an imaging error code, or kProgramGone.
int sendFrames(SANE_Handle h, int out)
{
    std::vector<SANE_Byte> buffer(64 * 1024);
    for (int frames = 0;;) {
        SANE_Status s = sane_start(h);
        if (s != SANE_STATUS_GOOD)
            return errorFromStatus(s);
        SANE_Parameters p{};
        s = sane_get_parameters(h, &p);
        if (s != SANE_STATUS_GOOD)
            return errorFromStatus(s);
        const qint32 numbers[6] = {p.format, p.last_frame, p.bytes_per_line, p.pixels_per_line, p.lines, p.depth};
        if (!wire::writeRecord(out, wire::Frame, numbers, sizeof numbers))
            return kProgramGone;
        for (;;) {
            SANE_Int got = 0;
            s = sane_read(h, buffer.data(), SANE_Int(buffer.size()), &got);
            if (s == SANE_STATUS_EOF)
                break;
            if (s != SANE_STATUS_GOOD)
                return errorFromStatus(s);
            if (got > 0 && !wire::writeRecord(out, wire::Bytes, buffer.data(), quint32(got)))
                return kProgramGone;
        }
        if (p.last_frame || ++frames >= 3)
            return 0;
    }
}

// The device named, or SANE's first when the name is empty (sent as a
// Device record: the program names the picture after it).
int chooseDevice(int out, std::string* name)
{
    if (!name->empty())
        return 0;
    const SANE_Device** list = nullptr;
    if (const int r = listDevices(&list))
        return r;
    if (!sendDevice(out, list[0]))
        return kProgramGone;
    *name = list[0]->name;
    return 0;
}

int runScan(int out, std::string name)
{
    watchForCancel();
    Session session;
    if (!session.ok())
        return finish(out, err::TwainNoManager);
    if (const int r = chooseDevice(out, &name))
        return r == kProgramGone ? 1 : finish(out, r);
    SANE_Handle h = nullptr;
    if (const SANE_Status s = sane_open(name.c_str(), &h); s != SANE_STATUS_GOOD)
        return finish(out, errorFromStatus(s));
    int r = err::TwainCancelled;
    if (adopt(h)) {
        raiseResolution(h);
        r = sendFrames(h, out);
    }
    letGo();
    // The result first: the program has it even if the driver's end hangs.
    const int code = r == kProgramGone ? 1 : finish(out, r);
    sane_cancel(h);
    sane_close(h);
    return code;
}

} // namespace

int runScannerChild(int argc, char** argv)
{
    if (argc < 2)
        return -1;
    const bool listing = std::strcmp(argv[1], "--scan-devices") == 0;
    const bool scanning = argc >= 3 && std::strcmp(argv[1], "--scan") == 0;
    if (!listing && !scanning)
        return -1;
    // A driver's thread that writes to a pipe its scan has closed, or the
    // records written once the program has gone, get an error, not the
    // end of this process.
    std::signal(SIGPIPE, SIG_IGN);
    const int out = takeOutput();
    return listing ? runListing(out) : runScan(out, argv[2]);
}

} // namespace platform::sane
