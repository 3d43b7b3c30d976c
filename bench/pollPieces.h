// The parts of the poll bench that take a poll apart: CPU in this process
// and in the wineserver, each call of a poll alone, and the applet's set-up.
#pragma once

#include "bench/pollBench.h"
#include "bench/stats.h"

class Ckorva2checkDlg;

namespace velmo_perf {

// Prints a table of CPU per call, this process and the wineserver, for
// `count` polls and `count` floor calls in a row.
void CpuSplit(const Stopwatch& clock, int count, Ckorva2checkDlg& dialog);

// Prints a table of each piece of a poll timed alone, against the floor.
void Breakdown(const Stopwatch& clock, const PollBenchOptions& options, Ckorva2checkDlg& dialog,
               double floorMedian);

// The applet's own set-up in this process, `count` times: the dialog
// constructed (configuration read) and created from its template, with
// OnInitDialog and the first poll; milliseconds.
Summary TimeDialogCreation(const Stopwatch& clock, int count);

} // namespace velmo_perf
