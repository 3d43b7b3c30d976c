// Every key the configuration opens is closed again, counted in the
// system's handle table: GetProcessHandleCount answers 0 under Wine.
#include "config/configFixture.h"

#include "common/regKey.h"
#include "support/processProbe.h"

#include <optional>

namespace config_test {
namespace {

std::optional<std::size_t> OwnHandleCount()
{
    const long handles = velmo_test::ProcessProbe(GetCurrentProcessId()).Handles();
    return handles < 0 ? std::nullopt : std::optional<std::size_t>(handles);
}

using ConfigKeys = ConfigTest;

TEST_F(ConfigKeys, AreAllClosedAfterEveryOperation)
{
    WriteMachineValues();
    SetUserDword(L"PopupForCurrentUser", 0);
    const std::optional<std::size_t> before = OwnHandleCount();
    ASSERT_TRUE(before) << "no system handle table";
    {
        // The count does see open registry keys.
        UniqueRegKey keys[10];
        for (UniqueRegKey& key : keys)
            ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, velmo_test::kVelmoKeyPath, 0, KEY_READ,
                                    key.Put()),
                      ERROR_SUCCESS);
        ASSERT_GE(OwnHandleCount().value_or(0), *before + 10);
    }

    CVelmoConfig config;
    DWORD value = 0;
    for (int i = 0; i < 1000; ++i) {
        config.ReadAll();
        config.ReadUserDword(config.KorvaLastEnabledName, value);  // key opened, value missing
        config.WriteUserDword(config.PopupForCurrentUserName, 0);
    }

    // A leak would add at least a thousand handles.
    EXPECT_LE(OwnHandleCount().value_or(SIZE_MAX), *before + 5);
    EXPECT_EQ(Records(), Texts{});
}

} // namespace
} // namespace config_test
