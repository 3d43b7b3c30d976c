// The real applet's window as only a process shows it: a screen reader in
// another process, and the real message loop's end. Its pop-ups, show gate,
// hiding, polls and warning are the in-process cases of dialogTests and
// pollTests.
#include "appDriver.h"
#include "appFixture.h"

#include "res/resource.h"
#include "support/accessibleReading.h"
#include "support/traceTexts.h"

namespace velmo_app_test {

namespace traced = velmo_test::traced;

namespace {

class MainWindowTest : public AppTest
{
protected:
    // Started with the pop-up turned off for the user and the status
    // disabled, so the window stays hidden until asked for. Returns after a
    // timer poll: the start-up is over.
    void StartHidden()
    {
        velmo_test::SetDword(HKEY_CURRENT_USER, L"PopupForCurrentUser", 0);
        m_publisher.emplace(Korva::kDisabled);
        ASSERT_TRUE(m_publisher->Ready());
        ASSERT_TRUE(m_app.Process().Started());
        m_app.Process().Resume();
        ASSERT_NE(m_app.WaitForWindow(), nullptr);
        ASSERT_TRUE(WaitForEntry(traced::kDisabled, 2));
    }

    // Declared first, so the applet ends before its publisher goes.
    std::optional<Publisher> m_publisher;
    // Suspended until the test's settings are in place.
    VelmoApp m_app{true};
};

// The fallback browser moved aside for the object's life, so that a launch
// that reaches it fails and is traced.
class BrowserAway
{
public:
    BrowserAway() { MoveFileW(kBrowser, kAside); }
    ~BrowserAway() { MoveFileW(kAside, kBrowser); }
    BrowserAway(const BrowserAway&) = delete;
    BrowserAway& operator=(const BrowserAway&) = delete;

private:
    static constexpr wchar_t kBrowser[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
    static constexpr wchar_t kAside[] =
        L"C:\\Program Files\\Internet Explorer\\iexplore.exe.velmo-aside";
};

TEST_F(MainWindowTest, ScreenReaderInAnotherProcessReadsEachControlAndOpensTheLink)
{
    // An address no handler takes and no browser to fall back to: the
    // launch shows in the trace.
    velmo_test::SetString(HKEY_LOCAL_MACHINE, L"OemUrl", L"zzexample:velmo-test");
    const BrowserAway away;
    StartHidden();
    m_app.ClickTrayIcon();
    ASSERT_TRUE(WaitUntil([&] { return m_app.Visible(); }));

    velmo_test::ExpectControlsRead(m_app.Window(), VelmoString, IDS_STATUS_DISABLED);
    EXPECT_EQ(velmo_test::DoAccessibleDefaultAction(GetDlgItem(m_app.Window(), IDC_OEM_LINK)),
              S_OK);
    EXPECT_TRUE(WaitForEntry(traced::kLinkNotLaunched));
    EXPECT_EQ(Count(traced::kLinkNotLaunched), 1);
}

// WM_QUIT posted to the window ends the real modal loop: the applet exits
// cleanly, with code 0, as every other way of ending it does in dialogTests.
TEST_F(MainWindowTest, QuitPostedToTheWindowEndsTheProcessWithCodeZero)
{
    StartHidden();

    ASSERT_TRUE(m_app.Post(WM_QUIT, 0, 0));

    EXPECT_EQ(m_app.Process().WaitForExit(), 0u);
    EXPECT_EQ(Count(traced::kExit), 1);
    const std::vector<std::string> entries = Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), traced::kExit);
}

} // namespace
} // namespace velmo_app_test
