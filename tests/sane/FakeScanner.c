/* A SANE driver for tests, "lumivexfake": one device that scans a gray
 * picture of 4 x 3 pixels, loaded by SANE's dll driver from a folder the
 * tests name in LD_LIBRARY_PATH. LUMIVEX_FAKE_SCANNER holds words, separated
 * by spaces, that say how it works (none: it hands the picture over):
 *
 *   gate=<fd>        the first sane_read of a scan waits to read one byte
 *                    from the descriptor, or for sane_cancel, which makes it
 *                    return SANE_STATUS_CANCELLED: a read the test holds for
 *                    as long as it likes.
 *   listgate=<fd>    sane_get_devices waits for a byte on the descriptor.
 *   cancelgate=<fd>  sane_cancel waits for a byte on the descriptor before
 *                    it does anything: with a gate the test never opens, a
 *                    driver that returns neither from a read nor from the
 *                    cancel.
 *   report=<path>    each call that may wait adds a line to the file as it
 *                    starts: "devices", "open <name>", "read", "cancel";
 *                    and a read that sane_cancel let go, "read cancelled".
 *   crash            sane_read ends the process, as a driver that crashes.
 *   reader           as SANE's threaded drivers do (sanei_thread): a reader
 *                    thread of its own, with asynchronous cancellation,
 *                    writes the picture into a pipe, and the read that finds
 *                    its end cancels the reader and waits for it. The reader
 *                    is cancelled while it holds a lock that its own end
 *                    takes again (as the allocator's is, cancelled inside
 *                    free): with asynchronous cancellation it never ends, and
 *                    neither does that read, after every byte of the picture
 *                    was handed over.
 */
#include <sane/sane.h>

#include <errno.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <poll.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#define WIDTH 4
#define LINES 3
#define BYTES (WIDTH * LINES)

static const SANE_Device device = {"scanner", "Lumivex", "Test Scanner", "virtual device"};
static const SANE_Device* devices[] = {&device, NULL};
static SANE_Option_Descriptor count = {"", "Number of options", "", SANE_TYPE_INT, SANE_UNIT_NONE,
                                       sizeof(SANE_Word), SANE_CAP_SOFT_DETECT, SANE_CONSTRAINT_NONE, {NULL}};

static int delivered;
static int pipeFds[2] = {-1, -1};
static pthread_t reader;
static int readerRunning;
static pthread_mutex_t held = PTHREAD_MUTEX_INITIALIZER;
static pthread_key_t endKey;
static pthread_once_t endKeyOnce = PTHREAD_ONCE_INIT;
static atomic_int readerHolds; /* futex words */
static atomic_int cancelSent;

static int cancelPipe[2] = {-1, -1}; /* sane_cancel lets a waiting read go */

/* The value of the word "<name>=<value>" in LUMIVEX_FAKE_SCANNER, or of the
 * word "<name>" alone (""); NULL when there is none. */
static const char* setting(const char* name, char* value, size_t size)
{
    const char* words = getenv("LUMIVEX_FAKE_SCANNER");
    const size_t length = strlen(name);
    for (const char* w = words; w && *w;) {
        const size_t wordLength = strcspn(w, " ");
        if (wordLength >= length && strncmp(w, name, length) == 0 &&
            (wordLength == length || w[length] == '=')) {
            const size_t n = wordLength == length ? 0 : wordLength - length - 1;
            if (n >= size)
                return NULL;
            memcpy(value, w + wordLength - n, n);
            value[n] = '\0';
            return value;
        }
        w += wordLength;
        w += strspn(w, " ");
    }
    return NULL;
}

static int has(const char* name)
{
    char value[512];
    return setting(name, value, sizeof value) != NULL;
}

/* The descriptor a gate word names, or -1. */
static int gate(const char* name)
{
    char value[32];
    return setting(name, value, sizeof value) ? atoi(value) : -1;
}

static void report(const char* what, const char* detail)
{
    char path[512];
    if (!setting("report", path, sizeof path))
        return;
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    char line[600];
    const int n = snprintf(line, sizeof line, "%s%s%s\n", what, detail ? " " : "", detail ? detail : "");
    if (write(fd, line, (size_t)n) != n) {
    }
    close(fd);
}

/* Waits for a byte on the gate; 1 when it came, 0 when sane_cancel came
 * first (with a cancel descriptor to watch). */
static int waitAtGate(int fd, int cancelFd)
{
    struct pollfd fds[2] = {{fd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, cancelFd >= 0 ? 2 : 1, -1) < 0 && errno == EINTR)
            continue;
        if (cancelFd >= 0 && (fds[1].revents & POLLIN))
            return 0;
        if (fds[0].revents) {
            char byte;
            while (read(fd, &byte, 1) < 0 && errno == EINTR) {
            }
            return 1;
        }
    }
}

static void futexWait(atomic_int* word, int value)
{
    /* The system call itself, which is no cancellation point. */
    while (atomic_load(word) == value)
        syscall(SYS_futex, word, FUTEX_WAIT_PRIVATE, value, NULL, NULL, 0);
}

static void futexWake(atomic_int* word, int value)
{
    atomic_store(word, value);
    syscall(SYS_futex, word, FUTEX_WAKE_PRIVATE, 1, NULL, NULL, 0);
}

/* A thread's end takes the lock the reader holds while it is cancelled. */
static void atEnd(void* unused)
{
    (void)unused;
    pthread_mutex_lock(&held);
    pthread_mutex_unlock(&held);
}

static void makeEndKey(void) { pthread_key_create(&endKey, atEnd); }

static void* readerTask(void* unused)
{
    (void)unused;
    int old;
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &old);
    pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, &old);
    pthread_setspecific(endKey, &held);
    unsigned char picture[BYTES];
    memset(picture, 0x40, sizeof picture);
    if (write(pipeFds[1], picture, sizeof picture) != (ssize_t)sizeof picture)
        return NULL;
    pthread_mutex_lock(&held);
    futexWake(&readerHolds, 1);
    futexWait(&cancelSent, 0);
    pthread_mutex_unlock(&held);
    return NULL;
}

SANE_Status sane_lumivexfake_init(SANE_Int* version, SANE_Auth_Callback authorize)
{
    (void)authorize;
    if (version)
        *version = SANE_VERSION_CODE(1, 0, 0);
    return SANE_STATUS_GOOD;
}

void sane_lumivexfake_exit(void) {}

SANE_Status sane_lumivexfake_get_devices(const SANE_Device*** list, SANE_Bool localOnly)
{
    (void)localOnly;
    report("devices", NULL);
    if (gate("listgate") >= 0)
        waitAtGate(gate("listgate"), -1);
    *list = devices;
    return SANE_STATUS_GOOD;
}

SANE_Status sane_lumivexfake_open(SANE_String_Const name, SANE_Handle* handle)
{
    report("open", name);
    if (cancelPipe[0] < 0 && pipe(cancelPipe) != 0)
        return SANE_STATUS_NO_MEM;
    *handle = (SANE_Handle)&device;
    return SANE_STATUS_GOOD;
}

void sane_lumivexfake_close(SANE_Handle handle) { (void)handle; }

const SANE_Option_Descriptor* sane_lumivexfake_get_option_descriptor(SANE_Handle handle, SANE_Int option)
{
    (void)handle;
    return option == 0 ? &count : NULL;
}

SANE_Status sane_lumivexfake_control_option(SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                                            SANE_Int* info)
{
    (void)handle;
    (void)info;
    if (option != 0 || action != SANE_ACTION_GET_VALUE)
        return SANE_STATUS_INVAL;
    *(SANE_Word*)value = 1;
    return SANE_STATUS_GOOD;
}

SANE_Status sane_lumivexfake_get_parameters(SANE_Handle handle, SANE_Parameters* p)
{
    (void)handle;
    p->format = SANE_FRAME_GRAY;
    p->last_frame = SANE_TRUE;
    p->bytes_per_line = WIDTH;
    p->pixels_per_line = WIDTH;
    p->lines = LINES;
    p->depth = 8;
    return SANE_STATUS_GOOD;
}

SANE_Status sane_lumivexfake_start(SANE_Handle handle)
{
    (void)handle;
    delivered = 0;
    if (!has("reader"))
        return SANE_STATUS_GOOD;
    pthread_once(&endKeyOnce, makeEndKey);
    atomic_store(&readerHolds, 0);
    atomic_store(&cancelSent, 0);
    if (pipe(pipeFds) != 0)
        return SANE_STATUS_IO_ERROR;
    if (pthread_create(&reader, NULL, readerTask, NULL) != 0)
        return SANE_STATUS_NO_MEM;
    readerRunning = 1;
    return SANE_STATUS_GOOD;
}

/* The end of a pass as sanei_thread's drivers make it: the reader is
 * cancelled and waited for. */
static void finishReader(void)
{
    if (!readerRunning)
        return;
    futexWait(&readerHolds, 0);
    pthread_cancel(reader);
    futexWake(&cancelSent, 1);
    pthread_join(reader, NULL);
    readerRunning = 0;
    close(pipeFds[0]);
    close(pipeFds[1]);
}

SANE_Status sane_lumivexfake_read(SANE_Handle handle, SANE_Byte* data, SANE_Int max, SANE_Int* length)
{
    (void)handle;
    *length = 0;
    if (delivered >= BYTES) {
        /* The end of a pass as sanei_thread's drivers make it. */
        finishReader();
        return SANE_STATUS_EOF;
    }
    if (delivered == 0) {
        report("read", NULL);
        if (has("crash")) {
            const struct rlimit noCore = {0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            abort();
        }
        if (gate("gate") >= 0 && !waitAtGate(gate("gate"), cancelPipe[0])) {
            report("read cancelled", NULL);
            return SANE_STATUS_CANCELLED;
        }
    }
    int n = BYTES - delivered < max ? BYTES - delivered : max;
    if (readerRunning) {
        n = (int)read(pipeFds[0], data, (size_t)n);
        if (n <= 0)
            return SANE_STATUS_IO_ERROR;
    } else {
        memset(data, 0x40, (size_t)n);
    }
    delivered += n;
    *length = n;
    return SANE_STATUS_GOOD;
}

void sane_lumivexfake_cancel(SANE_Handle handle)
{
    (void)handle;
    report("cancel", NULL);
    if (gate("cancelgate") >= 0)
        waitAtGate(gate("cancelgate"), -1);
    if (cancelPipe[1] >= 0 && write(cancelPipe[1], "c", 1) != 1) {
    }
}

SANE_Status sane_lumivexfake_set_io_mode(SANE_Handle handle, SANE_Bool nonBlocking)
{
    (void)handle;
    return nonBlocking ? SANE_STATUS_UNSUPPORTED : SANE_STATUS_GOOD;
}

SANE_Status sane_lumivexfake_get_select_fd(SANE_Handle handle, SANE_Int* fd)
{
    (void)handle;
    (void)fd;
    return SANE_STATUS_UNSUPPORTED;
}
