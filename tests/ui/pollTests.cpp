// The status poll: the readings that change the display, the hysteresis of
// "disabled", the unknown-status warning and the refused values.
#include "dialogFixture.h"

#include "res/resource.h"

#include <cwchar>

namespace velmo_test {
namespace {

const char kSwitchTrace7[] =
    "Got 'disabled' status 7 times - changing displayed status to 'disabled'.";
const char kSwitchTrace1[] =
    "Got 'disabled' status 1 times - changing displayed status to 'disabled'.";
const char kWarningTrace7[] =
    "Korva Status could not be retrieved 7 times - the velmosrv service is probably not running.";

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring WarningText(unsigned seconds)
{
    wchar_t text[512] = {};
    std::swprintf(text, std::size(text), ResString(IDS_UNKNOWN_MESSAGE).c_str(), seconds);
    return text;
}

// ---------------------------------------------------------------------------
// A disabled reading must repeat before it replaces a displayed "enabled".

class DisabledHysteresis : public DialogTest
{
protected:
    // Enabled on display, the tray icon added, nothing popped up.
    void StartEnabled()
    {
        QuietUser();
        Publish(kEnabled);
        StartDialog();
        ASSERT_EQ(StatusText(), ResString(IDS_STATUS_ENABLED));
        ASSERT_EQ(m_shell.Messages(), std::vector<DWORD>{NIM_ADD});
        TakeTrayCalls();
    }

    std::size_t SwitchTraces() const
    {
        std::size_t count = 0;
        for (const std::string& entry : Traces())
            count += StartsWith(entry, "Got 'disabled' status") ? 1 : 0;
        return count;
    }

    // The display shows "disabled" now, and the tray was told once.
    void ExpectSwitchedToDisabled()
    {
        EXPECT_EQ(StatusText(), ResString(IDS_STATUS_DISABLED));
        const std::vector<TrayCall> calls = TakeTrayCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(StateIconOf(calls[0].hIcon), static_cast<UINT>(IDI_STATUS_DISABLED));
        EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 0u);
    }

    void ExpectStillEnabled()
    {
        EXPECT_EQ(StatusText(), ResString(IDS_STATUS_ENABLED));
        EXPECT_TRUE(TakeTrayCalls().empty());
        EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 1u);
    }
};

TEST_F(DisabledHysteresis, SixDisabledReadingsKeepEnabledAndTheSeventhSwitches)
{
    StartEnabled();
    Publish(kDisabled);
    for (int reading = 1; reading <= 6; ++reading) {
        SCOPED_TRACE(reading);
        EXPECT_TRUE(Poll());
        ExpectStillEnabled();
    }
    EXPECT_EQ(SwitchTraces(), 0u);

    EXPECT_TRUE(Poll());
    ExpectSwitchedToDisabled();
    EXPECT_EQ(TraceCount(kSwitchTrace7), 1u);
    EXPECT_EQ(SwitchTraces(), 1u);
}

TEST_F(DisabledHysteresis, ZeroRequiredReadingsSwitchAtOnceWithoutTrace)
{
    SetMachine(L"NumPollsForDisabled", 0);
    StartEnabled();
    Publish(kDisabled);
    EXPECT_TRUE(Poll());
    ExpectSwitchedToDisabled();
    EXPECT_EQ(SwitchTraces(), 0u);
}

TEST_F(DisabledHysteresis, OneRequiredReadingSwitchesAtOnceWithTrace)
{
    SetMachine(L"NumPollsForDisabled", 1);
    StartEnabled();
    Publish(kDisabled);
    EXPECT_TRUE(Poll());
    ExpectSwitchedToDisabled();
    EXPECT_EQ(TraceCount(kSwitchTrace1), 1u);
    EXPECT_EQ(SwitchTraces(), 1u);
}

TEST_F(DisabledHysteresis, EnabledReadingRestartsTheCount)
{
    StartEnabled();
    Publish(kDisabled);
    PollTimes(3);
    Publish(kEnabled);
    Poll();
    ExpectStillEnabled();

    Publish(kDisabled);
    PollTimes(6);
    ExpectStillEnabled();
    Poll();
    ExpectSwitchedToDisabled();
    EXPECT_EQ(TraceCount(kSwitchTrace7), 1u);
}

TEST_F(DisabledHysteresis, UnknownReadingShowsAtOnceAndDisabledFollowsAtOnce)
{
    StartEnabled();
    Publish(kDisabled);
    PollTimes(2);
    ExpectStillEnabled();

    Withdraw();
    Poll();
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_UNKNOWN));
    std::vector<TrayCall> calls = TakeTrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(StateIconOf(calls[0].hIcon), static_cast<UINT>(IDI_STATUS_UNKNOWN));

    Publish(kDisabled);
    Poll();
    ExpectSwitchedToDisabled();
    EXPECT_EQ(SwitchTraces(), 0u);
}

// ---------------------------------------------------------------------------
// The one message box of a run of unknown readings.

using UnknownStatusWarning = DialogTest;

TEST_F(UnknownStatusWarning, ComesAtTheSeventhPollAndReportsSixtySeconds)
{
    StartDialog(); // the first poll
    PollTimes(5);
    EXPECT_TRUE(m_shell.boxes.empty());
    EXPECT_EQ(TraceCount(kWarningTrace7), 0u);

    Poll();
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    const BoxCall& box = m_shell.boxes[0];
    EXPECT_EQ(box.text, WarningText(60));
    EXPECT_NE(box.text.find(L"60"), std::wstring::npos);
    EXPECT_EQ(box.caption, ResString(IDS_UNKNOWN_CAPTION));
    EXPECT_FALSE(box.caption.empty());
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(box.owner, Window());
    EXPECT_TRUE(box.ownerVisible);
    EXPECT_EQ(TraceCount(kWarningTrace7), 1u);
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_UNKNOWN));
}

TEST_F(UnknownStatusWarning, ComesOncePerRunOfUnknownReadings)
{
    StartDialog();
    PollTimes(6);
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    PollTimes(10);
    EXPECT_EQ(m_shell.boxes.size(), 1u);

    Publish(kEnabled);
    Poll();
    Withdraw();
    PollTimes(6);
    EXPECT_EQ(m_shell.boxes.size(), 1u);
    Poll();
    ASSERT_EQ(m_shell.boxes.size(), 2u);
    EXPECT_EQ(m_shell.boxes[1].text, WarningText(60));
    EXPECT_EQ(TraceCount(kWarningTrace7), 2u);
}

TEST_F(UnknownStatusWarning, NeverComesWithZeroRetries)
{
    SetMachine(L"KorvaStatusInitMaxRetries", 0);
    StartDialog();
    PollTimes(20);
    EXPECT_TRUE(m_shell.boxes.empty());
}

TEST_F(UnknownStatusWarning, ComesInTheFirstPollWithOneRetryAndShowsTheWindow)
{
    SetMachine(L"KorvaStatusInitMaxRetries", 1);
    SetUser(L"PopupForCurrentUser", 0); // nothing else would show the window
    StartDialog();
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    EXPECT_EQ(m_shell.boxes[0].text, WarningText(0));
    EXPECT_TRUE(m_shell.boxes[0].ownerVisible);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(m_shell.Messages(), std::vector<DWORD>{NIM_ADD});
}

TEST_F(UnknownStatusWarning, ReadsRightToLeftInARightToLeftDialog)
{
    StartDialog();
    SetWindowLongW(Window(), GWL_EXSTYLE, GetWindowLongW(Window(), GWL_EXSTYLE) | WS_EX_RTLREADING);
    PollTimes(6);
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    EXPECT_EQ(m_shell.boxes[0].type, 0x100010u);
}

TEST_F(UnknownStatusWarning, PollInsideTheOpenBoxShowsNoSecondBox)
{
    int nestedPolls = 0;
    m_shell.whileBoxIsOpen = [&] {
        if (nestedPolls++ == 0)
            Poll();
    };
    StartDialog();
    PollTimes(6);
    EXPECT_EQ(nestedPolls, 1);
    EXPECT_EQ(m_shell.boxes.size(), 1u);
    // Seven polls of our own and the one inside the box.
    EXPECT_EQ(TraceCount("Retrieved KorvaStatus: unknown"), 8u);
}

TEST_F(UnknownStatusWarning, NextPollSettlesAServiceThatCameUpWhileTheBoxWasOpen)
{
    QuietUser();
    m_shell.whileBoxIsOpen = [&] {
        Publish(kEnabled);
        Poll();
    };
    StartDialog();
    PollTimes(6);
    ASSERT_EQ(m_shell.boxes.size(), 1u);

    TakeTrayCalls();
    EXPECT_TRUE(Poll());
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_ENABLED));
    const std::vector<TrayCall> calls = TakeTrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(StateIconOf(calls[0].hIcon), static_cast<UINT>(IDI_STATUS_ENABLED));
}

TEST_F(UnknownStatusWarning, NewRunInsideTheOpenBoxStacksNoSecondBox)
{
    m_shell.whileBoxIsOpen = [&] {
        m_shell.whileBoxIsOpen = nullptr;
        Publish(kEnabled);
        Poll();
        Withdraw();
        PollTimes(10); // a whole new run, past its seventh reading
    };
    StartDialog();
    PollTimes(6);
    PollTimes(10);
    EXPECT_EQ(m_shell.boxes.size(), 1u);
    EXPECT_EQ(TraceCount(kWarningTrace7), 1u);
}

TEST_F(UnknownStatusWarning, CountsExactlyWhileTheTrayIconIsNotYetAdded)
{
    m_shell.running = false;
    SetMachine(L"KorvaStatusInitMaxRetries", 3);
    StartDialog();
    PollTimes(2);
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    EXPECT_EQ(m_shell.boxes[0].text, WarningText(20));
    EXPECT_EQ(TraceCount("Korva Status could not be retrieved 3 times - the velmosrv service is "
                         "probably not running."),
              1u);
    EXPECT_EQ(TraceCount("Retrieved KorvaStatus: unknown"), 3u) << "a poll nested in the show";
}

TEST_F(UnknownStatusWarning, BadReadingsCountAsAttempts)
{
    StartDialog(); // attempt 1
    Publish(kBadValue);
    PollTimes(3); // attempts 2 to 4
    Withdraw();
    PollTimes(2);
    EXPECT_TRUE(m_shell.boxes.empty());
    Poll(); // attempt 7
    EXPECT_EQ(m_shell.boxes.size(), 1u);
}

// ---------------------------------------------------------------------------
// A value outside 0..2 is refused and changes nothing.

using BadStatusValue = DialogTest;

TEST_F(BadStatusValue, IsTracedAndChangesNothing)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    SetUser(L"KorvaLastEnabled", 5);
    SetDlgItemTextW(Window(), 1004, L"before the bad value");
    TakeTrayCalls();

    Publish(kBadValue);
    EXPECT_FALSE(Poll());
    EXPECT_EQ(TraceCount("Retrieved KorvaStatus: bad value!"), 1u);
    EXPECT_TRUE(TakeTrayCalls().empty());
    EXPECT_EQ(StatusText(), L"before the bad value");
    EXPECT_EQ(UserValue(L"KorvaLastEnabled"), 5u);
    EXPECT_FALSE(Visible());

    // Still "enabled" on display: the same reading again changes no icon.
    Publish(kEnabled);
    EXPECT_TRUE(Poll());
    EXPECT_TRUE(TakeTrayCalls().empty());
}

} // namespace
} // namespace velmo_test
