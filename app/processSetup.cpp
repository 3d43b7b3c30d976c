#include "app/processSetup.h"

namespace {

// Looked up at run time: each is missing on some system the applet supports
// (Windows 7 without its update for the DLL search, XP for the restart).
template <typename Function>
Function KernelFunction(const char* name)
{
    // Through void*: FARPROC and the real signature differ.
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

} // namespace

void RestrictDllSearchToSystem()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto restrict = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void RegisterForRestart()
{
    using RegisterApplicationRestartFn = HRESULT(WINAPI*)(PCWSTR, DWORD);
    if (const auto registerRestart =
            KernelFunction<RegisterApplicationRestartFn>("RegisterApplicationRestart"))
        // No arguments: the applet takes none.
        registerRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}
