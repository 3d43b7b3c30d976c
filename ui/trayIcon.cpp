#include "ui/trayIcon.h"

#include "common/trace.h"
#include "ui/shellPort.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

void CTrayIcon::Describe(HWND window, UINT id, UINT callbackMessage, const std::wstring& tip)
{
    m_data.cbSize = NOTIFYICONDATAW_V3_SIZE;
    m_data.hWnd = window;
    m_data.uID = id;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = callbackMessage;
    SetTip(tip);
}

namespace {

// A text longer than the record's field is cut to fit.
template <size_t N>
void CopyInto(wchar_t (&field)[N], const std::wstring& text)
{
    const size_t length = std::min(text.size(), N - 1);
    std::wmemcpy(field, text.c_str(), length);
    field[length] = L'\0';
}

} // namespace

void CTrayIcon::SetTip(const std::wstring& tip)
{
    CopyInto(m_data.szTip, tip);
}

bool CTrayIcon::Send(bool iconChanged)
{
    if (InShell() && !iconChanged)
        return true;
    // Add what the shell may lack (never added, or a restarted task bar),
    // modify what it should hold. When that fails, the shell holds other than
    // we think: an add that timed out at a busy logon but took effect, an
    // icon lost unannounced, or one kept over a restart.
    const bool addFirst = !m_added || m_owed == Owed::kAdd;
    if (Shell().NotifyIcon(addFirst ? NIM_ADD : NIM_MODIFY, &m_data) ||
        Shell().NotifyIcon(addFirst ? NIM_MODIFY : NIM_ADD, &m_data)) {
        m_added = true;
        m_owed = Owed::kNothing;
        m_failing = false;
        return true;
    }
    // Once per run of failures: at logon the shell can stay away for long.
    if (!m_failing)
        VELMO_TRACE(addFirst ? "Failed to add tray icon" : "Failed to modify tray icon");
    m_failing = true;
    m_owed = addFirst ? Owed::kAdd : Owed::kModify;
    return false;
}

bool CTrayIcon::AddAgain()
{
    if (m_added)
        m_owed = Owed::kAdd;
    return Send(false);
}

bool CTrayIcon::Notify(const std::wstring& title, const std::wstring& text, DWORD kind)
{
    if (!InShell())
        return false;
    // Only the notification: the record's own flags would give it again
    // with every later modify.
    NOTIFYICONDATAW info = m_data;
    info.uFlags = NIF_INFO;
    CopyInto(info.szInfoTitle, title);
    CopyInto(info.szInfo, text);
    info.dwInfoFlags = kind;
    if (Shell().NotifyIcon(NIM_MODIFY, &info))
        return true;
    VELMO_TRACE("Failed to show tray notification");
    return false;
}

void CTrayIcon::Delete()
{
    Shell().NotifyIcon(NIM_DELETE, &m_data);
}
