#pragma once
// Work over the rows of a picture shared among the machine's cores: bands
// of rows, one a thread, the calling thread taking the first.
#include <QtGlobal>

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

inline int threadCount()
{
    static const int n = std::clamp(int(std::thread::hardware_concurrency()), 1, 64);
    return n;
}

// Runs f(first, end) over `bands` bands of the rows (at least one, at most
// one a row), side by side, and returns once every band is done. With no
// more threads to be had, the calling thread does the rest.
template <class F> void inBands(int rows, int bands, F&& f)
{
    bands = std::clamp(bands, 1, std::max(1, rows));
    if (bands <= 1) {
        f(0, rows);
        return;
    }
    const auto first = [&](int i) { return int(qint64(rows) * i / bands); };
    std::vector<std::thread> workers;
    workers.reserve(size_t(bands - 1));
    int started = 1;
    try {
        for (; started < bands; ++started)
            workers.emplace_back([&f, &first, i = started] { f(first(i), first(i + 1)); });
    } catch (const std::system_error&) {
        // No more threads: this one does the rest.
    }
    f(0, first(1));
    if (started < bands)
        f(first(started), rows);
    for (std::thread& t : workers)
        t.join();
}

// Runs f(first, end) over bands of rows, one band per core; small jobs run
// on the calling thread alone.
template <class F> void parallelRows(int rows, qint64 workPerRow, F&& f)
{
    inBands(rows, qint64(rows) * workPerRow < 65536 ? 1 : threadCount(), std::forward<F>(f));
}

} // namespace platform
