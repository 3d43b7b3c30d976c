#include "ui/velmoDlg.h"

#include "common/trace.h"
#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/resourceString.h"
#include "ui/shellPort.h"

#include <climits>
#include <cwchar>

namespace {

constexpr UINT_PTR kPollTimerId = 1;

HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

// Counts the polls under way on the stack, for the object's life.
class PollNesting
{
public:
    explicit PollNesting(int& depth) : m_depth(depth) { ++m_depth; }
    ~PollNesting() { --m_depth; }
    PollNesting(const PollNesting&) = delete;
    PollNesting& operator=(const PollNesting&) = delete;

private:
    int& m_depth;
};

} // namespace

Ckorva2checkDlg::Ckorva2checkDlg() : CDialog(IDD_VELMO_DIALOG)
{
    VELMO_TRACE("START VELMO");
    m_tooltipText = LoadResString(IDS_TRAY_TOOLTIP);
    m_logoFileName = L"oemlogo.bmp";
    m_oemUrl = kDefaultOemUrl;
    m_config.ReadAll();
}

// Members go in reverse order; the tray icon and the logo are ExitApplet's.
Ckorva2checkDlg::~Ckorva2checkDlg() = default;

BEGIN_MESSAGE_MAP(Ckorva2checkDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(kTrayCallbackMessage, OnTrayNotify)
    ON_MESSAGE_VOID(WM_QUIT, ExitApplet)
    ON_MESSAGE_VOID(WM_CLOSE, ExitApplet)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_HIDE_BUTTON, OnHideButton)
    ON_WM_ACTIVATE()
    ON_COMMAND(IDM_TRAY_EXIT, ExitApplet)
    ON_COMMAND(IDM_TRAY_SHOW, OnShowCommand)
    ON_WM_CTLCOLOR()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_WM_DPICHANGED()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

void Ckorva2checkDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_OEM_LINK, m_hyperLink);
    DDX_Control(pDX, IDC_POPUP_OFF_CHECK, m_popupOffCheck);
    DDX_Control(pDX, IDC_POPUP_ON_CHECK, m_popupOnCheck);
    DDX_Control(pDX, IDC_OEM_LOGO, m_logoPicture);
}

BOOL Ckorva2checkDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_dpi = WindowDpi(m_hWnd);

    // The tray icon first, with only what it needs: the user learns the
    // state from it. The rest is for the window, which shows later.
    m_statusControl = GetDlgItem(m_hWnd, IDC_STATUS_TEXT);
    AllowShellMessages();
    SetUpTrayMenu();
    OpenStatusChannel();
    LoadStateIcons();
    // The channel is open, so the gate is computed from the real status.
    RefreshWindowContent();
    EnsureTrayIcon();
    // The first poll's warning box can end the applet.
    if (m_exited)
        return FALSE;

    m_windowIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_STATUS_ENABLED));
    LoadWindowIcon();
    SetControlText(IDC_ABOUT_TEXT, IDS_ABOUT_TEXT);
    SetControlText(IDC_PRIVACY_TEXT, IDS_PRIVACY_TEXT);
    SetControlText(IDC_CHOICE_TEXT, IDS_CHOICE_TEXT);
    SetControlText(IDC_OEM_LINK, IDS_OEM_LINK_TEXT);
    SetControlText(IDC_HIDE_BUTTON, IDS_HIDE_BUTTON);
    SetControlText(IDC_POPUP_OFF_CHECK, IDS_POPUP_OFF);
    SetControlText(IDC_POPUP_ON_CHECK, IDS_POPUP_ON);
    SetWindowTextW(m_hWnd, LoadResString(IDS_WINDOW_CAPTION).c_str());
    EmphasizeStatusText();
    MirrorForReading();
    LoadOemLogo();
    ShowLogo();
    m_pollTimerId = SetTimer(m_hWnd, kPollTimerId, m_config.CheckKorvaStatusTimeout, nullptr);
    return TRUE;
}

// A definite reading: the next run of unknown ones counts, and warns, anew.
void Ckorva2checkDlg::EndUnknownRun()
{
    m_openAttempts = 0;
    m_unknownWarned = false;
}

void Ckorva2checkDlg::OpenStatusChannel()
{
    if (!m_statusReader.Initialize(FILE_MAP_READ))
        VELMO_TRACE(FormatTrace("IPCKorvaStatus object failed to initialize. Error code=%u",
                                static_cast<unsigned>(m_statusReader.LastError()))
                        .c_str());
    // Saturates: a service that never comes must not wrap the count around.
    if (m_openAttempts < LONG_MAX)
        ++m_openAttempts;
}

bool Ckorva2checkDlg::PollStatus()
{
    const PollNesting nesting(m_pollDepth);
    bool result = true;
    OpenStatusChannel();
    const KorvaStatus reading = m_statusReader.ReadStatus();

    switch (reading) {
    case kKorvaDisabled:
        EndUnknownRun();
        VELMO_TRACE("Retrieved KorvaStatus: disabled");
        if (m_displayedStatus == kKorvaEnabled &&
            ++m_disabledReadings < m_config.NumPollsForDisabled) {
            // Enabled stays on display until the disabled readings repeat.
            m_statusReader.Close();
            return true;
        }
        SetStatusText(IDS_STATUS_DISABLED);
        if (m_disabledReadings != 0 && m_disabledReadings == m_config.NumPollsForDisabled)
            VELMO_TRACE(FormatTrace("Got 'disabled' status %d times - changing displayed status "
                                    "to 'disabled'.",
                                    static_cast<int>(m_disabledReadings))
                            .c_str());
        m_disabledReadings = 0;
        break;
    case kKorvaEnabled:
        VELMO_TRACE("Retrieved KorvaStatus: enabled");
        SetStatusText(IDS_STATUS_ENABLED);
        EndUnknownRun();
        m_disabledReadings = 0;
        break;
    case kKorvaUnknown:
        VELMO_TRACE("Retrieved KorvaStatus: unknown");
        SetStatusText(IDS_STATUS_UNKNOWN);
        if (static_cast<DWORD>(m_openAttempts) == m_config.KorvaStatusInitMaxRetries &&
            !m_unknownWarned)
            m_notice.OweWarning();
        // It waits for a user who is presenting, for as long as the status
        // stays unknown.
        if (m_notice.WarningDue(UserIsBusy)) {
            // Its show may be what adds the icon: with the image it shows.
            ShowOnTray(kKorvaUnknown);
            GiveUnknownStatusWarning();
        }
        break;
    default:
        VELMO_TRACE("Retrieved KorvaStatus: bad value!");
        m_statusReader.Close();
        return false;
    }

    // The applet ended while the warning box was open: the window and the
    // tray icon are gone.
    if (m_exited) {
        m_statusReader.Close();
        return false;
    }

    const bool changed = reading != m_displayedStatus;
    if (changed || !m_trayIcon.InShell())
        ShowOnTray(reading);
    if (!m_trayIcon.Send(changed))
        result = false;
    NoteReading(reading);
    PopUpIfOwed();

    m_displayedStatus = reading;
    m_statusReader.Close();
    return result;
}

// What the reading is to the user: news of "enabled", the start's pop-up.
// A definite reading is recorded, "enabled" once the user had it.
void Ckorva2checkDlg::NoteReading(KorvaStatus reading)
{
    DWORD lastEnabled = 0;
    const bool news =
        m_config.MinimizePrivacyIconAtStart != 1 && reading == kKorvaEnabled &&
        (!m_config.ReadUserDword(m_config.KorvaLastEnabledName, lastEnabled) || lastEnabled == 0);
    const bool atStart = reading != kKorvaUnknown && !m_autoPoppedUp &&
                         m_config.PopupForCurrentUser != 0 && m_displayedStatus == kKorvaUnknown;
    if (m_notice.Read(reading, news, atStart))
        m_config.WriteUserDword(m_config.KorvaLastEnabledName, reading == kKorvaEnabled ? 1 : 0);
}

void Ckorva2checkDlg::PopUpIfOwed()
{
    if (!m_notice.PopUpDue(m_trayIcon.InShell(), UserIsBusy))
        return;
    m_notice.PopUpShowing();
    // Set before the show: nothing nested in it may pop up again.
    m_autoPoppedUp = true;
    // A window already on screen says it all: it stays where the user has it.
    if (!IsWindowVisible(m_hWnd) || IsIconic(m_hWnd)) {
        m_mayShow = true;
        ShowStatusWindow(kShow);
    }
    RefreshWindowContent();
    FollowOwnShow(StatusLine(), NIIF_INFO);
}

// Windows keeps a window that a background process shows behind the one in
// use: the user has it only if it came to the front. Behind, the tray icon's
// notification says the same.
void Ckorva2checkDlg::FollowOwnShow(const std::wstring& text, DWORD notificationKind)
{
    switch (m_notice.Shown(Shell().InFront(m_hWnd))) {
    case CNoticeRule::Outcome::kSeen:
        RecordEnabledSeen();
        break;
    case CNoticeRule::Outcome::kNotify:
        m_trayIcon.Notify(LoadResString(IDS_WINDOW_CAPTION), text, notificationKind);
        break;
    case CNoticeRule::Outcome::kNothing:
        break;
    }
}

void Ckorva2checkDlg::RecordEnabledSeen()
{
    m_config.WriteUserDword(m_config.KorvaLastEnabledName, 1);
}

void Ckorva2checkDlg::GiveUnknownStatusWarning()
{
    m_notice.WarningShowing();
    m_mayShow = true;
    ShowStatusWindow(kShow);
    RefreshWindowContent();

    const std::wstring format = LoadResString(IDS_UNKNOWN_MESSAGE);
    const std::wstring caption = LoadResString(IDS_UNKNOWN_CAPTION);
    const DWORD seconds =
        (static_cast<DWORD>(m_openAttempts) - 1) * m_config.CheckKorvaStatusTimeout / 1000;
    wchar_t text[512] = {};
    // The system library's formatter, as the trace's; the last character
    // stays the buffer's zero.
    _snwprintf(text, std::size(text) - 1, format.c_str(), seconds);

    VELMO_TRACE(FormatTrace("Korva Status could not be retrieved %d times - the velmosrv service "
                            "is probably not running.",
                            static_cast<int>(m_openAttempts))
                    .c_str());
    // Set before the box: polls keep running inside its modal loop.
    m_unknownWarned = true;
    FollowOwnShow(text, NIIF_ERROR);
    // A mirrored window reads right to left without WS_EX_RTLREADING, which
    // there would mean the opposite; its readers look for the text at the
    // right.
    const LONG style = GetWindowLongW(m_hWnd, GWL_EXSTYLE);
    UINT type = MB_ICONERROR;
    if (style & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL))
        type |= MB_RTLREADING;
    if (style & WS_EX_LAYOUTRTL)
        type |= MB_RIGHT;
    Shell().ShowMessageBox(m_hWnd, text, caption.c_str(), type);
    m_notice.WarningClosed();
}

bool Ckorva2checkDlg::ShowStatusWindow(int request)
{
    if (!EnsureTrayIcon())
        return false;
    switch (request) {
    case kShow:
        // Restored first: the restore puts back the normal position, which
        // centring the minimized window would not have moved.
        ShowWindow(m_hWnd, SW_RESTORE);
        CenterOnScreen();
        Shell().BringToFront(m_hWnd);
        // Already active, the window gets no activation to move it for us.
        MoveFocusOffHiddenControl();
        return true;
    case kHide:
        ShowWindow(m_hWnd, SW_MINIMIZE);
        ShowWindow(m_hWnd, SW_HIDE);
        return true;
    default:
        return true;
    }
}

void Ckorva2checkDlg::CenterOnScreen()
{
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int x = area.left + (area.right - area.left - (window.right - window.left)) / 2;
    const int y = area.top + (area.bottom - area.top - (window.bottom - window.top)) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Ckorva2checkDlg::RefreshWindowContent()
{
    // Outside a poll the reader is closed and reads unknown.
    m_mayShow = (m_config.PopupForCurrentUser != 0 &&
                 m_statusReader.ReadStatus() != kKorvaUnknown && !m_autoPoppedUp) ||
                m_userAskedToShow;
    m_oemUrl = m_config.OemUrl;
    m_hyperLink.SetUrl(m_oemUrl);
    return false;
}

void Ckorva2checkDlg::OnWindowPosChanging(WINDOWPOS* position)
{
    // Without an icon to bring it back, a window shown could not be hidden:
    // nothing shows it before the shell took the icon. An owed pop-up comes
    // only when it can, not by another way such as the modal run's first
    // show.
    if (!m_mayShow || !m_trayIcon.Added() ||
        m_notice.HoldsBackShow(m_trayIcon.InShell(), m_userAskedToShow, UserIsBusy))
        position->flags &= ~SWP_SHOWWINDOW;
    Default();
}

void Ckorva2checkDlg::OnTimer(UINT_PTR timerId)
{
    if (timerId == kPollTimerId)
        PollStatus();
}

void Ckorva2checkDlg::ShowOnRequest()
{
    m_userAskedToShow = true;
    // The user asked: the first click shows the window, not only the second.
    m_mayShow = true;
    ShowStatusWindow(kShow);
    RefreshWindowContent();
    // The user has the window, and what it says.
    if (IsWindowVisible(m_hWnd) && m_notice.Seen())
        RecordEnabledSeen();
}

void Ckorva2checkDlg::OnCancel()
{
    OnHideButton();
}

void Ckorva2checkDlg::OnHideButton()
{
    // A box OnActivate has hidden is no choice the user could see.
    const auto chosen = [](const CButton& box) {
        return (GetWindowLongW(box.m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0 &&
               box.GetCheck() != BST_UNCHECKED;
    };
    LONG choice = -1;
    if (chosen(m_popupOffCheck))
        choice = 0;
    else if (chosen(m_popupOnCheck))
        choice = 1;
    if (choice >= 0) {
        m_config.PopupForCurrentUser = choice;
        if (!m_config.WriteUserDword(m_config.PopupForCurrentUserName,
                                     static_cast<DWORD>(choice)))
            VELMO_TRACE(FormatTrace("Failed to write PopupForCurrentUser value to registry. "
                                    "Error code = %d",
                                    static_cast<int>(m_config.LastError()))
                            .c_str());
        m_popupOffCheck.SetCheck(BST_UNCHECKED);
        m_popupOnCheck.SetCheck(BST_UNCHECKED);
    }
    // Never hide the window while no tray icon can bring it back.
    if (!EnsureTrayIcon())
        return;
    const bool hadIt = IsWindowVisible(m_hWnd);
    ShowWindow(m_hWnd, SW_MINIMIZE);
    ShowWindow(m_hWnd, SW_HIDE);
    if (hadIt && m_notice.Seen())
        RecordEnabledSeen();
}

void Ckorva2checkDlg::OnActivate(UINT state, HWND, bool minimized)
{
    if (state == WA_ACTIVE && !minimized) {
        const bool offered = m_config.MinimizePrivacyIconAtStart != 1;
        const bool popupOn = m_config.PopupForCurrentUser != 0;
        // Offer the opposite of the current setting.
        ShowWindow(m_popupOffCheck.m_hWnd, offered && popupOn ? SW_SHOW : SW_HIDE);
        ShowWindow(m_popupOnCheck.m_hWnd, offered && !popupOn ? SW_SHOW : SW_HIDE);
    }
    if (state != WA_INACTIVE && !minimized && IsWindowVisible(m_hWnd) && m_notice.Activated())
        RecordEnabledSeen();
    // The dialog manager gives the focus back to where it was, even to a box
    // just hidden.
    Default();
    MoveFocusOffHiddenControl();
}

void Ckorva2checkDlg::MoveFocusOffHiddenControl()
{
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != m_hWnd || (GetWindowLongW(focus, GWL_STYLE) & WS_VISIBLE))
        return;
    SendMessageW(m_hWnd, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetNextDlgTabItem(m_hWnd, focus, FALSE)), TRUE);
}

void Ckorva2checkDlg::ExitApplet()
{
    // Once only: a close and an exit command can both be on their way.
    if (m_exited)
        return;
    m_exited = true;
    m_trayIcon.Delete();
    DestroyWindow(m_hWnd);
    m_logoBitmap.Reset();
    m_oemLogo.Reset();
    VELMO_TRACE("EXIT VELMO");
}

BOOL Ckorva2checkDlg::OnQueryEndSession()
{
    return TRUE;
}

// The session ends, or the restart manager closes the applet for an
// installer (ENDSESSION_CLOSEAPP): the process may be gone once this returns.
void Ckorva2checkDlg::OnEndSession(bool ending)
{
    if (ending)
        ExitApplet();
}

void Ckorva2checkDlg::OnSysCommand(UINT command, LPARAM)
{
    if (command == SC_MAXIMIZE)
        return;
    Default();
}

HCURSOR Ckorva2checkDlg::OnQueryDragIcon()
{
    return m_windowIcon;
}

void Ckorva2checkDlg::SetControlText(int controlId, UINT stringId)
{
    SetDlgItemTextW(m_hWnd, controlId, LoadResString(stringId).c_str());
}

// As SetControlText, with the control's handle kept from OnInitDialog: under
// Wine, finding a child window costs a round trip to the server, which was
// nearly half of what a poll spends beyond its system calls.
void Ckorva2checkDlg::SetStatusText(UINT stringId)
{
    SendMessageW(m_statusControl, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(LoadResString(stringId).c_str()));
}

std::wstring Ckorva2checkDlg::StatusLine() const
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(m_statusControl)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        GetWindowTextW(m_statusControl, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring Ckorva2checkDlg::LoadResString(UINT stringId)
{
    return ResourceString(stringId);
}
