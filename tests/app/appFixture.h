// The fixture of the process tests: the applet's two registry keys of the
// prefix are removed before and after each test, and each test starts from
// the same real settings (tracing on, fast polls, no unknown-status box).
#pragma once

#include "support/testSupport.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmo_app_test {

inline constexpr DWORD kPollPeriodMs = 200;

class AppTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Trace records written since SetUp.
    std::vector<std::string> Entries() const { return m_log->Entries(); }
    long Count(const std::string& message) const;
    // Waits until `message` has been traced at least `times` times.
    bool WaitForEntry(const std::string& message, long times = 1) const;

    std::wstring m_caption;

private:
    std::optional<velmo_test::LogCursor> m_log;
};

} // namespace velmo_app_test
