// Random types, sizes and bytes for every configuration value, read through
// ReadAll and ReadUserDword: a value is taken only when valid (a 4-byte
// REG_DWORD; for OemUrl a REG_SZ of at most 520 bytes, cut at its first NUL),
// every other one keeps its default and leaves its own trace record, in the
// order ReadAll reads them.
#include "configValues.h"

#include "common/regKey.h"
#include "config/configFixture.h"

namespace velmo_fuzz {
namespace {

constexpr std::size_t kRounds = 3000;
constexpr DWORD kUntouched = 0xDEADBEEF;

class ConfigFuzz : public config_test::ConfigTest
{
protected:
    // Both keys gone and a fresh log cursor (the fixture's own set-up), then
    // the round's values.
    void StoreRound(const Machine& machine, const User& user)
    {
        ConfigTest::SetUp();
        if (machine.key) {
            CreateKey(HKEY_LOCAL_MACHINE);
            Store(HKEY_LOCAL_MACHINE, L"OemUrl", machine.oemUrl);
            Store(HKEY_LOCAL_MACHINE, L"MinimizePrivacyIconAtStart", machine.minimize);
            Store(HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", machine.retries);
            Store(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", machine.timeout);
            Store(HKEY_LOCAL_MACHINE, L"NumPollsForDisabled", machine.polls);
        }
        if (user.key) {
            CreateKey(HKEY_CURRENT_USER);
            Store(HKEY_CURRENT_USER, L"PopupForCurrentUser", user.popup);
            Store(HKEY_CURRENT_USER, L"KorvaLastEnabled", user.lastEnabled);
        }
    }

    // What the round got wrong; empty when nothing.
    std::string CheckRound(const Machine& machine, const User& user) const
    {
        const CVelmoConfig actual = ReadConfig();
        const Expected expected = ExpectedFor(machine, user);
        std::string found = Differences(actual, expected.config);
        const config_test::Texts records = Records();
        if (records != expected.records)
            found += "records " + ::testing::PrintToString(records) + " instead of " +
                     ::testing::PrintToString(expected.records) + "; ";

        DWORD lastEnabled = kUntouched;
        const bool read = actual.ReadUserDword(actual.KorvaLastEnabledName, lastEnabled);
        const bool valid = user.key && IsDword(user.lastEnabled);
        if (read != valid || lastEnabled != (valid ? DwordOf(user.lastEnabled) : kUntouched))
            found += "KorvaLastEnabled read as " + std::to_string(read) + ", " +
                     std::to_string(lastEnabled) + "; ";
        return found;
    }

private:
    static void CreateKey(HKEY root)
    {
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(root, velmo_test::kVelmoKeyPath, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
    }

    static void Store(HKEY root, const wchar_t* name, const StoredValue& value)
    {
        if (value.present)
            velmo_test::SetValue(root, name, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size()));
    }
};

TEST_F(ConfigFuzz, OnlyValidValuesAreTakenAndEveryOtherIsRecorded)
{
    FuzzRun run("config");
    Mismatches mismatches(run);
    std::size_t rejected = 0;
    const std::size_t rounds = kRounds * run.Scale();
    for (std::size_t round = 1; round <= rounds; ++round) {
        const Machine machine = RandomMachine(run);
        const User user = RandomUser(run);
        StoreRound(machine, user);
        if (HasFatalFailure())
            return;
        const std::string found = CheckRound(machine, user);
        if (!found.empty())
            mismatches.Add(round, found + "stored: " + Describe(machine, user));
        rejected += ExpectedFor(machine, user).records.size();
    }

    run.Report(std::to_string(rounds) + " rounds of 7 values, " + std::to_string(rejected) +
               " values rejected and recorded");
    EXPECT_EQ(mismatches.Count(), 0u);
}

} // namespace
} // namespace velmo_fuzz
