// The tray icon record, when it is sent, and the tray faults that later polls
// or messages mend.
#include "dialogFixture.h"

#include "res/resource.h"
#include "ui/trayIcon.h"

#include <cstddef>

namespace velmo_test {
namespace {

using TrayIcon = DialogTest;

TEST_F(TrayIcon, RecordDescribesTheIconAsTheShellExpectsIt)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    const std::vector<TrayCall> calls = TakeTrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    const TrayCall& add = calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V3_SIZE));
    EXPECT_EQ(add.cbSize, offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID));
    EXPECT_EQ(add.hWnd, Window());
    EXPECT_EQ(add.uID, 1u);
    EXPECT_EQ(add.uFlags, 7u);
    EXPECT_EQ(add.uCallbackMessage, 0x401u);
    EXPECT_EQ(add.tip, ResString(IDS_TRAY_TOOLTIP));
    EXPECT_FALSE(add.tip.empty());
    EXPECT_EQ(StateIconOf(add.hIcon), static_cast<UINT>(IDI_STATUS_ENABLED));
}

TEST_F(TrayIcon, FirstPollOfAnAbsentServiceShowsUnknown)
{
    StartDialog();
    const std::vector<TrayCall> calls = TakeTrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(StateIconOf(calls[0].hIcon), static_cast<UINT>(IDI_STATUS_UNKNOWN));
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_UNKNOWN));
}

TEST_F(TrayIcon, IsModifiedExactlyWhenTheDisplayChanges)
{
    struct Step
    {
        std::uint32_t reading;
        bool modified;
        UINT icon;
    };
    const Step steps[] = {
        {kEnabled, false, 0},
        {kUnknown, true, IDI_STATUS_UNKNOWN},
        {kUnknown, false, 0},
        {kDisabled, true, IDI_STATUS_DISABLED},
        {kDisabled, false, 0},
        {kEnabled, true, IDI_STATUS_ENABLED},
        {kBadValue, false, 0},
        {kEnabled, false, 0},
    };
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    TakeTrayCalls();
    int number = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "step " << ++number);
        Report(step.reading);
        Poll();
        const std::vector<TrayCall> calls = TakeTrayCalls();
        ASSERT_EQ(calls.size(), step.modified ? 1u : 0u);
        if (step.modified) {
            EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
            EXPECT_EQ(StateIconOf(calls[0].hIcon), step.icon);
            EXPECT_EQ(calls[0].uID, 1u);
        }
    }
}

TEST_F(TrayIcon, StatusTextIsSetOnEveryPoll)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    SetDlgItemTextW(Window(), 1004, L"stale");
    Poll();
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_ENABLED));
}

TEST_F(TrayIcon, TimerTickOfTheRightIdPolls)
{
    QuietUser();
    SetMachine(L"NumPollsForDisabled", 1);
    Publish(kEnabled);
    StartDialog();
    TakeTrayCalls();
    Publish(kDisabled);

    Send(WM_TIMER, 2);
    EXPECT_TRUE(TakeTrayCalls().empty());
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_ENABLED));

    Send(WM_TIMER, 1);
    EXPECT_EQ(m_shell.Messages(), std::vector<DWORD>{NIM_MODIFY});
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_DISABLED));
}

// ---------------------------------------------------------------------------
// The shell's side on its own: what is sent when the shell fails, and what
// it is owed until it takes it.

using TrayProtocol = DialogTest;

TEST_F(TrayProtocol, FailuresAreTracedOncePerRunAndMendedByTheNextSend)
{
    enum Action { kSame, kChanged, kTaskbarCreated };
    struct Step
    {
        const char* what;
        BOOL add, modify;
        Action action;
        std::vector<DWORD> calls;
        bool taken;
        std::size_t addTraces, modifyTraces; // so far
    };
    const Step steps[] = {
        {"tray not ready at logon", FALSE, TRUE, kSame, {NIM_ADD}, false, 1, 0},
        {"still not ready", FALSE, TRUE, kSame, {NIM_ADD}, false, 2, 0},
        {"ready", TRUE, TRUE, kSame, {NIM_ADD}, true, 2, 0},
        {"nothing new", TRUE, TRUE, kSame, {}, true, 2, 0},
        {"shell takes nothing", FALSE, FALSE, kChanged, {NIM_MODIFY, NIM_ADD}, false, 2, 1},
        {"the run goes on", FALSE, FALSE, kSame, {NIM_MODIFY, NIM_ADD}, false, 2, 1},
        {"owed icon taken", TRUE, TRUE, kSame, {NIM_MODIFY}, true, 2, 1},
        {"icon lost unannounced", TRUE, FALSE, kChanged, {NIM_MODIFY, NIM_ADD}, true, 2, 2},
        {"restarted task bar not ready", FALSE, FALSE, kTaskbarCreated, {NIM_ADD, NIM_MODIFY},
         false, 3, 2},
        {"owed add taken", TRUE, TRUE, kSame, {NIM_ADD}, true, 3, 2},
        {"restarted task bar ready", TRUE, TRUE, kTaskbarCreated, {NIM_ADD}, true, 3, 2},
    };
    CTrayIcon icon;
    icon.Describe(nullptr, 1, WM_USER + 1, L"tip");
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        m_shell.addResult = step.add;
        m_shell.modifyResult = step.modify;
        const bool taken = step.action == kTaskbarCreated ? icon.AddAgain()
                                                          : icon.Send(step.action == kChanged);
        EXPECT_EQ(taken, step.taken);
        EXPECT_EQ(icon.InShell(), step.taken);
        EXPECT_EQ(m_shell.Messages(), step.calls);
        TakeTrayCalls();
        EXPECT_EQ(TraceCount("Failed to add tray icon"), step.addTraces);
        EXPECT_EQ(TraceCount("Failed to modify tray icon"), step.modifyTraces);
    }
}

// ---------------------------------------------------------------------------
// Faults of the tray that later polls or messages mend.

// Points HKEY_CURRENT_USER at a key that no longer exists: every per-user
// read and write fails.
class DeletedUserHive
{
public:
    DeletedUserHive()
    {
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, &m_saved),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegCreateKeyExW(m_saved, L"gone", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &m_gone, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteKeyW(m_saved, L"gone"), ERROR_SUCCESS);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_gone), ERROR_SUCCESS);
    }
    ~DeletedUserHive()
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, m_saved);
        RegCloseKey(m_gone);
        RegCloseKey(m_saved);
    }
    DeletedUserHive(const DeletedUserHive&) = delete;
    DeletedUserHive& operator=(const DeletedUserHive&) = delete;

private:
    HKEY m_saved = nullptr;
    HKEY m_gone = nullptr;
};

bool UserKeyWritable()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kVelmoKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD one = 1;
    const bool stored = RegSetValueExW(key, L"KorvaLastEnabled", 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&one),
                                       sizeof one) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
}

class TrayRecovery : public DialogTest
{
protected:
    // Started enabled, then switched to disabled on display.
    void StartShowingDisabled()
    {
        QuietUser();
        SetMachine(L"NumPollsForDisabled", 1);
        Publish(kEnabled);
        StartDialog();
        Publish(kDisabled);
        Poll();
        ASSERT_EQ(StatusText(), ResString(IDS_STATUS_DISABLED));
        TakeTrayCalls();
    }

    void TaskbarRestarted() { Send(RegisterWindowMessageW(L"TaskbarCreated")); }
};

TEST_F(TrayRecovery, RestartedTaskbarGetsTheIconOfTheDisplayedState)
{
    StartShowingDisabled();
    TaskbarRestarted();
    const std::vector<TrayCall> calls = TakeTrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[0].uID, 1u);
    EXPECT_EQ(calls[0].hWnd, Window());
    EXPECT_EQ(calls[0].tip, ResString(IDS_TRAY_TOOLTIP));
    EXPECT_EQ(StateIconOf(calls[0].hIcon), static_cast<UINT>(IDI_STATUS_DISABLED));

    Poll();
    EXPECT_TRUE(TakeTrayCalls().empty());
}

TEST_F(TrayRecovery, OwedPopUpLeavesAWindowOnScreenWhereItIs)
{
    StartShowingDisabled();
    ClickTrayIcon();
    SetWindowPos(Window(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // "Enabled" is news, but the shell has lost the icon: the pop-up is owed.
    m_shell.modifyResult = FALSE;
    m_shell.addResult = FALSE;
    Publish(kEnabled);
    Poll();
    m_shell.addResult = TRUE;
    Poll();
    ASSERT_TRUE(Visible());
    EXPECT_EQ(WindowRect(Window()).left, 5);
}

TEST_F(TrayRecovery, PopUpNestingStaysBoundedWhileNothingCanBeStored)
{
    Publish(kEnabled);
    const DeletedUserHive gone;
    ASSERT_FALSE(UserKeyWritable());
    m_shell.addResult = FALSE;

    // Each pop-up would start the next poll: at most the poll, the one its
    // show starts and a last try to add, never an endless chain.
    StartDialog();
    EXPECT_GE(m_shell.Count(NIM_ADD), 1u);
    EXPECT_LE(m_shell.Count(NIM_ADD), 3u);
    EXPECT_GE(TraceCount("Failed to add tray icon"), 1u);
    EXPECT_FALSE(Visible());

    TakeTrayCalls();
    EXPECT_FALSE(Poll());
    EXPECT_GE(m_shell.Count(NIM_ADD), 1u);
    EXPECT_LE(m_shell.Count(NIM_ADD), 3u);
    EXPECT_FALSE(Visible());
}

} // namespace
} // namespace velmo_test
