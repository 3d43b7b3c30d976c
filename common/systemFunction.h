// A function of an already loaded system DLL, looked up at run time: for the
// calls that some Windows the applet supports has not got. Null when absent.
#pragma once

#include <windows.h>

template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name)
{
    const HMODULE loaded = GetModuleHandleW(module);
    // Through void*: FARPROC and the real signature differ.
    return loaded ? reinterpret_cast<Function>(
                        reinterpret_cast<void*>(GetProcAddress(loaded, name)))
                  : nullptr;
}
