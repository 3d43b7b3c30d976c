// Start-up of the real applet: one instance per session, what a second start
// does to the first one's window, the start and exit records, and the log
// file that every start opens.
#include "appDriver.h"
#include "appFixture.h"
#include "showWatch.h"
#include "windowEvents.h"
#include "support/traceTexts.h"
#include "common/kernelHandle.h"
#include "res/resource.h"

#include <sddl.h>

#include <algorithm>

namespace velmo_app_test {

namespace traced = velmo_test::traced;

namespace {

class StartupTest : public AppTest
{
protected:
    struct SecondStart
    {
        std::optional<DWORD> exitCode;
        size_t mostCaptionWindows = 0; // at one time, over the second's life
        bool watched = false;
        std::vector<HWND> createdWindows; // by the second process
    };

    // Runs a second velmo.exe to its end, watching the windows meanwhile.
    SecondStart RunSecondInstance()
    {
        SecondStart result;
        VelmoApp second(true);
        EXPECT_TRUE(second.Process().Started());
        WindowEvents created(second.Id(), EVENT_OBJECT_CREATE);
        result.watched = created.Hooked();
        second.Process().Resume();
        WaitUntil([&] {
            result.mostCaptionWindows = std::max(result.mostCaptionWindows,
                                                 TopLevelWindows(0, nullptr, m_caption).size());
            return !second.Process().Running();
        });
        result.exitCode = second.Process().WaitForExit(0);
        PumpMessages(); // events raised just before the end
        result.createdWindows = created.Windows();
        return result;
    }

    // A started first instance that has run a timer poll, so its start-up,
    // with the first show attempt, is over.
    void StartFirst(VelmoApp& first, const std::string& firstReading = traced::kUnknown)
    {
        ASSERT_TRUE(first.Process().Started());
        ASSERT_NE(first.WaitForWindow(), nullptr);
        ASSERT_TRUE(WaitForEntry(firstReading, 2));
    }
};

TEST_F(StartupTest, SecondStartEndsWithCodeZeroAndOpensNoWindow)
{
    VelmoApp first(true);
    WindowEvents firstCreated(first.Id(), EVENT_OBJECT_CREATE);
    first.Process().Resume();
    StartFirst(first);
    // The recorder sees a real creation: its silence about the second means something.
    ASSERT_TRUE(WaitUntil([&] { return firstCreated.Saw(first.Window()); }));

    const SecondStart second = RunSecondInstance();

    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(Count(traced::kAlreadyRunning), 1);
    EXPECT_EQ(Count(traced::kStart), 1) << "only the first instance builds the dialog";
    EXPECT_EQ(second.mostCaptionWindows, 1u);
    ASSERT_TRUE(second.watched);
    EXPECT_TRUE(second.createdWindows.empty());
    EXPECT_EQ(TopLevelWindows(0, nullptr, m_caption), std::vector<HWND>{first.Window()});
    EXPECT_TRUE(first.Process().Running());
}

// An instance run as administrator, as a normal user's start meets it: its
// mutex lets others only wait on it, so that start can neither open nor
// create the name.
TEST_F(StartupTest, StartBesideAnElevatedInstanceEndsAsASecond)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;0x100000;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const UniqueKernelHandle elevated(CreateMutexW(
        &attributes, TRUE, L"VELMO2-MUTEX-{4F1D27A3-8C62-4b0e-A57D-19E3C06B82F4}"));
    LocalFree(descriptor);
    ASSERT_TRUE(elevated);

    const SecondStart second = RunSecondInstance();

    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(Count(traced::kAlreadyRunning), 1);
    EXPECT_EQ(Count(traced::kStart), 0);
    ASSERT_TRUE(second.watched);
    EXPECT_TRUE(second.createdWindows.empty());
}

TEST_F(StartupTest, SecondStartRestoresWindowHiddenInTray)
{
    VelmoApp first;
    StartFirst(first);
    // The user's tray click lets the window show; the hide button puts it in the tray.
    first.ClickTrayIcon();
    ASSERT_TRUE(WaitUntil([&] { return first.Visible(); }));
    first.ClickButton(IDC_HIDE_BUTTON);
    ASSERT_TRUE(WaitUntil([&] { return !first.Visible() && first.Iconic(); }));

    EXPECT_EQ(RunSecondInstance().exitCode, 0u);

    EXPECT_TRUE(WaitUntil([&] { return first.Visible() && !first.Iconic(); }));
    EXPECT_EQ(Count(traced::kAlreadyRunning), 1);
}

TEST_F(StartupTest, SecondStartLeavesOpenWindowAlone)
{
    VelmoApp first;
    StartFirst(first);
    first.ClickTrayIcon();
    ASSERT_TRUE(WaitUntil([&] { return first.Visible(); }));
    // Off centre, so that a show or restore by the second start would move it.
    ASSERT_TRUE(SetWindowPos(first.Window(), nullptr, 37, 41, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT before{};
    ASSERT_TRUE(WaitUntil([&] {
        GetWindowRect(first.Window(), &before);
        return before.left == 37 && before.top == 41;
    }));

    const SecondStart second = RunSecondInstance();
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(second.mostCaptionWindows, 1u);

    bool changed = false;
    Observe(5 * kPollPeriodMs, [&] {
        RECT now{};
        GetWindowRect(first.Window(), &now);
        changed = changed || !EqualRect(&now, &before) || !first.Visible() || first.Iconic();
    });
    EXPECT_FALSE(changed);
    EXPECT_EQ(Count(traced::kAlreadyRunning), 1);
}

TEST_F(StartupTest, SecondStartLeavesNeverShownWindowHidden)
{
    velmo_test::SetDword(HKEY_CURRENT_USER, L"PopupForCurrentUser", 0);
    Publisher publisher(Korva::kDisabled);
    ASSERT_TRUE(publisher.Ready());
    VelmoApp first(true);
    ShowWatch shown(first.Process().ThreadId());
    ASSERT_TRUE(shown.Hooked());
    first.Process().Resume();
    StartFirst(first, traced::kDisabled);

    EXPECT_EQ(RunSecondInstance().exitCode, 0u);

    bool everVisible = false;
    Observe(5 * kPollPeriodMs, [&] { everVisible = everVisible || first.Visible(); });
    EXPECT_FALSE(everVisible);
    EXPECT_FALSE(shown.SawShown(first.Window()));
    EXPECT_EQ(Count(traced::kAlreadyRunning), 1);
}

TEST_F(StartupTest, RunIsFramedByStartAndExitRecords)
{
    VelmoApp app;
    StartFirst(app);
    ASSERT_TRUE(app.Post(WM_CLOSE, 0, 0));

    EXPECT_EQ(app.Process().WaitForExit(), 0u);
    const std::vector<std::string> entries = Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front(), traced::kStart);
    EXPECT_EQ(entries.back(), traced::kExit);
    EXPECT_EQ(Count(traced::kStart), 1);
    EXPECT_EQ(Count(traced::kExit), 1);
}

TEST_F(StartupTest, LogFileIsCreatedWithTracingOff)
{
    velmo_test::DeleteValue(HKEY_LOCAL_MACHINE, L"TRACE");
    velmo_test::LogSetAside aside;
    ASSERT_TRUE(aside.Usable());
    const std::wstring log = velmo_test::LogPath();
    ASSERT_EQ(GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);

    VelmoApp app;
    ASSERT_NE(app.WaitForWindow(), nullptr);
    EXPECT_NE(GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES) << "held open while running";
    // A few polls, each of which would write a record if tracing were on.
    Observe(5 * kPollPeriodMs, [] {});
    ASSERT_TRUE(app.Post(WM_CLOSE, 0, 0));
    EXPECT_EQ(app.Process().WaitForExit(), 0u);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(log.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
}

} // namespace
} // namespace velmo_app_test
