// Windows' shell as the applet meets it, standing in for the real one so
// that no tray icon, message box or browser is real: it keeps the tray icon
// as Explorer does, records every call and answers as the test asks.
#pragma once

#include "ui/shellPort.h"

#include <objbase.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmo_test {

// One Shell_NotifyIconW call, as the shell would have seen it.
struct TrayCall
{
    DWORD message;
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    std::wstring tip;
    // A notification (NIF_INFO): its title, text and icon.
    std::wstring infoTitle;
    std::wstring info;
    DWORD infoFlags;
};

// One message box, with whether its owner was on screen when it opened.
struct BoxCall
{
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
    bool ownerVisible;
};

// One ShellExecuteW.
struct ExecuteCall
{
    HWND owner;
    std::optional<std::wstring> operation;
    std::optional<std::wstring> file;
    std::optional<std::wstring> parameters;
    std::optional<std::wstring> directory;
    int showCommand;
    // The caller's COM apartment at the call, as the shell's handlers find it.
    std::optional<APTTYPE> apartment;
};

// One CreateProcessW.
struct ProcessCall
{
    std::optional<std::wstring> applicationName;
    std::wstring commandLine;
    DWORD startupSize;
    // Stand-ins handed out as the new process and thread; the caller is to
    // close them.
    HANDLE process;
    HANDLE thread;
};

// An add of an icon the shell holds, or a modify of one it lacks, fails.
// The foreground and messages from the shell go as Windows lets them.
class FakeShell : public ShellPort
{
public:
    // Installs itself as the port in use for its lifetime.
    FakeShell() { SetShell(this); }
    ~FakeShell() override { SetShell(nullptr); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override;
    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption,
                       UINT type) override;
    HINSTANCE OpenWithShell(HWND owner, const wchar_t* operation, const wchar_t* file,
                            const wchar_t* parameters, const wchar_t* directory,
                            int showCommand) override;
    BOOL StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                      STARTUPINFOW* startup, PROCESS_INFORMATION* process) override;
    bool HighContrastOn() override { return highContrast; }
    HRESULT QueryNotificationState(QUERY_USER_NOTIFICATION_STATE* state) override;
    BOOL BringToFront(HWND window) override;
    bool InFront(HWND window) override { return window && front == window; }
    BOOL AllowMessage(HWND window, UINT message) override;
    UINT TaskbarDpi() override { return taskbarDpi.value_or(ShellPort::TaskbarDpi()); }

    // A message from Explorer, as it reaches the window: run as
    // administrator, the window gets a registered or WM_USER message from
    // Explorer's lower integrity level only when it allowed it
    // (ChangeWindowMessageFilterEx, Remarks). Else it is dropped: 0.
    LRESULT SendFromShell(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    std::size_t Count(DWORD message) const;
    std::vector<DWORD> Messages() const;
    // The state icon (139, 141 or 146) the shell shows; 0 when it holds none.
    UINT ShownIcon() const;
    // The notifications given, in order.
    std::vector<TrayCall> Notifications() const;

    // No task bar (at logon, before Explorer): every tray call fails.
    bool running = true;
    // Adds that meet a busy Explorer: after about 4 s the call gives up and
    // answers FALSE, and the shell adds the icon anyway (reported by
    // PowerToys, System Informer and many smaller tray programs).
    int addsTimingOut = 0;
    // The icon the shell holds, as last sent; a restarted or crashed
    // Explorer holds none.
    std::optional<TrayCall> held;
    // What SHQueryUserNotificationState answers; Wine always accepts.
    HRESULT notificationResult = S_OK;
    QUERY_USER_NOTIFICATION_STATE notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    // Wine cannot turn the system's high contrast on: the test says it is.
    bool highContrast = false;
    // Windows refuses SetForegroundWindow to a process the user is not in
    // (its Remarks): the call fails and the window stays behind. Wine grants
    // it. `front` is the window Windows has in front.
    bool foregroundRefused = false;
    HWND front = nullptr;
    // The applet runs as administrator, above Explorer's integrity level.
    bool elevated = false;
    std::vector<std::pair<HWND, UINT>> allowedMessages;
    // The task bar's DPI after a change of scale; Wine never changes it.
    std::optional<UINT> taskbarDpi;
    INT_PTR executeResult = 42; // above 32: the shell started a handler
    BOOL processResult = TRUE;
    // Run inside the box or the browser launch, as their message loops would
    // run a timer tick or a sent message.
    std::function<void()> whileBoxIsOpen;
    std::function<void()> whileShellOpens;

    std::vector<TrayCall> trayCalls;
    std::vector<BoxCall> boxes;
    std::vector<ExecuteCall> executes;
    std::vector<ProcessCall> processes;
};

} // namespace velmo_test
