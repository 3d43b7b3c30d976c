// CPU time of one process over an interval, read both ways: GetThreadTimes
// (10 ms ticks under Wine) and the Linux scheduler's count (nanoseconds).
#pragma once

#include "support/processProbe.h"
#include "bench/unixProcess.h"

#include <optional>
#include <string>

namespace velmo_perf {

using velmo_test::ProcessProbe;

class CpuMeter
{
public:
    // `name` finds the Linux process; `probe` may be null (no Win32 handle).
    CpuMeter(const std::string& name, const ProcessProbe* probe);

    void Start() { m_start = Read(); }
    void Stop() { m_stop = Read(); }
    // Scheduler nanoseconds between Start and Stop.
    std::optional<double> Nanoseconds() const;
    // "| name | schedstat | GetThreadTimes | per poll |"; `polls` 0 leaves the last empty.
    void Row(double polls) const;

private:
    struct Reading
    {
        std::optional<ULONGLONG> ticks;       // GetThreadTimes, 100 ns units
        std::optional<ULONGLONG> nanoseconds; // schedstat
    };
    Reading Read() const;

    std::string m_name;
    const ProcessProbe* m_probe;
    std::optional<UnixProcess> m_unix;
    Reading m_start;
    Reading m_stop;
};

} // namespace velmo_perf
