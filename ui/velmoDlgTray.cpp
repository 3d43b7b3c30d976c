// The dialog's side of the tray icon: its menu, its images at the task
// bar's scale, what the shell tells the window, and a task bar that comes
// back.
#include "ui/velmoDlg.h"

#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/shellPort.h"

#include <utility>

namespace {

const UINT g_taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

} // namespace

LRESULT Ckorva2checkDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Registered at run time, so it cannot stand in the message map.
    if (message == g_taskbarCreatedMessage && message != 0) {
        OnTaskbarCreated();
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

// Run as administrator, the window would not hear the shell: User Interface
// Privilege Isolation drops these messages sent up from Explorer's level.
void Ckorva2checkDlg::AllowShellMessages()
{
    Shell().AllowMessage(m_hWnd, g_taskbarCreatedMessage);
    Shell().AllowMessage(m_hWnd, kTrayCallbackMessage);
}

void Ckorva2checkDlg::SetUpTrayMenu()
{
    m_trayMenu.LoadMenuW(IDR_TRAY_MENU);
    ModifyMenuW(m_trayMenu.m_hMenu, IDM_TRAY_SHOW, MF_BYCOMMAND | MF_STRING, IDM_TRAY_SHOW,
                LoadResString(IDS_MENU_SHOW).c_str());
    ModifyMenuW(m_trayMenu.m_hMenu, IDM_TRAY_EXIT, MF_BYCOMMAND | MF_STRING, IDM_TRAY_EXIT,
                LoadResString(IDS_MENU_EXIT).c_str());
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    item.fState = MFS_DEFAULT;
    SetMenuItemInfoW(m_trayMenu.m_hMenu, IDM_TRAY_SHOW, FALSE, &item);
}

// The notification area is the task bar's: its icons take the small-icon
// size of the task bar's scale, whichever screen the window is on.
void Ckorva2checkDlg::LoadStateIcons()
{
    const UINT dpi = Shell().TaskbarDpi();
    const int width = SystemMetricForDpi(SM_CXSMICON, dpi);
    const int height = SystemMetricForDpi(SM_CYSMICON, dpi);
    auto load = [&](UINT id) {
        return UniqueIcon(static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)));
    };
    m_iconDisabled = load(IDI_STATUS_DISABLED);
    m_iconEnabled = load(IDI_STATUS_ENABLED);
    m_iconUnknown = load(IDI_STATUS_UNKNOWN);
}

// The icon and, for a keyboard or screen-reader user, a tooltip that name
// the status: the applet's name, then the window's status line.
void Ckorva2checkDlg::ShowOnTray(KorvaStatus status)
{
    const auto [icon, text] =
        status == kKorvaDisabled  ? std::pair{m_iconDisabled.Get(), IDS_STATUS_DISABLED}
        : status == kKorvaEnabled ? std::pair{m_iconEnabled.Get(), IDS_STATUS_ENABLED}
                                  : std::pair{m_iconUnknown.Get(), IDS_STATUS_UNKNOWN};
    m_trayIcon.SetIcon(icon);
    m_trayIcon.SetTip(m_tooltipText + L'\n' + LoadResString(text));
}

bool Ckorva2checkDlg::EnsureTrayIcon()
{
    if (m_trayIcon.Added())
        return true;
    m_trayIcon.Describe(m_hWnd, kTrayIconId, kTrayCallbackMessage, m_tooltipText);
    // Inside a poll (its pop-up or warning shows the window), a poll of our
    // own would count an attempt too many: send the icon it has prepared.
    if (m_pollDepth > 0)
        return m_trayIcon.Send(false);
    return PollStatus();
}

void Ckorva2checkDlg::OnTaskbarCreated()
{
    // A restarted task bar has forgotten the icon, and one that comes up
    // only now, at logon, may take the add that failed: add it as displayed.
    // Before the first poll has filled the record there is nothing to add.
    if (!m_trayIcon.Described())
        return;
    // A change of scale is announced so too: the images at the new one.
    LoadStateIcons();
    ShowOnTray(m_displayedStatus);
    m_trayIcon.AddAgain();
    PopUpIfOwed();
}

LRESULT Ckorva2checkDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != kTrayIconId)
        return 0;
    switch (lParam) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    // A click on the notification asks for what it told.
    case NIN_BALLOONUSERCLICK:
        ShowOnRequest();
        break;
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU: {
        POINT cursor{};
        GetCursorPos(&cursor);
        ShowTrayMenu(cursor.x, cursor.y);
        break;
    }
    case 0x110:
        ShowStatusWindow(kHide);
        break;
    default:
        break;
    }
    return 0;
}

void Ckorva2checkDlg::OnShowCommand()
{
    ShowOnRequest();
}

void Ckorva2checkDlg::ShowTrayMenu(int x, int y)
{
    Shell().BringToFront(m_hWnd);
    // A mirrored window's menu opens right-to-left as well.
    const bool mirrored = (GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    TrackPopupMenu(m_trayMenu.GetSubMenu(0),
                   TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | (mirrored ? TPM_LAYOUTRTL : 0), x, y, 0,
                   m_hWnd, nullptr);
    // Lets the menu close when the user clicks elsewhere.
    PostMessageW(m_hWnd, WM_NULL, 0, 0);
}
