// The real applet's window against a real publisher: when it pops up and when
// it must not, the tray click, hiding, the unknown-status warning, the status
// text following the section, and the three ways to end the applet.
#include "appDriver.h"
#include "appFixture.h"
#include "showWatch.h"

#include "res/resource.h"
#include "support/accessibleReading.h"

#include <algorithm>
#include <ostream>
#include <set>

namespace velmo_app_test {
namespace {

const std::string kDisabledReading = "Retrieved KorvaStatus: disabled";
const std::string kUnknownReading = "Retrieved KorvaStatus: unknown";

class MainWindowTest : public AppTest
{
protected:
    // Starts the applet with a show recorder in place before its first window.
    void Start()
    {
        ASSERT_TRUE(m_app.Process().Started());
        m_shown.emplace(m_app.Process().ThreadId());
        ASSERT_TRUE(m_shown->Hooked());
        m_app.Process().Resume();
        ASSERT_NE(m_app.WaitForWindow(), nullptr);
    }

    // Started with the pop-up turned off for the user and the status
    // disabled, so the window stays hidden until asked for. Returns after a
    // timer poll: the start-up, with its first show attempt, is over.
    void StartHidden()
    {
        velmo_test::SetDword(HKEY_CURRENT_USER, L"PopupForCurrentUser", 0);
        m_publisher.emplace(Korva::kDisabled);
        ASSERT_TRUE(m_publisher->Ready());
        Start();
        ASSERT_TRUE(WaitForEntry(kDisabledReading, 2));
    }

    // Declared first, so the applet ends before its publisher goes.
    std::optional<Publisher> m_publisher;
    VelmoApp m_app{true};
    std::optional<ShowWatch> m_shown;
};

TEST_F(MainWindowTest, EnabledForUserWithoutLastEnabledPopsUpAndRecordsIt)
{
    m_publisher.emplace(Korva::kEnabled);
    ASSERT_TRUE(m_publisher->Ready());
    DWORD lastEnabled = 0;
    ASSERT_FALSE(velmo_test::ReadDword(HKEY_CURRENT_USER, L"KorvaLastEnabled", lastEnabled));
    Start();

    EXPECT_TRUE(WaitUntil([&] { return m_app.Visible(); }));
    EXPECT_TRUE(WaitUntil([&] {
        return velmo_test::ReadDword(HKEY_CURRENT_USER, L"KorvaLastEnabled", lastEnabled) &&
               lastEnabled == 1;
    }));
    // The recorder sees a real pop-up: its silence in other cases means something.
    EXPECT_TRUE(WaitUntil([&] { return m_shown->SawShown(m_app.Window()); }));
}

TEST_F(MainWindowTest, PopupOffWithStatusDisabledNeverShowsWindow)
{
    StartHidden();

    bool everVisible = false;
    ASSERT_TRUE(WaitUntil([&] {
        everVisible = everVisible || m_app.Visible();
        return Count(kDisabledReading) >= 10;
    }));
    EXPECT_FALSE(everVisible);
    EXPECT_FALSE(m_shown->SawShown(m_app.Window()));
}

TEST_F(MainWindowTest, FirstTrayClickShowsHiddenWindow)
{
    StartHidden();
    ASSERT_FALSE(m_app.Visible());

    m_app.ClickTrayIcon();

    EXPECT_TRUE(WaitUntil([&] { return m_app.Visible() && !m_app.Iconic(); }));
}

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
    EXPECT_TRUE(WaitForEntry("Unable to launch OEM URL in a browser"));
    EXPECT_EQ(Count("Unable to launch OEM URL in a browser"), 1);
}

struct HideCase
{
    const char* name;
    void (*hide)(const VelmoApp& app);
};

std::ostream& operator<<(std::ostream& out, const HideCase& hideCase)
{
    return out << hideCase.name;
}

class HideTest : public MainWindowTest, public ::testing::WithParamInterface<HideCase>
{
};

TEST_P(HideTest, PutsShownWindowInTray)
{
    StartHidden();
    m_app.ClickTrayIcon();
    ASSERT_TRUE(WaitUntil([&] { return m_app.Visible(); }));

    GetParam().hide(m_app);

    EXPECT_TRUE(WaitUntil([&] { return !m_app.Visible() && m_app.Iconic(); }));
    EXPECT_TRUE(m_app.Process().Running());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, HideTest,
    ::testing::Values(HideCase{"EscapeKey", [](const VelmoApp& app) { app.PressEscape(); }},
                      HideCase{"HideButton",
                               [](const VelmoApp& app) { app.ClickButton(kHideButton); }}),
    [](const ::testing::TestParamInfo<HideCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, StatusStayingUnknownWarnsExactlyOnce)
{
    velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", 3);
    const std::wstring boxCaption = VelmoString(kUnknownBoxCaptionId);
    ASSERT_FALSE(boxCaption.empty());
    Start();

    std::set<HWND> boxes;
    size_t mostAtOnce = 0;
    auto sample = [&] {
        const std::vector<HWND> now = TopLevelWindows(m_app.Id(), L"#32770", boxCaption);
        mostAtOnce = std::max(mostAtOnce, now.size());
        boxes.insert(now.begin(), now.end());
        return now;
    };
    ASSERT_TRUE(WaitUntil([&] { return !sample().empty(); }));
    // Polls go on inside the box's own loop; none of them may open another.
    const long readingsAtBox = Count(kUnknownReading);
    ASSERT_TRUE(WaitUntil([&] {
        sample();
        return Count(kUnknownReading) >= readingsAtBox + 5;
    }));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(mostAtOnce, 1u);

    PostMessageW(*boxes.begin(), WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return sample().empty(); }));
    const long readingsAfterBox = Count(kUnknownReading);
    ASSERT_TRUE(WaitUntil([&] {
        sample();
        return Count(kUnknownReading) >= readingsAfterBox + 5;
    }));
    EXPECT_EQ(boxes.size(), 1u) << "a second box while the status stayed unknown";
    EXPECT_EQ(Count("Korva Status could not be retrieved 3 times - the velmosrv service is "
                    "probably not running."),
              1);
}

TEST_F(MainWindowTest, StatusTextFollowsPublishedStatus)
{
    m_publisher.emplace(Korva::kDisabled);
    ASSERT_TRUE(m_publisher->Ready());
    const std::wstring disabledText = VelmoString(kStatusDisabledId);
    const std::wstring enabledText = VelmoString(kStatusEnabledId);
    ASSERT_FALSE(disabledText.empty());
    ASSERT_NE(disabledText, enabledText);
    Start();
    ASSERT_TRUE(WaitUntil([&] { return m_app.ControlText(kStatusText) == disabledText; }));

    ASSERT_TRUE(m_publisher->Set(Korva::kEnabled));

    EXPECT_TRUE(WaitUntil([&] { return m_app.ControlText(kStatusText) == enabledText; }));
}

struct ExitCase
{
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // Sent while the warning box of the applet's very first poll is open.
    bool insideTheFirstBox;
};

std::ostream& operator<<(std::ostream& out, const ExitCase& exitCase)
{
    return out << exitCase.name;
}

class ExitTest : public MainWindowTest, public ::testing::WithParamInterface<ExitCase>
{
};

TEST_P(ExitTest, EndsAppletAndTracesNothingAfterIt)
{
    if (GetParam().insideTheFirstBox)
        velmo_test::SetDword(HKEY_LOCAL_MACHINE, L"KorvaStatusInitMaxRetries", 1);
    Start();
    if (GetParam().insideTheFirstBox) {
        ASSERT_TRUE(WaitUntil([&] {
            return !TopLevelWindows(m_app.Id(), L"#32770", VelmoString(kUnknownBoxCaptionId))
                        .empty();
        }));
    } else {
        ASSERT_TRUE(WaitForEntry(kUnknownReading));
    }

    ASSERT_TRUE(m_app.Post(GetParam().message, GetParam().wParam, GetParam().lParam));

    EXPECT_EQ(m_app.Process().WaitForExit(), 0u);
    EXPECT_EQ(Count("EXIT VELMO"), 1);
    const std::vector<std::string> entries = Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), "EXIT VELMO");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ExitTest,
    ::testing::Values(ExitCase{"ExitCommand", WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0, false},
                      ExitCase{"Close", WM_CLOSE, 0, 0, false},
                      ExitCase{"Quit", WM_QUIT, 0, 0, false},
                      ExitCase{"RestartManager", WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, false},
                      ExitCase{"ExitCommandInsideTheFirstBox", WM_COMMAND,
                               MAKEWPARAM(kExitCommand, 0), 0, true},
                      ExitCase{"SessionEndInsideTheFirstBox", WM_ENDSESSION, TRUE, 0, true}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace velmo_app_test
