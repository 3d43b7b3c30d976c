// The fixture of the process tests: the applet's two registry keys of the
// prefix are removed before and after each test, and each test starts from
// the same real settings (tracing on, fast polls, no unknown-status box).
#pragma once

#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmo_app_test {

inline constexpr DWORD kPollPeriodMs = 200;

// Resource ids of velmo.exe that the tests look for.
inline constexpr UINT kUnknownBoxCaptionId = 134;
inline constexpr UINT kStatusEnabledId = 135;
inline constexpr UINT kStatusDisabledId = 136;
inline constexpr UINT kWindowCaptionId = 143;

// Controls and commands of the main window.
inline constexpr int kHideButton = 1000;
inline constexpr int kStatusText = 1004;
inline constexpr WORD kExitCommand = 32772;

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
