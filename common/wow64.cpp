#include "common/wow64.h"

namespace {

// Zero at load and never reset: a failed probe is not repeated.
LONG g_probeDone = 0;
BOOL g_isWow64 = FALSE;

} // namespace

bool IsRunningUnderWow64()
{
    if (!g_probeDone) {
        g_probeDone = 1;
        // Looked up at run time: the function is missing on early systems.
        HMODULE kernel = LoadLibraryW(L"kernel32.dll");
        if (!kernel)
            return false;
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        // Through void* so the cast to the real signature is not a warning.
        auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
        const bool answered = isWow64Process && isWow64Process(GetCurrentProcess(), &g_isWow64);
        FreeLibrary(kernel);
        if (!answered) {
            g_isWow64 = FALSE;
            return false;
        }
    }
    return g_isWow64 != FALSE;
}

REGSAM NativeViewAccess(REGSAM access)
{
    return IsRunningUnderWow64() ? access | KEY_WOW64_64KEY : access;
}
