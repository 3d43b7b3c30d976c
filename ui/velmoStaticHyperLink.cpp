#include "ui/velmoStaticHyperLink.h"

#include "common/kernelHandle.h"
#include "common/trace.h"
#include "res/resource.h"
#include "ui/comApartment.h"
#include "ui/gdiHandles.h"
#include "ui/resourceString.h"
#include "ui/shellPort.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {

constexpr wchar_t kInternetExplorer[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
// Quoted: without quotes Windows would try C:\Program.exe first.
constexpr wchar_t kInternetExplorerCommand[] =
    L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" ";

} // namespace

BEGIN_MESSAGE_MAP(CStaticHyperLink, CStatic)
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

void CStaticHyperLink::PreSubclassWindow()
{
    // A static control tells its parent about clicks only with SS_NOTIFY.
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    SetWindowLongW(m_hWnd, GWL_STYLE, style | SS_NOTIFY);
    m_handCursor = LoadCursorW(nullptr, IDC_HAND);
}

void CStaticHyperLink::OnMouseMove(UINT, POINT point)
{
    Default();
    if (!m_hovering) {
        m_hovering = true;
        Redraw();
        // Held so that the move that leaves the control still reaches us.
        SetCapture(m_hWnd);
        return;
    }
    RECT client{};
    GetClientRect(m_hWnd, &client);
    if (PtInRect(&client, point))
        return;
    m_hovering = false;
    ReleaseCapture();
    Redraw();
}

BOOL CStaticHyperLink::OnSetCursor(HWND, UINT, UINT)
{
    SetCursor(m_handCursor);
    return TRUE;
}

void CStaticHyperLink::OnClicked()
{
    LaunchUrl(m_url, m_hWnd);
    // Gone with the applet, the window has nothing left to repaint; a null
    // window here would repaint the whole desktop.
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

HBRUSH CStaticHyperLink::CtlColor(HDC dc, UINT)
{
    SetTextColor(dc, Shell().HighContrastOn() ? GetSysColor(COLOR_HOTLIGHT) : m_textColor);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

// The static control paints into our paint DC, so that the focus rectangle,
// an XOR, is clipped to the same update region as the text it frames.
void CStaticHyperLink::OnPaint()
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    if (GetFocus() == m_hWnd && (SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0)
        DrawFocus(dc);
    EndPaint(m_hWnd, &paint);
}

// Around the text as the control drew it, in the control's font.
void CStaticHyperLink::DrawFocus(HDC dc) const
{
    const SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    wchar_t text[260] = {};
    GetWindowTextW(m_hWnd, text, static_cast<int>(std::size(text)));
    RECT client{};
    GetClientRect(m_hWnd, &client);
    RECT bounds = client;
    DrawTextW(dc, text, -1, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    bounds.right = std::min(bounds.right + 1, client.right);
    bounds.bottom = std::min(bounds.bottom, client.bottom);
    DrawFocusRect(dc, &bounds);
}

void CStaticHyperLink::OnSetFocus()
{
    Default();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CStaticHyperLink::OnKillFocus()
{
    m_spacePressed = false;
    Default();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

UINT CStaticHyperLink::OnGetDlgCode(const MSG* message)
{
    // Enter and Space are the link's own, not the default button's.
    if (message && message->message == WM_KEYDOWN &&
        (message->wParam == VK_RETURN || message->wParam == VK_SPACE))
        return DLGC_WANTMESSAGE;
    return static_cast<UINT>(Default());
}

// A held key repeats its key-down: one press opens one browser.
void CStaticHyperLink::OnKeyDown(UINT key, UINT, UINT flags)
{
    const bool held = (flags & KF_REPEAT) != 0;
    if (key == VK_RETURN) {
        if (!held)
            OnClicked();
    } else if (key == VK_SPACE) {
        m_spacePressed = true;
    } else {
        Default();
    }
}

void CStaticHyperLink::OnKeyUp(UINT key, UINT, UINT)
{
    if (key != VK_SPACE || !m_spacePressed) {
        Default();
        return;
    }
    m_spacePressed = false;
    OnClicked();
}

LRESULT CStaticHyperLink::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    return m_accessible.Answer(m_hWnd, wParam, lParam, result) ? result : Default();
}

LONG CStaticHyperLink::Role(LONG) const
{
    return ROLE_SYSTEM_LINK;
}

LONG CStaticHyperLink::State(LONG standard) const
{
    // As the system's own link control says it: only whether it can be seen
    // or used comes from the static control beneath.
    constexpr LONG kKept = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_UNAVAILABLE;
    return (standard & kKept) | STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE |
           (GetFocus() == m_hWnd ? STATE_SYSTEM_FOCUSED : 0);
}

std::wstring CStaticHyperLink::DefaultAction() const
{
    return ResourceString(IDS_LINK_ACTION);
}

// As the control reports a click: the client's call returns at once, and
// the launch, which can take a while, runs from the message loop.
bool CStaticHyperLink::DoDefaultAction()
{
    return PostMessageW(GetParent(m_hWnd), WM_COMMAND,
                        MAKEWPARAM(GetDlgCtrlID(m_hWnd), STN_CLICKED),
                        reinterpret_cast<LPARAM>(m_hWnd)) != FALSE;
}

void CStaticHyperLink::Redraw()
{
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool LaunchUrl(std::wstring url, HWND caller)
{
    // The shell's handlers expect an apartment of ShellExecuteW's caller.
    EnterComApartment();
    const HINSTANCE result =
        Shell().OpenWithShell(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    // Above 32 the shell started a handler; anything else is an error code.
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return true;
    if (caller && !IsWindow(caller))
        return false;
    if (LaunchInternetExplorer(url))
        return true;
    VELMO_TRACE("Unable to launch OEM URL in a browser");
    return false;
}

bool LaunchInternetExplorer(std::wstring url)
{
    // The address is one argument, quoted, so that a blank or a typo in it
    // starts no switch of the browser. A quote of its own would end the
    // argument early: such an address cannot be passed safely.
    if (url.find(L'"') != std::wstring::npos) {
        VELMO_TRACE("OEM URL holds a double quote and is not passed to Internet Explorer");
        return false;
    }
    // Backslashes before the closing quote would escape it; doubled, they
    // stand for themselves.
    const size_t lastOther = url.find_last_not_of(L'\\');
    url.append(url.size() - (lastOther == std::wstring::npos ? 0 : lastOther + 1), L'\\');
    url = L'"' + url + L'"';

    wchar_t commandLine[MAX_PATH] = {};
    constexpr size_t programLength = std::size(kInternetExplorerCommand) - 1;
    // The address must leave room for the terminating zero.
    if (url.size() >= std::size(commandLine) - programLength) {
        VELMO_TRACE("OEM URL is too long to pass to Internet Explorer");
        return false;
    }
    std::wmemcpy(commandLine, kInternetExplorerCommand, programLength);
    std::wmemcpy(commandLine + programLength, url.data(), url.size());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!Shell().StartProcess(kInternetExplorer, commandLine, &startup, &process))
        return false;
    // The browser lives on its own: its handles go at once.
    const UniqueKernelHandle processHandle(process.hProcess);
    const UniqueKernelHandle threadHandle(process.hThread);
    return true;
}
