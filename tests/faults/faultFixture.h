// The process fault tests: the real applet beside the real publisher, a fault
// made around them, and what must hold afterwards: the process runs, its
// window exists and answers, it shows the state it should, and the per-user
// values are what the readings made them.
#pragma once

#include "app/appDriver.h"
#include "app/appFixture.h"
#include "support/traceTexts.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velmo_fault_test {

namespace traced = velmo_test::traced;

using velmo_app_test::Korva;
using velmo_app_test::Publisher;
using velmo_app_test::VelmoApp;
using velmo_app_test::WaitUntil;

// The two values the applet keeps for the user; nothing when absent.
struct UserValues
{
    std::optional<DWORD> popup;
    std::optional<DWORD> lastEnabled;

    bool operator==(const UserValues&) const = default;
};
UserValues ReadUserValues();
void PrintTo(const UserValues& values, std::ostream* out);

// Sent to a window of the applet with a deadline, so a hung applet fails the
// test instead of hanging it; 0 when it does not answer.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class FaultTest : public velmo_app_test::AppTest
{
protected:
    void TearDown() override;

    // The user neither wants the start pop-up nor is new to "enabled".
    static void QuietUser();
    void Publish(Korva status, DWORD sectionSize = 512);
    void Withdraw() { m_publisher.reset(); }
    void StartApplet();

    // Waits until control 1004 shows string `stringId` of velmo.exe.
    ::testing::AssertionResult Shows(UINT stringId);
    // The process runs, its window exists and answers a sent message.
    ::testing::AssertionResult StillRunning();
    // Waits until `reading` has been traced `more` times after now.
    bool WaitForMoreReadings(const std::string& reading, long more = 3);

    // Declared first, so the applet ends before its publisher goes.
    std::optional<Publisher> m_publisher;
    std::optional<VelmoApp> m_app;
};

} // namespace velmo_fault_test
