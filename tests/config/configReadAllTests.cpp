// CVelmoConfig::ReadAll: which values it takes, which it keeps, and the
// records it writes for the ones it cannot read.
#include "config/configFixture.h"

#include <functional>

namespace config_test {
namespace {

void ExpectMachineDefaults(const CVelmoConfig& config)
{
    EXPECT_EQ(config.OemUrl, kDefaultOemUrl);
    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 0);
    EXPECT_EQ(config.KorvaStatusInitMaxRetries, 7u);
    EXPECT_EQ(config.CheckKorvaStatusTimeout, 10000u);
    EXPECT_EQ(config.NumPollsForDisabled, 7u);
}

using ConfigConstruction = ConfigTest;

TEST_F(ConfigConstruction, HoldsTheDefaultsAndTouchesNoRegistry)
{
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);

    const CVelmoConfig config;

    ExpectMachineDefaults(config);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
    EXPECT_EQ(Records(), Texts{});
}

TEST_F(ConfigConstruction, NamesTheKeyPathAndValues)
{
    const CVelmoConfig config;
    EXPECT_EQ(config.KeyPath, L"SOFTWARE\\Brenlow\\Network_Services\\velmo");
    EXPECT_EQ(config.OemUrlName, L"OemUrl");
    EXPECT_EQ(config.MinimizePrivacyIconAtStartName, L"MinimizePrivacyIconAtStart");
    EXPECT_EQ(config.KorvaStatusInitMaxRetriesName, L"KorvaStatusInitMaxRetries");
    EXPECT_EQ(config.CheckKorvaStatusTimeoutName, L"CheckKorvaStatusTimeout");
    EXPECT_EQ(config.PopupForCurrentUserName, L"PopupForCurrentUser");
    EXPECT_EQ(config.NumPollsForDisabledName, L"NumPollsForDisabled");
    EXPECT_EQ(config.KorvaLastEnabledName, L"KorvaLastEnabled");
}

using ConfigWithoutMachineKey = ConfigTest;

TEST_F(ConfigWithoutMachineKey, KeepsDefaultsAndRecordsOnlyTheMissingUserValue)
{
    const CVelmoConfig config = ReadConfig();

    ExpectMachineDefaults(config);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
    EXPECT_EQ(Records(), Texts{kPopupMessage});
}

TEST_F(ConfigWithoutMachineKey, StillReadsTheUsersChoice)
{
    SetUserDword(L"PopupForCurrentUser", 0);

    const CVelmoConfig config = ReadConfig();

    ExpectMachineDefaults(config);
    EXPECT_EQ(config.PopupForCurrentUser, 0);
    EXPECT_EQ(Records(), Texts{});
}

TEST_F(ConfigWithoutMachineKey, TurnsMinimizeOffAndResetsThePopupChoice)
{
    CVelmoConfig config;
    config.MinimizePrivacyIconAtStart = 1;
    config.PopupForCurrentUser = 0;

    config.ReadAll();

    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 0);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
}

using ConfigAllValuesPresent = ConfigTest;

TEST_F(ConfigAllValuesPresent, ReadsEveryValueWithoutRecords)
{
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.OemUrl, L"https://oem.example/support");
    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 0);
    EXPECT_EQ(config.KorvaStatusInitMaxRetries, 3u);
    EXPECT_EQ(config.CheckKorvaStatusTimeout, 2500u);
    EXPECT_EQ(config.NumPollsForDisabled, 4u);
    EXPECT_EQ(config.PopupForCurrentUser, 0);
    EXPECT_EQ(Records(), Texts{});
}

TEST_F(ConfigAllValuesPresent, ZerosAreTakenWithoutComplaint)
{
    MachineValues zeros;
    zeros.retries = zeros.timeout = zeros.polls = 0;
    WriteMachineValues(zeros);
    SetUserDword(L"PopupForCurrentUser", 1);

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.KorvaStatusInitMaxRetries, 0u);
    EXPECT_EQ(config.CheckKorvaStatusTimeout, 0u);
    EXPECT_EQ(config.NumPollsForDisabled, 0u);
    EXPECT_EQ(Records(), Texts{});
}

TEST_F(ConfigAllValuesPresent, NumbersGetNoRangeTest)
{
    MachineValues largest;
    largest.retries = largest.timeout = largest.polls = 0xFFFFFFFFu;
    WriteMachineValues(largest);
    SetUserDword(L"PopupForCurrentUser", 7);

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.KorvaStatusInitMaxRetries, 0xFFFFFFFFu);
    EXPECT_EQ(config.CheckKorvaStatusTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(config.NumPollsForDisabled, 0xFFFFFFFFu);
    EXPECT_EQ(config.PopupForCurrentUser, 7);
}

// One value missing among present ones: its own record, its default.
struct MissingCase
{
    const char* name;
    const wchar_t* value;
    const char* message;
    std::function<void(const CVelmoConfig&)> expectDefault;
};

void PrintTo(const MissingCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigMissingValue : public ConfigTest, public ::testing::WithParamInterface<MissingCase>
{};

TEST_P(ConfigMissingValue, IsRecordedAndKeepsItsDefault)
{
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);
    if (std::wstring(GetParam().value) == L"PopupForCurrentUser")
        velmo_test::DeleteVelmoKey(HKEY_CURRENT_USER);
    else
        RemoveMachineValue(GetParam().value);

    const CVelmoConfig config = ReadConfig();

    GetParam().expectDefault(config);
    EXPECT_EQ(Records(), Texts{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    EachValue, ConfigMissingValue,
    ::testing::Values(
        MissingCase{"OemUrl", L"OemUrl", kOemUrlMessage,
                    [](const CVelmoConfig& c) { EXPECT_EQ(c.OemUrl, kDefaultOemUrl); }},
        MissingCase{"MinimizePrivacyIconAtStart", L"MinimizePrivacyIconAtStart", kMinimizeMessage,
                    [](const CVelmoConfig& c) {
                        EXPECT_EQ(c.MinimizePrivacyIconAtStart, 0);
                        EXPECT_EQ(c.PopupForCurrentUser, 0) << "the user's own choice";
                    }},
        MissingCase{"KorvaStatusInitMaxRetries", L"KorvaStatusInitMaxRetries", kRetriesMessage,
                    [](const CVelmoConfig& c) { EXPECT_EQ(c.KorvaStatusInitMaxRetries, 7u); }},
        MissingCase{"CheckKorvaStatusTimeout", L"CheckKorvaStatusTimeout", kTimeoutMessage,
                    [](const CVelmoConfig& c) { EXPECT_EQ(c.CheckKorvaStatusTimeout, 10000u); }},
        MissingCase{"NumPollsForDisabled", L"NumPollsForDisabled", kPollsMessage,
                    [](const CVelmoConfig& c) { EXPECT_EQ(c.NumPollsForDisabled, 7u); }},
        MissingCase{"PopupForCurrentUser", L"PopupForCurrentUser", kPopupMessage,
                    [](const CVelmoConfig& c) { EXPECT_EQ(c.PopupForCurrentUser, 1); }}),
    [](const ::testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

using ConfigMissingValues = ConfigTest;

TEST_F(ConfigMissingValues, AreRecordedInReadingOrderFromTheConfigurationSource)
{
    // The key exists, holding none of the configuration's values.
    SetMachineRaw(L"Unrelated", REG_DWORD, "\1\0\0\0", 4);

    const CVelmoConfig config = ReadConfig();

    ExpectMachineDefaults(config);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
    EXPECT_EQ(Records(), (Texts{kOemUrlMessage, kMinimizeMessage, kRetriesMessage,
                                kTimeoutMessage, kPollsMessage, kPopupMessage}));
}

// Any non-zero value turns Minimize on, and that overrides the user.
class ConfigMinimizeOn : public ConfigTest, public ::testing::WithParamInterface<DWORD>
{};

TEST_P(ConfigMinimizeOn, ForcesThePopupOffWhateverTheUserChose)
{
    MachineValues values;
    values.minimize = GetParam();
    WriteMachineValues(values);
    SetUserDword(L"PopupForCurrentUser", 1);

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 1);
    EXPECT_EQ(config.PopupForCurrentUser, 0);
    EXPECT_EQ(Records(), Texts{});
}

INSTANTIATE_TEST_SUITE_P(NonZeroValues, ConfigMinimizeOn, ::testing::Values(1u, 5u, 0xFFFFFFFFu));

using ConfigMinimizeOff = ConfigTest;

TEST_F(ConfigMinimizeOff, LeavesTheUsersChoice)
{
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 0);
    EXPECT_EQ(config.PopupForCurrentUser, 0);
}

TEST_F(ConfigMinimizeOff, PopsUpWhenTheUserHasNoChoice)
{
    WriteMachineValues();

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 0);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
    EXPECT_EQ(Records(), Texts{kPopupMessage});
}

} // namespace
} // namespace config_test
