// Watches one thread of another process for top-level windows that become
// visible, through a hook DLL loaded into that process. Under Wine no
// WinEvent reports a show, and sampling IsWindowVisible can miss a flash.
#pragma once

#include "common/kernelHandle.h"
#include "showWatchRecord.h"

#include <windows.h>

namespace velmo_app_test {

class ShowWatch
{
public:
    // Set it up while the thread is still suspended, to see its first show.
    explicit ShowWatch(DWORD threadId);
    ~ShowWatch();
    ShowWatch(const ShowWatch&) = delete;
    ShowWatch& operator=(const ShowWatch&) = delete;

    bool Hooked() const { return m_record && m_hook; }
    bool SawShown(HWND window) const;

private:
    UniqueKernelHandle m_section;
    ShowWatchRecord* m_record = nullptr;
    UniqueHandle<HMODULE, &FreeLibrary> m_dll;
    UniqueHandle<HHOOK, &UnhookWindowsHookEx> m_hook;
};

} // namespace velmo_app_test
