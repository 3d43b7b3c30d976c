// Values of the wrong type or size are not taken; the address is cut at its
// first NUL and never read beyond the data the registry returned.
#include "config/configFixture.h"

#include "common/regKey.h"

#include <cstring>

namespace config_test {
namespace {

using Bytes = std::vector<BYTE>;

constexpr DWORD kUntouched = 0xDEADBEEF;

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

// Every 32-bit value is read through ReadDword: its check is tested here once.
struct DwordCase
{
    const char* name;
    DWORD type;
    Bytes data;
    std::optional<DWORD> read;
};

void PrintTo(const DwordCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigReadDword : public ConfigTest, public ::testing::WithParamInterface<DwordCase>
{};

TEST_P(ConfigReadDword, TakesOnlyAFourByteDwordAndOtherwiseLeavesTheOutputAlone)
{
    const DwordCase& c = GetParam();
    velmo_test::SetValue(HKEY_CURRENT_USER, L"Number", c.type, c.data.data(),
                         static_cast<DWORD>(c.data.size()));
    UniqueRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, velmo_test::kVelmoKeyPath, 0, KEY_READ, key.Put()),
              ERROR_SUCCESS);

    DWORD read = kUntouched;
    EXPECT_EQ(ReadDword(key.Get(), L"Number", read), c.read.has_value());
    EXPECT_EQ(read, c.read.value_or(kUntouched));
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, ConfigReadDword,
    ::testing::Values(DwordCase{"FourByteDword", REG_DWORD, BytesOf<DWORD>(42), 42},
                      DwordCase{"TwoByteDword", REG_DWORD, Bytes{4, 0}, std::nullopt},
                      // More than four bytes: a 64-bit number, or a text of two characters or more.
                      DwordCase{"Qword", REG_QWORD, BytesOf<std::uint64_t>(3), std::nullopt},
                      // Four bytes of another type: binary, big-endian or the text "1" alike.
                      DwordCase{"FourByteBinary", REG_BINARY, BytesOf<DWORD>(3), std::nullopt}),
    [](const ::testing::TestParamInfo<DwordCase>& info) { return std::string(info.param.name); });

// An address stored with the given type and bytes: the text read, or none
// when it is refused and the default kept.
struct UrlCase
{
    const char* name;
    DWORD type;
    Bytes data;
    std::optional<std::wstring> read;
};

void PrintTo(const UrlCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigOemUrl : public ConfigTest, public ::testing::WithParamInterface<UrlCase>
{};

TEST_P(ConfigOemUrl, IsTheTextUpToTheFirstNulWithinTheDataOfAShortString)
{
    const UrlCase& c = GetParam();
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);
    velmo_test::SetValue(HKEY_LOCAL_MACHINE, L"OemUrl", c.type, c.data.data(),
                         static_cast<DWORD>(c.data.size()));

    const CVelmoConfig config = ReadConfig();

    EXPECT_EQ(config.OemUrl, c.read.value_or(kDefaultOemUrl));
    EXPECT_EQ(Records(), c.read ? Texts{} : Texts{traced::kNoOemUrl});
}

const std::wstring kAddress = L"https://oem.example/a";

INSTANTIATE_TEST_SUITE_P(
    StoredBytes, ConfigOemUrl,
    ::testing::Values(
        UrlCase{"Empty", REG_SZ, TextBytes(L""), L""},
        UrlCase{"NoDataAtAll", REG_SZ, Bytes{}, L""},
        UrlCase{"Plain", REG_SZ, TextBytes(kAddress), kAddress},
        UrlCase{"Longest259Characters", REG_SZ, TextBytes(std::wstring(259, L'w')),
                std::wstring(259, L'w')},
        UrlCase{"FullBufferWithoutNul", REG_SZ, TextBytes(std::wstring(260, L'f'), false),
                std::wstring(260, L'f')},
        UrlCase{"WithoutNul", REG_SZ, TextBytes(kAddress, false), kAddress},
        // Seven bytes: the last character is not all there.
        UrlCase{"OddSizeWithoutNul", REG_SZ, FirstBytes(TextBytes(L"abcd", false), 7), L"abc"},
        UrlCase{"EmbeddedNul", REG_SZ, TextBytes(std::wstring(L"abc\0def", 7)), L"abc"},
        UrlCase{"Of260Characters", REG_SZ, TextBytes(std::wstring(260, L'u')), std::nullopt},
        UrlCase{"ExpandableString", REG_EXPAND_SZ, TextBytes(L"https://oem.example/%PATH%"),
                std::nullopt},
        UrlCase{"MultiString", REG_MULTI_SZ, TextBytes(std::wstring(L"https://oem.example/\0", 21)),
                std::nullopt}),
    [](const ::testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace config_test
