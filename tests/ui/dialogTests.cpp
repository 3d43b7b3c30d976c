// The main window's content, its small helpers, the system menu and the ways
// of ending the applet.
#include "dialogFixture.h"

#include "common/uniqueHandle.h"
#include "res/resource.h"
#include "ui/dpi.h"
#include "support/traceTexts.h"

#include <iterator>
#include <optional>

namespace velmo_test {
namespace {

using DialogContent = DialogTest;

TEST_F(DialogContent, ControlsAndCaptionCarryTheirStrings)
{
    StartDialog();
    const struct
    {
        int control;
        UINT string;
    } pairs[] = {
        {IDC_ABOUT_TEXT, IDS_ABOUT_TEXT},       {IDC_PRIVACY_TEXT, IDS_PRIVACY_TEXT},
        {IDC_CHOICE_TEXT, IDS_CHOICE_TEXT},     {IDC_OEM_LINK, IDS_OEM_LINK_TEXT},
        {IDC_HIDE_BUTTON, IDS_HIDE_BUTTON},     {IDC_POPUP_OFF_CHECK, IDS_POPUP_OFF},
        {IDC_POPUP_ON_CHECK, IDS_POPUP_ON},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.control);
        EXPECT_FALSE(ResString(pair.string).empty());
        EXPECT_EQ(ControlText(pair.control), ResString(pair.string));
    }
    wchar_t caption[256] = {};
    GetWindowTextW(Window(), caption, 256);
    EXPECT_EQ(caption, ResString(IDS_WINDOW_CAPTION));
}

TEST_F(DialogContent, WindowIconIsTheEnabledIcon)
{
    StartDialog();
    const HICON dragIcon = reinterpret_cast<HICON>(Send(WM_QUERYDRAGICON));
    EXPECT_TRUE(IconShowsResource(dragIcon, IDI_STATUS_ENABLED, GetSystemMetrics(SM_CXICON),
                                  GetSystemMetrics(SM_CYICON)));
    const UINT dpi = WindowDpi(Window());
    EXPECT_TRUE(IconShowsResource(reinterpret_cast<HICON>(Send(WM_GETICON, ICON_SMALL)),
                                  IDI_STATUS_ENABLED, SystemMetricForDpi(SM_CXSMICON, dpi),
                                  SystemMetricForDpi(SM_CYSMICON, dpi)));
}

TEST_F(DialogContent, EnterIsTheHideButtonAndNothingAnswersOk)
{
    StartDialog();
    EXPECT_EQ(Send(DM_GETDEFID), MAKELRESULT(IDC_HIDE_BUTTON, DC_HASDEFID));
    EXPECT_EQ(GetDlgItem(Window(), IDOK), nullptr);
}

// The system colours of a dark high-contrast theme, for the object's life.
// Setting them tells every window, as a change of theme does.
class DarkTheme
{
public:
    DarkTheme()
    {
        for (std::size_t i = 0; i < std::size(kElements); ++i)
            m_saved[i] = GetSysColor(kElements[i]);
        SetSysColors(static_cast<int>(std::size(kElements)), kElements, kColours);
    }
    ~DarkTheme() { SetSysColors(static_cast<int>(std::size(kElements)), kElements, m_saved); }
    DarkTheme(const DarkTheme&) = delete;
    DarkTheme& operator=(const DarkTheme&) = delete;

    static constexpr INT kElements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HOTLIGHT};
    static constexpr COLORREF kColours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 0)};

private:
    COLORREF m_saved[std::size(kElements)] = {};
};

// How a theme comes while the window is open: Windows announces the switch
// (WM_SETTINGCHANGE) and the new colours (WM_SYSCOLORCHANGE), in either order.
enum class ThemeChange { kNone, kSwitchThenColours, kColoursThenSwitch };

// White with link blue; in high contrast, the theme's colours from the moment
// the theme comes.
class Colours : public DialogTest, public ::testing::WithParamInterface<ThemeChange>
{
};

TEST_P(Colours, OfBackgroundsTextAndLinkFollowTheTheme)
{
    const bool highContrast = GetParam() != ThemeChange::kNone;
    StartDialog();
    ClickTrayIcon();
    ASSERT_TRUE(Visible());
    Pump();
    std::optional<DarkTheme> theme;
    if (GetParam() == ThemeChange::kSwitchThenColours) {
        m_shell.highContrast = true;
        theme.emplace();
    } else if (GetParam() == ThemeChange::kColoursThenSwitch) {
        theme.emplace();
        Pump();
        m_shell.highContrast = true;
        Send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
    }
    Pump();
    UpdateWindow(Window());

    const COLORREF background = highContrast ? RGB(0, 0, 0) : RGB(255, 255, 255);
    const HGDIOBJ brush =
        highContrast ? GetSysColorBrush(COLOR_WINDOW) : GetStockObject(WHITE_BRUSH);
    HDC dc = GetDC(Window());
    EXPECT_EQ(GetPixel(dc, 2, 2), background) << "the window's own background";
    const struct
    {
        UINT message;
        HWND control;
        COLORREF text; // CLR_INVALID: the system's default
    } cases[] = {
        {WM_CTLCOLORDLG, Window(), CLR_INVALID},
        {WM_CTLCOLORSTATIC, Control(IDC_STATUS_TEXT),
         highContrast ? RGB(255, 255, 255) : CLR_INVALID},
        {WM_CTLCOLORSTATIC, Control(IDC_OEM_LINK),
         highContrast ? RGB(255, 255, 0) : RGB(0, 0, 255)},
        {WM_CTLCOLORBTN, Control(IDC_POPUP_OFF_CHECK),
         highContrast ? RGB(255, 255, 255) : CLR_INVALID},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.message);
        SetBkColor(dc, RGB(1, 2, 3));
        const LRESULT answer = Send(each.message, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(each.control));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(answer), brush);
        EXPECT_EQ(GetBkColor(dc), background);
        if (each.text != CLR_INVALID) {
            EXPECT_EQ(GetTextColor(dc), each.text);
        }
    }
    ReleaseDC(Window(), dc);
}

std::string ThemeChangeName(const ::testing::TestParamInfo<ThemeChange>& info)
{
    constexpr const char* kNames[] = {"Normal", "SwitchThenColours", "ColoursThenSwitch"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Themes, Colours,
                         ::testing::Values(ThemeChange::kNone, ThemeChange::kSwitchThenColours,
                                           ThemeChange::kColoursThenSwitch),
                         ThemeChangeName);

// The link is a tab stop between the pop-up choice and Hide, shows its focus
// and opens on Enter and Space as on a click; Enter does not hide then.
TEST_F(DialogContent, KeyboardReachesAndOpensTheLink)
{
    SetUser(L"PopupForCurrentUser", 1);
    StartDialog();
    ClickTrayIcon();
    ASSERT_TRUE(Visible());
    SetFocus(Control(IDC_POPUP_OFF_CHECK));
    const HWND order[] = {Control(IDC_OEM_LINK), Control(IDC_HIDE_BUTTON),
                          Control(IDC_POPUP_OFF_CHECK)};
    for (HWND next : order) {
        PressKey(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
    }

    // The link as painted after an update of `part`, or of all of it.
    auto linkPixels = [&](const RECT* part = nullptr) {
        RedrawWindow(Control(IDC_OEM_LINK), part, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        std::vector<COLORREF> pixels;
        HDC dc = GetDC(Control(IDC_OEM_LINK));
        RECT client{};
        GetClientRect(Control(IDC_OEM_LINK), &client);
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(Control(IDC_OEM_LINK), dc);
        return pixels;
    };
    const std::vector<COLORREF> unfocused = linkPixels();
    PressKey(VK_TAB);
    ASSERT_EQ(GetFocus(), Control(IDC_OEM_LINK));
    const std::vector<COLORREF> focused = linkPixels();
    EXPECT_NE(focused, unfocused) << "no focus rectangle around the link";
    const RECT leftHalf{0, 0, 40, 100};
    EXPECT_EQ(linkPixels(&leftHalf), focused) << "a partial repaint breaks the focus rectangle";

    // Held down, Enter opens once as it goes down, Space once as it comes up.
    KeyDown(VK_RETURN, 4);
    EXPECT_EQ(m_shell.executes.size(), 1u);
    EXPECT_TRUE(Visible()) << "Enter on the link went to the default button";
    KeyUp(VK_RETURN);
    KeyDown(VK_SPACE, 4);
    EXPECT_EQ(m_shell.executes.size(), 1u);
    KeyUp(VK_SPACE);
    EXPECT_EQ(m_shell.executes.size(), 2u);
}

// The shell runs sent messages while it looks for a browser: the applet can
// end in there. Then nothing more is traced, and no other window, here a
// bystander on screen, is repainted for the link that is gone.
TEST_F(DialogContent, ExitDuringTheBrowserLaunchIsTheLastTrace)
{
    const UniqueHandle<HWND, &DestroyWindow> bystander(
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                        nullptr, nullptr, nullptr));
    StartDialog();
    UpdateWindow(bystander.Get());
    m_shell.whileShellOpens = [this] { Send(WM_CLOSE); };
    ClickButton(IDC_OEM_LINK);
    ASSERT_FALSE(IsWindow(Window()));
    ASSERT_FALSE(Traces().empty());
    EXPECT_EQ(Traces().back(), traced::kExit);
    EXPECT_FALSE(GetUpdateRect(bystander.Get(), nullptr, FALSE)) << "the desktop was repainted";
}

// ---------------------------------------------------------------------------

using DialogHelpers = DialogTest;

TEST_F(DialogHelpers, EmptyPathDoesNotExistAndIsTraced)
{
    EXPECT_FALSE(Ckorva2checkDlg::DoesFileExist(L""));
    EXPECT_EQ(TraceCount(traced::kEmptyPath), 1u);
}

TEST_F(DialogHelpers, DirectoriesAndFilesExistMissingPathsDoNot)
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_TRUE(Ckorva2checkDlg::DoesFileExist(windows));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_TRUE(Ckorva2checkDlg::DoesFileExist(self));
    EXPECT_FALSE(Ckorva2checkDlg::DoesFileExist(std::wstring(windows) + L"\\no-such-file.bmp"));
}

TEST_F(DialogHelpers, MissingStringLoadsEmptyAndOthersLoadWhole)
{
    EXPECT_EQ(Ckorva2checkDlg::LoadResString(60000), L"");
    EXPECT_EQ(Ckorva2checkDlg::LoadResString(IDS_UNKNOWN_MESSAGE), ResString(IDS_UNKNOWN_MESSAGE));
    EXPECT_FALSE(ResString(IDS_UNKNOWN_MESSAGE).empty());
}

TEST_F(DialogHelpers, SetControlTextPutsTheStringInTheControl)
{
    StartDialog();
    m_dialog->SetControlText(IDC_STATUS_TEXT, IDS_STATUS_DISABLED);
    EXPECT_EQ(StatusText(), ResString(IDS_STATUS_DISABLED));
}

// ---------------------------------------------------------------------------
// The system menu's maximize.

using SystemCommands = DialogTest;

TEST_F(SystemCommands, MaximizeIsDroppedOtherMaximizeValuesAreNot)
{
    StartDialog();
    ClickTrayIcon();
    ASSERT_TRUE(Visible());
    Send(WM_SYSCOMMAND, SC_MAXIMIZE);
    EXPECT_FALSE(IsZoomed(Window()));
    Send(WM_SYSCOMMAND, SC_MAXIMIZE | 2);
    EXPECT_TRUE(IsZoomed(Window()));
}

// ---------------------------------------------------------------------------
// Every way of ending the applet deletes the icon and the window.

struct ExitWay
{
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class EndingTheApplet : public DialogTest, public ::testing::WithParamInterface<ExitWay>
{
protected:
    void End() const { Send(GetParam().message, GetParam().wParam, GetParam().lParam); }

    // The last the shell and the log heard of the applet was its exit.
    void ExpectNothingAfterTheExit()
    {
        EXPECT_EQ(m_shell.Messages().back(), static_cast<DWORD>(NIM_DELETE));
        EXPECT_EQ(m_shell.Count(NIM_DELETE), 1u);
        const std::vector<std::string> traces = Traces();
        ASSERT_FALSE(traces.empty());
        EXPECT_EQ(traces.back(), traced::kExit);
        EXPECT_EQ(TraceCount(traced::kExit), 1u);
    }
};

TEST_P(EndingTheApplet, DeletesTheTrayIconAndTheWindow)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    const HWND window = Window();
    TakeTrayCalls();

    End();
    const std::vector<TrayCall> calls = TakeTrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[0].hWnd, window);
    EXPECT_EQ(calls[0].uID, 1u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(m_dialog->m_hWnd, nullptr);
    EXPECT_EQ(TraceCount(traced::kExit), 1u);
}

TEST_P(EndingTheApplet, InsideTheWarningBoxLeavesTheSuspendedPollNothingToTouch)
{
    SetMachine(L"KorvaStatusInitMaxRetries", 2);
    SetUser(L"PopupForCurrentUser", 0);
    StartDialog();
    // A reading inside the box would have the resumed poll send a new icon.
    m_shell.whileBoxIsOpen = [&] {
        Publish(kEnabled);
        Poll();
        End();
    };
    EXPECT_FALSE(Poll());
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    EXPECT_EQ(m_dialog->m_hWnd, nullptr);
    ExpectNothingAfterTheExit();
}

TEST_P(EndingTheApplet, InsideTheFirstPollsBoxStartsNoTimer)
{
    SetMachine(L"KorvaStatusInitMaxRetries", 1);
    SetMachine(L"CheckKorvaStatusTimeout", 20);
    m_shell.whileBoxIsOpen = [&] { End(); };
    m_dialog = std::make_unique<Ckorva2checkDlg>();
    m_dialog->Create();
    ASSERT_EQ(m_shell.boxes.size(), 1u);
    EXPECT_EQ(m_dialog->m_hWnd, nullptr) << "the window went during its initialisation";
    ExpectNothingAfterTheExit();

    Sleep(100);
    MSG timer;
    // A timer started on the destroyed window would tick for the thread.
    EXPECT_FALSE(PeekMessageW(&timer, reinterpret_cast<HWND>(-1), WM_TIMER, WM_TIMER, PM_REMOVE));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndingTheApplet,
    ::testing::Values(ExitWay{"Close", WM_CLOSE, 0, 0},
                      ExitWay{"ExitCommand", WM_COMMAND, IDM_TRAY_EXIT, 0},
                      ExitWay{"QuitMessage", WM_QUIT, 0, 0},
                      ExitWay{"SessionEnd", WM_ENDSESSION, TRUE, 0},
                      ExitWay{"RestartManager", WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP}),
    [](const ::testing::TestParamInfo<ExitWay>& info) { return std::string(info.param.name); });

TEST_F(DialogTest, SessionEndItAgreesToButThatIsCancelledLeavesItRunning)
{
    StartDialog();
    EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    Send(WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(IsWindow(Window()));
    EXPECT_EQ(m_shell.Count(NIM_DELETE), 0u);
    EXPECT_EQ(TraceCount(traced::kExit), 0u);
}

} // namespace
} // namespace velmo_test
