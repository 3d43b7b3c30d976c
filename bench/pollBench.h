// One poll of the applet's own dialog, run in this process on a real section
// and the real registry (redirected to scratch keys), against the floor: the
// same system calls made bare.
#pragma once

namespace velmo_perf {

struct PollBenchOptions
{
    int polls = 20000;  // timed polls in each series
    int warmUp = 1000;  // untimed rounds, before
    int pieces = 5000;  // timed calls of each piece of the breakdown
};

// Prints its part of the report; false when the set-up did not hold, so
// that the figures would mean nothing.
bool RunPollBench(const PollBenchOptions& options);

} // namespace velmo_perf
