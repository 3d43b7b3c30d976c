// Values of the wrong type or size are not taken; the address is cut at its
// first NUL and never read beyond the data the registry returned.
#include "config/configFixture.h"

#include <cstring>
#include <functional>

namespace config_test {
namespace {

using Bytes = std::vector<BYTE>;

template <typename T>
Bytes BytesOf(T value)
{
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

// UTF-16 bytes of `text`, with the terminating NUL when `withNul`.
Bytes TextBytes(const std::wstring& text, bool withNul = true)
{
    Bytes bytes((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(wchar_t));
    return bytes;
}

Bytes FirstBytes(Bytes bytes, std::size_t count)
{
    bytes.resize(count);
    return bytes;
}

struct TypeCase
{
    const char* name;
    HKEY root;
    const wchar_t* value;
    DWORD type;
    Bytes data;
    const char* message;
    std::function<void(const CVelmoConfig&)> expectDefault;
};

void PrintTo(const TypeCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigRejectedValue : public ConfigTest, public ::testing::WithParamInterface<TypeCase>
{};

TEST_P(ConfigRejectedValue, IsRecordedAndKeepsItsDefault)
{
    const TypeCase& c = GetParam();
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);
    velmo_test::SetValue(c.root, c.value, c.type, c.data.data(),
                         static_cast<DWORD>(c.data.size()));

    const CVelmoConfig config = ReadConfig();

    c.expectDefault(config);
    EXPECT_EQ(Records(), Texts{c.message});
}

const auto kTimeoutIsDefault = [](const CVelmoConfig& c) {
    EXPECT_EQ(c.CheckKorvaStatusTimeout, 10000u);
};
const auto kRetriesIsDefault = [](const CVelmoConfig& c) {
    EXPECT_EQ(c.KorvaStatusInitMaxRetries, 7u);
};
const auto kPollsIsDefault = [](const CVelmoConfig& c) { EXPECT_EQ(c.NumPollsForDisabled, 7u); };
const auto kMinimizeIsOff = [](const CVelmoConfig& c) {
    EXPECT_EQ(c.MinimizePrivacyIconAtStart, 0);
};
const auto kPopupIsDefault = [](const CVelmoConfig& c) { EXPECT_EQ(c.PopupForCurrentUser, 1); };
const auto kOemUrlIsDefault = [](const CVelmoConfig& c) { EXPECT_EQ(c.OemUrl, kDefaultOemUrl); };

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const HKEY kUser = HKEY_CURRENT_USER;

INSTANTIATE_TEST_SUITE_P(
    WrongTypeOrSize, ConfigRejectedValue,
    ::testing::Values(
        TypeCase{"TimeoutAsText", kMachine, L"CheckKorvaStatusTimeout", REG_SZ,
                 TextBytes(L"10000"), kTimeoutMessage, kTimeoutIsDefault},
        TypeCase{"OtherTimeoutAsText", kMachine, L"CheckKorvaStatusTimeout", REG_SZ,
                 TextBytes(L"2500"), kTimeoutMessage, kTimeoutIsDefault},
        TypeCase{"TimeoutAsQword", kMachine, L"CheckKorvaStatusTimeout", REG_QWORD,
                 BytesOf<std::uint64_t>(2500), kTimeoutMessage, kTimeoutIsDefault},
        TypeCase{"RetriesAsQword", kMachine, L"KorvaStatusInitMaxRetries", REG_QWORD,
                 BytesOf<std::uint64_t>(3), kRetriesMessage, kRetriesIsDefault},
        TypeCase{"PollsAsQword", kMachine, L"NumPollsForDisabled", REG_QWORD,
                 BytesOf<std::uint64_t>(4), kPollsMessage, kPollsIsDefault},
        TypeCase{"PollsAsTwoByteDword", kMachine, L"NumPollsForDisabled", REG_DWORD,
                 Bytes{4, 0}, kPollsMessage, kPollsIsDefault},
        TypeCase{"RetriesAsFourByteBinary", kMachine, L"KorvaStatusInitMaxRetries", REG_BINARY,
                 BytesOf<DWORD>(3), kRetriesMessage, kRetriesIsDefault},
        TypeCase{"TimeoutAsBigEndianDword", kMachine, L"CheckKorvaStatusTimeout",
                 REG_DWORD_BIG_ENDIAN, BytesOf<DWORD>(2500), kTimeoutMessage, kTimeoutIsDefault},
        TypeCase{"MinimizeAsQword", kMachine, L"MinimizePrivacyIconAtStart", REG_QWORD,
                 BytesOf<std::uint64_t>(1), kMinimizeMessage, kMinimizeIsOff},
        TypeCase{"PopupAsText", kUser, L"PopupForCurrentUser", REG_SZ, TextBytes(L"0"),
                 kPopupMessage, kPopupIsDefault},
        TypeCase{"PopupAsTwoByteDword", kUser, L"PopupForCurrentUser", REG_DWORD, Bytes{0, 0},
                 kPopupMessage, kPopupIsDefault},
        TypeCase{"OemUrlAsExpandableString", kMachine, L"OemUrl", REG_EXPAND_SZ,
                 TextBytes(L"https://oem.example/%PATH%"), kOemUrlMessage, kOemUrlIsDefault},
        TypeCase{"OemUrlAsMultiString", kMachine, L"OemUrl", REG_MULTI_SZ,
                 TextBytes(std::wstring(L"https://oem.example/\0", 21)), kOemUrlMessage,
                 kOemUrlIsDefault},
        TypeCase{"OemUrlOf260Characters", kMachine, L"OemUrl", REG_SZ,
                 TextBytes(std::wstring(260, L'u')), kOemUrlMessage, kOemUrlIsDefault}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

// An address stored as REG_SZ with the given bytes, read in.
struct UrlCase
{
    const char* name;
    Bytes data;
    std::wstring read;
};

void PrintTo(const UrlCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigOemUrl : public ConfigTest, public ::testing::WithParamInterface<UrlCase>
{};

TEST_P(ConfigOemUrl, IsTheTextUpToTheFirstNulWithinTheData)
{
    WriteMachineValues();
    SetMachineRaw(L"OemUrl", REG_SZ, GetParam().data.data(),
                  static_cast<DWORD>(GetParam().data.size()));

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.OemUrl, GetParam().read);
    // No user value here: that is the one record, the address is accepted.
    EXPECT_EQ(Records(), Texts{kPopupMessage});
}

const std::wstring kAddress = L"https://oem.example/a";

INSTANTIATE_TEST_SUITE_P(
    StoredBytes, ConfigOemUrl,
    ::testing::Values(
        UrlCase{"Empty", TextBytes(L""), L""},
        UrlCase{"NoDataAtAll", Bytes{}, L""},
        UrlCase{"Plain", TextBytes(kAddress), kAddress},
        UrlCase{"Longest259Characters", TextBytes(std::wstring(259, L'w')),
                std::wstring(259, L'w')},
        UrlCase{"FullBufferWithoutNul", TextBytes(std::wstring(260, L'f'), false),
                std::wstring(260, L'f')},
        UrlCase{"WithoutNul", TextBytes(kAddress, false), kAddress},
        // Seven bytes: the last character is not all there.
        UrlCase{"OddSizeWithoutNul", FirstBytes(TextBytes(L"abcd", false), 7), L"abc"},
        UrlCase{"EmbeddedNul", TextBytes(std::wstring(L"abc\0def", 7)), L"abc"}),
    [](const ::testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace config_test
