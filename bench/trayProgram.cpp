#include "bench/trayProgram.h"

#include "app/appDriver.h"
#include "support/trayIcons.h"
#include "support/testSupport.h"
#include "res/resource.h"

namespace velmo_perf {

namespace {

constexpr DWORD kExitDeadlineMs = 10000;

} // namespace

TrayProgramKind VelmoKind()
{
    return {"velmo.exe", velmo_test::VelmoExePath(), L"#32770",
            velmo_test::VelmoString(IDS_WINDOW_CAPTION)};
}

bool VelmoBeforeKind(TrayProgramKind& kind)
{
    const char* before = std::getenv("VELMO_EXE_BEFORE");
    if (!before || !*before)
        return false;
    kind = VelmoKind();
    kind.name = "velmo.exe before";
    kind.path = velmo_test::WindowsPath(before);
    return true;
}

TrayProgramKind MinimalTrayKind()
{
    return {"minimalTray.exe", velmo_test::BesideTestExe(L"minimalTray.exe"), L"VelmoMinimalTray",
            L"minimalTray"};
}

TrayProgramKind ToyDialogKind()
{
    return {"toyDialog.exe", velmo_test::BesideTestExe(L"toyDialog.exe"), L"#32770",
            velmo_test::VelmoString(IDS_WINDOW_CAPTION)};
}

TrayProgram::TrayProgram(const TrayProgramKind& kind, ChildProcess::Output output)
    : m_kind(kind), m_started(m_clock.Now()),
      m_process(CommandLine(kind.path), {ChildProcess::Input::Nul, output, false, {}})
{
}

TrayProgram::~TrayProgram()
{
    if (m_process.Running())
        Close();
}

double TrayProgram::WaitForTrayIcons(long icons, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (m_process.Running() && GetTickCount64() < deadline) {
        if (velmo_test::TrayIcons() >= icons)
            return m_clock.MicrosecondsSince(m_started) / 1000.0;
        Sleep(1);
    }
    return -1;
}

bool TrayProgram::Close()
{
    const std::vector<HWND> windows =
        velmo_test::TopLevelWindows(Id(), m_kind.windowClass.c_str(), m_kind.caption);
    for (HWND window : windows)
        PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = !windows.empty() && m_process.WaitForExit(kExitDeadlineMs);
    m_process.Kill();
    return ended;
}

bool WaitForTrayToShow(long icons, DWORD timeoutMs)
{
    return velmo_test::WaitUntil(
        [icons] { return velmo_test::TrayIcons() == icons; }, timeoutMs);
}

} // namespace velmo_perf
