// The main dialog under test, created for real from its template on the
// test's thread, with the registry and Global\KorvaStatus made by the test
// and only the shell replaced by a fake one.
#pragma once

#include "common/regKey.h"
#include "support/fakeShell.h"
#include "support/iconImages.h"
#include "support/publisher.h"
#include "support/testSupport.h"
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

RECT WindowRect(HWND window);

// The string resource as the dialog should show it.
std::wstring ResString(UINT id);
// The unknown-status warning after `seconds`.
std::wstring WarningText(unsigned seconds);

// Points HKEY_CURRENT_USER at a key that no longer exists: every per-user
// read and write fails.
class DeletedUserHive
{
public:
    DeletedUserHive()
    {
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, m_saved.Put()),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegCreateKeyExW(m_saved.Get(), L"gone", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, m_gone.Put(), nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteKeyW(m_saved.Get(), L"gone"), ERROR_SUCCESS);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_gone.Get()), ERROR_SUCCESS);
    }
    ~DeletedUserHive() { RegOverridePredefKey(HKEY_CURRENT_USER, m_saved.Get()); }
    DeletedUserHive(const DeletedUserHive&) = delete;
    DeletedUserHive& operator=(const DeletedUserHive&) = delete;

private:
    UniqueRegKey m_saved;
    UniqueRegKey m_gone;
};

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
    // Run once, as the first show takes effect, with the dialog window.
    std::function<void(HWND)> onFirstShow;

private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);

    HHOOK m_hook = nullptr;
    bool m_everVisible = false;
    int m_shows = 0;
    int m_showAttempts = 0;
};

} // namespace velmo_test
