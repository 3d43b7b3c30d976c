// The real velmo.exe as a process: its CPU time while idle at the default
// period, and its memory after start and after many polls.
#pragma once

namespace velmo_perf {

// CPU time of velmo.exe and minimalTray.exe over `seconds` of idling side by
// side, and what each holds after start.
bool RunIdleBench(int seconds);

// velmo.exe polling as fast as the timer allows until it has polled `polls`
// times; its memory, handles and GDI objects after start and at the end.
bool RunManyPollsBench(int polls);

} // namespace velmo_perf
