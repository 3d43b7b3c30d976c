#include "support/processProbe.h"

#include "support/testSupport.h"
#include "ui/gdiHandles.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmo_test {

namespace {

// One row of SystemHandleInformation (class 16), as ntdll lays it out.
struct HandleRow
{
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

struct HandleTable
{
    ULONG count;
    HandleRow rows[1];
};

constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

using QuerySystemFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

std::vector<HandleRow> HandlesOf(DWORD processId, bool& readable)
{
    static const auto query = reinterpret_cast<QuerySystemFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    readable = false;
    if (!query)
        return {};
    std::vector<BYTE> buffer(1 << 16);
    NTSTATUS status;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return {};
    readable = true;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    std::vector<HandleRow> rows;
    for (ULONG i = 0; i < table->count; ++i) {
        if (table->rows[i].processId == processId)
            rows.push_back(table->rows[i]);
    }
    return rows;
}

ULONGLONG Ticks(const FILETIME& time)
{
    return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Wine 8 gives each process a table of 65536 GDI entries of 24 bytes and
// publishes it in PEB.GdiSharedHandleTable; an entry in use has a type.
constexpr std::size_t kGdiEntries = 0x10000;
struct GdiEntry
{
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24);

// The entries of the process's GDI handle table; empty when unreadable.
std::vector<GdiEntry> WineGdiTable(HANDLE process)
{
#if defined(__x86_64__)
    constexpr std::size_t kGdiTableOffset = 0xF8;
#else
    constexpr std::size_t kGdiTableOffset = 0x94;
#endif
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &length) != 0 ||
        !basic.PebBaseAddress)
        return {};
    void* table = nullptr;
    const auto* field = reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kGdiTableOffset;
    if (!ReadProcessMemory(process, field, &table, sizeof table, nullptr) || !table)
        return {};
    std::vector<GdiEntry> entries(kGdiEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry),
                           nullptr))
        return {};
    return entries;
}

struct WindowCount
{
    DWORD processId;
    long count;
};

BOOL CALLBACK CountChild(HWND window, LPARAM param)
{
    auto& tally = *reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    tally.count += owner == tally.processId;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param)
{
    CountChild(window, param);
    EnumChildWindows(window, &CountChild, param);
    return TRUE;
}

} // namespace

ProcessProbe::ProcessProbe(DWORD processId)
    : m_id(processId),
      m_process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId))
{
}

long ProcessProbe::Handles() const
{
    bool readable = false;
    const std::vector<HandleRow> rows = HandlesOf(m_id, readable);
    return readable ? static_cast<long>(rows.size()) : -1;
}

std::map<int, long> ProcessProbe::HandlesByType() const
{
    bool readable = false;
    std::map<int, long> byType;
    for (const HandleRow& row : HandlesOf(m_id, readable))
        ++byType[row.objectType];
    return byType;
}

std::optional<MemorySample> ProcessProbe::Memory() const
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!m_process || !GetProcessMemoryInfo(m_process.Get(), &counters, sizeof counters))
        return std::nullopt;
    return MemorySample{counters.PagefileUsage, counters.WorkingSetSize};
}

std::optional<ULONGLONG> ProcessProbe::CpuTime() const
{
    UniqueKernelHandle snapshot(FileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0)));
    if (!snapshot)
        return std::nullopt;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    ULONGLONG total = 0;
    bool any = false;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != m_id)
            continue;
        UniqueKernelHandle thread(
            OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created, exited, kernel, user;
        if (thread && GetThreadTimes(thread.Get(), &created, &exited, &kernel, &user)) {
            total += Ticks(kernel) + Ticks(user);
            any = true;
        }
    }
    return any ? std::optional<ULONGLONG>(total) : std::nullopt;
}

long ProcessProbe::GdiObjects() const
{
    if (!m_process)
        return -1;
    if (!velmo_test::RunningUnderWine())
        return static_cast<long>(GetGuiResources(m_process.Get(), GR_GDIOBJECTS));
    const std::vector<GdiEntry> entries = WineGdiTable(m_process.Get());
    if (entries.empty())
        return -1;
    return static_cast<long>(std::count_if(entries.begin(), entries.end(),
                                           [](const GdiEntry& entry) { return entry.type != 0; }));
}

std::map<int, long> ProcessProbe::GdiObjectsByType() const
{
    std::map<int, long> byType;
    if (!m_process || !velmo_test::RunningUnderWine())
        return byType;
    for (const GdiEntry& entry : WineGdiTable(m_process.Get())) {
        if (entry.type != 0)
            ++byType[entry.type];
    }
    return byType;
}

long ProcessProbe::Windows() const
{
    WindowCount tally{m_id, 0};
    EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&tally));
    return tally.count;
}

Snapshot ProcessProbe::Take() const
{
    Snapshot snapshot;
    snapshot.handles = Handles();
    snapshot.memory = Memory().value_or(MemorySample{});
    snapshot.gdiObjects = GdiObjects();
    snapshot.windows = Windows();
    return snapshot;
}

bool GdiCountWorks()
{
    const ProcessProbe self(GetCurrentProcessId());
    const long before = self.GdiObjects();
    constexpr int kMade = 5;
    std::vector<UniqueBrush> brushes;
    for (int i = 0; i < kMade; ++i)
        brushes.emplace_back(CreateSolidBrush(RGB(i, 2, 3)));
    const long during = self.GdiObjects();
    brushes.clear();
    const long after = self.GdiObjects();
    return before >= 0 && during == before + kMade && after == before;
}

} // namespace velmo_test
