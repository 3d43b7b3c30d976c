#include "bench/processBench.h"

#include "bench/appletSettings.h"
#include "bench/cpuMeter.h"
#include "bench/report.h"
#include "support/processProbe.h"
#include "support/publisher.h"
#include "support/trayIcons.h"
#include "bench/trayProgram.h"
#include "support/testSupport.h"
#include "support/traceTexts.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

namespace velmo_perf {

namespace traced = velmo_test::traced;

using velmo_test::Publisher;
using velmo_test::Snapshot;

namespace {

constexpr DWORD kDefaultPeriodMs = 10000;

bool Failed(const std::string& why)
{
    Paragraph("**Failed:** " + why);
    return false;
}

void SnapshotHead()
{
    Print("| process, moment | private bytes (PagefileUsage) | working set | handles | "
                "GDI objects | windows |\n");
    Print("|---|---:|---:|---:|---:|---:|\n");
}

void SnapshotRow(const std::string& what, const Snapshot& snapshot)
{
    Print("| %s | %s | %s | %ld | %ld | %ld |\n", what.c_str(),
                Mebibytes(static_cast<double>(snapshot.memory.privateBytes)).c_str(),
                Mebibytes(static_cast<double>(snapshot.memory.workingSet)).c_str(),
                snapshot.handles, snapshot.gdiObjects, snapshot.windows);
}

void SnapshotValues(const std::string& prefix, const Snapshot& snapshot)
{
    constexpr double kMib = 1024.0 * 1024.0;
    Value(prefix + "-private", Fixed(static_cast<double>(snapshot.memory.privateBytes) / kMib, 2));
    Value(prefix + "-ws", Fixed(static_cast<double>(snapshot.memory.workingSet) / kMib, 1));
    Value(prefix + "-handles", std::to_string(snapshot.handles));
    Value(prefix + "-gdi", std::to_string(snapshot.gdiObjects));
}

long PollsTraced(const velmo_test::LogCursor& log)
{
    const std::vector<std::string> entries = log.Entries();
    return static_cast<long>(
        std::count(entries.begin(), entries.end(), traced::kEnabled));
}

} // namespace

bool RunIdleBench(int seconds)
{
    Heading("CPU time while idle, and memory after start");
    PrefixSettings settings;
    QuietApplet(settings, false);
    Publisher publisher(L"--status enabled");
    if (!publisher.Ready())
        return Failed("korvapub serve did not make Global\\KorvaStatus.");
    const long baseline = velmo_test::TrayIcons();
    TrayProgram velmo(VelmoKind());
    if (velmo.WaitForTrayIcons(baseline + 1) < 0)
        return Failed("velmo.exe showed no tray icon.");
    TrayProgram minimal(MinimalTrayKind());
    if (minimal.WaitForTrayIcons(baseline + 2) < 0)
        return Failed("minimalTray.exe showed no tray icon.");
    // Let both finish starting before the clock runs.
    Sleep(2000);

    const ProcessProbe velmoProbe(velmo.Id());
    const ProcessProbe minimalProbe(minimal.Id());
    const Snapshot velmoStart = velmoProbe.Take();
    const Snapshot minimalStart = minimalProbe.Take();
    CpuMeter meters[] = {{"velmo.exe", &velmoProbe},
                         {"minimalTray.exe", &minimalProbe},
                         {"wineserver", nullptr}};
    for (CpuMeter& meter : meters)
        meter.Start();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    for (CpuMeter& meter : meters)
        meter.Stop();

    const double polls = seconds * 1000.0 / kDefaultPeriodMs;
    Paragraph("velmo.exe at the default period (10 s, so " + Fixed(polls, 0) + " polls in " +
              std::to_string(seconds) + " s), tracing off, status steady enabled, window "
              "hidden; minimalTray.exe idling beside it over the same interval, and the "
              "prefix's wineserver, which serves them both (and explorer, korvapub and the "
              "bench). Wine answers 0 to `GetProcessTimes` for another process; "
              "`GetThreadTimes` works but counts in 10 ms ticks, so the first column is the "
              "Linux scheduler's count (/proc/<pid>/task/*/schedstat, nanoseconds) of the "
              "process found by name and WINEPREFIX.");
    Print("| process | CPU over %d s (schedstat) | GetThreadTimes | divided by the polls |\n"
          "|---|---:|---:|---:|\n",
          seconds);
    meters[0].Row(polls);
    meters[1].Row(0);
    meters[2].Row(0);
    Print("\n");
    if (const std::optional<double> cpu = meters[0].Nanoseconds()) {
        Value("idle-cpu", Fixed(*cpu / 1e6, 1));
        Value("idle-per-poll", Fixed(*cpu / 1e3 / polls, 0));
    }
    Paragraph("What each holds 2 s after its icon appeared. Under Wine, PagefileUsage is the "
              "process's resident anonymous memory plus swap (from /proc), not the commit "
              "charge Windows reports; GDI objects are counted in the process's own GDI handle "
              "table (Wine answers 0 to `GetGuiResources`); windows are its top-level and "
              "child windows.");
    SnapshotHead();
    SnapshotRow("velmo.exe after start", velmoStart);
    SnapshotRow("minimalTray.exe after start", minimalStart);
    Print("\n");
    SnapshotValues("start", velmoStart);
    SnapshotValues("minimal", minimalStart);
    return true;
}

bool RunManyPollsBench(int polls)
{
    Heading("Memory after " + std::to_string(polls) + " polls");
    PrefixSettings settings;
    // Tracing on only to count the polls, and the shortest period there is.
    QuietApplet(settings, true, 1);
    const velmo_test::LogSetAside logAside;
    if (!logAside.Usable())
        return Failed("the trace log could not be set aside.");
    const velmo_test::LogCursor log;
    Publisher publisher(L"--status enabled");
    if (!publisher.Ready())
        return Failed("korvapub serve did not make Global\\KorvaStatus.");

    const long baseline = velmo_test::TrayIcons();
    const Stopwatch clock;
    TrayProgram velmo(VelmoKind());
    if (velmo.WaitForTrayIcons(baseline + 1) < 0)
        return Failed("velmo.exe showed no tray icon.");
    // Past the rest of its start (the logo is loaded after the first poll).
    Sleep(1000);
    const ProcessProbe probe(velmo.Id());
    const Snapshot start = probe.Take();
    const long startPolls = PollsTraced(log);
    const LONGLONG started = clock.Now();

    // The timer fires as fast as Wine allows a 1 ms period; 60 ms a poll is
    // far slower than that.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(polls) * 60 + 60000;
    long done = startPolls;
    while ((done = PollsTraced(log)) < polls && GetTickCount64() < deadline && velmo.Running())
        Sleep(1000);
    const bool reached = done >= polls;
    const double seconds = clock.MicrosecondsSince(started) / 1e6;
    const Snapshot end = probe.Take();
    if (!reached)
        return Failed("velmo.exe made only " + std::to_string(done) + " polls.");

    Paragraph("velmo.exe with `CheckKorvaStatusTimeout`=1 (Wine's timer then fires about every " +
              Fixed(seconds * 1000.0 / static_cast<double>(done - startPolls), 1) +
              " ms), status steady enabled, tracing on to count the polls (each poll traces "
              "\"Retrieved KorvaStatus: enabled\"; the prefix's log is set aside meanwhile). "
              "Measured on the real process from outside; \"after start\" is taken 1 s after its "
              "icon appeared (" + std::to_string(startPolls) + " polls done), the end after " +
              std::to_string(done) + " polls.");
    SnapshotHead();
    SnapshotRow("velmo.exe after start", start);
    SnapshotRow("velmo.exe after " + std::to_string(done) + " polls", end);
    Print("\n");
    Value("many-polls", std::to_string(done));
    SnapshotValues("many-start", start);
    SnapshotValues("many-end", end);
    return true;
}

} // namespace velmo_perf
