#pragma once
// Timing and reporting shared by the benchmark's figures.

#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <cstdio>
#include <functional>

struct Times
{
    double p50 = 0;
    double p99 = 0;
};

// Milliseconds of `runs` calls, as median and 99th percentile.
inline Times measure(int runs, const std::function<void(int)> &work)
{
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        ms << timer.nsecsElapsed() / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min<qsizetype>(ms.size() - 1, ms.size() * 99 / 100)]};
}

// One figure: NAME p50_ms=X p99_ms=Y base_ms=Z ratio=R.
inline void line(const char *name, const Times &times, const Times &base)
{
    std::printf("%s p50_ms=%.2f p99_ms=%.2f base_ms=%.2f ratio=%.1f\n", name, times.p50, times.p99,
                base.p50, base.p50 > 0 ? times.p50 / base.p50 : 0.0);
    std::fflush(stdout);
}
