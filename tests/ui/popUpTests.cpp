// The window pops up by itself: reason A, the user newly sees "enabled";
// reason B, once after start for a user who wants it.
#include "dialogFixture.h"

#include "res/resource.h"

namespace velmo_test {
namespace {

using AutomaticPopUp = DialogTest;

TEST_F(AutomaticPopUp, UserNewToEnabledSeesTheWindowAndIsRecorded)
{
    SetUser(L"PopupForCurrentUser", 0);
    Publish(kEnabled);
    StartDialog();
    EXPECT_TRUE(Visible());
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 1u);
}

TEST_F(AutomaticPopUp, LaterEnabledReadingsDoNotPopUp)
{
    SetUser(L"PopupForCurrentUser", 0);
    Publish(kEnabled);
    StartDialog();
    ClickButton(IDC_HIDE_BUTTON);
    ASSERT_FALSE(Visible());
    PollTimes(2);
    EXPECT_FALSE(Visible());
}

TEST_F(AutomaticPopUp, EnabledAfterDisabledDisplayPopsUpAgain)
{
    SetUser(L"PopupForCurrentUser", 0);
    SetMachine(L"NumPollsForDisabled", 1);
    Publish(kEnabled);
    StartDialog();
    ClickButton(IDC_HIDE_BUTTON);

    Publish(kDisabled);
    Poll();
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 0u);
    EXPECT_FALSE(Visible());

    Publish(kEnabled);
    Poll();
    EXPECT_TRUE(Visible());
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 1u);
}

TEST_F(AutomaticPopUp, MinimizedPrivacyIconMeansNoPopUpForNewlyEnabled)
{
    SetMachine(L"MinimizePrivacyIconAtStart", 1);
    Publish(kEnabled);
    StartDialog();
    EXPECT_FALSE(Visible());
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 1u);
}

TEST_F(AutomaticPopUp, UserWhoWantsItSeesTheFirstDefiniteReadingOnce)
{
    SetUser(L"PopupForCurrentUser", 1);
    SetUser(L"KorvaLastEnabled", 1);
    Publish(kEnabled);
    StartDialog();
    EXPECT_TRUE(Visible());
    ClickButton(IDC_HIDE_BUTTON);
    ASSERT_FALSE(Visible());

    Withdraw();
    Poll();
    Publish(kEnabled);
    Poll();
    EXPECT_FALSE(Visible());
}

TEST_F(AutomaticPopUp, UserWhoWantsItSeesADisabledStartToo)
{
    SetUser(L"PopupForCurrentUser", 1);
    Publish(kDisabled);
    StartDialog();
    EXPECT_TRUE(Visible());
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 0u);
}

TEST_F(AutomaticPopUp, UserWhoDeclinedNeverSeesTheWindow)
{
    const VisibilityWatch watch;
    SetUser(L"PopupForCurrentUser", 0);
    Publish(kDisabled);
    StartDialog();
    EXPECT_FALSE(Visible());
    PollTimes(3);
    Withdraw();
    Poll();
    Publish(kDisabled);
    Poll();
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(watch.EverVisible());
    EXPECT_EQ(watch.ShowsSeen(), 0);
}

TEST_F(AutomaticPopUp, UnknownReadingsNeverWriteTheLastEnabledRecord)
{
    StartDialog();
    PollTimes(3);
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), std::nullopt);

    SetUser(L"KorvaLastEnabled", 5);
    PollTimes(3);
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 5u);
}

// ---------------------------------------------------------------------------
// A pop-up the tray was not ready for (at logon) is owed, not lost, and the
// window shows only once the icon can bring it back.

struct OwedPopUp
{
    const char* name;
    bool userWantsPopUp;       // reason B; otherwise reason A, new to "enabled"
    bool taskbarAnnounced;     // the add succeeds on "TaskbarCreated", else at a poll
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
    m_shell.addResult = FALSE;
    const VisibilityWatch watch;
    ASSERT_TRUE(RunModal(watch, [&] {
        Report(way.lastReading);
        Poll();
        EXPECT_FALSE(watch.EverVisible()) << "shown with no icon to bring it back";
        if (!way.userWantsPopUp && way.lastReading == kEnabled) {
            EXPECT_EQ(UserValue(L"KorvaLastEnabled"), std::nullopt) << "recorded as seen unseen";
        }

        m_shell.addResult = TRUE;
        if (way.taskbarAnnounced)
            Send(RegisterWindowMessageW(L"TaskbarCreated"));
        else
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
    ::testing::Values(OwedPopUp{"NewToEnabledAtAPoll", false, false, kEnabled, true},
                      OwedPopUp{"NewToEnabledAtTaskbarCreated", false, true, kEnabled, true},
                      OwedPopUp{"NewToEnabledNoMore", false, false, kDisabled, false},
                      OwedPopUp{"WantsPopUpAtAPoll", true, false, kEnabled, true},
                      OwedPopUp{"WantsPopUpAtTaskbarCreated", true, true, kEnabled, true},
                      OwedPopUp{"WantsPopUpWhateverTheStatus", true, false, kDisabled, true}),
    [](const ::testing::TestParamInfo<OwedPopUp>& info) { return std::string(info.param.name); });

} // namespace
} // namespace velmo_test
