// From process start to the first tray icon: velmo.exe against minimalTray.exe.
#pragma once

namespace velmo_perf {

// Prints its part of the report; false when a run did not get its icon.
bool RunStartupBench(int runs);

} // namespace velmo_perf
