// The system calls one poll cannot do without, made bare: the floor a poll is
// compared with.
#pragma once

#include <windows.h>

namespace velmo_perf {

// Opens Global\KorvaStatus, maps 512 bytes, copies the 8-byte header and the
// 4-byte status out, unmaps and closes. The status, or -1 when it failed.
LONG ReadSectionBare();

// KorvaLastEnabled of the current user: RegOpenKeyExW, RegQueryValueExW,
// RegCloseKey; and RegCreateKeyExW, RegSetValueExW, RegCloseKey.
bool ReadUserValueBare(DWORD& value);
bool WriteUserValueBare(DWORD value);

// All of them, in the order a poll of a steady "enabled" makes them.
bool FloorOnce();

} // namespace velmo_perf
