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
    // A tooltip longer than the field is cut to fit.
    const size_t tipLength = std::min(tip.size(), std::size(m_data.szTip) - 1);
    std::wmemcpy(m_data.szTip, tip.c_str(), tipLength);
    m_data.szTip[tipLength] = L'\0';
}

bool CTrayIcon::Send(bool iconChanged)
{
    if (InShell() && !iconChanged)
        return true;
    // Add what the shell may lack (never added, or a restarted task bar),
    // modify what it should hold. When that fails, the shell holds other than
    // we think: it lost the icon unannounced, or kept it over a restart.
    const bool addFirst = !m_added || m_owed == Owed::kAdd;
    const DWORD first = addFirst ? NIM_ADD : NIM_MODIFY;
    const DWORD second = addFirst ? NIM_MODIFY : NIM_ADD;
    bool sent = Shell().NotifyIcon(first, &m_data) != FALSE;
    if (!sent && !addFirst && m_owed != Owed::kModify)
        VELMO_TRACE("Failed to modify tray icon"); // once per run of failures
    if (!sent && m_added)
        sent = Shell().NotifyIcon(second, &m_data) != FALSE;
    if (sent) {
        m_added = true;
        m_owed = Owed::kNothing;
        return true;
    }
    if (addFirst)
        VELMO_TRACE("Failed to add tray icon");
    if (m_added)
        m_owed = addFirst ? Owed::kAdd : Owed::kModify;
    return false;
}

bool CTrayIcon::AddAgain()
{
    if (m_added)
        m_owed = Owed::kAdd;
    return Send(false);
}

void CTrayIcon::Delete()
{
    Shell().NotifyIcon(NIM_DELETE, &m_data);
}
