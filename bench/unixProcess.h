// The Linux process behind a program of this Wine prefix, found in /proc
// (drive Z: is the file system's root). Its scheduler statistics count CPU
// time in nanoseconds, where GetThreadTimes under Wine rounds to 10 ms
// ticks; and the prefix's wineserver, which does much of every system
// call's work, can be watched the same way.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velmo_perf {

class UnixProcess
{
public:
    // The one process that runs in this prefix (same WINEPREFIX) and whose
    // program name (the last part of argv[0]) begins with `name`; nothing
    // when there is none, or more than one.
    static std::optional<UnixProcess> Find(const std::string& name);

    int Pid() const { return m_pid; }
    // Time on a CPU of all its threads, from /proc/<pid>/task/*/schedstat.
    std::optional<ULONGLONG> CpuNanoseconds() const;

private:
    explicit UnixProcess(int pid) : m_pid(pid) {}

    int m_pid;
};

} // namespace velmo_perf
