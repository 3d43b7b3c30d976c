#include "windowEvents.h"

#include <algorithm>

namespace velmo_app_test {

namespace {

// The hook procedure gets no context pointer: map hooks to their recorders.
std::vector<std::pair<HWINEVENTHOOK, WindowEvents*>>& Recorders()
{
    static std::vector<std::pair<HWINEVENTHOOK, WindowEvents*>> recorders;
    return recorders;
}

} // namespace

WindowEvents::WindowEvents(DWORD processId, DWORD event)
    : m_hook(SetWinEventHook(event, event, nullptr, &OnEvent, processId, 0,
                             WINEVENT_OUTOFCONTEXT))
{
    if (m_hook)
        Recorders().emplace_back(m_hook.Get(), this);
}

WindowEvents::~WindowEvents()
{
    auto& recorders = Recorders();
    recorders.erase(std::remove_if(recorders.begin(), recorders.end(),
                                   [this](const auto& entry) { return entry.second == this; }),
                    recorders.end());
}

bool WindowEvents::Saw(HWND window) const
{
    return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
}

void CALLBACK WindowEvents::OnEvent(HWINEVENTHOOK hook, DWORD, HWND window, LONG object,
                                    LONG child, DWORD, DWORD)
{
    if (object != OBJID_WINDOW || child != CHILDID_SELF)
        return;
    for (const auto& [recorderHook, recorder] : Recorders())
        if (recorderHook == hook)
            recorder->m_windows.push_back(window);
}

} // namespace velmo_app_test
