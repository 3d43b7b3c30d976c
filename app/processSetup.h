// What the applet asks of the system for its process, before its window.
#pragma once

#include <windows.h>

// DLLs load from the system directory only, never from the exe's folder or
// the current directory, where a planted copy could wait.
void RestrictDllSearchToSystem();

// An installer that closes the applet through the restart manager to replace
// it may start it again afterwards; a crash or a hang does not restart it.
void RegisterForRestart();
