// The publisher comes late, goes, comes back with a new section, or comes
// back with a section too small for the view: the applet keeps running and
// shows what is published.
#include "faultFixture.h"
#include "res/resource.h"

namespace velmo_fault_test {
namespace {

class ServiceFault : public FaultTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        QuietUser();
    }

    // Started beside an enabled publisher and showing it.
    void StartEnabled()
    {
        Publish(Korva::kEnabled);
        StartApplet();
        ASSERT_TRUE(Shows(IDS_STATUS_ENABLED));
    }
};

TEST_F(ServiceFault, StartingLateTurnsTheDisplayToThePublishedState)
{
    StartApplet();
    ASSERT_TRUE(Shows(IDS_STATUS_UNKNOWN));
    ASSERT_TRUE(WaitForMoreReadings(traced::kUnknown));

    Publish(Korva::kDisabled);

    EXPECT_TRUE(Shows(IDS_STATUS_DISABLED));
    EXPECT_TRUE(StillRunning());
    EXPECT_TRUE(WaitUntil([] { return ReadUserValues() == UserValues{0, 0}; }))
        << ::testing::PrintToString(ReadUserValues());
}

TEST_F(ServiceFault, StoppingTurnsTheDisplayToUnknownAndKeepsTheLastReading)
{
    StartEnabled();

    Withdraw();

    EXPECT_TRUE(Shows(IDS_STATUS_UNKNOWN));
    // Unknown readings must never touch the user's values.
    ASSERT_TRUE(WaitForMoreReadings(traced::kUnknown));
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(ReadUserValues(), (UserValues{0, 1}));
}

TEST_F(ServiceFault, RestartingWithANewSectionShowsTheNewState)
{
    StartEnabled();
    Withdraw();
    ASSERT_TRUE(Shows(IDS_STATUS_UNKNOWN));

    Publish(Korva::kDisabled);

    EXPECT_TRUE(Shows(IDS_STATUS_DISABLED));
    EXPECT_TRUE(StillRunning());
    EXPECT_TRUE(WaitUntil([] { return ReadUserValues() == UserValues{0, 0}; }))
        << ::testing::PrintToString(ReadUserValues());
}

} // namespace
} // namespace velmo_fault_test
