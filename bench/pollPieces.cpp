#include "bench/pollPieces.h"

#include "bench/floorCalls.h"
#include "bench/report.h"
#include "bench/stdoutAside.h"
#include "bench/unixProcess.h"
#include "common/trace.h"
#include "res/resource.h"
#include "ui/velmoDlg.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmo_perf {

namespace {

struct Piece
{
    std::string what;
    std::function<void()> step;
    Samples samples;
    // The name under which its share of the floor goes to the summary, if any.
    const char* share = nullptr;
};

} // namespace

// Every piece alone, the pieces taking turns call by call as the poll and the
// floor do.
void Breakdown(const Stopwatch& clock, const PollBenchOptions& options, Ckorva2checkDlg& dialog,
               double floorMedian)
{
    const HWND statusControl = GetDlgItem(dialog.m_hWnd, IDC_STATUS_TEXT);
    const std::wstring text = Ckorva2checkDlg::LoadResString(IDS_STATUS_ENABLED);
    CVelmoConfig config;
    DWORD value = 0;
    std::vector<Piece> pieces = {
        {"section bare: OpenFileMappingW, MapViewOfFile 512 B, copy 8 + 4 B, UnmapViewOfFile, "
         "CloseHandle",
         [] { ReadSectionBare(); }, {}},
        {"section by the applet: IPCKorvaStatus Initialize, ReadStatus, Close",
         [] {
             IPCKorvaStatus reader;
             reader.Initialize(FILE_MAP_READ);
             reader.ReadStatus();
             reader.Close();
         },
         {}},
        {"registry read bare: RegOpenKeyExW, RegQueryValueExW, RegCloseKey",
         [&] { ReadUserValueBare(value); }, {}},
        {"registry write bare: RegCreateKeyExW, RegSetValueExW, RegCloseKey",
         [] { WriteUserValueBare(1); }, {}},
        {"registry by the applet: CVelmoConfig ReadUserDword + WriteUserDword",
         [&] {
             config.ReadUserDword(config.KorvaLastEnabledName, value);
             config.WriteUserDword(config.KorvaLastEnabledName, 1);
         },
         {}},
        {"status text as a poll sets it: LoadStringW, WM_SETTEXT to control 1004 (same text)",
         [&] {
             SendMessageW(statusControl, WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(
                              Ckorva2checkDlg::LoadResString(IDS_STATUS_ENABLED).c_str()));
         },
         {},
         "settext-share"},
        {"LoadResString alone", [] { Ckorva2checkDlg::LoadResString(IDS_STATUS_ENABLED); }, {}},
        {"SetDlgItemTextW (finds the control, then WM_SETTEXT; same text)",
         [&] { SetDlgItemTextW(dialog.m_hWnd, IDC_STATUS_TEXT, text.c_str()); }, {}},
        {"GetDlgItem alone", [&] { GetDlgItem(dialog.m_hWnd, IDC_STATUS_TEXT); }, {}},
        {"GetWindowTextW of control 1004 (what comparing before setting would cost)",
         [&] {
             wchar_t shown[260];
             GetWindowTextW(statusControl, shown, 260);
         },
         {}},
        {"trace call, tracing off, standard output on NUL",
         [] { VELMO_TRACE("Retrieved KorvaStatus: enabled"); }, {}, "trace-nul-share"},
    };
    std::vector<std::pair<const char*, std::string>> shares;
    Samples quietTrace;
    auto trace = [] { VELMO_TRACE("Retrieved KorvaStatus: enabled"); };
    Samples ignored;
    for (int call = -options.pieces / 10; call < options.pieces; ++call) {
        const bool timed = call >= 0;
        for (Piece& piece : pieces)
            TimeEach(clock, 1, timed ? piece.samples : ignored, piece.step);
        StdoutAside aside(StdoutAside::To::Nowhere);
        TimeEach(clock, 1, timed ? quietTrace : ignored, trace);
        ignored.clear();
    }
    TimingTableHead();
    for (Piece& piece : pieces) {
        const Summary summary = Summarize(std::move(piece.samples));
        TimingRow(piece.what, summary, floorMedian);
        if (piece.share)
            shares.emplace_back(piece.share, Fixed(100 * summary.median / floorMedian, 0));
    }
    TimingRow("trace call, tracing off, standard output closed", Summarize(std::move(quietTrace)),
              floorMedian);
    Print("\n");
    for (const auto& [name, percent] : shares)
        Value(name, percent);
}

// Under Wine the wineserver does the work of most system calls: a run of one
// kind of call between two readings of both processes' CPU time.
void CpuSplit(const Stopwatch& clock, int count, Ckorva2checkDlg& dialog)
{
    const std::optional<UnixProcess> self = UnixProcess::Find("bench.exe");
    const std::optional<UnixProcess> server = UnixProcess::Find("wineserver");
    if (!self || !server) {
        Paragraph("(The bench or the wineserver of this prefix was not found in /proc: no "
                  "CPU split.)");
        return;
    }
    Print("| %d calls of | wall µs per call | bench.exe CPU µs per call | wineserver CPU µs "
          "per call |\n|---|---:|---:|---:|\n",
          count);
    auto run = [&](const char* what, auto&& step) -> double {
        const std::optional<ULONGLONG> selfBefore = self->CpuNanoseconds();
        const std::optional<ULONGLONG> serverBefore = server->CpuNanoseconds();
        const LONGLONG start = clock.Now();
        for (int i = 0; i < count; ++i)
            step();
        const double wall = clock.MicrosecondsSince(start);
        const std::optional<ULONGLONG> selfAfter = self->CpuNanoseconds();
        const std::optional<ULONGLONG> serverAfter = server->CpuNanoseconds();
        if (!selfBefore || !serverBefore || !selfAfter || !serverAfter)
            return 0;
        auto perCall = [count](ULONGLONG from, ULONGLONG to) {
            return Fixed(static_cast<double>(to - from) / 1e3 / count, 1);
        };
        Print("| %s | %s | %s | %s |\n", what, Fixed(wall / count, 1).c_str(),
              perCall(*selfBefore, *selfAfter).c_str(),
              perCall(*serverBefore, *serverAfter).c_str());
        return static_cast<double>(*selfAfter - *selfBefore + *serverAfter - *serverBefore);
    };
    double pollCpu = 0;
    double pollFileCpu = 0;
    {
        StdoutAside aside(StdoutAside::To::Nowhere);
        pollCpu = run("poll (standard output closed)", [&] { dialog.PollStatus(); });
    }
    {
        // Each poll traces a few lines; with tracing off each is a line here.
        StdoutAside aside(StdoutAside::To::File);
        pollFileCpu = run("poll (standard output on a file)", [&] { dialog.PollStatus(); });
    }
    const double floorCpu = run("floor", [] { FloorOnce(); });
    Print("\n");
    if (pollCpu > 0 && floorCpu > 0) {
        Value("cpu-ratio", Fixed(pollCpu / floorCpu, 2));
        Value("cpu-file-ratio", Fixed(pollFileCpu / floorCpu, 2));
        Value("cpu-file-per-poll", Fixed(pollFileCpu / 1e3 / count, 0));
        Value("cpu-quiet-per-poll", Fixed(pollCpu / 1e3 / count, 0));
    }
}

Summary TimeDialogCreation(const Stopwatch& clock, int count)
{
    Samples samples;
    for (int i = 0; i < count; ++i) {
        const LONGLONG start = clock.Now();
        auto dialog = std::make_unique<Ckorva2checkDlg>();
        dialog->Create();
        samples.push_back(clock.MicrosecondsSince(start) / 1000.0);
        dialog.reset();
    }
    return Summarize(std::move(samples));
}

} // namespace velmo_perf
