// The tray icon record, when it is sent, and the tray faults that later polls
// or messages mend.
#include "dialogFixture.h"

#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/trayIcon.h"
#include "support/traceTexts.h"

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
    // The Vista-era record every shell since XP accepts.
    EXPECT_EQ(add.cbSize, sizeof(void*) == 8 ? 968u : 952u);
    EXPECT_EQ(add.hWnd, Window());
    EXPECT_EQ(add.uID, 1u);
    EXPECT_EQ(add.uFlags, 7u);
    EXPECT_EQ(add.uCallbackMessage, 0x401u);
    EXPECT_EQ(add.tip, ResString(IDS_TRAY_TOOLTIP) + L'\n' + ResString(IDS_STATUS_ENABLED));
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
        UINT text; // the status line, the tooltip's second line
    };
    const Step steps[] = {
        {kEnabled, false, 0, 0},
        {kUnknown, true, IDI_STATUS_UNKNOWN, IDS_STATUS_UNKNOWN},
        {kUnknown, false, 0, 0},
        {kDisabled, true, IDI_STATUS_DISABLED, IDS_STATUS_DISABLED},
        {kDisabled, false, 0, 0},
        {kEnabled, true, IDI_STATUS_ENABLED, IDS_STATUS_ENABLED},
        {kBadValue, false, 0, 0},
        {kEnabled, false, 0, 0},
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
            EXPECT_EQ(calls[0].tip, ResString(IDS_TRAY_TOOLTIP) + L'\n' + ResString(step.text));
            EXPECT_EQ(calls[0].uID, 1u);
        }
    }
}

TEST_F(TrayIcon, StatusTextIsSetOnEveryPoll)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    SetDlgItemTextW(Window(), IDC_STATUS_TEXT, L"stale");
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
        bool running;     // the task bar is there
        bool iconLost;    // the shell drops the icon first
        int addsTimingOut;
        Action action;
        std::vector<DWORD> calls;
        bool taken;
        std::size_t addTraces, modifyTraces; // so far
    };
    const Step steps[] = {
        {"first add timed out but took effect", true, false, 1, kSame, {NIM_ADD, NIM_MODIFY},
         true, 0, 0},
        {"nothing new", true, false, 0, kSame, {}, true, 0, 0},
        {"shell gone", false, true, 0, kChanged, {NIM_MODIFY, NIM_ADD}, false, 0, 1},
        {"the run goes on", false, false, 0, kSame, {NIM_MODIFY, NIM_ADD}, false, 0, 1},
        {"back unannounced", true, false, 0, kSame, {NIM_MODIFY, NIM_ADD}, true, 0, 1},
        {"icon lost unannounced", true, true, 0, kChanged, {NIM_MODIFY, NIM_ADD}, true, 0, 1},
        {"restarted task bar not ready", false, true, 0, kTaskbarCreated, {NIM_ADD, NIM_MODIFY},
         false, 1, 1},
        {"still not ready", false, false, 0, kSame, {NIM_ADD, NIM_MODIFY}, false, 1, 1},
        {"owed add taken", true, false, 0, kSame, {NIM_ADD}, true, 1, 1},
        {"restarted task bar ready", true, true, 0, kTaskbarCreated, {NIM_ADD}, true, 1, 1},
        {"announced while held: a DPI change", true, false, 0, kTaskbarCreated,
         {NIM_ADD, NIM_MODIFY}, true, 1, 1},
    };
    CTrayIcon icon;
    icon.Describe(nullptr, 1, WM_USER + 1, L"tip");
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        m_shell.running = step.running;
        if (step.iconLost)
            m_shell.held.reset();
        m_shell.addsTimingOut = step.addsTimingOut;
        const bool taken = step.action == kTaskbarCreated ? icon.AddAgain()
                                                          : icon.Send(step.action == kChanged);
        EXPECT_EQ(taken, step.taken);
        EXPECT_EQ(icon.InShell(), step.taken);
        EXPECT_EQ(m_shell.held.has_value(), step.taken);
        EXPECT_EQ(m_shell.Messages(), step.calls);
        TakeTrayCalls();
        EXPECT_EQ(TraceCount(traced::kFailedAdd), step.addTraces);
        EXPECT_EQ(TraceCount(traced::kFailedModify), step.modifyTraces);
    }
}

// ---------------------------------------------------------------------------
// The shell as Windows has it, against what the applet must end up with once
// the last step is taken (a poll, or a restart announced): the icon in the
// shell showing the displayed status, nothing owed; each run of failures
// traced once; what it owes popped up once, never before the icon could bring
// the window back. Through the real modal loop.

enum class ShellStep
{
    kPoll,
    kPollEnabled,
    kPollDisabled,
    kTaskbarGone,     // Explorer crashed: no icon, every call fails
    kTaskbarBack,     // ... and is running again, holding no icon
    kAnnounce,        // "TaskbarCreated"
    kIconLost,        // dropped without a broadcast
    kNextAddTimesOut, // a busy Explorer
    kElevated,        // the applet runs as administrator
    kScaleChanged,    // the task bar redrawn at 150 %, holding no icon
};

struct ShellBehaviour
{
    const char* name;
    // At logon the user wants the start pop-up, and the status ends disabled;
    // otherwise the user is new to "enabled", which the status ends at.
    bool logon;
    std::vector<ShellStep> beforeStart;
    std::vector<ShellStep> steps;
    std::size_t failureTraces;
};

void PrintTo(const ShellBehaviour& row, std::ostream* out)
{
    *out << row.name;
}

class ShellBehaviours : public DialogTest, public ::testing::WithParamInterface<ShellBehaviour>
{
protected:
    void Take(ShellStep step)
    {
        switch (step) {
        case ShellStep::kPoll:
            Poll();
            break;
        case ShellStep::kPollEnabled:
            Publish(kEnabled);
            Poll();
            break;
        case ShellStep::kPollDisabled:
            Publish(kDisabled);
            Poll();
            break;
        case ShellStep::kTaskbarGone:
            m_shell.running = false;
            m_shell.held.reset();
            break;
        case ShellStep::kTaskbarBack:
            m_shell.running = true;
            break;
        case ShellStep::kAnnounce:
            m_shell.SendFromShell(Window(), RegisterWindowMessageW(L"TaskbarCreated"));
            break;
        case ShellStep::kIconLost:
            m_shell.held.reset();
            break;
        case ShellStep::kNextAddTimesOut:
            m_shell.addsTimingOut = 1;
            break;
        case ShellStep::kElevated:
            m_shell.elevated = true;
            break;
        case ShellStep::kScaleChanged:
            m_shell.taskbarDpi = 144;
            m_shell.held.reset();
            break;
        }
    }
};

TEST_P(ShellBehaviours, EndWithTheDisplayedIconInTheShellAndNothingOwed)
{
    const ShellBehaviour& row = GetParam();
    SetMachine(L"CheckKorvaStatusTimeout", 3600000);
    SetMachine(L"NumPollsForDisabled", 1);
    if (row.logon) {
        SetUser(L"PopupForCurrentUser", 1);
        SetUser(L"KorvaLastEnabled", 1);
        Publish(kEnabled);
    } else {
        SetUser(L"PopupForCurrentUser", 0);
        Publish(kDisabled);
    }
    for (ShellStep step : row.beforeStart)
        Take(step);
    const VisibilityWatch watch;
    ASSERT_TRUE(RunModal(watch, [&] {
        int number = 0;
        for (ShellStep step : row.steps) {
            SCOPED_TRACE(::testing::Message() << "step " << ++number);
            Take(step);
            if (!m_shell.held) {
                EXPECT_FALSE(watch.EverVisible()) << "shown with no icon to bring it back";
            }
        }
        const UINT expected = row.logon ? IDI_STATUS_DISABLED : IDI_STATUS_ENABLED;
        ASSERT_TRUE(m_shell.held) << "the shell holds no icon";
        EXPECT_EQ(m_shell.held->hWnd, Window());
        EXPECT_EQ(m_shell.held->uID, 1u);
        // At the task bar's scale, not stretched from another.
        const int size = SystemMetricForDpi(SM_CXSMICON, m_shell.TaskbarDpi());
        EXPECT_TRUE(IconShowsResource(m_shell.held->hIcon, expected, size, size));
        EXPECT_EQ(StatusText(),
                  ResString(row.logon ? IDS_STATUS_DISABLED : IDS_STATUS_ENABLED));
        EXPECT_TRUE(Visible());
        EXPECT_EQ(watch.ShowsSeen(), 1);
        EXPECT_EQ(TraceCount(traced::kFailedAdd) + TraceCount(traced::kFailedModify),
                  row.failureTraces);
        TakeTrayCalls();
        Poll();
        EXPECT_TRUE(TakeTrayCalls().empty()) << "still owed to the shell";
    }));
}

using S = ShellStep;
INSTANTIATE_TEST_SUITE_P(
    Windows, ShellBehaviours,
    ::testing::Values(
        ShellBehaviour{"FirstAddTimesOutAtLogon", true, {S::kNextAddTimesOut}, {S::kPollDisabled},
                       0},
        ShellBehaviour{"NoTaskbarAtLogon", true, {S::kTaskbarGone},
                       {S::kPoll, S::kPollDisabled, S::kTaskbarBack, S::kAnnounce}, 1},
        ShellBehaviour{"TaskbarTakesAPollBeforeItsAnnouncement", true, {S::kTaskbarGone},
                       {S::kPollDisabled, S::kTaskbarBack, S::kPoll, S::kAnnounce}, 1},
        ShellBehaviour{"IconLostWithoutABroadcast", false, {}, {S::kIconLost, S::kPollEnabled},
                       0},
        ShellBehaviour{"DpiChangeAnnouncedWhileTheIconIsHeld", false, {},
                       {S::kAnnounce, S::kPollEnabled}, 0},
        ShellBehaviour{"ExplorerRestarted", false, {},
                       {S::kTaskbarGone, S::kPollEnabled, S::kTaskbarBack, S::kAnnounce}, 1},
        ShellBehaviour{"RestartedExplorerTimesOutTheAdd", false, {},
                       {S::kTaskbarGone, S::kTaskbarBack, S::kNextAddTimesOut, S::kAnnounce,
                        S::kPollEnabled},
                       0},
        ShellBehaviour{"ExplorerRestartedBelowAnElevatedApplet", false, {S::kElevated},
                       {S::kTaskbarGone, S::kPollEnabled, S::kTaskbarBack, S::kAnnounce}, 1},
        ShellBehaviour{"ScaleChanged", false, {}, {S::kScaleChanged, S::kAnnounce, S::kPollEnabled},
                       0}),
    [](const ::testing::TestParamInfo<ShellBehaviour>& info) {
        return std::string(info.param.name);
    });

// ---------------------------------------------------------------------------
// Faults of the tray that later polls or messages mend.

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
};

TEST_F(TrayRecovery, OwedPopUpLeavesAWindowOnScreenWhereItIs)
{
    StartShowingDisabled();
    ClickTrayIcon();
    SetWindowPos(Window(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // "Enabled" is news, but the shell has lost the icon: the pop-up is owed.
    m_shell.running = false;
    m_shell.held.reset();
    Publish(kEnabled);
    Poll();
    m_shell.running = true;
    Poll();
    ASSERT_TRUE(Visible());
    EXPECT_EQ(WindowRect(Window()).left, 5);
}

} // namespace
} // namespace velmo_test
