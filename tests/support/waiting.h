// Waiting on what another process or the system does, with this thread's
// messages dispatched meanwhile (WinEvent hooks, COM calls, windows of its own).
#pragma once

#include <windows.h>

#include <functional>

namespace velmo_test {

// How long a process may take to start and answer: 15 s, times
// VELMO_DEADLINE_SCALE where the program under test runs under an emulator.
DWORD DeadlineMs();

void PumpMessages();

// Polls `condition` every few milliseconds, pumping this thread's messages
// meanwhile, until it holds or `timeoutMs` has passed; gives its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = DeadlineMs());

// Pumps messages and calls `sample` every few milliseconds for `durationMs`.
void Observe(DWORD durationMs, const std::function<void()>& sample);

} // namespace velmo_test
