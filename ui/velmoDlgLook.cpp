// How the dialog looks: white, or the theme's colours in high contrast; the
// bold status line; and the caption's icon, the font and the logo at the
// window's DPI.
#include "ui/velmoDlg.h"

#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/shellPort.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

} // namespace

void Ckorva2checkDlg::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    const UniqueBrush background(CreateSolidBrush(BackgroundColor()));
    RECT clip{};
    GetClipBox(dc, &clip);
    FillRect(dc, &clip, background.Get());
    if (IsIconic(m_hWnd)) {
        SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client{};
        GetClientRect(m_hWnd, &client);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_windowIcon);
    }
    EndPaint(m_hWnd, &paint);
}

HBRUSH Ckorva2checkDlg::OnCtlColor(HDC dc, HWND control, UINT type)
{
    // Lets the link set its own text colour; the background is ours.
    CDialog::OnCtlColor(dc, control, type);
    if (!Shell().HighContrastOn()) {
        SetBkColor(dc, kWhite);
        return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    }
    if (control != m_hyperLink.m_hWnd)
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
}

// White, or the theme's window colour in high contrast.
COLORREF Ckorva2checkDlg::BackgroundColor() const
{
    return Shell().HighContrastOn() ? GetSysColor(COLOR_WINDOW) : kWhite;
}

// A high-contrast theme coming or going: our colours follow the switch. The
// system repaints every window itself when the colours change.
void Ckorva2checkDlg::OnSettingChange(UINT action)
{
    Default();
    if (action == SPI_SETHIGHCONTRAST)
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Windows 10 tells a per-monitor aware window when it moves to a screen of
// another scale. The dialog manager rescales the dialog where it can; the
// caption's icon, the bold font and the logo are ours. The tray icon stays:
// it is the task bar's scale, not the window's.
void Ckorva2checkDlg::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    Default();
    m_dpi = dpi;
    SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LoadWindowIcon();
    EmphasizeStatusText();
    ShowLogo();
}

void Ckorva2checkDlg::LoadWindowIcon()
{
    UniqueIcon icon(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_STATUS_ENABLED), IMAGE_ICON,
        SystemMetricForDpi(SM_CXSMICON, m_dpi), SystemMetricForDpi(SM_CYSMICON, m_dpi), 0)));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.Get()));
    m_smallWindowIcon = std::move(icon);
}

void Ckorva2checkDlg::EmphasizeStatusText()
{
    // The dialog font as created for the window's DPI, kept at 96 DPI: the
    // dialog manager of Windows 10 rescales its own font, not ours.
    if (!m_dialogFont.lfHeight) {
        const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        if (!dialogFont || !GetObjectW(dialogFont, sizeof m_dialogFont, &m_dialogFont))
            return;
        m_dialogFont.lfHeight = MulDiv(m_dialogFont.lfHeight, kDefaultDpi, m_dpi);
    }
    LOGFONTW font = m_dialogFont;
    font.lfHeight = ScaleForDpi(font.lfHeight, m_dpi);
    font.lfWeight = FW_BOLD;
    UniqueFont bold(CreateFontIndirectW(&font));
    if (!bold)
        return;
    SendMessageW(m_statusControl, WM_SETFONT, reinterpret_cast<WPARAM>(bold.Get()), TRUE);
    m_statusFont = std::move(bold);
}

// A mirrored window mirrors its children's drawing too: the logo keeps its
// own left and right, as text keeps its own reading order.
void Ckorva2checkDlg::MirrorForReading()
{
    HWND logo = GetDlgItem(m_hWnd, IDC_OEM_LOGO);
    const LONG style = GetWindowLongW(logo, GWL_EXSTYLE);
    if (style & WS_EX_LAYOUTRTL)
        SetWindowLongW(logo, GWL_EXSTYLE, style & ~WS_EX_LAYOUTRTL);
}
