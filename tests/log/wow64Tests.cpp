// The registry view probe, in the build this test was made for: a 32-bit
// process on 64-bit Windows (WoW64) or a native one.
#include "common/wow64.h"

#include <gtest/gtest.h>

namespace {

// Told apart without IsWow64Process, the call the probe itself makes.
bool Is32BitProcessOn64BitWindows()
{
    SYSTEM_INFO native{};
    GetNativeSystemInfo(&native);
    const bool windows64 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                           native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
    return sizeof(void*) == 4 && windows64;
}

TEST(RegistryViewProbe, AnswersWhetherThisIsA32BitProcessOn64BitWindows)
{
    const bool expected = Is32BitProcessOn64BitWindows();
    EXPECT_EQ(IsRunningUnderWow64(), expected);
#if defined(_WIN64)
    EXPECT_FALSE(IsRunningUnderWow64()) << "a 64-bit process never runs under WoW64";
#endif
}

TEST(RegistryViewProbe, AddsTheNativeViewFlagExactlyUnderWow64)
{
    const REGSAM added = Is32BitProcessOn64BitWindows() ? KEY_WOW64_64KEY : 0;
    EXPECT_EQ(NativeViewAccess(KEY_READ), static_cast<REGSAM>(KEY_READ | added));
    EXPECT_EQ(NativeViewAccess(KEY_WRITE), static_cast<REGSAM>(KEY_WRITE | added));
}

} // namespace
