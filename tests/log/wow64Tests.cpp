// The registry view probe, as seen from this 64-bit test process.
#include "common/wow64.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistryViewProbe, AnswersFalseInA64BitProcess)
{
    ASSERT_EQ(sizeof(void*), 8u) << "these tests run as a 64-bit process";
    EXPECT_FALSE(IsRunningUnderWow64());
}

TEST(RegistryViewProbe, GivesTheSystemsAnswerAtEveryCall)
{
    BOOL system = TRUE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &system));
    EXPECT_EQ(IsRunningUnderWow64(), system != FALSE);
    EXPECT_EQ(IsRunningUnderWow64(), system != FALSE);
}

TEST(RegistryViewProbe, LeavesAccessMasksAloneOutsideWow64)
{
    EXPECT_EQ(NativeViewAccess(KEY_READ), static_cast<REGSAM>(KEY_READ));
    EXPECT_EQ(NativeViewAccess(KEY_WRITE), static_cast<REGSAM>(KEY_WRITE));
}

} // namespace
