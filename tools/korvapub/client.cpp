#include "tools/korvapub/commands.h"

#include "tools/korvapub/report.h"

#include <cstdio>

namespace {

// 0, or the exit code after saying why the live section could not be opened.
int OpenLiveSection(DWORD access, StatusSection& section)
{
    const DWORD error = section.Open(access);
    if (error == ERROR_FILE_NOT_FOUND)
        return Fail(kExitFailure, L"%ls does not exist (is `korvapub serve` running?)",
                    kSectionName);
    if (error)
        return Fail(kExitFailure, L"cannot open %ls (error %lu)", kSectionName, error);
    return 0;
}

} // namespace

int Set(const Request& request)
{
    StatusSection section;
    if (const int failure = OpenLiveSection(FILE_MAP_WRITE, section))
        return failure;
    section.Write(request.record);
    return 0;
}

int Get()
{
    StatusSection section;
    if (const int failure = OpenLiveSection(FILE_MAP_READ, section))
        return failure;
    const StatusRecord record = section.Read();
    std::wprintf(L"header=%lu length=%lu status=%ls\n", static_cast<unsigned long>(record.header),
                 static_cast<unsigned long>(record.length), DescribeStatus(record.status).c_str());
    return 0;
}

DWORD SignalStop()
{
    const UniqueKernelHandle stop(OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEventName));
    if (!stop || !SetEvent(stop.Get()))
        return GetLastError();
    return 0;
}

int Stop()
{
    const DWORD error = SignalStop();
    if (error == ERROR_FILE_NOT_FOUND)
        return Fail(kExitFailure, L"no server is running (%ls does not exist)", kStopEventName);
    if (error)
        return Fail(kExitFailure, L"cannot signal %ls (error %lu)", kStopEventName, error);
    return 0;
}
