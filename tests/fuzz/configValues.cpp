#include "configValues.h"

#include "config/configFixture.h"

#include <cstring>
#include <sstream>

namespace velmo_fuzz {

const Setting kSettings[kSlots] = {
    {HKEY_LOCAL_MACHINE, L"OemUrl", velmo_test::traced::kNoOemUrl},
    {HKEY_LOCAL_MACHINE, L"MinimizePrivacyIconAtStart", velmo_test::traced::kNoStartupOption},
    {HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", velmo_test::traced::kNoInitMaxRetries},
    {HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", velmo_test::traced::kNoTimeout},
    {HKEY_LOCAL_MACHINE, L"NumPollsForDisabled", velmo_test::traced::kNoPollsForDisabled},
    {HKEY_CURRENT_USER, L"PopupForCurrentUser", velmo_test::traced::kPopupDefaulted},
    {HKEY_CURRENT_USER, L"KorvaLastEnabled", nullptr},
};

namespace {

// OemUrl: at most 259 characters and the terminating NUL.
constexpr DWORD kOemUrlBytes = 520;

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

} // namespace

Round RandomRound(FuzzRun& run)
{
    // Drawn in a fixed order, so that a seed gives the same values everywhere.
    Round round;
    round.machineKey = run.Chance(90);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (slot == kPopup)
            round.userKey = run.Chance(85);
        round.values[slot] = RandomValue(run, slot == kOemUrl);
    }
    return round;
}

bool KeyThere(const Round& round, int slot)
{
    return slot < kPopup ? round.machineKey : round.userKey;
}

bool Taken(const Round& round, int slot)
{
    const StoredValue& value = round.values[slot];
    if (!KeyThere(round, slot) || !value.present)
        return false;
    return slot == kOemUrl ? value.type == REG_SZ && value.data.size() <= kOemUrlBytes
                           : value.type == REG_DWORD && value.data.size() == sizeof(DWORD);
}

DWORD DwordOf(const StoredValue& value)
{
    DWORD number = 0;
    std::memcpy(&number, value.data.data(), sizeof number);
    return number;
}

Expected ExpectedFor(const Round& round)
{
    Expected expected;
    // Without the machine key none of its values is read, so none recorded.
    for (int slot = round.machineKey ? kOemUrl : kPopup; slot <= kPopup; ++slot)
        if (!Taken(round, slot))
            expected.records.push_back(kSettings[slot].record);

    CVelmoConfig& config = expected.config;
    // The number stored when it is taken, else the field's default.
    const auto number = [&](int slot, DWORD field) {
        return Taken(round, slot) ? DwordOf(round.values[slot]) : field;
    };
    if (Taken(round, kOemUrl))
        config.OemUrl = TextOf(round.values[kOemUrl]);
    config.MinimizePrivacyIconAtStart = number(kMinimize, config.MinimizePrivacyIconAtStart) != 0 ? 1 : 0;
    config.KorvaStatusInitMaxRetries = number(kRetries, config.KorvaStatusInitMaxRetries);
    config.CheckKorvaStatusTimeout = number(kTimeout, config.CheckKorvaStatusTimeout);
    config.NumPollsForDisabled = number(kPolls, config.NumPollsForDisabled);
    config.PopupForCurrentUser = static_cast<LONG>(number(kPopup, config.PopupForCurrentUser));
    if (config.MinimizePrivacyIconAtStart == 1)
        config.PopupForCurrentUser = 0;
    return expected;
}

std::string Describe(const Round& round)
{
    std::ostringstream text;
    for (int slot = 0; slot < kSlots; ++slot) {
        const StoredValue& value = round.values[slot];
        text << ::testing::PrintToString(std::wstring(kSettings[slot].name));
        if (!KeyThere(round, slot))
            text << " no key; ";
        else if (value.present)
            text << " type " << value.type << ", " << value.data.size() << " bytes; ";
        else
            text << " absent; ";
    }
    return text.str();
}

} // namespace velmo_fuzz
