// velmo.exe, minimalTray.exe or toyDialog.exe run as a process: started, watched until its
// tray icon shows, and closed through its main window.
#pragma once

#include "support/childProcess.h"
#include "bench/stats.h"

#include <string>

namespace velmo_perf {

using velmo_test::ChildProcess;
using velmo_test::CommandLine;

struct TrayProgramKind
{
    std::string name;
    std::wstring path;
    std::wstring windowClass;
    std::wstring caption;
};

TrayProgramKind VelmoKind();
// Another build of velmo.exe, to compare a change side by side: the one
// VELMO_EXE_BEFORE names, or none.
bool VelmoBeforeKind(TrayProgramKind& kind);
TrayProgramKind MinimalTrayKind();
TrayProgramKind ToyDialogKind();

class TrayProgram
{
public:
    TrayProgram(const TrayProgramKind& kind,
                ChildProcess::Output output = ChildProcess::Output::Nul);
    ~TrayProgram();
    TrayProgram(const TrayProgram&) = delete;
    TrayProgram& operator=(const TrayProgram&) = delete;

    bool Started() const { return m_process.Started(); }
    DWORD Id() const { return m_process.Id(); }
    bool Running() const { return m_process.Running(); }

    // Waits until the tray shows `icons` icons; milliseconds since just
    // before CreateProcessW, or a negative value at the deadline.
    double WaitForTrayIcons(long icons, DWORD timeoutMs = 30000);

    // WM_CLOSE to the main window (the program removes its icon), then waits
    // for the exit; killed when it does not end. True when it ended by itself.
    bool Close();

private:
    TrayProgramKind m_kind;
    Stopwatch m_clock;
    LONGLONG m_started;
    ChildProcess m_process;
};

// Waits until the tray shows `icons` icons again; false at the deadline.
bool WaitForTrayToShow(long icons, DWORD timeoutMs = 10000);

} // namespace velmo_perf
