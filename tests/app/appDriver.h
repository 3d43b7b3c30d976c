// Drives the real velmo.exe and the stand-in publisher korvapub.exe as
// processes of this Wine prefix: start them, find their windows, send them
// messages, wait for them, and stop them on every path.
#pragma once

#include "common/kernelHandle.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmo_app_test {

// How long a process may take to start and answer: 15 s, times
// VELMO_DEADLINE_SCALE where the program under test runs under an emulator.
DWORD DeadlineMs();

// Dispatches what waits in this thread's queue (WinEvent hooks among it).
void PumpMessages();

// Polls `condition` every few milliseconds, pumping this thread's messages
// meanwhile, until it holds or `timeoutMs` has passed; gives its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = DeadlineMs());

// Pumps messages and calls `sample` every few milliseconds for `durationMs`.
void Observe(DWORD durationMs, const std::function<void()>& sample);

// The exe of this build, or the one VELMO_EXE names (a Unix path): the
// 64-bit driver can start the shipped 32-bit exe.
// The build hands over Unix paths; Wine maps / to drive Z:.
std::wstring WindowsPath(const char* unixPath);
std::wstring VelmoExePath();
std::wstring KorvapubExePath();
std::wstring ShowWatchDllPath();

// A string resource of velmo.exe, read from the file (empty when missing).
std::wstring VelmoString(UINT id);

// A started program; killed on destruction when it still runs.
class ChildProcess
{
public:
    // `arguments` follow the quoted program path on the command line.
    ChildProcess(const std::wstring& program, const std::wstring& arguments,
                 bool suspended = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    DWORD ThreadId() const { return m_threadId; }
    void Resume();
    bool Running() const;
    // The exit code, or nothing when the process still runs at the deadline.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = DeadlineMs());
    void Kill();

private:
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_thread;
    DWORD m_id = 0;
    DWORD m_threadId = 0;
};

// Top-level windows of process `processId` (0: of any process) whose class is
// `className` (null: any class) and whose caption is exactly `caption`.
std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className,
                                  const std::wstring& caption);

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

// The value in the status record of Global\KorvaStatus, or nothing when the
// section is absent or its record holds no status.
std::optional<DWORD> PublishedStatus();
bool SectionExists();

// The definite states korvapub publishes by name.
enum class Korva : DWORD { kDisabled = 0, kEnabled = 1 };

// `korvapub serve` for the object's life: the section exists and holds
// `status` once the constructor returns (check Ready()).
class Publisher
{
public:
    // `sectionSize` is passed as `serve --size` when it is not the usual 512.
    explicit Publisher(Korva status, DWORD sectionSize = 512);
    ~Publisher();
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    bool Ready() const { return m_ready; }
    // `korvapub set`; true when it succeeded and the record shows `status`.
    bool Set(Korva status);

private:
    ChildProcess m_server;
    bool m_ready = false;
};

} // namespace velmo_app_test
