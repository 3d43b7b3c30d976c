// The tray around the real applet: a task bar that restarts and forgets the
// icon, and a flood of callback messages with arbitrary parameters. A restart
// announced while the shell kept the icon, and the other shells' ways, are
// the TrayProtocol and ShellBehaviours cases of tests/ui/trayIconTests.cpp.
#include "faultFixture.h"
#include "support/traceTexts.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cstdio>
#include <random>

namespace velmo_fault_test {

namespace traced = velmo_test::traced;

namespace {

constexpr UINT kTrayCallbackMessage = WM_USER + 1;
constexpr UINT kTrayIconId = 1;
constexpr int kMarkerControl = 1001;
constexpr std::size_t kBurstMessages = 5000;
constexpr std::uint64_t kBurstSeed = 4011;

// Asks the shell itself: a modify that changes nothing succeeds only for an
// icon the shell holds.
bool ShellHoldsIcon(HWND window)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool ShellDropsIcon(HWND window)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

class TrayFault : public FaultTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        QuietUser();
        Publish(Korva::kEnabled);
        StartApplet();
        ASSERT_TRUE(Shows(IDS_STATUS_ENABLED));
        ASSERT_TRUE(WaitUntil([&] { return ShellHoldsIcon(m_app->Window()); }));
    }

    void AnnounceTaskbarRestart() const
    {
        m_app->Send(RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
};

TEST_F(TrayFault, RestartedTaskbarGetsTheIconBack)
{
    ASSERT_TRUE(ShellDropsIcon(m_app->Window()));
    ASSERT_FALSE(ShellHoldsIcon(m_app->Window()));

    AnnounceTaskbarRestart();

    EXPECT_TRUE(WaitUntil([&] { return ShellHoldsIcon(m_app->Window()); }));
    EXPECT_EQ(Count(traced::kFailedAdd), 0);
    EXPECT_TRUE(Shows(IDS_STATUS_ENABLED));
    EXPECT_TRUE(StillRunning());
}

// wParam mostly the icon's id, lParam mostly a mouse or notification message
// or random bits. Hides (0x110) come only now and then: under Wine without a
// window manager each costs about two seconds. Never the two messages that
// open the context menu, whose loop would block.
std::pair<WPARAM, LPARAM> RandomCallback(std::mt19937_64& random)
{
    constexpr LPARAM kMessages[] = {WM_MOUSEMOVE,    WM_LBUTTONDOWN,  WM_LBUTTONUP,
                                    WM_LBUTTONDBLCLK, WM_RBUTTONUP,   WM_RBUTTONDBLCLK,
                                    WM_MBUTTONDOWN,  WM_MBUTTONUP,    WM_MOUSEWHEEL,
                                    NIN_SELECT,      NIN_KEYSELECT,   NIN_BALLOONSHOW,
                                    NIN_BALLOONHIDE, NIN_POPUPOPEN,   NIN_POPUPCLOSE,
                                    0,               -1};
    constexpr LPARAM kHide = 0x110;
    const WPARAM wParam = random() % 4 != 0 ? kTrayIconId : static_cast<WPARAM>(random());
    if (random() % 1000 == 0)
        return {wParam, kHide};
    for (;;) {
        const LPARAM lParam = random() % 2 != 0
                                  ? kMessages[random() % std::size(kMessages)]
                                  : static_cast<LPARAM>(random() >> (random() % 64));
        if (lParam != WM_RBUTTONDOWN && lParam != WM_CONTEXTMENU)
            return {wParam, lParam};
    }
}

TEST_F(TrayFault, BurstOfCallbacksWithArbitraryParametersIsWorkedOff)
{
    // A marker posted after the burst: the thread's posted messages are taken
    // in order, so once the marker has taken effect the burst has too.
    HWND marker = GetDlgItem(m_app->Window(), kMarkerControl);
    ASSERT_NE(marker, nullptr);
    SendWithin(marker, BM_SETCHECK, BST_UNCHECKED, 0);
    std::mt19937_64 random(kBurstSeed);
    std::printf("[faults] burst of %zu callbacks, seed %llu\n", kBurstMessages,
                static_cast<unsigned long long>(kBurstSeed));

    std::size_t posted = 0;
    for (std::size_t i = 0; i < kBurstMessages; ++i) {
        const auto [wParam, lParam] = RandomCallback(random);
        posted += m_app->Post(kTrayCallbackMessage, wParam, lParam) ? 1 : 0;
    }
    ASSERT_TRUE(PostMessageW(marker, BM_SETCHECK, BST_CHECKED, 0));

    EXPECT_EQ(posted, kBurstMessages);
    EXPECT_TRUE(WaitUntil([&] { return SendWithin(marker, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                          120000))
        << "the burst was not worked off";
    EXPECT_TRUE(StillRunning());
    EXPECT_TRUE(WaitForMoreReadings(traced::kEnabled)) << "polls stopped";
    EXPECT_TRUE(Shows(IDS_STATUS_ENABLED));
    EXPECT_EQ(ReadUserValues(), (UserValues{0, 1}));
    SendWithin(marker, BM_SETCHECK, BST_UNCHECKED, 0);
}

} // namespace
} // namespace velmo_fault_test
