// The task bar restarting, seen from inside: the real dialog against a shell
// that keeps its icons as the real one does (an add of an icon it holds
// fails, a modify of one it lacks fails, a restart forgets them all).
#include "res/resource.h"
#include "ui/dialogFixture.h"

#include <optional>

namespace velmo_test {
namespace {

constexpr KorvaStatus kStates[] = {kKorvaDisabled, kKorvaEnabled, kKorvaUnknown};

UINT IconIdOf(KorvaStatus status)
{
    switch (status) {
    case kKorvaDisabled:
        return IDI_STATUS_DISABLED;
    case kKorvaEnabled:
        return IDI_STATUS_ENABLED;
    default:
        return IDI_STATUS_UNKNOWN;
    }
}

UINT TextIdOf(KorvaStatus status)
{
    switch (status) {
    case kKorvaDisabled:
        return IDS_STATUS_DISABLED;
    case kKorvaEnabled:
        return IDS_STATUS_ENABLED;
    default:
        return IDS_STATUS_UNKNOWN;
    }
}

class IconKeepingShell : public FakeShell
{
public:
    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override
    {
        addResult = !m_icon;
        modifyResult = m_icon.has_value();
        const BOOL done = FakeShell::NotifyIcon(message, data);
        if (done && message == NIM_DELETE)
            m_icon.reset();
        else if (done && (message == NIM_ADD || message == NIM_MODIFY) && (data->uFlags & NIF_ICON))
            m_icon = data->hIcon;
        return done;
    }

    // The task bar came back without any icon.
    void Restart() { m_icon.reset(); }
    // The state icon the shell shows, 0 when it holds none.
    UINT Shown() const { return m_icon ? StateIconOf(*m_icon) : 0; }

private:
    std::optional<HICON> m_icon;
};

class TaskbarRestart : public DialogTest, public ::testing::WithParamInterface<KorvaStatus>
{
protected:
    void TearDown() override
    {
        // The dialog goes while this shell is still the one in use.
        m_dialog.reset();
    }

    // `status` on display and in the shell's icon.
    void StartShowing(KorvaStatus status)
    {
        // No pop-up: a shown window only slows the test down.
        QuietUser();
        SetMachine(L"MinimizePrivacyIconAtStart", 1);
        SetMachine(L"NumPollsForDisabled", 1);
        Report(kKorvaEnabled);
        StartDialog();
        Show(status);
        ASSERT_EQ(m_keeper.Shown(), IconIdOf(status));
    }

    void Show(KorvaStatus status)
    {
        Report(static_cast<std::uint32_t>(status));
        Poll();
        ASSERT_EQ(StatusText(), ResString(TextIdOf(status)));
    }

    void AnnounceTaskbarRestart() { Send(RegisterWindowMessageW(L"TaskbarCreated")); }

    // Declared after the base's shell, so it is the one in use.
    IconKeepingShell m_keeper;
};

TEST_P(TaskbarRestart, AddsTheIconOfTheDisplayedStateAgain)
{
    StartShowing(GetParam());
    m_keeper.Restart();

    AnnounceTaskbarRestart();

    EXPECT_EQ(m_keeper.Shown(), IconIdOf(GetParam()));
    EXPECT_TRUE(Poll());
    EXPECT_EQ(m_keeper.Shown(), IconIdOf(GetParam()));
    EXPECT_EQ(TraceCount("Failed to add tray icon"), 0u);
}

TEST_P(TaskbarRestart, AnnouncedWhileTheIconIsHeldLeavesItFollowingTheState)
{
    StartShowing(GetParam());

    AnnounceTaskbarRestart();

    for (KorvaStatus next : kStates) {
        if (next == GetParam())
            continue;
        Show(next);
        EXPECT_EQ(m_keeper.Shown(), IconIdOf(next)) << "after showing " << next;
    }
    EXPECT_TRUE(Poll());
    EXPECT_LE(TraceCount("Failed to add tray icon"), 1u);
}

TEST_P(TaskbarRestart, IconForgottenUnannouncedComesBackAtTheNextChange)
{
    StartShowing(GetParam());
    m_keeper.Restart(); // and no "TaskbarCreated" reaches the applet

    for (KorvaStatus next : kStates) {
        if (next == GetParam())
            continue;
        Show(next);
        EXPECT_EQ(m_keeper.Shown(), IconIdOf(next)) << "after showing " << next;
    }
    EXPECT_EQ(TraceCount("Failed to modify tray icon"), 1u);
}

std::string StateName(const ::testing::TestParamInfo<KorvaStatus>& info)
{
    constexpr const char* kNames[] = {"Disabled", "Enabled", "Unknown"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(States, TaskbarRestart, ::testing::ValuesIn(kStates), StateName);

} // namespace
} // namespace velmo_test
