// Every key the configuration opens is closed again, counted in the
// system's handle table: GetProcessHandleCount answers 0 under Wine.
#include "config/configFixture.h"

#include "common/regKey.h"

#include <winternl.h>

#include <optional>

namespace config_test {
namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// One row of the system handle table; the owner's id is its low 16 bits.
struct HandleEntry
{
    USHORT ownerPid;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ULONG access;
};

struct HandleTable
{
    ULONG count;
    HandleEntry entries[1];
};

std::optional<std::size_t> OwnHandleCount()
{
    using Query = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return std::nullopt;
    std::vector<BYTE> buffer(1 << 20);
    LONG status = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), nullptr)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return std::nullopt;

    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const USHORT self = static_cast<USHORT>(GetCurrentProcessId());
    std::size_t own = 0;
    for (ULONG i = 0; i < table->count; ++i)
        own += table->entries[i].ownerPid == self;
    return own;
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
