// Summaries of many timings: the median and its spread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace velmo_perf {

struct Summary
{
    std::size_t count = 0;
    double median = 0;
    double p10 = 0;
    double p90 = 0;
    double mad = 0; // median absolute deviation from the median
};

Summary Summarize(std::vector<double> samples);

// Microseconds between two QueryPerformanceCounter readings.
class Stopwatch
{
public:
    Stopwatch();
    LONGLONG Now() const;
    double Microseconds(LONGLONG from, LONGLONG to) const;
    double MicrosecondsSince(LONGLONG from) const { return Microseconds(from, Now()); }

private:
    double m_ticksPerMicrosecond;
};

using Samples = std::vector<double>;

// `count` calls of `step`, each timed alone, appended to `samples`.
template <typename Step>
void TimeEach(const Stopwatch& clock, int count, Samples& samples, Step&& step)
{
    for (int i = 0; i < count; ++i) {
        const LONGLONG start = clock.Now();
        step();
        samples.push_back(clock.MicrosecondsSince(start));
    }
}

} // namespace velmo_perf
