// CVelmoConfig::ReadAll: which values it takes, which it keeps, and the
// records it writes for the ones it cannot read.
#include "config/configFixture.h"

namespace config_test {
namespace {

// What a value not read is left at.
const MachineValues kDefaults{kDefaultOemUrl, 0, 7, 10000, 7};

void ExpectMachine(const CVelmoConfig& config, const MachineValues& values)
{
    EXPECT_EQ(config.OemUrl, values.oemUrl);
    EXPECT_EQ(config.MinimizePrivacyIconAtStart, static_cast<LONG>(values.minimize));
    EXPECT_EQ(config.KorvaStatusInitMaxRetries, values.retries);
    EXPECT_EQ(config.CheckKorvaStatusTimeout, values.timeout);
    EXPECT_EQ(config.NumPollsForDisabled, values.polls);
}

using ConfigConstruction = ConfigTest;

TEST_F(ConfigConstruction, HoldsTheDefaultsAndTouchesNoRegistry)
{
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);

    const CVelmoConfig config;

    ExpectMachine(config, kDefaults);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
    EXPECT_EQ(Records(), Texts{});
}

using ConfigWithoutMachineKey = ConfigTest;

TEST_F(ConfigWithoutMachineKey, TurnsMinimizeOffAndResetsThePopupChoice)
{
    CVelmoConfig config;
    config.MinimizePrivacyIconAtStart = 1;
    config.PopupForCurrentUser = 0;

    config.ReadAll();

    EXPECT_EQ(config.MinimizePrivacyIconAtStart, 0);
    EXPECT_EQ(config.PopupForCurrentUser, 1);
}

// Valid values are taken as stored, with no range test; Minimize is on for
// any non-zero number, and then the pop-up is off whatever the user chose.
struct TakenCase
{
    const char* name;
    MachineValues stored;
    DWORD popup;
    LONG minimizeRead;
    LONG popupRead;
};

void PrintTo(const TakenCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigTakenValues : public ConfigTest, public ::testing::WithParamInterface<TakenCase>
{};

TEST_P(ConfigTakenValues, AreReadWithoutRecords)
{
    const TakenCase& c = GetParam();
    WriteMachineValues(c.stored);
    SetUserDword(L"PopupForCurrentUser", c.popup);

    const CVelmoConfig config = ReadConfig();

    MachineValues expected = c.stored;
    expected.minimize = static_cast<DWORD>(c.minimizeRead);
    ExpectMachine(config, expected);
    EXPECT_EQ(config.PopupForCurrentUser, c.popupRead);
    EXPECT_EQ(Records(), Texts{});
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, ConfigTakenValues,
    ::testing::Values(
        TakenCase{"Typical", {}, 0, 0, 0},
        TakenCase{"Zeros", {.retries = 0, .timeout = 0, .polls = 0}, 1, 0, 1},
        TakenCase{"Largest", {.retries = 0xFFFFFFFF, .timeout = 0xFFFFFFFF, .polls = 0xFFFFFFFF},
                  7, 0, 7},
        TakenCase{"MinimizeOne", {.minimize = 1}, 1, 1, 0},
        TakenCase{"MinimizeLargest", {.minimize = 0xFFFFFFFF}, 1, 1, 0}),
    [](const ::testing::TestParamInfo<TakenCase>& info) { return std::string(info.param.name); });

// Values taken away from a full set (Minimize off, the user's pop-up off):
// each one left unread keeps its default and leaves its own record, in the
// order ReadAll reads them.
enum Absent : unsigned
{
    kOemUrl = 1u << 0,
    kMinimize = 1u << 1,
    kRetries = 1u << 2,
    kTimeout = 1u << 3,
    kPolls = 1u << 4,
    kPopup = 1u << 5,
    kMachineKey = 1u << 6,
    kUserKey = 1u << 7,
};

struct MissingCase
{
    const char* name;
    unsigned absent;
    Texts records;
};

void PrintTo(const MissingCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigMissingValues : public ConfigTest, public ::testing::WithParamInterface<MissingCase>
{};

TEST_P(ConfigMissingValues, KeepTheirDefaultsAndAreRecorded)
{
    const MissingCase& c = GetParam();
    const MachineValues stored;
    WriteMachineValues(stored);
    SetUserDword(L"PopupForCurrentUser", 0);
    const struct
    {
        unsigned bit;
        HKEY root;
        const wchar_t* name;
    } values[] = {{kOemUrl, HKEY_LOCAL_MACHINE, L"OemUrl"},
                  {kMinimize, HKEY_LOCAL_MACHINE, L"MinimizePrivacyIconAtStart"},
                  {kRetries, HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries"},
                  {kTimeout, HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout"},
                  {kPolls, HKEY_LOCAL_MACHINE, L"NumPollsForDisabled"},
                  {kPopup, HKEY_CURRENT_USER, L"PopupForCurrentUser"}};
    for (const auto& value : values)
        if (c.absent & value.bit)
            velmo_test::DeleteValue(value.root, value.name);
    if (c.absent & kMachineKey)
        velmo_test::DeleteVelmoKey(HKEY_LOCAL_MACHINE);
    if (c.absent & kUserKey)
        velmo_test::DeleteVelmoKey(HKEY_CURRENT_USER);

    const CVelmoConfig config = ReadConfig();

    const auto unread = [&](unsigned bit) {
        return (c.absent & (bit | (bit == kPopup ? kUserKey : kMachineKey))) != 0;
    };
    MachineValues expected = stored;
    if (unread(kOemUrl))
        expected.oemUrl = kDefaults.oemUrl;
    if (unread(kRetries))
        expected.retries = kDefaults.retries;
    if (unread(kTimeout))
        expected.timeout = kDefaults.timeout;
    if (unread(kPolls))
        expected.polls = kDefaults.polls;
    ExpectMachine(config, expected);
    EXPECT_EQ(config.PopupForCurrentUser, unread(kPopup) ? 1 : 0);
    EXPECT_EQ(Records(), c.records);
}

INSTANTIATE_TEST_SUITE_P(
    AbsentValues, ConfigMissingValues,
    ::testing::Values(
        MissingCase{"OemUrl", kOemUrl, {traced::kNoOemUrl}},
        MissingCase{"MinimizePrivacyIconAtStart", kMinimize, {traced::kNoStartupOption}},
        MissingCase{"KorvaStatusInitMaxRetries", kRetries, {traced::kNoInitMaxRetries}},
        MissingCase{"CheckKorvaStatusTimeout", kTimeout, {traced::kNoTimeout}},
        MissingCase{"NumPollsForDisabled", kPolls, {traced::kNoPollsForDisabled}},
        MissingCase{"PopupForCurrentUser", kPopup, {traced::kPopupDefaulted}},
        MissingCase{"EveryValueUnderBothKeys",
                    kOemUrl | kMinimize | kRetries | kTimeout | kPolls | kPopup,
                    {traced::kNoOemUrl, traced::kNoStartupOption, traced::kNoInitMaxRetries,
                     traced::kNoTimeout, traced::kNoPollsForDisabled, traced::kPopupDefaulted}},
        // Without the machine key nothing of it is read, so nothing recorded.
        MissingCase{"MachineKey", kMachineKey, {}},
        MissingCase{"UserKey", kUserKey, {traced::kPopupDefaulted}}),
    [](const ::testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace config_test
