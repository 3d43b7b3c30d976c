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

// A path in a trace record: each UTF-16 unit keeps its low byte, but none
// may cut the record (NUL), split it (line feed) or add a field (tab).
TEST(NarrowForTrace, KeepsLowBytesButNoControlCharacters)
{
    EXPECT_EQ(NarrowForTrace(L"C:\\Users\\\u00E9mile\\oemlogo.bmp"),
              "C:\\Users\\\xE9mile\\oemlogo.bmp");
    // U+4E00 and U+4E0A, a tab, U+4E20 and U+4E41.
    EXPECT_EQ(NarrowForTrace(L"\u4E00|\u4E0A|\t|\u4E20\u4E41|\u007F"), "?|?|?| A|\x7F");
}

} // namespace
