// What can be seen of another process from outside, under Wine as on
// Windows: its handles, memory, CPU time, GDI objects and windows.
#pragma once

#include "common/kernelHandle.h"

#include <windows.h>

#include <map>
#include <optional>

namespace velmo_test {

struct MemorySample
{
    SIZE_T privateBytes = 0; // PagefileUsage
    SIZE_T workingSet = 0;
};

// The figures a leak would move, read together.
struct Snapshot
{
    long handles = -1;
    MemorySample memory;
    long gdiObjects = -1;
    long windows = -1;
};

class ProcessProbe
{
public:
    explicit ProcessProbe(DWORD processId);

    bool Valid() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }

    // From the system handle table (NtQuerySystemInformation class 16):
    // GetProcessHandleCount answers 0 under Wine. -1 when unreadable.
    long Handles() const;
    // The same, by object type number.
    std::map<int, long> HandlesByType() const;

    std::optional<MemorySample> Memory() const;

    // User plus kernel time of all its threads, in 100 ns units. Under Wine
    // GetProcessTimes answers 0 for another process, GetThreadTimes does not.
    std::optional<ULONGLONG> CpuTime() const;

    // GDI objects: GetGuiResources, which answers 0 under Wine; there the
    // process's own GDI handle table is read through its PEB. -1 when unreadable.
    long GdiObjects() const;
    // Under Wine only: the same, by Wine's GDI object type (0x01 DC, 0x04
    // region, 0x05 bitmap, 0x0a font, 0x10 brush, 0x30 pen, ...).
    std::map<int, long> GdiObjectsByType() const;

    // Its top-level windows and their children: the USER objects that can be
    // counted from outside under Wine (menus, icons and cursors cannot).
    long Windows() const;

    Snapshot Take() const;

private:
    DWORD m_id;
    UniqueKernelHandle m_process;
};

// Whether GdiObjects counts right: checked on this process, which makes and
// deletes a few objects of its own.
bool GdiCountWorks();

} // namespace velmo_test
