// The shell and system calls that block or that only the shell can see: the
// tray icon, the modal message box and starting a browser; and where Wine is
// kinder than Windows or cannot turn a setting on: the foreground, messages
// up the integrity levels, the task bar's scale, the system's high-contrast
// switch, and a user who is presenting. Tests put a recording stand-in in
// their place.
#pragma once

#include <windows.h>
#include <shellapi.h>

class ShellPort
{
public:
    virtual ~ShellPort() = default;

    virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data);
    virtual int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    virtual HINSTANCE OpenWithShell(HWND owner, const wchar_t* operation, const wchar_t* file,
                                    const wchar_t* parameters, const wchar_t* directory,
                                    int showCommand);
    virtual BOOL StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                             STARTUPINFOW* startup, PROCESS_INFORMATION* process);
    virtual bool HighContrastOn();
    virtual HRESULT QueryNotificationState(QUERY_USER_NOTIFICATION_STATE* state);
    // Windows refuses the foreground to a process the user is not in.
    virtual BOOL BringToFront(HWND window);
    virtual bool InFront(HWND window);
    // Lets `message` reach an elevated window from the shell's lower level.
    virtual BOOL AllowMessage(HWND window, UINT message);
    // The task bar's DPI, which its notification area draws at.
    virtual UINT TaskbarDpi();
};

// The port in use: the real one unless a test set its own.
ShellPort& Shell();
void SetShell(ShellPort* port);

// The user is presenting, in a full-screen game or app, or otherwise busy:
// a pop-up the user did not ask for waits. Asked only when one is due.
bool UserIsBusy();
