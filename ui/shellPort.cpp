#include "ui/shellPort.h"

#include "ui/dpi.h"

namespace {

ShellPort g_realShell;
ShellPort* g_shell = &g_realShell;

} // namespace

BOOL ShellPort::NotifyIcon(DWORD message, NOTIFYICONDATAW* data)
{
    return Shell_NotifyIconW(message, data);
}

int ShellPort::ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return MessageBoxW(owner, text, caption, type);
}

HINSTANCE ShellPort::OpenWithShell(HWND owner, const wchar_t* operation, const wchar_t* file,
                                   const wchar_t* parameters, const wchar_t* directory,
                                   int showCommand)
{
    return ShellExecuteW(owner, operation, file, parameters, directory, showCommand);
}

BOOL ShellPort::StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                             STARTUPINFOW* startup, PROCESS_INFORMATION* process)
{
    return CreateProcessW(applicationName, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, startup, process);
}

bool ShellPort::HighContrastOn()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

HRESULT ShellPort::QueryNotificationState(QUERY_USER_NOTIFICATION_STATE* state)
{
    return SHQueryUserNotificationState(state);
}

BOOL ShellPort::BringToFront(HWND window)
{
    return SetForegroundWindow(window);
}

bool ShellPort::InFront(HWND window)
{
    return GetForegroundWindow() == window;
}

BOOL ShellPort::AllowMessage(HWND window, UINT message)
{
    return ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

UINT ShellPort::TaskbarDpi()
{
    // Without the task bar, or before Windows 10, the system's.
    return WindowDpi(FindWindowW(L"Shell_TrayWnd", nullptr));
}

ShellPort& Shell()
{
    return *g_shell;
}

void SetShell(ShellPort* port)
{
    g_shell = port ? port : &g_realShell;
}

bool UserIsBusy()
{
    // Windows 8's full-screen app, beyond the headers of Windows 7.
    constexpr int kRunningFullScreenApp = 7;
    QUERY_USER_NOTIFICATION_STATE state{};
    // A shell that cannot tell is taken to accept notifications. Quiet time
    // (a new user's first hour) and a locked session do not delay: the new
    // user most needs the notice, and the window waits for the one away.
    if (FAILED(Shell().QueryNotificationState(&state)))
        return false;
    switch (static_cast<int>(state)) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE:
    case kRunningFullScreenApp:
        return true;
    default:
        return false;
    }
}
