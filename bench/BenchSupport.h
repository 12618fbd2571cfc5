#pragma once
// What every benchmark shares: starting a whole process and timing it from
// just before it is started, reading what it printed, peak memory, medians,
// and the report line (ours, theirs, the median of the per-round ratios).
// The contenders run interleaved, one round after another, so that a busy
// moment of the machine falls on both. A process that does not end within
// BENCH_TIMEOUT seconds (default 300) is killed and reported, and one that
// stopped at a modal dialog (the program prints "message ..." and leaves
// with code 3 when it is started for a benchmark) is reported with the
// dialog's text: a benchmark never waits for a user.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

// The monotonic clock in nanoseconds: the same clock in every process.
inline qint64 nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Process {
    qint64 startNs = 0; // just before the process was started
    double ms = 0;      // from then to its exit
    qint64 peakKb = 0;  // its largest resident size
    int status = -1;    // exit code, -1 when it did not end normally
    QByteArray out;     // what it printed on its standard output
    bool ok() const { return status == 0; }
};

inline int timeoutSeconds()
{
    const int s = qEnvironmentVariableIntValue("BENCH_TIMEOUT");
    return s > 0 ? s : 300;
}

// The dialog text a program printed when it stopped at a modal dialog.
inline QByteArray dialogMessage(const QByteArray& out)
{
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("message "))
            return line.mid(8);
    return {};
}

// Runs program with args in folder (empty: this one), extra environment
// entries ("NAME=value") added; its output is kept unless toNull.
inline Process run(const QString& program, const QStringList& args, const QString& folder = {},
                   const QStringList& env = {}, bool toNull = false)
{
    std::vector<QByteArray> argBytes{QFile::encodeName(program)};
    for (const QString& a : args)
        argBytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> envBytes;
    for (char** e = environ; *e; ++e)
        envBytes.emplace_back(*e);
    for (const QString& e : env)
        envBytes.push_back(e.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& e : envBytes)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipeFd[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The children's warnings would bury the figures.
    if (qEnvironmentVariableIsEmpty("BENCH_VERBOSE"))
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (toNull) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    } else if (::pipe(pipeFd) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
        posix_spawn_file_actions_addclose(&actions, pipeFd[1]);
    }
    const QByteArray dir = QFile::encodeName(folder);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, dir.constData());

    Process p;
    pid_t pid = -1;
    p.startNs = nowNs();
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFd[1] >= 0)
        ::close(pipeFd[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        if (pipeFd[0] >= 0)
            ::close(pipeFd[0]);
        return p;
    }
    const qint64 deadline = p.startNs + qint64(timeoutSeconds()) * 1000000000;
    bool late = false;
    if (pipeFd[0] >= 0) {
        char buf[65536];
        for (;;) {
            pollfd fd{pipeFd[0], POLLIN, 0};
            const int left = int(std::max<qint64>(0, (deadline - nowNs()) / 1000000));
            const int ready = ::poll(&fd, 1, left);
            if (ready == 0) {
                late = true;
                break;
            }
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            const ssize_t n = ::read(pipeFd[0], buf, sizeof buf);
            if (n > 0)
                p.out.append(buf, int(n));
            else if (n == 0 || errno != EINTR)
                break;
        }
        ::close(pipeFd[0]);
    }
    // The end of the process, awaited until the deadline.
    if (!late) {
        const int exited = int(::syscall(SYS_pidfd_open, pid, 0));
        if (exited >= 0) {
            pollfd fd{exited, POLLIN, 0};
            int ready;
            while ((ready = ::poll(&fd, 1, int(std::max<qint64>(0, (deadline - nowNs()) / 1000000)))) < 0 &&
                   errno == EINTR) {
            }
            late = ready == 0;
            ::close(exited);
        }
    }
    if (late)
        ::kill(pid, SIGKILL);
    int status = 0;
    rusage use{};
    while (::wait4(pid, &status, 0, &use) < 0 && errno == EINTR) {
    }
    p.ms = double(nowNs() - p.startNs) / 1e6;
    if (late)
        std::fprintf(stderr, "%s did not end within %d s and was stopped\n", argv[0], timeoutSeconds());
    if (const QByteArray said = dialogMessage(p.out); !said.isEmpty())
        std::fprintf(stderr, "%s stopped at a message box: %s\n", argv[0], said.constData());
    p.peakKb = use.ru_maxrss;
    p.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return p;
}

// A shell command line, run whole (sh -c).
inline Process shell(const QString& command, const QString& folder = {})
{
    return run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}, folder);
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The figures of one contender over the rounds.
struct Series {
    QString name;
    std::vector<double> values;
    double median() const { return bench::median(values); }
};

// The median of ours / theirs, round by round.
inline double ratio(const Series& ours, const Series& theirs)
{
    std::vector<double> r;
    for (size_t i = 0; i < ours.values.size() && i < theirs.values.size(); ++i)
        if (theirs.values[i] > 0)
            r.push_back(ours.values[i] / theirs.values[i]);
    return bench::median(r);
}

// "  ours 123.4 ms   theirs 45.6 ms   ratio 2.71 (target <= 1.30)"
inline void report(const char* what, const Series& ours, const Series& theirs, double target = 0,
                   const char* unit = "ms")
{
    std::printf("%-34s %-10s %9.1f %s   %-14s %9.1f %s   ratio %5.2f", what, qPrintable(ours.name), ours.median(),
                unit, qPrintable(theirs.name), theirs.median(), unit, ratio(ours, theirs));
    if (target > 0)
        std::printf(" (target <= %.2f)", target);
    std::printf("\n");
    std::fflush(stdout);
}

// A line a child process printed: "key value".
inline double field(const QByteArray& out, const char* key)
{
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() >= 2 && parts.first() == key)
            return parts.at(1).toDouble();
    }
    return -1;
}

// CPU time (user and system) this process has used so far, in milliseconds.
inline double cpuMs()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
}

// Resident memory figures of this process in kB ("VmRSS:", "VmHWM:").
inline qint64 statusKb(const char* name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(qstrlen(name))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Starts a new peak: the high-water mark drops to the present size.
inline void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The program next to this benchmark (the build's bin folder).
inline QString sibling(const char* argv0, const QString& name)
{
    return QFileInfo(QFile::decodeName(argv0)).absoluteDir().filePath(name);
}

} // namespace bench
