// bench.exe: the applet's costs measured in one run, printed as Markdown.
//   bench.exe [--polls N] [--pieces N] [--startup-runs N]
//             [--idle-seconds N] [--many-polls N] [--skip poll,startup,idle,polls]
//   bench.exe --soak-report FILE     (the soak's figures, written up)
#include "bench/pollBench.h"
#include "bench/processBench.h"
#include "bench/report.h"
#include "bench/soakReport.h"
#include "bench/startupBench.h"
#include "bench/stdoutAside.h"
#include "support/trayIcons.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>

namespace {

struct Options
{
    velmo_perf::PollBenchOptions poll;
    int startupRuns = 15;
    int idleSeconds = 60;
    int manyPolls = 10000;
    std::wstring skip;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const wchar_t* value = argv[i + 1];
        const int number = static_cast<int>(std::wcstol(value, nullptr, 10));
        if (name == L"--skip") {
            options.skip = value;
            continue;
        }
        int* target = name == L"--polls"          ? &options.poll.polls
                      : name == L"--pieces"       ? &options.poll.pieces
                      : name == L"--startup-runs" ? &options.startupRuns
                      : name == L"--idle-seconds" ? &options.idleSeconds
                      : name == L"--many-polls"   ? &options.manyPolls
                                                  : nullptr;
        if (!target || number <= 0) {
            std::fwprintf(stderr, L"bench: bad option %ls %ls\n", name.c_str(), value);
            return false;
        }
        *target = number;
    }
    if (argc % 2 == 0) {
        std::fwprintf(stderr, L"bench: option %ls has no value\n", argv[argc - 1]);
        return false;
    }
    options.poll.warmUp = std::min(options.poll.warmUp, options.poll.polls);
    return true;
}

bool Wanted(const Options& options, const std::wstring& part)
{
    return (L"," + options.skip + L",").find(L"," + part + L",") == std::wstring::npos;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wstring(argv[1]) == L"--soak-report") {
        const std::optional<velmo_test::SoakFigures> figures = velmo_test::ReadSoakFigures(argv[2]);
        if (!figures || !velmo_perf::OpenReport()) {
            std::fwprintf(stderr, L"bench: no soak figures in %ls\n", argv[2]);
            return 2;
        }
        velmo_perf::Print("%s", velmo_perf::SoakMarkdown(*figures).c_str());
        return 0;
    }
    Options options;
    if (!ParseOptions(argc, argv, options) || !velmo_perf::OpenReport())
        return 2;
    // What the applet's code prints in this process is not part of the report.
    const velmo_perf::StdoutAside appletOutput(velmo_perf::StdoutAside::To::Nul);
    if (velmo_test::TrayIcons() != 0)
        velmo_perf::Print("Note: the tray already shows %ld icons of other programs.\n\n",
                          velmo_test::TrayIcons());
    bool ok = true;
    // First: the trace switch of this process is settled by the first trace,
    // which must see the poll bench's registry.
    if (Wanted(options, L"poll"))
        ok &= velmo_perf::RunPollBench(options.poll);
    if (Wanted(options, L"startup"))
        ok &= velmo_perf::RunStartupBench(options.startupRuns);
    if (Wanted(options, L"idle"))
        ok &= velmo_perf::RunIdleBench(options.idleSeconds);
    if (Wanted(options, L"polls"))
        ok &= velmo_perf::RunManyPollsBench(options.manyPolls);
    return ok ? 0 : 1;
}
