#pragma once

#include "common/uniqueHandle.h"

#include <windows.h>

// A kernel object handle (file, process, thread, event, section).
using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;
// A mapped view of a section.
using UniqueMappedView = UniqueHandle<void*, &UnmapViewOfFile>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
inline HANDLE FileHandle(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}
