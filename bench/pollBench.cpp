#include "bench/pollBench.h"

#include "bench/floorCalls.h"
#include "bench/pollPieces.h"
#include "bench/report.h"
#include "bench/stdoutAside.h"
#include "common/trace.h"
#include "res/resource.h"
#include "support/fakeShell.h"
#include "support/publisher.h"
#include "support/testSupport.h"
#include "ui/velmoDlg.h"

#include <commctrl.h>

#include <memory>
#include <vector>

namespace velmo_perf {

using velmo_test::FakeShell;
using velmo_test::Publisher;

namespace {

bool Holds(bool condition, const std::string& what)
{
    if (!condition)
        Paragraph("**Set-up failed, figures withheld:** " + what);
    return condition;
}

std::wstring ControlText(HWND dialog, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

// The applet's registry for this process: tracing off, a user who has seen
// "enabled" before and does not want the start pop-up, so a steady "enabled"
// never shows the window.
struct QuietRegistry
{
    QuietRegistry()
    {
        velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 0);
        velmo_test::SetQuietUser();
    }
    velmo_test::ScratchRegistry scratch;
};

struct Comparison
{
    Samples pollQuiet; // standard output closed
    Samples pollNul;   // standard output on NUL
    Samples floor;
    int failedPolls = 0;
    int failedFloors = 0;
};

// The three series take turns call by call, so that a change of load on the
// machine reaches all of them alike, and the i-th calls of each can be paired.
Comparison Compare(const Stopwatch& clock, const PollBenchOptions& options,
                   Ckorva2checkDlg& dialog)
{
    Comparison result;
    auto poll = [&] { result.failedPolls += !dialog.PollStatus(); };
    auto floor = [&] { result.failedFloors += !FloorOnce(); };
    Samples ignored;
    for (int call = -options.warmUp; call < options.polls; ++call) {
        const bool timed = call >= 0;
        {
            StdoutAside aside(StdoutAside::To::Nowhere);
            TimeEach(clock, 1, timed ? result.pollQuiet : ignored, poll);
        }
        TimeEach(clock, 1, timed ? result.pollNul : ignored, poll);
        TimeEach(clock, 1, timed ? result.floor : ignored, floor);
        ignored.clear();
    }
    return result;
}

Samples Differences(const Samples& minuends, const Samples& subtrahends)
{
    Samples differences;
    for (std::size_t i = 0; i < minuends.size() && i < subtrahends.size(); ++i)
        differences.push_back(minuends[i] - subtrahends[i]);
    return differences;
}

} // namespace

bool RunPollBench(const PollBenchOptions& options)
{
    Heading("Cost of one poll");
    QuietRegistry registry;
    // Open as at the applet's start, and closed again, so that the other
    // parts of the bench can move the file.
    struct OpenLog
    {
        OpenLog() { CVelmoLog::Instance()->Open(); }
        ~OpenLog() { DisposeVelmoLog(); }
    } log;
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);

    Publisher publisher(L"--status enabled");
    if (!Holds(publisher.Ready(), "korvapub serve did not make Global\\KorvaStatus"))
        return false;
    FakeShell shell;
    const Stopwatch clock;
    const Summary creation = TimeDialogCreation(clock, 20);
    shell.trayCalls.clear();
    auto dialog = std::make_unique<Ckorva2checkDlg>();
    if (!Holds(dialog->Create(), "the dialog could not be created"))
        return false;
    KillTimer(dialog->m_hWnd, 1);

    const Comparison result = Compare(clock, options, *dialog);

    // The polls must have done what a steady "enabled" does, or nothing was measured.
    const std::wstring enabledText = Ckorva2checkDlg::LoadResString(IDS_STATUS_ENABLED);
    DWORD lastEnabled = 0;
    const bool setUpHeld =
        Holds(result.failedPolls == 0, "a poll failed") &&
        Holds(result.failedFloors == 0, "a floor call failed") &&
        Holds(!enabledText.empty() && ControlText(dialog->m_hWnd, IDC_STATUS_TEXT) == enabledText,
              "the status text is not the 'enabled' text") &&
        Holds(shell.Count(NIM_ADD) == 1 && shell.Count(NIM_MODIFY) == 0,
              "the tray icon was not added once and left alone") &&
        Holds(shell.boxes.empty(), "a message box was shown") &&
        Holds(ReadUserValueBare(lastEnabled) && lastEnabled == 1,
              "KorvaLastEnabled is not 1");
    if (!setUpHeld)
        return false;

    const Summary floor = Summarize(result.floor);
    Paragraph("The applet's own `Ckorva2checkDlg::PollStatus`, in this process, on the dialog "
              "made from its template (hidden, timer stopped), with `Global\\KorvaStatus` "
              "served by `korvapub serve --status enabled` (status **steady enabled**: every "
              "poll reads 1, reads and writes `KorvaLastEnabled`, sets the status text and "
              "leaves the tray icon alone), tracing off (`TRACE`=0), the tray and the message "
              "box replaced by a counting stand-in. HKLM and HKCU are redirected to scratch keys "
              "of the real registry (`RegOverridePredefKey`). The three series take turns call "
              "by call after " + std::to_string(options.warmUp) + " untimed rounds; each call "
              "is timed alone with QueryPerformanceCounter. The paired rows take the i-th poll "
              "minus the i-th floor call, made a moment apart.");
    TimingTableHead();
    TimingRow("floor: the same system calls bare", floor, floor.median);
    TimingRow("poll, standard output closed (a windowed process without console)",
              Summarize(result.pollQuiet), floor.median);
    TimingRow("poll, standard output on NUL", Summarize(result.pollNul), floor.median);
    TimingRow("paired: poll (output closed) minus floor",
              Summarize(Differences(result.pollQuiet, result.floor)));
    TimingRow("paired: poll (output on NUL) minus floor",
              Summarize(Differences(result.pollNul, result.floor)));
    Print("\n");
    Value("poll-ratio", Fixed(Summarize(result.pollQuiet).median / floor.median, 2));
    Value("poll-nul-ratio", Fixed(Summarize(result.pollNul).median / floor.median, 2));

    Heading("Where a poll's time goes");
    Paragraph("Most of a system call's work under Wine is done by the wineserver process. "
              "CPU time from the Linux scheduler (/proc/<pid>/task/*/schedstat), over " +
              std::to_string(options.pieces) + " calls in a row of each kind:");
    CpuSplit(clock, options.pieces, *dialog);
    Paragraph("Each piece alone, " + std::to_string(options.pieces) + " timed calls after " +
              std::to_string(options.pieces / 10) + " untimed rounds, the pieces taking turns "
              "call by call; the ratio column is against the floor's median above.");
    Breakdown(clock, options, *dialog, floor.median);
    Print("\n");
    Paragraph("The applet's own start in this process, for comparison with the start-up "
              "figures below: `Ckorva2checkDlg` constructed (configuration read) and "
              "`Create()` (the dialog from its template, `OnInitDialog` with the first poll "
              "and the tray add through the stand-in), " + std::to_string(creation.count) +
              " times: median " + Fixed(creation.median, 2) + " ms, p10 " +
              Fixed(creation.p10, 2) + " ms, p90 " + Fixed(creation.p90, 2) + " ms.");
    Value("creation-ms", Fixed(creation.median, 0));
    return true;
}

} // namespace velmo_perf
