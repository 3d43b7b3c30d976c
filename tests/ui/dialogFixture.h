// The main dialog under test, created for real from its template on the
// test's thread, with the registry and Global\KorvaStatus made by the test
// and only the tray and the message box replaced by a recording shell.
#pragma once

#include "support/publisher.h"
#include "support/testSupport.h"
#include "ui/shellPort.h"
#include "ui/velmoDlg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmo_test {

// Readings as the service publishes them; 3 is out of range.
inline constexpr std::uint32_t kDisabled = kKorvaDisabled;
inline constexpr std::uint32_t kEnabled = kKorvaEnabled;
inline constexpr std::uint32_t kUnknown = kKorvaUnknown;
inline constexpr std::uint32_t kBadValue = 3;

// Settles the once-per-process trace switch while TRACE=1 is in place.
class UiTestEnvironment : public TracingEnvironment
{
public:
    void SetUp() override;
};

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

// Windows' shell as tray programs meet it, which Wine's never is: it holds
// the icon or not, and an add of an icon it holds, or a modify of one it
// lacks, fails.
class FakeShell : public ShellPort
{
public:
    FakeShell() { SetShell(this); }
    ~FakeShell() override { SetShell(nullptr); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override;
    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption,
                       UINT type) override;
    // No browser is ever started from these tests.
    HINSTANCE OpenWithShell(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                            int) override;
    BOOL StartProcess(const wchar_t*, wchar_t*, STARTUPINFOW*, PROCESS_INFORMATION*) override;
    bool HighContrastOn() override { return highContrast; }
    HRESULT QueryNotificationState(QUERY_USER_NOTIFICATION_STATE* state) override;

    std::size_t Count(DWORD message) const;
    std::vector<DWORD> Messages() const;
    // The state icon (139, 141 or 146) the shell shows; 0 when it holds none.
    UINT ShownIcon() const;

    // No task bar (at logon, before Explorer): every call fails.
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
    int shellOpens = 0;
    // Run inside the box or the browser launch, as their message loops would
    // run a timer tick or a sent message.
    std::function<void()> whileBoxIsOpen;
    std::function<void()> whileShellOpens;

    std::vector<TrayCall> trayCalls;
    std::vector<BoxCall> boxes;
};

// The pixels of `bitmap`, top row first, as 32-bit DIB words.
std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height);
// Which state icon (139, 141 or 146) `icon` shows, by its pixels; 0 if none.
UINT StateIconOf(HICON icon);
// Whether `icon` shows the same pixels as icon resource `id` at the given size.
bool IconShowsResource(HICON icon, UINT id, int width, int height);

RECT WindowRect(HWND window);

// The string resource as the dialog should show it.
std::wstring ResString(UINT id);

class VisibilityWatch;

class DialogTest : public ::testing::Test
{
protected:
    // Registry values under the applet's key; set before StartDialog.
    void SetMachine(const wchar_t* name, DWORD value);
    void SetUser(const wchar_t* name, DWORD value);
    std::optional<DWORD> UserValue(const wchar_t* name) const;
    // A user who neither wants the start pop-up nor is new to "enabled".
    void QuietUser();

    // The service's side of Global\KorvaStatus.
    void Publish(std::uint32_t status);
    void Withdraw();
    // What the next poll reads: unknown by a missing section, as in the field.
    void Report(std::uint32_t status);

    // Constructs and creates the dialog; its timer is stopped so that only
    // the test's own polls run.
    void StartDialog();
    // Constructs the dialog and runs it modally, as the applet does; once
    // `watch` saw the run's first show, runs `afterFirstShow` and closes the
    // window. False when no show came within five seconds.
    bool RunModal(const VisibilityWatch& watch,
                  const std::function<void()>& afterFirstShow = {});
    bool Poll();
    void PollTimes(int count);

    HWND Window() const;
    HWND Control(int id) const;
    bool Visible() const;
    bool Minimized() const;
    // The control's own WS_VISIBLE, whatever its parent's state.
    bool ControlShown(int id) const;
    std::wstring ControlText(int id) const;
    std::wstring StatusText() const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void ClickTrayIcon(LPARAM mouse = WM_LBUTTONDOWN) const;
    void ClickButton(int id) const;
    void SetChecked(int id, bool checked) const;
    bool Checked(int id) const;
    // A key pressed on the focused control and run through the dialog
    // manager; held, it repeats its key-down.
    void PressKey(WPARAM key) const;
    void KeyDown(WPARAM key, int repeats = 0) const;
    void KeyUp(WPARAM key) const;
    void Pump() const;

    // The tray calls since the last take.
    std::vector<TrayCall> TakeTrayCalls();

    std::vector<std::string> Traces() const;
    std::size_t TraceCount(const std::string& entry) const;

    ScratchRegistry m_registry;
    FakeShell m_shell;
    std::optional<velmo_test::TestSection> m_section;
    LogCursor m_log;
    // Last, so it goes first: before the section and the shell it uses.
    std::unique_ptr<Ckorva2checkDlg> m_dialog;
};

// Watches the thread's dialog windows for any moment on screen, from before
// they are created until the object goes.
class VisibilityWatch
{
public:
    VisibilityWatch();
    ~VisibilityWatch();
    VisibilityWatch(const VisibilityWatch&) = delete;
    VisibilityWatch& operator=(const VisibilityWatch&) = delete;

    bool EverVisible() const { return m_everVisible; }
    // Shows that took effect (WM_WINDOWPOSCHANGED with SWP_SHOWWINDOW).
    int ShowsSeen() const { return m_shows; }
    // Attempts to show, taken or dropped (WM_SHOWWINDOW with TRUE).
    int ShowAttempts() const { return m_showAttempts; }

private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);

    HHOOK m_hook = nullptr;
    bool m_everVisible = false;
    int m_shows = 0;
    int m_showAttempts = 0;
};

} // namespace velmo_test
