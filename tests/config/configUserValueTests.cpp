// The per-user 32-bit values under HKEY_CURRENT_USER.
#include "config/configFixture.h"

#include "common/regKey.h"

namespace config_test {
namespace {

constexpr DWORD kUntouched = 0xDEADBEEF;

bool KeyExists(HKEY root, const wchar_t* path)
{
    UniqueRegKey key;
    return RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

class ConfigUserValues : public ConfigTest
{
protected:
    CVelmoConfig m_config;
};

TEST_F(ConfigUserValues, WriteCreatesTheWholeKeyPath)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Brenlow");
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\Brenlow"));

    ASSERT_TRUE(m_config.WriteUserDword(m_config.KorvaLastEnabledName, 1));

    DWORD type = REG_NONE;
    DWORD stored = 0;
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, velmo_test::kVelmoKeyPath, L"KorvaLastEnabled",
                           RRF_RT_ANY, &type, &stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(stored, 1u);
}

TEST_F(ConfigUserValues, ReadGivesBackWhatWasWritten)
{
    for (const DWORD value : {1u, 0u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(m_config.WriteUserDword(m_config.PopupForCurrentUserName, value));
        DWORD read = kUntouched;
        EXPECT_TRUE(m_config.ReadUserDword(m_config.PopupForCurrentUserName, read));
        EXPECT_EQ(read, value);
    }
}

TEST_F(ConfigUserValues, WriteGoesToTheUserOnly)
{
    ASSERT_TRUE(m_config.WriteUserDword(m_config.KorvaLastEnabledName, 1));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, velmo_test::kVelmoKeyPath));
}

// Without the user's key, even with the value under the machine's.
TEST_F(ConfigUserValues, ReadIgnoresTheMachineValue)
{
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"KorvaLastEnabled", 1);
    DWORD read = kUntouched;
    EXPECT_FALSE(m_config.ReadUserDword(m_config.KorvaLastEnabledName, read));
    EXPECT_EQ(read, kUntouched);
}

} // namespace
} // namespace config_test
