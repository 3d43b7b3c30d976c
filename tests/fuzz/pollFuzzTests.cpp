// Random records through the real dialog's poll, against a model of the
// display: the status text and the tray icon show only enabled, disabled or
// unknown, change exactly as the poll's rules say, and stay as they were for
// an invalid value; the per-user record follows definite readings only.
#include "statusRecords.h"

#include "res/resource.h"
#include "ui/dialogFixture.h"
#include "support/traceTexts.h"

#include <map>
#include <sstream>

namespace velmo_fuzz {

namespace traced = velmo_test::traced;

namespace {

constexpr std::size_t kPollsPerDialog = 2000;

struct Display
{
    UINT text;
    UINT icon;
};

Display DisplayOf(std::int32_t status)
{
    switch (status) {
    case 0:
        return {IDS_STATUS_DISABLED, IDI_STATUS_DISABLED};
    case 1:
        return {IDS_STATUS_ENABLED, IDI_STATUS_ENABLED};
    default:
        return {IDS_STATUS_UNKNOWN, IDI_STATUS_UNKNOWN};
    }
}

bool Definite(std::int32_t reading)
{
    return reading == 0 || reading == 1;
}

// The displayed status as the poll's rules make it, one reading at a time:
// a disabled reading must repeat to replace "enabled", invalid ones change
// nothing, definite ones are recorded for the user.
class DisplayModel
{
public:
    DisplayModel(DWORD pollsForDisabled, DWORD lastEnabled)
        : m_pollsForDisabled(pollsForDisabled), m_lastEnabled(lastEnabled)
    {
    }

    // Whether the displayed status changed.
    bool Take(std::int32_t reading)
    {
        const std::int32_t before = m_displayed;
        if (reading == 1 || (reading == 0 && !HeldByHysteresis())) {
            m_displayed = reading;
            m_disabledReadings = 0;
            m_lastEnabled = static_cast<DWORD>(reading);
        } else if (reading == 2) {
            m_displayed = 2;
        }
        return m_displayed != before;
    }

    std::int32_t Displayed() const { return m_displayed; }
    DWORD LastEnabled() const { return m_lastEnabled; }

private:
    bool HeldByHysteresis()
    {
        return m_displayed == 1 && ++m_disabledReadings < m_pollsForDisabled;
    }

    const DWORD m_pollsForDisabled;
    std::int32_t m_displayed = 2;
    DWORD m_disabledReadings = 0;
    DWORD m_lastEnabled;
};

class PollFuzz : public velmo_test::DialogTest
{
protected:
    // Which state icon a handle shows, looked at once per handle.
    UINT IconOf(HICON icon)
    {
        const auto known = m_icons.find(icon);
        if (known != m_icons.end())
            return known->second;
        return m_icons[icon] = velmo_test::StateIconOf(icon);
    }

    // Puts a random record (or none) where the next poll looks; gives the reading due.
    std::int32_t PublishRandom(FuzzRun& run)
    {
        if (run.Chance(10)) {
            Withdraw();
            return 2;
        }
        if (!m_section)
            m_section.emplace();
        const RecordImage record = RandomRecord(run);
        // Qualified: the fixture's own Publish and Visible would hide them.
        velmo_fuzz::Publish(*m_section, record, kViewBytes);
        m_lastRecord = Describe(record);
        return ExpectedReading(record);
    }

    void PollRandomly(FuzzRun& run, DisplayModel model, Mismatches& mismatches)
    {
        const std::size_t polls = kPollsPerDialog * run.Scale();
        for (std::size_t poll = 1; poll <= polls; ++poll) {
            const std::int32_t reading = PublishRandom(run);
            const bool valid = reading == 2 || Definite(reading);
            ++m_readings[valid ? std::to_string(reading) : "invalid"];
            ++m_polls;

            const bool result = Poll();
            const bool changed = model.Take(reading);
            m_changes += changed ? 1 : 0;
            const Display expected = DisplayOf(model.Displayed());
            auto mismatch = [&](const std::string& what) {
                mismatches.Add(m_polls, m_lastRecord + ": " + what);
            };

            if (result != valid)
                mismatch("the poll gave " + std::to_string(result));
            if (StatusText() != velmo_test::ResString(expected.text))
                mismatch("the status text is not string " + std::to_string(expected.text));
            const std::vector<velmo_test::TrayCall> calls = TakeTrayCalls();
            if (calls.size() != (changed ? 1u : 0u))
                mismatch(std::to_string(calls.size()) + " tray calls");
            else if (changed &&
                     (calls[0].message != NIM_MODIFY || IconOf(calls[0].hIcon) != expected.icon))
                mismatch("the tray was not sent icon " + std::to_string(expected.icon));
            if (UserValue(L"KorvaLastEnabled") != model.LastEnabled())
                mismatch("KorvaLastEnabled is not " + std::to_string(model.LastEnabled()));
        }
    }

    std::string m_lastRecord;
    std::size_t m_polls = 0;
    std::size_t m_changes = 0;
    std::map<std::string, std::size_t> m_readings;
    std::map<HICON, UINT> m_icons;
};

TEST_F(PollFuzz, RandomRecordsShowOnlyTheStatesTheRulesAllow)
{
    FuzzRun run("poll");
    Mismatches mismatches(run);
    // No pop-up and no warning: only the display is under test.
    SetMachine(L"MinimizePrivacyIconAtStart", 1);
    SetMachine(L"KorvaStatusInitMaxRetries", 0);
    // A dialog of its own for each count of disabled readings.
    for (const DWORD pollsForDisabled : {0u, 1u, 2u, 3u, 7u}) {
        SetMachine(L"NumPollsForDisabled", pollsForDisabled);
        SetUser(L"KorvaLastEnabled", 1);
        Withdraw();
        m_dialog.reset();
        StartDialog();
        ASSERT_EQ(StatusText(), velmo_test::ResString(IDS_STATUS_UNKNOWN));
        ASSERT_EQ(m_shell.Messages(), std::vector<DWORD>{NIM_ADD});
        TakeTrayCalls();
        PollRandomly(run, DisplayModel(pollsForDisabled, 1), mismatches);
        EXPECT_FALSE(Visible()) << "nothing here may show the window";
    }

    std::ostringstream counts;
    counts << m_polls << " polls, " << m_changes << " display changes; readings:";
    for (const auto& [reading, count] : m_readings)
        counts << " " << reading << "=" << count;
    run.Report(counts.str());
    EXPECT_EQ(mismatches.Count(), 0u);
    EXPECT_EQ(TraceCount(traced::kBadValue), m_readings["invalid"]);
}

} // namespace
} // namespace velmo_fuzz
