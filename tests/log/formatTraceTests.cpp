// FormatTrace: the printf-style text that callers hand to the trace call.
#include "common/trace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FormatTrace, FormatsLikePrintf)
{
    EXPECT_EQ(FormatTrace("status %d of %s: 0x%08X", -2, "poll", 0xBEEFu),
              "status -2 of poll: 0x0000BEEF");
}

TEST(FormatTrace, CutsAt511Characters)
{
    EXPECT_EQ(FormatTrace("%s!", std::string(510, 'y').c_str()), std::string(510, 'y') + "!");
    EXPECT_EQ(FormatTrace("%s!", std::string(511, 'y').c_str()), std::string(511, 'y'));
}

} // namespace
