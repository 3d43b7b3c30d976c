// A hook DLL that Windows loads into the watched thread's process: every
// top-level window that really becomes visible there, however briefly, is
// written into the test's section.
#include "showWatchRecord.h"

#include <iterator>

namespace {

using velmo_app_test::ShowWatchRecord;

ShowWatchRecord* Record()
{
    static ShowWatchRecord* const record = []() -> ShowWatchRecord* {
        HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, velmo_app_test::kShowWatchSection);
        if (!section)
            return nullptr;
        void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(ShowWatchRecord));
        CloseHandle(section); // the view keeps the section alive
        return static_cast<ShowWatchRecord*>(view);
    }();
    return record;
}

void Report(HWND window)
{
    ShowWatchRecord* record = Record();
    if (!record)
        return;
    const LONG index = InterlockedIncrement(&record->shows) - 1;
    if (index < static_cast<LONG>(std::size(record->windows)))
        record->windows[index] = reinterpret_cast<std::uintptr_t>(window);
}

} // namespace

// WH_CALLWNDPROCRET: the flags after WM_WINDOWPOSCHANGING had its say.
extern "C" __declspec(dllexport) LRESULT CALLBACK ShowWatchProc(int code, WPARAM wParam,
                                                               LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (call->message == WM_WINDOWPOSCHANGED &&
            (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW) &&
            GetAncestor(call->hwnd, GA_PARENT) == GetDesktopWindow())
            Report(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
