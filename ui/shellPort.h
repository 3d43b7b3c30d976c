// The shell and system calls that block or that only the shell can see: the
// tray icon, the modal message box and starting a browser; and the system's
// high-contrast switch, which Wine cannot turn on. Tests put a recording
// stand-in in their place.
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
};

// The port in use: the real one unless a test set its own.
ShellPort& Shell();
void SetShell(ShellPort* port);
