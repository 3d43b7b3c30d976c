#include "app/processSetup.h"

#include "common/systemFunction.h"

// Each is missing on some system the applet supports: Windows 7 without its
// update for the DLL search, XP for the restart.

void RestrictDllSearchToSystem()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto restrict =
            SystemFunction<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories"))
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void RegisterForRestart()
{
    using RegisterApplicationRestartFn = HRESULT(WINAPI*)(PCWSTR, DWORD);
    if (const auto registerRestart = SystemFunction<RegisterApplicationRestartFn>(
            L"kernel32.dll", "RegisterApplicationRestart"))
        // No arguments: the applet takes none.
        registerRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}
