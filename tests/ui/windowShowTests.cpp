// Showing the window on the user's request, hiding it to the tray with the
// pop-up choice, and which choice button is offered.
#include "dialogFixture.h"

#include "res/resource.h"

#include <tuple>

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

// From the shell, which reaches an applet run as administrator only with
// what it allowed.
struct Request
{
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool elevated;
    bool shows;
};

class ShowRequests : public ShowOnRequest, public ::testing::WithParamInterface<Request>
{
};

TEST_P(ShowRequests, ShowTheWindowAtTheFirstRequest)
{
    m_shell.elevated = GetParam().elevated;
    StartHidden();
    m_shell.SendFromShell(Window(), GetParam().message, GetParam().wParam, GetParam().lParam);
    EXPECT_EQ(Visible(), GetParam().shows);
    EXPECT_FALSE(Minimized());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ShowRequests,
    ::testing::Values(Request{"TrayClick", WM_USER + 1, 1, WM_LBUTTONDOWN, false, true},
                      Request{"TrayClickToAnElevatedApplet", WM_USER + 1, 1, WM_LBUTTONDOWN,
                              true, true},
                      Request{"TrayDoubleClick", WM_USER + 1, 1, WM_LBUTTONDBLCLK, false, true},
                      Request{"ShowCommand", WM_COMMAND, IDM_TRAY_SHOW, 0, false, true},
                      Request{"ClickOnAnotherIcon", WM_USER + 1, 2, WM_LBUTTONDOWN, false, false},
                      Request{"ButtonReleased", WM_USER + 1, 1, WM_LBUTTONUP, false, false},
                      Request{"PointerMoved", WM_USER + 1, 1, WM_MOUSEMOVE, false, false}),
    [](const ::testing::TestParamInfo<Request>& info) { return std::string(info.param.name); });

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

// The boxes the user ticked, and what is saved; where the registry refuses
// (HKEY_CURRENT_USER on a deleted key), its answer is traced.
struct Choice
{
    const char* name;
    bool off, on;
    std::optional<DWORD> saved;
    bool stored = true;
};

class HideToTray : public DialogTest,
                   public ::testing::WithParamInterface<std::tuple<Choice, HideBy>>
{
protected:
    void Hide()
    {
        switch (std::get<1>(GetParam())) {
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
};

TEST_P(HideToTray, SavesTheTickedChoiceAndClearsTheBoxes)
{
    const Choice& choice = std::get<0>(GetParam());
    QuietUser();
    DeleteValue(HKEY_CURRENT_USER, L"PopupForCurrentUser");
    Publish(kEnabled);
    StartDialog();
    ClickTrayIcon();
    ASSERT_TRUE(Visible());
    if (choice.off)
        Tick(IDC_POPUP_OFF_CHECK);
    if (choice.on)
        Tick(IDC_POPUP_ON_CHECK);
    std::optional<DeletedUserHive> refusing;
    if (!choice.stored)
        refusing.emplace();

    Hide();
    EXPECT_TRUE(IsWindow(Window()));
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(Minimized());
    EXPECT_EQ(UserValue(L"PopupForCurrentUser"), choice.saved);
    EXPECT_FALSE(Checked(IDC_POPUP_OFF_CHECK));
    EXPECT_FALSE(Checked(IDC_POPUP_ON_CHECK));
    // The registry's own status: it does not set the thread's last error.
    EXPECT_EQ(TraceCount("Failed to write PopupForCurrentUser value to registry. "
                         "Error code = 1018"),
              choice.stored ? 0u : 1u);

    // The choice counts at once: the opposite is offered now (the pop-up is
    // on when nothing was ever saved).
    Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_EQ(ControlShown(IDC_POPUP_ON_CHECK), choice.saved == 0u);
    EXPECT_EQ(ControlShown(IDC_POPUP_OFF_CHECK), choice.saved != 0u);
}

constexpr Choice kChoices[] = {
    {"NothingTicked", false, false, std::nullopt},
    {"PopUpOffTicked", true, false, 0u},
    {"PopUpOnTicked", false, true, 1u},
    {"BothTickedTurnItOff", true, true, 0u},
    {"PopUpOnTickedNotStored", false, true, std::nullopt, false},
};

std::string ChoiceAndTrigger(const ::testing::TestParamInfo<std::tuple<Choice, HideBy>>& info)
{
    constexpr const char* kTriggers[] = {"HideButton", "CancelCommand", "EscapeKey", "EnterKey"};
    return std::string(std::get<0>(info.param).name) +
           kTriggers[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(ChoicesAndTriggers, HideToTray,
                         ::testing::Combine(::testing::ValuesIn(kChoices),
                                            ::testing::Values(HideBy::kHideButton,
                                                              HideBy::kCancelCommand,
                                                              HideBy::kEscapeKey,
                                                              HideBy::kEnterKey)),
                         ChoiceAndTrigger);

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

using ChoiceButtons = DialogTest;

struct Activation
{
    const char* name;
    std::optional<DWORD> popUp;  // PopupForCurrentUser
    DWORD minimizeIcon;          // MinimizePrivacyIconAtStart
    int shownBefore;             // the one box on screen, against a change
    WORD state;
    bool minimized;
    int offered;                 // the box shown after it; 0: neither
};

class Activations : public DialogTest, public ::testing::WithParamInterface<Activation>
{
};

TEST_P(Activations, OfferTheOppositeOfTheSetting)
{
    const Activation& row = GetParam();
    if (row.popUp)
        SetUser(L"PopupForCurrentUser", *row.popUp);
    if (row.minimizeIcon)
        SetMachine(L"MinimizePrivacyIconAtStart", row.minimizeIcon);
    StartDialog();
    ShowWindow(Control(IDC_POPUP_OFF_CHECK),
               row.shownBefore == IDC_POPUP_OFF_CHECK ? SW_SHOW : SW_HIDE);
    ShowWindow(Control(IDC_POPUP_ON_CHECK),
               row.shownBefore == IDC_POPUP_ON_CHECK ? SW_SHOW : SW_HIDE);
    Send(WM_ACTIVATE, MAKEWPARAM(row.state, row.minimized ? 1 : 0));
    EXPECT_EQ(ControlShown(IDC_POPUP_OFF_CHECK), row.offered == IDC_POPUP_OFF_CHECK);
    EXPECT_EQ(ControlShown(IDC_POPUP_ON_CHECK), row.offered == IDC_POPUP_ON_CHECK);
}

// Only a keyboard or programmatic activation of the shown window picks.
INSTANTIATE_TEST_SUITE_P(
    States, Activations,
    ::testing::Values(
        Activation{"PopUpOnOffersTurningItOff", 1u, 0, IDC_POPUP_ON_CHECK, WA_ACTIVE, false,
                   IDC_POPUP_OFF_CHECK},
        Activation{"PopUpOffOffersTurningItOn", 0u, 0, IDC_POPUP_OFF_CHECK, WA_ACTIVE, false,
                   IDC_POPUP_ON_CHECK},
        Activation{"ClickActivationChangesNothing", 0u, 0, IDC_POPUP_OFF_CHECK, WA_CLICKACTIVE,
                   false, IDC_POPUP_OFF_CHECK},
        Activation{"WhileMinimizedChangesNothing", 0u, 0, IDC_POPUP_OFF_CHECK, WA_ACTIVE, true,
                   IDC_POPUP_OFF_CHECK},
        Activation{"MinimizedPrivacyIconOffersNoChoice", std::nullopt, 1, IDC_POPUP_OFF_CHECK,
                   WA_ACTIVE, false, 0}),
    [](const ::testing::TestParamInfo<Activation>& info) { return std::string(info.param.name); });

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

} // namespace
} // namespace velmo_test
