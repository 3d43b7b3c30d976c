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

void CTrayIcon::SetTip(const std::wstring& tip)
{
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

void CTrayIcon::Delete()
{
    Shell().NotifyIcon(NIM_DELETE, &m_data);
}
