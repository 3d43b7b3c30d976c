#include "showWatch.h"

#include "appDriver.h"

#include <cstdint>
#include <iterator>

namespace velmo_app_test {

ShowWatch::ShowWatch(DWORD threadId)
    : m_section(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   sizeof(ShowWatchRecord), kShowWatchSection))
{
    if (!m_section)
        return;
    m_record = static_cast<ShowWatchRecord*>(
        MapViewOfFile(m_section.Get(), FILE_MAP_WRITE, 0, 0, sizeof(ShowWatchRecord)));
    if (!m_record)
        return;
    ZeroMemory(m_record, sizeof(ShowWatchRecord));
    m_dll.Reset(LoadLibraryW(ShowWatchDllPath().c_str()));
    // Through void*: FARPROC and HOOKPROC differ in their parameters.
    const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
        m_dll ? GetProcAddress(m_dll.Get(), "ShowWatchProc") : nullptr));
    if (proc)
        m_hook.Reset(SetWindowsHookExW(WH_CALLWNDPROCRET, proc, m_dll.Get(), threadId));
}

ShowWatch::~ShowWatch()
{
    m_hook.Reset();
    if (m_record)
        UnmapViewOfFile(m_record);
}

bool ShowWatch::SawShown(HWND window) const
{
    if (!m_record)
        return false;
    const LONG shows = m_record->shows;
    for (LONG i = 0; i < shows && i < static_cast<LONG>(std::size(m_record->windows)); ++i)
        if (m_record->windows[i] == reinterpret_cast<std::uintptr_t>(window))
            return true;
    return false;
}

} // namespace velmo_app_test
