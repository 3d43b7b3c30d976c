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

} // namespace
} // namespace velmo_test
