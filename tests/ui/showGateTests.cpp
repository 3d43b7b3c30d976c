// The show gate: nothing makes the window visible unless it may show, not
// even for a moment in the modal run.
#include "dialogFixture.h"

#include "res/resource.h"
#include "support/traceTexts.h"

namespace velmo_test {
namespace {

class ShowGate : public DialogTest
{
protected:
    // No pop-up wanted, nothing known, nobody asked: the gate is closed.
    void StartClosed()
    {
        SetUser(L"PopupForCurrentUser", 0);
        StartDialog();
    }
};

TEST_F(ShowGate, ShowsFromOutsideAreDroppedWhileClosed)
{
    StartClosed();
    ShowWindow(Window(), SW_SHOW);
    EXPECT_FALSE(Visible());
    SetWindowPos(Window(), nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_FALSE(Visible());
}

TEST_F(ShowGate, RestoreOfTheTrayWindowLeavesItHidden)
{
    StartClosed();
    ASSERT_TRUE(m_dialog->ShowStatusWindow(Ckorva2checkDlg::kHide));
    ASSERT_TRUE(Minimized());
    ASSERT_FALSE(Visible());
    // What a second instance does to the first one's window.
    ShowWindow(Window(), SW_RESTORE);
    EXPECT_FALSE(Visible());
}

TEST_F(ShowGate, MovesPassWhileClosed)
{
    StartClosed();
    const RECT before = WindowRect(Window());
    SetWindowPos(Window(), nullptr, before.left + 37, before.top + 23, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(WindowRect(Window()).left, before.left + 37);
    EXPECT_FALSE(Visible());
}

TEST_F(ShowGate, VisibleWindowStaysVisibleAfterItClosed)
{
    SetUser(L"PopupForCurrentUser", 1);
    SetUser(L"KorvaLastEnabled", 1);
    Publish(kEnabled);
    StartDialog(); // pops up, then the gate closes behind it
    ASSERT_TRUE(Visible());
    const RECT before = WindowRect(Window());
    SetWindowPos(Window(), nullptr, before.left + 11, before.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(WindowRect(Window()).left, before.left + 11);
}

// Starts where nothing may show: no pop-up wanted, or one that waits for a
// user who is presenting (Wine always accepts notifications; Windows answers
// as SHQueryUserNotificationState on Microsoft Learn describes). The modal
// run's own first show must not show the window either; a pop-up that waited
// shows at the first poll after the user is free again, and the user's own
// request at once.
struct QuietStart
{
    const char* name;
    DWORD popUp; // PopupForCurrentUser
    QUERY_USER_NOTIFICATION_STATE state;
    bool userAsks; // while presenting
    bool showsOnceFree;
};

void PrintTo(const QuietStart& start, std::ostream* out)
{
    *out << start.name;
}

class ModalRunStart : public DialogTest, public ::testing::WithParamInterface<QuietStart>
{
};

TEST_P(ModalRunStart, ShowsNothingBeforeItIsDue)
{
    const QuietStart& start = GetParam();
    const VisibilityWatch watch;
    SetUser(L"PopupForCurrentUser", start.popUp);
    SetUser(L"KorvaLastEnabled", 1);
    SetMachine(L"CheckKorvaStatusTimeout", 3600000);
    Publish(kDisabled);
    m_shell.notificationState = start.state;
    EXPECT_TRUE(RunModal(watch, [&] {
        EXPECT_FALSE(watch.EverVisible());
        if (start.userAsks) {
            ClickTrayIcon();
            EXPECT_TRUE(Visible());
        }
        m_shell.notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
        Poll();
        EXPECT_EQ(Visible(), start.showsOnceFree);
    }));
    EXPECT_EQ(watch.ShowsSeen(), start.showsOnceFree ? 1 : 0);
    EXPECT_EQ(TraceCount(traced::kExit), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, ModalRunStart,
    ::testing::Values(QuietStart{"NoPopUpWanted", 0, QUNS_ACCEPTS_NOTIFICATIONS, false, false},
                      QuietStart{"UserPresenting", 1, QUNS_PRESENTATION_MODE, false, true},
                      QuietStart{"UserPresentingAsks", 1, QUNS_PRESENTATION_MODE, true, true}),
    [](const ::testing::TestParamInfo<QuietStart>& info) { return std::string(info.param.name); });

TEST_F(ShowGate, ModalRunWithPopUpShowsTheWindowAndKeepsAnEarlyHide)
{
    // A hide quicker than the run's first empty queue, as on a loaded
    // machine at logon: the window must stay in the tray, minimized, where
    // a second start brings it back.
    VisibilityWatch watch;
    watch.onFirstShow = [](HWND window) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_HIDE_BUTTON, BN_CLICKED), 0);
    };
    SetUser(L"PopupForCurrentUser", 1);
    SetUser(L"KorvaLastEnabled", 1);
    SetMachine(L"CheckKorvaStatusTimeout", 3600000);
    Publish(kDisabled);
    ASSERT_TRUE(RunModal(watch, [&] {
        EXPECT_FALSE(Visible());
        EXPECT_TRUE(Minimized());
    }));
    EXPECT_TRUE(watch.EverVisible());
    EXPECT_EQ(watch.ShowsSeen(), 1);
}

} // namespace
} // namespace velmo_test
