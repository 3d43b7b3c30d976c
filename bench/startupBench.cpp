#include "bench/startupBench.h"

#include "bench/appletSettings.h"
#include "bench/report.h"
#include "support/publisher.h"
#include "support/trayIcons.h"
#include "bench/trayProgram.h"

#include <cstdio>
#include <iterator>
#include <vector>

namespace velmo_perf {

using velmo_test::Publisher;

namespace {

// One start: milliseconds to the icon, or negative when it never came.
double TimeOneStart(const TrayProgramKind& kind, ChildProcess::Output output, long baseline)
{
    double elapsed = -1;
    {
        TrayProgram program(kind, output);
        if (program.Started())
            elapsed = program.WaitForTrayIcons(baseline + 1);
        program.Close();
    }
    // A closed program takes its icon with it; the next start must not see it.
    if (!WaitForTrayToShow(baseline))
        return -1;
    return elapsed;
}

// `runs` starts of each kind, taking turns, as a table; the ratios of the
// third, velmo, to the toy dialog under `valueName`, and of a fourth, another
// velmo build, under `valueName`-before. False when a start failed.
bool CompareStarts(const std::vector<TrayProgramKind>& kinds, ChildProcess::Output output,
                   int runs, long baseline, const std::string& valueName)
{
    const int kKinds = static_cast<int>(kinds.size());
    // One untimed start of each: the first start of an exe reads it from disk.
    for (const TrayProgramKind& kind : kinds)
        TimeOneStart(kind, output, baseline);

    std::vector<std::vector<double>> times(kinds.size());
    for (int run = 0; run < runs; ++run) {
        // Rotating order, so that none always follows the same one.
        for (int turn = 0; turn < kKinds; ++turn) {
            const int which = (run + turn) % kKinds;
            const double elapsed = TimeOneStart(kinds[which], output, baseline);
            if (elapsed < 0) {
                Paragraph("**Failed:** " + kinds[which].name +
                          " showed no tray icon within 30 s, or kept it after closing.");
                return false;
            }
            times[which].push_back(elapsed);
        }
    }
    const Summary toy = Summarize(times[1]);
    Print("| program | n | median ms | p10 ms | p90 ms | MAD ms | median / toyDialog |\n");
    Print("|---|---:|---:|---:|---:|---:|---:|\n");
    for (int which = 0; which < kKinds; ++which) {
        const Summary summary = Summarize(times[which]);
        Print("| %s | %zu | %s | %s | %s | %s | %s |\n", kinds[which].name.c_str(), summary.count,
              Fixed(summary.median).c_str(), Fixed(summary.p10).c_str(), Fixed(summary.p90).c_str(),
              Fixed(summary.mad).c_str(), Fixed(summary.median / toy.median, 2).c_str());
    }
    Print("\n");
    const Summary velmo = Summarize(times[2]);
    Value(valueName, Fixed(velmo.median / toy.median, 2));
    Value(valueName + "-minimal", Fixed(velmo.median / Summarize(times[0]).median, 2));
    Value(valueName + "-velmo", Fixed(velmo.median, 0));
    Value(valueName + "-toy", Fixed(toy.median, 0));
    if (kKinds > 3)
        Value(valueName + "-before", Fixed(Summarize(times[3]).median / toy.median, 2));
    return true;
}

} // namespace

bool RunStartupBench(int runs)
{
    Heading("Start-up: process start to the first tray icon");
    PrefixSettings settings;
    QuietApplet(settings, false);
    Publisher publisher(L"--status enabled");
    if (!publisher.Ready()) {
        Paragraph("**Set-up failed:** korvapub serve did not make Global\\KorvaStatus.");
        return false;
    }
    const long baseline = velmo_test::TrayIcons();
    std::vector<TrayProgramKind> kinds = {MinimalTrayKind(), ToyDialogKind(), VelmoKind()};
    TrayProgramKind before;
    if (VelmoBeforeKind(before))
        kinds.push_back(before);

    Paragraph("From just before `CreateProcessW` in the bench to the moment Wine's tray shows "
              "one icon more than before: explorer makes a child window of class "
              "`__winex11_tray_icon` in its standalone tray window while the program's "
              "`Shell_NotifyIconW(NIM_ADD)` is still waiting for it, and the bench looks for "
              "it every millisecond. minimalTray.exe makes one plain window and adds one icon; "
              "toyDialog.exe creates velmo's own dialog template, hidden, with its resources "
              "and manifest, and adds one icon at WM_INITDIALOG. Each program is closed with "
              "WM_CLOSE after its run, and the next start waits until its icon is gone. "
              "velmo.exe runs with tracing off (so each of its trace calls prints a line on "
              "standard output), the status served as enabled, and a user who wants no start "
              "pop-up. " + std::to_string(runs) + " starts of each, taking turns, after one "
              "untimed start of each. Figures in milliseconds.");
    Paragraph("**Without standard handles**, as a logon starts a windowed program: a line "
              "written to standard output fails at once.");
    if (!CompareStarts(kinds, ChildProcess::Output::None, runs, baseline, "startup-ratio"))
        return false;
    Paragraph("**Standard output and error on NUL**: under Wine each line written there "
              "costs a few hundred microseconds, on Windows next to nothing.");
    return CompareStarts(kinds, ChildProcess::Output::Nul, runs, baseline, "startup-nul-ratio");
}

} // namespace velmo_perf
