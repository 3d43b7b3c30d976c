#include "config/configFixture.h"


#include <algorithm>

namespace config_test {

using velmo_test::LogCursor;

void ConfigEnvironment::SetUp()
{
    TracingEnvironment::SetUp();
    // Tests delete keys under the roots: they must be the scratch ones.
    ASSERT_FALSE(::testing::Test::HasFailure()) << "the registry is not redirected";
}

namespace {
const ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ConfigEnvironment);
} // namespace

void ConfigTest::SetUp()
{
    // The roots are scratch keys here (ConfigEnvironment), never the prefix's own.
    velmo_test::DeleteVelmoKey(HKEY_LOCAL_MACHINE);
    velmo_test::DeleteVelmoKey(HKEY_CURRENT_USER);
    m_cursor.emplace();
}

Texts ConfigTest::Records() const
{
    Texts entries;
    for (const velmo_test::TraceRecord& record : m_cursor->Records()) {
        if (record.file == "velmoConfig.cpp")
            entries.push_back(record.entry);
    }
    return entries;
}

void ConfigTest::WriteMachineValues(const MachineValues& values)
{
    velmo_test::SetString(HKEY_LOCAL_MACHINE, L"OemUrl", values.oemUrl);
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"MinimizePrivacyIconAtStart", values.minimize);
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", values.retries);
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"CheckKorvaStatusTimeout", values.timeout);
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"NumPollsForDisabled", values.polls);
}

void ConfigTest::SetUserDword(const wchar_t* name, DWORD value)
{
    velmo_test::SetDword(HKEY_CURRENT_USER, name, value);
}

CVelmoConfig ConfigTest::ReadConfig()
{
    CVelmoConfig config;
    config.ReadAll();
    return config;
}

} // namespace config_test
