// The window pops up by itself: reason A, the user newly sees "enabled";
// reason B, once after start for a user who wants it.
#include "dialogFixture.h"

#include "res/resource.h"

#include <cwchar>
#include <tuple>

namespace velmo_test {
namespace {

// One poll's reading, and what the user sees and the record says after it.
struct Seen
{
    std::uint32_t reading;
    bool popsUp; // hidden again before the next reading
    std::optional<DWORD> lastEnabled;
};

struct PopUpCase
{
    const char* name;
    std::optional<DWORD> popUpForUser, lastEnabled; // before the start
    DWORD minimizeIcon;                             // MinimizePrivacyIconAtStart
    std::vector<Seen> readings;                     // the start's first
};

void PrintTo(const PopUpCase& row, std::ostream* out)
{
    *out << row.name;
}

class AutomaticPopUp : public DialogTest, public ::testing::WithParamInterface<PopUpCase>
{
};

TEST_P(AutomaticPopUp, ComesForItsReasonsOnlyAndTheLastEnabledRecordFollows)
{
    const PopUpCase& row = GetParam();
    if (row.popUpForUser)
        SetUser(L"PopupForCurrentUser", *row.popUpForUser);
    if (row.lastEnabled)
        SetUser(L"KorvaLastEnabled", *row.lastEnabled);
    if (row.minimizeIcon)
        SetMachine(L"MinimizePrivacyIconAtStart", row.minimizeIcon);
    SetMachine(L"NumPollsForDisabled", 1);
    const VisibilityWatch watch;
    int popUps = 0;
    for (std::size_t i = 0; i < row.readings.size(); ++i) {
        const Seen& seen = row.readings[i];
        SCOPED_TRACE(::testing::Message() << "reading " << i + 1);
        Report(seen.reading);
        if (i == 0)
            StartDialog();
        else
            Poll();
        EXPECT_EQ(Visible(), seen.popsUp);
        EXPECT_EQ(UserValue(L"KorvaLastEnabled"), seen.lastEnabled);
        if (Visible()) {
            ++popUps;
            ClickButton(IDC_HIDE_BUTTON);
            ASSERT_FALSE(Visible());
        }
    }
    EXPECT_EQ(watch.ShowsSeen(), popUps);
    if (popUps == 0) {
        EXPECT_FALSE(watch.EverVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, AutomaticPopUp,
    ::testing::Values(
        // Reason A, once per "enabled" after another display.
        PopUpCase{"UserNewToEnabled", 0u, {}, 0,
                  {{kEnabled, true, 1u}, {kEnabled, false, 1u}, {kEnabled, false, 1u},
                   {kDisabled, false, 0u}, {kEnabled, true, 1u}}},
        PopUpCase{"MinimizedPrivacyIconMeansNoneForNewlyEnabled", {}, {}, 1,
                  {{kEnabled, false, 1u}, {kEnabled, false, 1u}}},
        // Reason B, once after start, whatever the first definite reading.
        PopUpCase{"UserWhoWantsItSeesTheFirstDefiniteReadingOnce", 1u, 1u, 0,
                  {{kEnabled, true, 1u}, {kUnknown, false, 1u}, {kEnabled, false, 1u}}},
        PopUpCase{"UserWhoWantsItSeesADisabledStart", 1u, {}, 0, {{kDisabled, true, 0u}}},
        PopUpCase{"UserWhoDeclinedNeverSeesIt", 0u, {}, 0,
                  {{kDisabled, false, 0u}, {kDisabled, false, 0u}, {kUnknown, false, 0u},
                   {kDisabled, false, 0u}}},
        // A value that is neither is kept: unknown readings write nothing.
        PopUpCase{"UnknownReadingsWriteNoRecord", {}, 5u, 0,
                  {{kUnknown, false, 5u}, {kUnknown, false, 5u}, {kUnknown, false, 5u}}},
        PopUpCase{"UnknownReadingsCreateNoRecord", {}, {}, 0,
                  {{kUnknown, false, {}}, {kUnknown, false, {}}}}),
    [](const ::testing::TestParamInfo<PopUpCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A pop-up the tray was not ready for (at logon) is owed, not lost, and the
// window shows only once the icon can bring it back.

// The add that a restarted task bar announces: the ShellBehaviours cases of
// trayIconTests.cpp.
struct OwedPopUp
{
    const char* name;
    bool userWantsPopUp;       // reason B; otherwise reason A, new to "enabled"
    std::uint32_t lastReading; // before the icon is in: news of "enabled" may go stale
    bool popsUp;
};

class TrayNotReady : public DialogTest, public ::testing::WithParamInterface<OwedPopUp>
{
};

TEST_P(TrayNotReady, WindowShowsOnceWhenTheIconIsIn)
{
    const OwedPopUp& way = GetParam();
    if (way.userWantsPopUp) {
        SetUser(L"PopupForCurrentUser", 1);
        SetUser(L"KorvaLastEnabled", 1);
    } else {
        SetUser(L"PopupForCurrentUser", 0);
    }
    SetMachine(L"CheckKorvaStatusTimeout", 3600000);
    SetMachine(L"NumPollsForDisabled", 1);
    Publish(kEnabled);
    m_shell.running = false;
    const VisibilityWatch watch;
    ASSERT_TRUE(RunModal(watch, [&] {
        Report(way.lastReading);
        Poll();
        EXPECT_FALSE(watch.EverVisible()) << "shown with no icon to bring it back";
        if (!way.userWantsPopUp && way.lastReading == kEnabled) {
            EXPECT_EQ(UserValue(L"KorvaLastEnabled"), std::nullopt) << "recorded as seen unseen";
        }

        m_shell.running = true;
        Poll();
        EXPECT_EQ(m_shell.trayCalls.back().message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(Visible(), way.popsUp);
        EXPECT_EQ(watch.ShowsSeen(), way.popsUp ? 1 : 0);
        Poll();
        EXPECT_EQ(UserValue(L"KorvaLastEnabled"), way.lastReading == kEnabled ? 1u : 0u);

        // Paid once: hidden, it stays hidden.
        ClickButton(IDC_HIDE_BUTTON);
        PollTimes(2);
        EXPECT_FALSE(Visible());
    }));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TrayNotReady,
    ::testing::Values(OwedPopUp{"NewToEnabled", false, kEnabled, true},
                      OwedPopUp{"NewToEnabledNoMore", false, kDisabled, false},
                      OwedPopUp{"WantsPopUp", true, kEnabled, true},
                      OwedPopUp{"WantsPopUpWhateverTheStatus", true, kDisabled, true}),
    [](const ::testing::TestParamInfo<OwedPopUp>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A user who is presenting, in a full-screen game or app: what the applet
// shows of itself waits until the user accepts notifications again; what the
// user asks for never does. Wine always accepts; Windows answers as
// SHQueryUserNotificationState and QUERY_USER_NOTIFICATION_STATE on
// Microsoft Learn describe.

struct NotificationState
{
    const char* name;
    HRESULT result;
    int state;
    bool waits;
};

enum class PopUpReason
{
    kStart,          // the user wants the window at start
    kNewlyEnabled,   // the user newly sees "enabled"
    kUnknownBox,     // the status stayed unknown
    kUnknownSettled, // ... and became definite while the box waited
    kUserRequest,    // a click on the tray icon, with the start pop-up owed
};

class UserNotifications
    : public DialogTest,
      public ::testing::WithParamInterface<std::tuple<NotificationState, PopUpReason>>
{
protected:
    void Tell(int state)
    {
        m_shell.notificationState = static_cast<QUERY_USER_NOTIFICATION_STATE>(state);
    }
};

TEST_P(UserNotifications, AutomaticPopUpsWaitForAUserWhoIsBusy)
{
    const auto& [state, reason] = GetParam();
    const bool box = reason == PopUpReason::kUnknownBox || reason == PopUpReason::kUnknownSettled;
    const bool waits = state.waits && reason != PopUpReason::kUserRequest;
    if (box) {
        QuietUser();
        SetMachine(L"KorvaStatusInitMaxRetries", 2);
    } else if (reason == PopUpReason::kStart || reason == PopUpReason::kUserRequest) {
        SetUser(L"PopupForCurrentUser", 1);
        SetUser(L"KorvaLastEnabled", 1);
        Publish(kEnabled);
    } else if (reason == PopUpReason::kNewlyEnabled) {
        SetUser(L"PopupForCurrentUser", 0);
        Publish(kEnabled);
    }
    m_shell.notificationResult = state.result;
    Tell(state.state);
    const VisibilityWatch watch;
    StartDialog();
    if (reason == PopUpReason::kUserRequest)
        ClickTrayIcon();
    PollTimes(2); // the box is due at the second unknown reading
    EXPECT_EQ(Visible(), !waits);
    EXPECT_EQ(m_shell.boxes.size(), box && !waits ? 1u : 0u);
    if (reason == PopUpReason::kNewlyEnabled) {
        EXPECT_EQ(UserValue(L"KorvaLastEnabled"), waits ? std::nullopt : std::optional(1u))
            << "'enabled' counts as seen only once the window could say so";
    }

    if (reason == PopUpReason::kUnknownSettled)
        Publish(kDisabled);
    Tell(QUNS_ACCEPTS_NOTIFICATIONS);
    PollTimes(2);
    if (reason == PopUpReason::kUnknownSettled) {
        Withdraw();
        Poll(); // a new run, the box not yet due
    }
    const bool shows = reason != PopUpReason::kUnknownSettled || !waits;
    EXPECT_EQ(Visible(), shows);
    EXPECT_EQ(watch.ShowsSeen(), shows ? 1 : 0);
    ASSERT_EQ(m_shell.boxes.size(), box && shows ? 1u : 0u);
    if (box && shows) {
        // The seconds since the first reading, at the default 10 s a poll:
        // the box is due at the second, and waited until the fourth.
        wchar_t text[512] = {};
        std::swprintf(text, std::size(text), ResString(IDS_UNKNOWN_MESSAGE).c_str(),
                      waits ? 30u : 10u);
        EXPECT_EQ(m_shell.boxes[0].text, text);
    }
}

constexpr const char* kReasonNames[] = {"Start", "NewlyEnabled", "UnknownBox", "UnknownSettled",
                                        "UserRequest"};

void PrintTo(const NotificationState& state, std::ostream* out)
{
    *out << state.name;
}

void PrintTo(PopUpReason reason, std::ostream* out)
{
    *out << kReasonNames[static_cast<int>(reason)];
}

constexpr NotificationState kNotificationStates[] = {
    {"AcceptsNotifications", S_OK, QUNS_ACCEPTS_NOTIFICATIONS, false},
    {"NotPresent", S_OK, QUNS_NOT_PRESENT, false},
    {"QuietTime", S_OK, QUNS_QUIET_TIME, false},
    {"Busy", S_OK, QUNS_BUSY, true},
    {"FullScreenDirect3D", S_OK, QUNS_RUNNING_D3D_FULL_SCREEN, true},
    {"PresentationMode", S_OK, QUNS_PRESENTATION_MODE, true},
    {"FullScreenApp", S_OK, 7 /* QUNS_APP, Windows 8 */, true},
    {"QueryFails", E_FAIL, QUNS_BUSY, false},
};

std::string StateAndReason(
    const ::testing::TestParamInfo<std::tuple<NotificationState, PopUpReason>>& info)
{
    return std::string(std::get<0>(info.param).name) +
           kReasonNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    StatesAndReasons, UserNotifications,
    ::testing::Combine(::testing::ValuesIn(kNotificationStates),
                       ::testing::Values(PopUpReason::kStart, PopUpReason::kNewlyEnabled,
                                         PopUpReason::kUnknownBox, PopUpReason::kUnknownSettled,
                                         PopUpReason::kUserRequest)),
    StateAndReason);

} // namespace
} // namespace velmo_test
