// A memory copy that survives its source going bad underneath it.
#pragma once

#include <cstddef>

// Copies `length` bytes; false when reading or writing them raised an
// exception (an access violation, an in-page error), true otherwise. Bytes
// copied before the fault stay in `destination`.
bool GuardedCopy(void* destination, const void* source, std::size_t length);
