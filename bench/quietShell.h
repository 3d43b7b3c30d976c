// The tray and the message box of the applet, replaced for the in-process
// benchmark: every tray call is taken and counted, every box answered at once.
#pragma once

#include "ui/shellPort.h"

#include <map>

namespace velmo_perf {

class QuietShell : public ShellPort
{
public:
    QuietShell() { SetShell(this); }
    ~QuietShell() override { SetShell(nullptr); }
    QuietShell(const QuietShell&) = delete;
    QuietShell& operator=(const QuietShell&) = delete;

    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW*) override
    {
        ++trayCalls[message];
        return TRUE;
    }
    int ShowMessageBox(HWND, const wchar_t*, const wchar_t*, UINT) override
    {
        ++boxes;
        return IDOK;
    }

    std::map<DWORD, int> trayCalls; // by NIM_ message
    int boxes = 0;
};

} // namespace velmo_perf
