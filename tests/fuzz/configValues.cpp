#include "configValues.h"

#include "config/configFixture.h"

#include <cstring>
#include <sstream>

namespace velmo_fuzz {

namespace {

// OemUrl: at most 259 characters and the terminating NUL.
constexpr DWORD kOemUrlBytes = 520;

bool IsOemUrl(const StoredValue& value)
{
    return value.present && value.type == REG_SZ && value.data.size() <= kOemUrlBytes;
}

// The text up to its first NUL, never beyond the data.
std::wstring TextOf(const StoredValue& value)
{
    std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

StoredValue ValidText(FuzzRun& run)
{
    std::wstring url(run.Between(0, kOemUrlBytes / sizeof(wchar_t) - 1), L'\0');
    for (wchar_t& c : url)
        c = static_cast<wchar_t>(run.Chance(90) ? run.Between(0x20, 0x7E) : run.Between(1, 0xFFFF));
    if (!url.empty() && run.Chance(10))
        url[run.Between(0, url.size() - 1)] = L'\0';
    std::vector<BYTE> data((url.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(data.data(), url.data(), url.size() * sizeof(wchar_t));
    return {true, REG_SZ, data};
}

StoredValue ValidDword(FuzzRun& run)
{
    constexpr DWORD kEdges[] = {0, 1, 2, 7, 10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    const DWORD number = run.Chance(50) ? run.Pick(kEdges) : run.Word();
    std::vector<BYTE> data(sizeof number);
    std::memcpy(data.data(), &number, sizeof number);
    return {true, REG_DWORD, data};
}

StoredValue RandomValue(FuzzRun& run, bool text)
{
    const std::uint64_t shape = run.Between(0, 99);
    if (shape < 15)
        return {};
    if (shape < 40)
        return text ? ValidText(run) : ValidDword(run);
    constexpr DWORD kTypes[] = {REG_BINARY, REG_MULTI_SZ, REG_EXPAND_SZ,        REG_QWORD,
                                REG_SZ,     REG_DWORD,    REG_NONE,             REG_LINK,
                                REG_DWORD_BIG_ENDIAN,     REG_RESOURCE_LIST};
    constexpr std::size_t kSizes[] = {0,   1,   2,   3,   4,   5,    6,    7,
                                      8,   518, 519, 520, 521, 522,  4096, 65536};
    const DWORD type = run.Chance(90) ? run.Pick(kTypes) : run.Word();
    const std::size_t size = run.Chance(70) ? run.Pick(kSizes) : run.Between(0, 1100);
    return {true, type, run.Bytes(size)};
}

void ExpectDword(const StoredValue& value, DWORD& field, const char* message,
                 std::vector<std::string>& records)
{
    if (IsDword(value))
        field = DwordOf(value);
    else
        records.push_back(message);
}

std::string Describe(const wchar_t* name, const StoredValue& value)
{
    std::ostringstream text;
    text << ::testing::PrintToString(std::wstring(name)) << " ";
    if (value.present)
        text << "type " << value.type << ", " << value.data.size() << " bytes; ";
    else
        text << "absent; ";
    return text.str();
}

} // namespace

// Each drawn in a fixed order, so that a seed gives the same values everywhere.
Machine RandomMachine(FuzzRun& run)
{
    Machine machine;
    machine.key = run.Chance(90);
    machine.oemUrl = RandomValue(run, true);
    for (StoredValue* value :
         {&machine.minimize, &machine.retries, &machine.timeout, &machine.polls})
        *value = RandomValue(run, false);
    return machine;
}

User RandomUser(FuzzRun& run)
{
    User user;
    user.key = run.Chance(85);
    user.popup = RandomValue(run, false);
    user.lastEnabled = RandomValue(run, false);
    return user;
}

bool IsDword(const StoredValue& value)
{
    return value.present && value.type == REG_DWORD && value.data.size() == sizeof(DWORD);
}

DWORD DwordOf(const StoredValue& value)
{
    DWORD number = 0;
    std::memcpy(&number, value.data.data(), sizeof number);
    return number;
}

Expected ExpectedFor(const Machine& machine, const User& user)
{
    Expected expected;
    CVelmoConfig& config = expected.config;
    // Without the machine key nothing of it is read, and nothing recorded.
    if (machine.key) {
        if (IsOemUrl(machine.oemUrl))
            config.OemUrl = TextOf(machine.oemUrl);
        else
            expected.records.push_back(config_test::kOemUrlMessage);
        if (IsDword(machine.minimize))
            config.MinimizePrivacyIconAtStart = DwordOf(machine.minimize) != 0 ? 1 : 0;
        else
            expected.records.push_back(config_test::kMinimizeMessage);
        ExpectDword(machine.retries, config.KorvaStatusInitMaxRetries, config_test::kRetriesMessage,
                    expected.records);
        ExpectDword(machine.timeout, config.CheckKorvaStatusTimeout, config_test::kTimeoutMessage,
                    expected.records);
        ExpectDword(machine.polls, config.NumPollsForDisabled, config_test::kPollsMessage,
                    expected.records);
    }
    if (user.key && IsDword(user.popup))
        config.PopupForCurrentUser = static_cast<LONG>(DwordOf(user.popup));
    else
        expected.records.push_back(config_test::kPopupMessage);
    if (config.MinimizePrivacyIconAtStart == 1)
        config.PopupForCurrentUser = 0;
    return expected;
}

std::string Differences(const CVelmoConfig& actual, const CVelmoConfig& expected)
{
    std::ostringstream text;
    auto compare = [&](const char* name, const auto& got, const auto& want) {
        if (got != want)
            text << name << " " << ::testing::PrintToString(got) << " instead of "
                 << ::testing::PrintToString(want) << "; ";
    };
    compare("OemUrl", actual.OemUrl, expected.OemUrl);
    compare("MinimizePrivacyIconAtStart", actual.MinimizePrivacyIconAtStart,
            expected.MinimizePrivacyIconAtStart);
    compare("KorvaStatusInitMaxRetries", actual.KorvaStatusInitMaxRetries,
            expected.KorvaStatusInitMaxRetries);
    compare("CheckKorvaStatusTimeout", actual.CheckKorvaStatusTimeout,
            expected.CheckKorvaStatusTimeout);
    compare("PopupForCurrentUser", actual.PopupForCurrentUser, expected.PopupForCurrentUser);
    compare("NumPollsForDisabled", actual.NumPollsForDisabled, expected.NumPollsForDisabled);
    return text.str();
}

std::string Describe(const Machine& machine, const User& user)
{
    std::string text = machine.key ? "machine key: " : "no machine key; ";
    if (machine.key)
        text += Describe(L"OemUrl", machine.oemUrl) +
                Describe(L"MinimizePrivacyIconAtStart", machine.minimize) +
                Describe(L"KorvaStatusInitMaxRetries", machine.retries) +
                Describe(L"CheckKorvaStatusTimeout", machine.timeout) +
                Describe(L"NumPollsForDisabled", machine.polls);
    text += user.key ? "user key: " + Describe(L"PopupForCurrentUser", user.popup) +
                           Describe(L"KorvaLastEnabled", user.lastEnabled)
                     : "no user key";
    return text;
}

} // namespace velmo_fuzz
