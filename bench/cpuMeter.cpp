#include "bench/cpuMeter.h"

#include "bench/report.h"

namespace velmo_perf {

CpuMeter::CpuMeter(const std::string& name, const ProcessProbe* probe)
    : m_name(name), m_probe(probe), m_unix(UnixProcess::Find(name))
{
}

std::optional<double> CpuMeter::Nanoseconds() const
{
    if (!m_start.nanoseconds || !m_stop.nanoseconds)
        return std::nullopt;
    return static_cast<double>(*m_stop.nanoseconds - *m_start.nanoseconds);
}

void CpuMeter::Row(double polls) const
{
    const std::optional<double> nanoseconds = Nanoseconds();
    const std::string exact = nanoseconds ? Fixed(*nanoseconds / 1e6, 2) + " ms" : "not found";
    const std::string ticks =
        m_start.ticks && m_stop.ticks
            ? Fixed(static_cast<double>(*m_stop.ticks - *m_start.ticks) / 1e4, 2) + " ms"
            : "";
    const std::string perPoll =
        polls > 0 && nanoseconds ? Fixed(*nanoseconds / 1e3 / polls, 0) + " µs" : "";
    Print("| %s | %s | %s | %s |\n", m_name.c_str(), exact.c_str(), ticks.c_str(),
          perPoll.c_str());
}

CpuMeter::Reading CpuMeter::Read() const
{
    return {m_probe ? m_probe->CpuTime() : std::nullopt,
            m_unix ? m_unix->CpuNanoseconds() : std::nullopt};
}

} // namespace velmo_perf
