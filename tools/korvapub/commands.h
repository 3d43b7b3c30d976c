// The commands of korvapub; each gives the process's exit code.
#pragma once

#include "tools/korvapub/arguments.h"

int Serve(const Request& request);
int Set(const Request& request);
int Get();
int Stop();

// Asks a running server to end; the system's error code, 0 when delivered.
DWORD SignalStop();
