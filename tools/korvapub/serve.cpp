#include "tools/korvapub/commands.h"

#include "tools/korvapub/report.h"

#include <cstdio>

namespace {

BOOL WINAPI OnConsoleControl(DWORD)
{
    SignalStop();
    return TRUE;
}

DWORD WINAPI DrainInput(void* input)
{
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
    SignalStop();
    return 0;
}

// A pipe on standard input belongs to whoever started the server: its closing
// means they have gone. A console is left alone (it has Ctrl-C, and reading it
// would take the user's typing), and so are NUL and files, which read as
// closed at once: `korvapub serve </dev/null &` runs until stopped.
// The system's error code, 0 when watching or when there is nothing to watch.
DWORD WatchStandardInput()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_PIPE)
        return 0;
    const UniqueKernelHandle watcher(CreateThread(nullptr, 0, &DrainInput, input, 0, nullptr));
    return watcher ? 0 : GetLastError();
}

} // namespace

int Serve(const Request& request)
{
    StatusSection section;
    if (const DWORD error = section.Create(request.size)) {
        if (error == ERROR_ALREADY_EXISTS)
            return Fail(kExitFailure, L"%ls already exists (is another `korvapub serve` running?)",
                        kSectionName);
        return Fail(kExitFailure, L"cannot create %ls (error %lu)", kSectionName, error);
    }
    section.Write(request.record);

    const UniqueKernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, kStopEventName));
    if (!stop)
        return Fail(kExitFailure, L"cannot create %ls (error %lu)", kStopEventName, GetLastError());
    // A stop that reached the previous server as it was leaving is not for us.
    ResetEvent(stop.Get());
    SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    if (const DWORD error = WatchStandardInput())
        return Fail(kExitFailure, L"cannot watch standard input (error %lu)", error);

    std::wprintf(L"korvapub: serving %ls (%lu bytes), status %ls\n", kSectionName,
                 static_cast<unsigned long>(request.size),
                 DescribeStatus(request.record.status).c_str());
    std::fflush(stdout);
    WaitForSingleObject(stop.Get(), INFINITE);
    return 0;
}
