// The window pops up by itself: reason A, the user newly sees "enabled";
// reason B, once after start for a user who wants it; and what it does where
// Windows keeps it behind.
#include "dialogFixture.h"

#include "res/resource.h"

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
                  {{kUnknown, false, 5u}, {kUnknown, false, 5u}, {kUnknown, false, 5u}}}),
    [](const ::testing::TestParamInfo<PopUpCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Windows keeps a window that a process in the background shows behind the
// one in use: SetForegroundWindow fails (its Remarks), where Wine grants it.
// Each way a notice reaches the screen then also gives the tray icon's
// notification, once, and "enabled" waits for the user to have the window.

enum class Does { kClicksNotification, kActivates, kHides, kNothing };

struct Behind
{
    const char* name;
    DWORD popUp;           // PopupForCurrentUser
    std::uint32_t reading; // from the start on
    bool presentingFirst;  // for the first polls
    Does does;
    std::optional<DWORD> afterTheUser; // KorvaLastEnabled, absent until then
};

class RefusedForeground : public DialogTest, public ::testing::WithParamInterface<Behind>
{
};

TEST_P(RefusedForeground, NotifiesOnceAndRecordsWhatTheUserHad)
{
    const Behind& row = GetParam();
    SetUser(L"PopupForCurrentUser", row.popUp);
    SetMachine(L"KorvaStatusInitMaxRetries", 2);
    Report(row.reading);
    m_shell.foregroundRefused = true;
    if (row.presentingFirst)
        m_shell.notificationState = QUNS_PRESENTATION_MODE;
    std::size_t notifiedBeforeTheBox = 0;
    m_shell.whileBoxIsOpen = [&] { notifiedBeforeTheBox = m_shell.Notifications().size(); };
    const VisibilityWatch watch;
    StartDialog();
    PollTimes(2); // the box is due at the second reading
    m_shell.notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    PollTimes(3);

    EXPECT_TRUE(Visible());
    EXPECT_EQ(watch.ShowsSeen(), 1);
    const std::vector<TrayCall> notified = m_shell.Notifications();
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(notified[0].uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(notified[0].infoTitle, ResString(IDS_WINDOW_CAPTION));
    if (row.reading == kUnknown) {
        ASSERT_EQ(m_shell.boxes.size(), 1u);
        // Ten seconds a reading, from the first to the fourth, when it came.
        EXPECT_EQ(m_shell.boxes[0].text, WarningText(30));
        EXPECT_EQ(notified[0].info, m_shell.boxes[0].text);
        EXPECT_EQ(notified[0].infoFlags, static_cast<DWORD>(NIIF_ERROR));
        EXPECT_EQ(notifiedBeforeTheBox, 1u);
    } else {
        EXPECT_EQ(notified[0].info, StatusText());
        EXPECT_EQ(notified[0].infoFlags, static_cast<DWORD>(NIIF_INFO));
    }
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), std::nullopt);

    // A click on the notification lets the applet take the foreground.
    m_shell.foregroundRefused = false;
    if (row.does == Does::kClicksNotification) {
        m_shell.SendFromShell(Window(), WM_USER + 1, 1, NIN_BALLOONUSERCLICK);
        EXPECT_EQ(m_shell.front, Window());
    } else if (row.does == Does::kActivates) {
        Send(WM_ACTIVATE, WA_CLICKACTIVE);
    } else if (row.does == Does::kHides) {
        ClickButton(IDC_HIDE_BUTTON);
    }
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), row.afterTheUser);
    Poll();
    EXPECT_EQ(m_shell.Notifications().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RefusedForeground,
    ::testing::Values(
        Behind{"NewlyEnabledThenNotificationClicked", 0, kEnabled, false,
               Does::kClicksNotification, 1u},
        Behind{"NewlyEnabledThenHidden", 0, kEnabled, false, Does::kHides, 1u},
        Behind{"StartPopUpThenActivated", 1, kEnabled, false, Does::kActivates, 1u},
        Behind{"UnknownBoxAfterPresenting", 0, kUnknown, true, Does::kNothing, {}}),
    [](const ::testing::TestParamInfo<Behind>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The shell's answers that mean a busy user, whom a pop-up waits for (Wine
// always accepts notifications; Windows answers as
// SHQueryUserNotificationState and QUERY_USER_NOTIFICATION_STATE on Microsoft
// Learn describe).
TEST(BusyUser, IsWhatTheShellSays)
{
    struct
    {
        HRESULT result;
        int state;
        bool busy;
    } constexpr kAnswers[] = {
        {S_OK, QUNS_ACCEPTS_NOTIFICATIONS, false}, {S_OK, QUNS_NOT_PRESENT, false},
        {S_OK, QUNS_QUIET_TIME, false},            {S_OK, QUNS_BUSY, true},
        {S_OK, QUNS_RUNNING_D3D_FULL_SCREEN, true}, {S_OK, QUNS_PRESENTATION_MODE, true},
        {S_OK, 7 /* QUNS_APP, Windows 8 */, true}, {E_FAIL, QUNS_BUSY, false},
    };
    FakeShell shell;
    for (const auto& answer : kAnswers) {
        shell.notificationResult = answer.result;
        shell.notificationState = static_cast<QUERY_USER_NOTIFICATION_STATE>(answer.state);
        EXPECT_EQ(UserIsBusy(), answer.busy) << "state " << answer.state;
    }
}

} // namespace
} // namespace velmo_test
