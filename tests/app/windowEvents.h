// Records which windows of one process raised a WinEvent (for example
// EVENT_OBJECT_SHOW), so that a test sees even a show that lasted too
// briefly to be caught by sampling IsWindowVisible.
#pragma once

#include "common/uniqueHandle.h"

#include <windows.h>

#include <vector>

namespace velmo_app_test {

class WindowEvents
{
public:
    // Events arrive while this thread pumps messages (WaitUntil, Observe).
    WindowEvents(DWORD processId, DWORD event);
    ~WindowEvents();
    WindowEvents(const WindowEvents&) = delete;
    WindowEvents& operator=(const WindowEvents&) = delete;

    bool Hooked() const { return static_cast<bool>(m_hook); }
    bool Saw(HWND window) const;
    const std::vector<HWND>& Windows() const { return m_windows; }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                 LONG child, DWORD thread, DWORD time);

    UniqueHandle<HWINEVENTHOOK, &UnhookWinEvent> m_hook;
    std::vector<HWND> m_windows;
};

} // namespace velmo_app_test
