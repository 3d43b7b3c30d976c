// The status poll: the readings that change the display, the hysteresis of
// "disabled", the unknown-status warning and the refused values.
#include "dialogFixture.h"

#include "res/resource.h"
#include "support/traceTexts.h"

#include <optional>
#include <string>

namespace velmo_test {
namespace {

std::size_t CountStartingWith(const std::vector<std::string>& entries, const std::string& prefix)
{
    std::size_t count = 0;
    for (const std::string& entry : entries)
        count += entry.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

UINT StatusString(std::uint32_t status)
{
    return status == kEnabled    ? IDS_STATUS_ENABLED
           : status == kDisabled ? IDS_STATUS_DISABLED
                                 : IDS_STATUS_UNKNOWN;
}

UINT StatusIcon(std::uint32_t status)
{
    return status == kEnabled    ? IDI_STATUS_ENABLED
           : status == kDisabled ? IDI_STATUS_DISABLED
                                 : IDI_STATUS_UNKNOWN;
}

// ---------------------------------------------------------------------------
// A disabled reading must repeat before it replaces a displayed "enabled".

// The same reading `times` polls in a row, and the status on display after each.
struct Readings
{
    std::uint32_t reading;
    int times;
    std::uint32_t shown;
};

struct Hysteresis
{
    const char* name;
    std::optional<DWORD> required; // NumPollsForDisabled; else the default 7
    int tracedCount;               // the count the switch's trace names; 0: no such trace
    std::vector<Readings> runs;
};

void PrintTo(const Hysteresis& row, std::ostream* out)
{
    *out << row.name;
}

class DisabledHysteresis : public DialogTest, public ::testing::WithParamInterface<Hysteresis>
{
};

TEST_P(DisabledHysteresis, KeepsEnabledOnDisplayUntilDisabledRepeats)
{
    const Hysteresis& row = GetParam();
    if (row.required)
        SetMachine(L"NumPollsForDisabled", *row.required);
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    ASSERT_EQ(StatusText(), ResString(IDS_STATUS_ENABLED));
    ASSERT_EQ(m_shell.Messages(), std::vector<DWORD>{NIM_ADD});
    TakeTrayCalls();
    std::uint32_t shown = kEnabled;
    int number = 0;
    for (const Readings& run : row.runs) {
        for (int i = 0; i < run.times; ++i) {
            SCOPED_TRACE(::testing::Message() << "reading " << ++number);
            Report(run.reading);
            EXPECT_TRUE(Poll());
            EXPECT_EQ(StatusText(), ResString(StatusString(run.shown)));
            // The tray is told once, at the change.
            const std::vector<TrayCall> calls = TakeTrayCalls();
            ASSERT_EQ(calls.size(), run.shown != shown ? 1u : 0u);
            if (!calls.empty()) {
                EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
                EXPECT_EQ(StateIconOf(calls[0].hIcon), StatusIcon(run.shown));
            }
            shown = run.shown;
            // Written at each definite display; unknown leaves it.
            EXPECT_EQ(UserValue(L"KorvaLastEnabled"), run.shown == kDisabled ? 0u : 1u);
        }
    }
    EXPECT_EQ(CountStartingWith(Traces(), traced::kDisabledHeldPrefix),
              row.tracedCount != 0 ? 1u : 0u);
    if (row.tracedCount != 0) {
        EXPECT_EQ(TraceCount(traced::DisabledHeld(row.tracedCount)), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, DisabledHysteresis,
    ::testing::Values(
        Hysteresis{"SixKeepEnabledAndTheSeventhSwitches", {}, 7,
                   {{kDisabled, 6, kEnabled}, {kDisabled, 3, kDisabled}}},
        Hysteresis{"ZeroRequiredSwitchesAtOnceUntraced", 0u, 0, {{kDisabled, 1, kDisabled}}},
        Hysteresis{"OneRequiredSwitchesAtOnceTraced", 1u, 1, {{kDisabled, 1, kDisabled}}},
        Hysteresis{"EnabledReadingRestartsTheCount", {}, 7,
                   {{kDisabled, 3, kEnabled}, {kEnabled, 1, kEnabled}, {kDisabled, 6, kEnabled},
                    {kDisabled, 1, kDisabled}}},
        Hysteresis{"UnknownShowsAtOnceAndDisabledFollowsAtOnce", {}, 0,
                   {{kDisabled, 2, kEnabled}, {kUnknown, 1, kUnknown}, {kDisabled, 1, kDisabled}}}),
    [](const ::testing::TestParamInfo<Hysteresis>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The one message box of a run of unknown readings.

// The same reading `times` polls in a row (the first of all is the start's),
// and the boxes given so far.
struct Attempts
{
    std::uint32_t reading;
    int times;
    std::size_t boxes;
};

struct Warning
{
    const char* name;
    std::optional<DWORD> retries; // KorvaStatusInitMaxRetries; else the default 7
    bool iconAdded;               // else the shell takes no icon
    LONG exStyle;                 // of the window, from the first poll on
    UINT type;                    // of each box
    std::vector<unsigned> seconds; // each box reports
    std::vector<Attempts> attempts;
};

void PrintTo(const Warning& row, std::ostream* out)
{
    *out << row.name;
}

class UnknownWarning : public DialogTest, public ::testing::WithParamInterface<Warning>
{
};

TEST_P(UnknownWarning, ComesOnceARunAtTheRetryCountWithItsSeconds)
{
    const Warning& row = GetParam();
    QuietUser();
    if (row.retries)
        SetMachine(L"KorvaStatusInitMaxRetries", *row.retries);
    m_shell.running = row.iconAdded;
    int number = 0;
    std::size_t unknownReadings = 0;
    for (const Attempts& run : row.attempts) {
        for (int i = 0; i < run.times; ++i) {
            Report(run.reading);
            if (number++ == 0) {
                StartDialog();
                SetWindowLongW(Window(), GWL_EXSTYLE,
                               GetWindowLongW(Window(), GWL_EXSTYLE) | row.exStyle);
            } else {
                Poll();
            }
        }
        unknownReadings += run.reading == kUnknown ? static_cast<std::size_t>(run.times) : 0;
        EXPECT_EQ(m_shell.boxes.size(), run.boxes) << "after reading " << number;
    }
    ASSERT_EQ(m_shell.boxes.size(), row.seconds.size());
    for (std::size_t i = 0; i < row.seconds.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "box " << i + 1);
        const BoxCall& box = m_shell.boxes[i];
        EXPECT_EQ(box.text, WarningText(row.seconds[i]));
        EXPECT_EQ(box.caption, ResString(IDS_UNKNOWN_CAPTION));
        EXPECT_FALSE(box.caption.empty());
        EXPECT_EQ(box.type, row.type);
        EXPECT_EQ(box.owner, Window());
        // Shown with it, unless no icon could bring the window back.
        EXPECT_EQ(box.ownerVisible, row.iconAdded);
    }
    EXPECT_EQ(CountStartingWith(Traces(), traced::kUnknownForPrefix),
              row.seconds.size());
    EXPECT_EQ(TraceCount(traced::UnknownFor(row.retries.value_or(7))), row.seconds.size());
    // No poll nested in the box's show, nor a second add of the icon.
    EXPECT_EQ(TraceCount(traced::kUnknown), unknownReadings);
    if (row.iconAdded) {
        EXPECT_EQ(m_shell.Count(NIM_ADD), 1u);
        // Its image, whichever show added it.
        EXPECT_EQ(m_shell.ShownIcon(), static_cast<UINT>(IDI_STATUS_UNKNOWN));
    }
}

constexpr UINT kBox = MB_ICONERROR;

INSTANTIATE_TEST_SUITE_P(
    Attempts, UnknownWarning,
    ::testing::Values(
        Warning{"AtTheSeventhReading", {}, true, 0, kBox, {60},
                {{kUnknown, 6, 0}, {kUnknown, 1, 1}}},
        Warning{"OncePerRun", {}, true, 0, kBox, {60, 60},
                {{kUnknown, 7, 1}, {kUnknown, 10, 1}, {kEnabled, 1, 1}, {kUnknown, 6, 1},
                 {kUnknown, 1, 2}}},
        Warning{"NeverWithZeroRetries", 0u, true, 0, kBox, {}, {{kUnknown, 21, 0}}},
        Warning{"InTheFirstPollWithOneRetry", 1u, true, 0, kBox, {0}, {{kUnknown, 1, 1}}},
        Warning{"CountedExactlyWhileTheIconIsNotYetAdded", 3u, false, 0, kBox, {20},
                {{kUnknown, 2, 0}, {kUnknown, 1, 1}}},
        Warning{"BadReadingsCountAsAttempts", {}, true, 0, kBox, {60},
                {{kUnknown, 1, 0}, {kBadValue, 3, 0}, {kUnknown, 2, 0}, {kUnknown, 1, 1}}},
        // A mirrored window reads right to left without WS_EX_RTLREADING.
        Warning{"RightToLeftReadingWindow", {}, true, WS_EX_RTLREADING, kBox | MB_RTLREADING,
                {60}, {{kUnknown, 7, 1}}},
        Warning{"MirroredWindow", {}, true, WS_EX_LAYOUTRTL, kBox | MB_RTLREADING | MB_RIGHT,
                {60}, {{kUnknown, 7, 1}}}),
    [](const ::testing::TestParamInfo<Warning>& info) { return std::string(info.param.name); });

using UnknownStatusWarning = DialogTest;

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
    EXPECT_EQ(TraceCount(traced::kUnknown), 8u);
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

// ---------------------------------------------------------------------------
// A value outside 0..2 is refused and changes nothing.

using BadStatusValue = DialogTest;

TEST_F(BadStatusValue, IsTracedAndChangesNothing)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    SetUser(L"KorvaLastEnabled", 5);
    SetDlgItemTextW(Window(), IDC_STATUS_TEXT, L"before the bad value");
    TakeTrayCalls();

    Publish(kBadValue);
    EXPECT_FALSE(Poll());
    EXPECT_EQ(TraceCount(traced::kBadValue), 1u);
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
