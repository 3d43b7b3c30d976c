// The TRACE switch, decided once per process at the first non-empty trace
// call; each case runs in a child process of its own.
#include "log/logTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace log_test {
namespace {

using Texts = std::vector<std::string>;

struct SwitchCase
{
    const char* child;
    Texts output;
    bool recordsWritten;
};

void PrintTo(const SwitchCase& c, std::ostream* out)
{
    *out << c.child;
}

class TraceSwitch : public ::testing::TestWithParam<SwitchCase>
{};

// Each child traces "", "<tag> first", "", "<tag> second", "<tag> third".
TEST_P(TraceSwitch, DecidesOnceAtTheFirstNonEmptyCall)
{
    const SwitchCase& expected = GetParam();
    const std::string tag = NewTag();
    const ChildRun run = RunChild(expected.child, tag);

    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, expected.output);
    const Texts entries = EntriesOf(run.records);
    if (expected.recordsWritten)
        EXPECT_EQ(entries, (Texts{tag + " first", tag + " second", tag + " third"}));
    else
        EXPECT_EQ(entries, Texts{});
}

const Texts kOffOutput{kNotEnabledLine, kNotEnabledLine};

INSTANTIATE_TEST_SUITE_P(
    RegistryStates, TraceSwitch,
    ::testing::Values(
        SwitchCase{"dword1", {}, true},
        SwitchCase{"dword0", kOffOutput, false},
        SwitchCase{"dword2", kOffOutput, false},
        SwitchCase{"sz1", kOffOutput, false},
        SwitchCase{"qword1", kOffOutput, false},
        SwitchCase{"novalue", {kReadFlagErrorLine, kNotEnabledLine, kNotEnabledLine}, false},
        SwitchCase{"nokey", {kOpenKeyErrorLine, kNotEnabledLine, kNotEnabledLine}, false},
        // Changing TRACE while running changes nothing.
        SwitchCase{"turnoff", {}, true},
        SwitchCase{"turnon", kOffOutput, false}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.child); });

TEST(TraceSwitchRecords, NameTheTracingSourceFile)
{
    const ChildRun run = RunChild("dword1", NewTag());
    ASSERT_EQ(run.records.size(), 3u);
    for (const std::string& record : run.records)
        EXPECT_NE(record.find("\tFILE: logChild.cpp"), std::string::npos) << record;
}

} // namespace
} // namespace log_test
