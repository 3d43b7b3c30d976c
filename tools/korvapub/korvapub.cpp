// korvapub: publishes a Korva status the way the companion service does, so
// the applet can be run and tested without it.
#include "tools/korvapub/commands.h"
#include "tools/korvapub/report.h"

int wmain(int argc, wchar_t** argv)
{
    Request request;
    if (!ParseArguments(argc, argv, request))
        return kExitUsage;
    switch (request.command) {
    case Command::Serve:
        return Serve(request);
    case Command::Set:
        return Set(request);
    case Command::Get:
        return Get();
    case Command::Stop:
        return Stop();
    case Command::Help:
        break;
    }
    PrintUsage();
    return 0;
}
