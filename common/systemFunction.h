// System DLLs and their functions, looked up at run time: for the calls that
// some Windows the applet supports has not got.
#pragma once

#include <windows.h>

#include <cwchar>

// A DLL from the system directory only, never from beside the exe. Windows 7
// without KB2533623 knows no LOAD_LIBRARY_SEARCH_SYSTEM32: there the full
// path does it.
inline HMODULE LoadSystemLibrary(const wchar_t* name)
{
    if (const HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + std::wcslen(name) >= MAX_PATH)
        return nullptr;
    path[length] = L'\\';
    std::wcscpy(path + length + 1, name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// A function of an already loaded system DLL; null when absent.
template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name)
{
    const HMODULE loaded = GetModuleHandleW(module);
    // Through void*: FARPROC and the real signature differ.
    return loaded ? reinterpret_cast<Function>(
                        reinterpret_cast<void*>(GetProcAddress(loaded, name)))
                  : nullptr;
}
