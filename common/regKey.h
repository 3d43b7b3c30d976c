#pragma once

#include "common/uniqueHandle.h"

#include <windows.h>

// An open registry key, closed when it goes out of scope.
using UniqueRegKey = UniqueHandle<HKEY, &RegCloseKey>;
