// Showing the window on the user's request, hiding it to the tray with the
// pop-up choice, and which choice button is offered.
#include "dialogFixture.h"

#include "res/resource.h"

namespace velmo_test {
namespace {

// The user asks for the window: tray click or the menu's show command.

class ShowOnRequest : public DialogTest
{
protected:
    // Enabled, no pop-up: the window starts hidden.
    void StartHidden()
    {
        QuietUser();
        Publish(kEnabled);
        StartDialog();
        ASSERT_FALSE(Visible());
    }
};

TEST_F(ShowOnRequest, FirstTrayClickShowsTheWindow)
{
    StartHidden();
    ClickTrayIcon(WM_LBUTTONDOWN);
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(Minimized());
}

TEST_F(ShowOnRequest, DoubleClickShowsTheWindow)
{
    StartHidden();
    ClickTrayIcon(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Visible());
}

TEST_F(ShowOnRequest, FirstShowCommandShowsTheWindow)
{
    StartHidden();
    Send(WM_COMMAND, IDM_TRAY_SHOW);
    EXPECT_TRUE(Visible());
}

TEST_F(ShowOnRequest, FirstClickAfterAHiddenPopUpShowsTheWindow)
{
    SetUser(L"PopupForCurrentUser", 1);
    SetUser(L"KorvaLastEnabled", 1);
    Publish(kEnabled);
    StartDialog();
    ASSERT_TRUE(Visible());
    ClickButton(IDC_HIDE_BUTTON);
    ASSERT_FALSE(Visible());

    ClickTrayIcon();
    EXPECT_TRUE(Visible());
}

TEST_F(ShowOnRequest, ShownFromTheTrayComesBackCentred)
{
    StartHidden();
    ClickTrayIcon();
    const RECT centred = WindowRect(Window());
    SetWindowPos(Window(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickButton(IDC_HIDE_BUTTON);
    ClickTrayIcon();
    const RECT shown = WindowRect(Window());
    EXPECT_TRUE(EqualRect(&centred, &shown)) << shown.left << "," << shown.top;
}

TEST_F(ShowOnRequest, OtherTrayMessagesDoNotShowIt)
{
    StartHidden();
    Send(WM_USER + 1, 2, WM_LBUTTONDOWN); // another icon's id
    ClickTrayIcon(WM_LBUTTONUP);
    ClickTrayIcon(WM_MOUSEMOVE);
    EXPECT_FALSE(Visible());
}

TEST_F(ShowOnRequest, TrayMessage0x110HidesTheWindow)
{
    StartHidden();
    ClickTrayIcon();
    ASSERT_TRUE(Visible());
    ClickTrayIcon(0x110);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(Minimized());
}

// ---------------------------------------------------------------------------
// Button 1000, the Escape key (IDCANCEL) and Enter hide to the tray and save
// the pop-up choice.

enum class HideBy { kHideButton, kCancelCommand, kEscapeKey, kEnterKey };

class HideToTray : public DialogTest, public ::testing::WithParamInterface<HideBy>
{
protected:
    void StartShown()
    {
        QuietUser();
        DeleteValue(HKEY_CURRENT_USER, L"PopupForCurrentUser");
        Publish(kEnabled);
        StartDialog();
        ClickTrayIcon();
        ASSERT_TRUE(Visible());
    }

    void Hide()
    {
        switch (GetParam()) {
        case HideBy::kHideButton:
            ClickButton(IDC_HIDE_BUTTON);
            break;
        case HideBy::kCancelCommand:
            Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
            break;
        case HideBy::kEscapeKey:
            SetFocus(Control(IDC_POPUP_OFF_CHECK));
            PressKey(VK_ESCAPE);
            break;
        case HideBy::kEnterKey:
            // Not on the button itself: the dialog's default must answer.
            SetFocus(Control(IDC_POPUP_OFF_CHECK));
            PressKey(VK_RETURN);
            break;
        }
    }

    // The user ticks a box on screen: only a shown one counts.
    void Tick(int id) const
    {
        ShowWindow(Control(id), SW_SHOW);
        SetChecked(id, true);
    }

    void ExpectInTheTray()
    {
        EXPECT_TRUE(IsWindow(Window()));
        EXPECT_FALSE(Visible());
        EXPECT_TRUE(Minimized());
    }
};

TEST_P(HideToTray, NothingCheckedWritesNothing)
{
    StartShown();
    Hide();
    ExpectInTheTray();
    EXPECT_EQ(UserValue(L"PopupForCurrentUser"), std::nullopt);
}

TEST_P(HideToTray, PopUpOffCheckedWritesZeroAndClearsTheChecks)
{
    StartShown();
    Tick(IDC_POPUP_OFF_CHECK);
    Hide();
    ExpectInTheTray();
    EXPECT_EQ(UserValue(L"PopupForCurrentUser"), 0u);
    EXPECT_FALSE(Checked(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(Checked(IDC_POPUP_ON_CHECK));

    // The choice counts at once: now turning the pop-up on is offered.
    Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_TRUE(ControlShown(IDC_POPUP_ON_CHECK));
    EXPECT_FALSE(ControlShown(IDC_POPUP_OFF_CHECK));
}

TEST_P(HideToTray, PopUpOnCheckedWritesOne)
{
    StartShown();
    Tick(IDC_POPUP_ON_CHECK);
    Hide();
    ExpectInTheTray();
    EXPECT_EQ(UserValue(L"PopupForCurrentUser"), 1u);
    EXPECT_FALSE(Checked(IDC_POPUP_ON_CHECK));
}

TEST_P(HideToTray, BothCheckedTurnsThePopUpOff)
{
    StartShown();
    Tick(IDC_POPUP_OFF_CHECK);
    Tick(IDC_POPUP_ON_CHECK);
    Hide();
    ExpectInTheTray();
    EXPECT_EQ(UserValue(L"PopupForCurrentUser"), 0u);
    EXPECT_FALSE(Checked(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(Checked(IDC_POPUP_ON_CHECK));
}

INSTANTIATE_TEST_SUITE_P(Triggers, HideToTray,
                         ::testing::Values(HideBy::kHideButton, HideBy::kCancelCommand,
                                           HideBy::kEscapeKey, HideBy::kEnterKey),
                         [](const ::testing::TestParamInfo<HideBy>& info) {
                             switch (info.param) {
                             case HideBy::kHideButton:
                                 return "HideButton";
                             case HideBy::kCancelCommand:
                                 return "CancelCommand";
                             case HideBy::kEscapeKey:
                                 return "EscapeKey";
                             default:
                                 return "EnterKey";
                             }
                         });

using HideWithoutTray = DialogTest;

TEST_F(HideWithoutTray, NothingShowsOrHidesTheWindowWhileNoTrayIconCouldBringItBack)
{
    QuietUser();
    Publish(kEnabled);
    m_shell.running = false;
    StartDialog();
    ClickTrayIcon(); // opens the gate, but cannot show without an icon
    EXPECT_FALSE(Visible());
    ShowWindow(Window(), SW_SHOWNORMAL); // a second instance, or the modal run's first show
    EXPECT_FALSE(Visible());

    ClickButton(IDC_HIDE_BUTTON);
    EXPECT_FALSE(Minimized());
}

// ---------------------------------------------------------------------------
// Only a keyboard or programmatic activation picks which choice is offered.

class ChoiceButtons : public DialogTest
{
protected:
    void Activate(WORD state, bool minimized = false)
    {
        Send(WM_ACTIVATE, MAKEWPARAM(state, minimized ? 1 : 0));
    }
    // Against the template's start (1001 shown), so a change can be seen.
    void ShowOnly(int id)
    {
        ShowWindow(Control(IDC_POPUP_OFF_CHECK), id == IDC_POPUP_OFF_CHECK ? SW_SHOW : SW_HIDE);
        ShowWindow(Control(IDC_POPUP_ON_CHECK), id == IDC_POPUP_ON_CHECK ? SW_SHOW : SW_HIDE);
    }
};

TEST_F(ChoiceButtons, PopUpOnOffersTurningItOff)
{
    SetUser(L"PopupForCurrentUser", 1);
    StartDialog();
    ShowOnly(IDC_POPUP_ON_CHECK);
    Activate(WA_ACTIVE);
    EXPECT_TRUE(ControlShown(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(ControlShown(IDC_POPUP_ON_CHECK));
}

TEST_F(ChoiceButtons, PopUpOffOffersTurningItOn)
{
    SetUser(L"PopupForCurrentUser", 0);
    StartDialog();
    ShowOnly(IDC_POPUP_OFF_CHECK);
    Activate(WA_ACTIVE);
    EXPECT_TRUE(ControlShown(IDC_POPUP_ON_CHECK));
    EXPECT_FALSE(ControlShown(IDC_POPUP_OFF_CHECK));
}

TEST_F(ChoiceButtons, ClickActivationChangesNothing)
{
    SetUser(L"PopupForCurrentUser", 0);
    StartDialog();
    ShowOnly(IDC_POPUP_OFF_CHECK);
    Activate(WA_CLICKACTIVE);
    EXPECT_TRUE(ControlShown(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(ControlShown(IDC_POPUP_ON_CHECK));
}

TEST_F(ChoiceButtons, ActivationWhileMinimizedChangesNothing)
{
    SetUser(L"PopupForCurrentUser", 0);
    StartDialog();
    ShowOnly(IDC_POPUP_OFF_CHECK);
    Activate(WA_ACTIVE, true);
    EXPECT_TRUE(ControlShown(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(ControlShown(IDC_POPUP_ON_CHECK));
}

TEST_F(ChoiceButtons, BoxHiddenOnOpeningKeepsNeitherTheFocusNorTheChoice)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog(); // the first tab stop, 1001, has the focus
    ClickTrayIcon();
    ASSERT_TRUE(Visible());
    ASSERT_FALSE(ControlShown(IDC_POPUP_OFF_CHECK));
    EXPECT_EQ(GetFocus(), Control(IDC_POPUP_ON_CHECK)) << GetDlgCtrlID(GetFocus());

    PressKey(VK_SPACE);
    EXPECT_TRUE(Checked(IDC_POPUP_ON_CHECK));
    SetChecked(IDC_POPUP_OFF_CHECK, true); // unseen, it is no choice
    ClickButton(IDC_HIDE_BUTTON);
    EXPECT_EQ(UserValue(L"PopupForCurrentUser"), 1u);
}

TEST_F(ChoiceButtons, MinimizedPrivacyIconOffersNoChoice)
{
    SetMachine(L"MinimizePrivacyIconAtStart", 1);
    StartDialog();
    Activate(WA_ACTIVE);
    EXPECT_FALSE(ControlShown(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(ControlShown(IDC_POPUP_ON_CHECK));
}

} // namespace
} // namespace velmo_test
