#include "app/velmo.h"

#include "app/processSetup.h"

#include "common/trace.h"
#include "res/resource.h"
#include "ui/velmoDlg.h"

#include <commctrl.h>

#include <cstdlib>

namespace {

const wchar_t kInstanceMutexName[] = L"VELMO2-MUTEX-{4F1D27A3-8C62-4b0e-A57D-19E3C06B82F4}";

// Brings the first instance's window back when it is minimized; a window
// that is open, or was never shown, is left alone.
void FrontFirstInstance()
{
    wchar_t title[260] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_WINDOW_CAPTION, title, 260);
    HWND window = FindWindowW(nullptr, title);
    if (window && IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    }
}

} // namespace

Ckorva2checkApp theApp;

// Defined after the application object so that, at exit, the log goes first.
const int g_logDisposal = std::atexit(DisposeVelmoLog);

HANDLE AcquireInstanceMutex(std::wstring name)
{
    const HANDLE anotherInstance = reinterpret_cast<HANDLE>(-1);
    // The handle is never closed: the mutex lives as long as this process.
    if (OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()))
        return anotherInstance;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    // Two starts at the same instant can both miss the open above. And an
    // instance run as administrator grants this user too little to open its
    // mutex or create one of that name: the name is taken all the same.
    if ((mutex && GetLastError() == ERROR_ALREADY_EXISTS) ||
        (!mutex && GetLastError() == ERROR_ACCESS_DENIED))
        return anotherInstance;
    return mutex;
}

BOOL Ckorva2checkApp::InitInstance()
{
    RestrictDllSearchToSystem();
    if (CVelmoLog* log = CVelmoLog::Instance())
        log->Open();

    if (AcquireInstanceMutex(kInstanceMutexName) == reinterpret_cast<HANDLE>(-1)) {
        VELMO_TRACE("velmo.exe is already running");
        FrontFirstInstance();
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    RegisterForRestart();

    {
        Ckorva2checkDlg dialog;
        dialog.DoModal();
    }
    return FALSE;
}
