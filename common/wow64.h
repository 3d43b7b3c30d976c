#pragma once

#include <windows.h>

// True when this 32-bit process runs on 64-bit Windows. Asked once; the
// answer (false when the probe fails) holds for the life of the process.
bool IsRunningUnderWow64();

// Registry access rights for the native view of the applet's keys.
REGSAM NativeViewAccess(REGSAM access);
