// Random types, sizes and bytes for every configuration value, read through
// ReadAll and ReadUserDword: a value is taken only when valid (a 4-byte
// REG_DWORD; for OemUrl a REG_SZ of at most 520 bytes, cut at its first NUL),
// every other one keeps its default and leaves its own trace record, in the
// order ReadAll reads them.
#include "configValues.h"

#include "common/regKey.h"
#include "config/configFixture.h"

#include <tuple>

namespace velmo_fuzz {
namespace {

constexpr std::size_t kRounds = 3000;
constexpr DWORD kUntouched = 0xDEADBEEF;

auto Fields(const CVelmoConfig& c)
{
    return std::tuple(c.OemUrl, c.MinimizePrivacyIconAtStart, c.KorvaStatusInitMaxRetries,
                      c.CheckKorvaStatusTimeout, c.NumPollsForDisabled, c.PopupForCurrentUser);
}

class ConfigFuzz : public config_test::ConfigTest
{
protected:
    // Both keys gone and a fresh log cursor (the fixture's own set-up), then
    // the round's values.
    void StoreRound(const Round& round)
    {
        ConfigTest::SetUp();
        for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            if (root == HKEY_LOCAL_MACHINE ? round.machineKey : round.userKey) {
                UniqueRegKey key;
                ASSERT_EQ(RegCreateKeyExW(root, velmo_test::kVelmoKeyPath, 0, nullptr, 0, KEY_WRITE,
                                          nullptr, key.Put(), nullptr),
                          ERROR_SUCCESS);
            }
        for (int slot = 0; slot < kSlots; ++slot) {
            const StoredValue& value = round.values[slot];
            if (KeyThere(round, slot) && value.present)
                velmo_test::SetValue(kSettings[slot].root, kSettings[slot].name, value.type,
                                     value.data.data(), static_cast<DWORD>(value.data.size()));
        }
    }

    // What the round got wrong; empty when nothing.
    std::string CheckRound(const Round& round, const Expected& expected) const
    {
        std::string found;
        const CVelmoConfig actual = ReadConfig();
        if (Fields(actual) != Fields(expected.config))
            found += "read " + ::testing::PrintToString(Fields(actual)) + " instead of " +
                     ::testing::PrintToString(Fields(expected.config)) + "; ";
        const config_test::Texts records = Records();
        if (records != expected.records)
            found += "records " + ::testing::PrintToString(records) + " instead of " +
                     ::testing::PrintToString(expected.records) + "; ";

        DWORD lastEnabled = kUntouched;
        const bool read = actual.ReadUserDword(actual.KorvaLastEnabledName, lastEnabled);
        const bool taken = Taken(round, kLastEnabled);
        if (read != taken || lastEnabled != (taken ? DwordOf(round.values[kLastEnabled]) : kUntouched))
            found += "KorvaLastEnabled read as " + std::to_string(read) + ", " +
                     std::to_string(lastEnabled) + "; ";
        return found;
    }
};

TEST_F(ConfigFuzz, OnlyValidValuesAreTakenAndEveryOtherIsRecorded)
{
    FuzzRun run("config");
    Mismatches mismatches(run);
    std::size_t rejected = 0;
    const std::size_t rounds = kRounds * run.Scale();
    for (std::size_t number = 1; number <= rounds; ++number) {
        const Round round = RandomRound(run);
        StoreRound(round);
        if (HasFatalFailure())
            return;
        const Expected expected = ExpectedFor(round);
        const std::string found = CheckRound(round, expected);
        if (!found.empty())
            mismatches.Add(number, found + "stored: " + Describe(round));
        rejected += expected.records.size();
    }

    run.Report(std::to_string(rounds) + " rounds of 7 values, " + std::to_string(rejected) +
               " values rejected and recorded");
    EXPECT_EQ(mismatches.Count(), 0u);
}

} // namespace
} // namespace velmo_fuzz
