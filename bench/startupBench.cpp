#include "bench/startupBench.h"

#include "bench/appletSettings.h"
#include "bench/report.h"
#include "bench/support/publisher.h"
#include "bench/support/trayIcons.h"
#include "bench/trayProgram.h"

#include <cstdio>
#include <vector>

namespace velmo_perf {

namespace {

// One start: milliseconds to the icon, or negative when it never came.
double TimeOneStart(const TrayProgramKind& kind, long baseline)
{
    double elapsed = -1;
    {
        TrayProgram program(kind);
        if (program.Started())
            elapsed = program.WaitForTrayIcons(baseline + 1);
        program.Close();
    }
    // A closed program takes its icon with it; the next start must not see it.
    if (!WaitForTrayToShow(baseline))
        return -1;
    return elapsed;
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
    const long baseline = TrayIcons();
    const TrayProgramKind kinds[2] = {MinimalTrayKind(), VelmoKind()};

    // One untimed start of each: the first start of an exe reads it from disk.
    for (const TrayProgramKind& kind : kinds)
        TimeOneStart(kind, baseline);

    std::vector<double> times[2];
    for (int run = 0; run < runs; ++run) {
        // Alternating order, so that neither always follows the other.
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (run + turn) % 2;
            const double elapsed = TimeOneStart(kinds[which], baseline);
            if (elapsed < 0) {
                Paragraph("**Failed:** " + kinds[which].name +
                          " showed no tray icon within 30 s, or kept it after closing.");
                return false;
            }
            times[which].push_back(elapsed);
        }
    }

    const Summary minimal = Summarize(times[0]);
    const Summary velmo = Summarize(times[1]);
    Paragraph("From just before `CreateProcessW` in the bench to the moment Wine's tray shows "
              "one icon more than before: explorer makes a child window of class "
              "`__winex11_tray_icon` in its standalone tray window while the program's "
              "`Shell_NotifyIconW(NIM_ADD)` is still waiting for it, and the bench looks for "
              "it every millisecond. Both programs are started the same way (standard handles "
              "on NUL), closed with WM_CLOSE after each run, and the next start waits until "
              "their icon is gone. velmo.exe runs with tracing off, the status served as "
              "enabled, and a user who wants no start pop-up. " +
              std::to_string(runs) + " starts of each, taking turns, after one untimed "
              "start of each. Figures in milliseconds.");
    Print("| program | n | median ms | p10 ms | p90 ms | MAD ms | median / minimalTray |\n");
    Print("|---|---:|---:|---:|---:|---:|---:|\n");
    auto row = [&](const char* name, const Summary& summary) {
        Print("| %s | %zu | %s | %s | %s | %s | %s |\n", name, summary.count,
                    Fixed(summary.median).c_str(), Fixed(summary.p10).c_str(),
                    Fixed(summary.p90).c_str(), Fixed(summary.mad).c_str(),
                    Fixed(summary.median / minimal.median, 2).c_str());
    };
    row("minimalTray.exe", minimal);
    row("velmo.exe", velmo);
    Print("\n");
    Value("startup-ratio", Fixed(velmo.median / minimal.median, 2));
    Value("startup-velmo", Fixed(velmo.median, 0));
    Value("startup-minimal", Fixed(minimal.median, 0));
    return true;
}

} // namespace velmo_perf
