// Faults around the applet that it must ride out: no trace log file, no Temp
// directory, a logo file it may not open, a per-user key it may not write.
#include "environmentFaults.h"
#include "faultFixture.h"

#include "common/regKey.h"
#include "support/traceTexts.h"
#include "res/resource.h"

#include <memory>

namespace velmo_fault_test {

namespace traced = velmo_test::traced;

namespace {

class EnvironmentFaultTest : public FaultTest
{
protected:
    void TearDown() override
    {
        // The applet goes before the fault is undone, the fault before the keys.
        m_app.reset();
        m_publisher.reset();
        m_fault.reset();
        FaultTest::TearDown();
    }

    template <typename Fault, typename... Arguments>
    void Make(Arguments&&... arguments)
    {
        m_fault = std::make_unique<Fault>(std::forward<Arguments>(arguments)...);
        ASSERT_TRUE(m_fault->Made()) << "the fault could not be made, error " << GetLastError();
    }

    // A user new to "enabled" who does not want the start pop-up: a normal
    // run pops the window up once and records the reading.
    void ExpectNormalRun()
    {
        velmo_test::SetDword(HKEY_CURRENT_USER, L"PopupForCurrentUser", 0);
        Publish(Korva::kEnabled);
        StartApplet();

        EXPECT_TRUE(Shows(IDS_STATUS_ENABLED));
        EXPECT_TRUE(WaitUntil([&] { return m_app->Visible(); })) << "no pop-up";
        EXPECT_TRUE(WaitUntil([] { return ReadUserValues() == UserValues{0, 1}; }))
            << ::testing::PrintToString(ReadUserValues());
        EXPECT_TRUE(StillRunning());
    }

    std::unique_ptr<EnvironmentFault> m_fault;
};

TEST_F(EnvironmentFaultTest, LogPathTakenByADirectoryLeavesTheAppletRunningNormally)
{
    Make<LogPathIsDirectory>();
    ExpectNormalRun();
    EXPECT_TRUE(GetFileAttributesW(velmo_test::LogPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(EnvironmentFaultTest, MissingTempDirectoryLeavesTheAppletRunningNormally)
{
    Make<TempDirectoryAway>();
    ExpectNormalRun();
    EXPECT_EQ(GetFileAttributesW(velmo_test::LogPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "the applet must not make the Temp directory or the log";
}

TEST_F(EnvironmentFaultTest, LockedLogoFileKeepsTheBuiltInLogo)
{
    const std::wstring exe = velmo_test::VelmoExePath();
    const std::wstring logo = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"oemlogo.bmp";
    // A logo that would be taken if it could be opened.
    Make<LockedFile>(logo, BitmapFile(64, 42));

    ExpectNormalRun();
    EXPECT_EQ(Count(traced::kLogoNotOpened), 1);
}

TEST_F(EnvironmentFaultTest, UnwritableUserKeyLosesNothingAndStillHides)
{
    // The start pop-up shows the window; the disabled reading would store 0.
    velmo_test::SetDword(HKEY_CURRENT_USER, L"PopupForCurrentUser", 1);
    velmo_test::SetDword(HKEY_CURRENT_USER, L"KorvaLastEnabled", 1);
    Make<UserKeyWritesDenied>();
    UniqueRegKey probe;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, velmo_test::kVelmoKeyPath, 0, KEY_WRITE,
                            probe.Put()),
              ERROR_ACCESS_DENIED)
        << "the registry does not enforce the denial";
    Publish(Korva::kDisabled);
    StartApplet();
    ASSERT_TRUE(Shows(IDS_STATUS_DISABLED));
    ASSERT_TRUE(WaitUntil([&] { return m_app->Visible(); }));

    // The user turns the pop-up off and hides the window.
    HWND offCheck = GetDlgItem(m_app->Window(), IDC_POPUP_OFF_CHECK);
    SendWithin(offCheck, BM_SETCHECK, BST_CHECKED, 0);
    m_app->ClickButton(IDC_HIDE_BUTTON);

    EXPECT_TRUE(WaitUntil([&] { return !m_app->Visible() && m_app->Iconic(); }));
    EXPECT_EQ(SendWithin(offCheck, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The registry's own answer, not the thread's last error, which it
    // does not set.
    EXPECT_EQ(Count("Failed to write PopupForCurrentUser value to registry. Error code = 5"), 1);
    EXPECT_TRUE(WaitForMoreReadings(traced::kDisabled)) << "polls stopped";
    EXPECT_TRUE(Shows(IDS_STATUS_DISABLED));
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(ReadUserValues(), (UserValues{1, 1}));
}

} // namespace
} // namespace velmo_fault_test
