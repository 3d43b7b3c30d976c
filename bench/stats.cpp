#include "bench/stats.h"

#include <algorithm>
#include <cmath>

namespace velmo_perf {

namespace {

// Nearest rank on sorted samples.
double Quantile(const std::vector<double>& sorted, double q)
{
    const std::size_t last = sorted.size() - 1;
    return sorted[static_cast<std::size_t>(std::lround(q * static_cast<double>(last)))];
}

} // namespace

Summary Summarize(std::vector<double> samples)
{
    Summary summary;
    summary.count = samples.size();
    if (samples.empty())
        return summary;
    std::sort(samples.begin(), samples.end());
    summary.median = Quantile(samples, 0.5);
    summary.p10 = Quantile(samples, 0.1);
    summary.p90 = Quantile(samples, 0.9);
    for (double& sample : samples)
        sample = std::fabs(sample - summary.median);
    std::sort(samples.begin(), samples.end());
    summary.mad = Quantile(samples, 0.5);
    return summary;
}

Stopwatch::Stopwatch()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    m_ticksPerMicrosecond = static_cast<double>(frequency.QuadPart) / 1e6;
}

LONGLONG Stopwatch::Now() const
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Stopwatch::Microseconds(LONGLONG from, LONGLONG to) const
{
    return static_cast<double>(to - from) / m_ticksPerMicrosecond;
}

} // namespace velmo_perf
