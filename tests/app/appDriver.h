// Drives the real velmo.exe and the stand-in publisher korvapub.exe as
// processes of this Wine prefix: start them, find their windows, send them
// messages, wait for them, and stop them on every path.
#pragma once

#include "support/childProcess.h"
#include "support/programs.h"
#include "support/publisher.h"

#include <windows.h>

#include <string>

namespace velmo_app_test {

// The harness's pieces, by the names the process tests use.
using velmo_test::ChildProcess;
using velmo_test::DeadlineMs;
using velmo_test::Korva;
using velmo_test::Observe;
using velmo_test::PublishedStatus;
using velmo_test::Publisher;
using velmo_test::PumpMessages;
using velmo_test::SectionExists;
using velmo_test::TopLevelWindows;
using velmo_test::VelmoString;
using velmo_test::WaitUntil;

// The window hook that reports velmo.exe's shows.
std::wstring ShowWatchDllPath();

// One run of velmo.exe and its main window, found by caption. Closed on
// destruction, and killed when it does not end.
class VelmoApp
{
public:
    explicit VelmoApp(bool suspended = false);
    ~VelmoApp();
    VelmoApp(const VelmoApp&) = delete;
    VelmoApp& operator=(const VelmoApp&) = delete;

    ChildProcess& Process() { return m_process; }
    DWORD Id() const { return m_process.Id(); }

    // The main window of this process, waited for; null at the deadline.
    HWND WaitForWindow(DWORD timeoutMs = DeadlineMs());
    HWND Window() const { return m_window; }
    bool Visible() const { return IsWindowVisible(m_window) != FALSE; }
    bool Iconic() const { return IsIconic(m_window) != FALSE; }

    // Sent with a deadline, so a hung applet fails the test instead of hanging it.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Whether the window's thread answers a sent WM_NULL before the deadline.
    bool Answers() const;
    bool Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    // A left click on the tray icon, as the shell reports it.
    void ClickTrayIcon() const;
    void ClickButton(int controlId) const;
    // Escape, posted to the control that has the keyboard focus.
    void PressEscape() const;
    std::wstring ControlText(int controlId) const;

private:
    ChildProcess m_process;
    HWND m_window = nullptr;
};

} // namespace velmo_app_test
