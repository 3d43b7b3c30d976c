// The applet's icon in the notification area, the shell's side of it: the
// record every call sends, whether the shell holds the icon, and the update
// it is owed after a failure or a restarted task bar. Which icon to show, and
// when, is the dialog's to decide.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

class CTrayIcon
{
public:
    // Fills the record once the window exists; the icon comes with SetIcon.
    void Describe(HWND window, UINT id, UINT callbackMessage, const std::wstring& tip);
    bool Described() const { return m_data.cbSize != 0; }
    // The shell once took the icon; it may have lost it since.
    bool Added() const { return m_added; }
    // The shell holds the icon as last sent.
    bool InShell() const { return m_added && m_owed == Owed::kNothing; }

    // The icon and tooltip of the next Send.
    void SetIcon(HICON icon) { m_data.hIcon = icon; }
    void SetTip(const std::wstring& tip);
    // Adds the icon, or modifies it when it changed; sends again what the
    // shell is owed. False when the shell took nothing, traced once per run.
    bool Send(bool iconChanged);
    // A task bar that (re)starts holds no icon: add it again.
    bool AddAgain();
    // A notification from the icon (a toast on Windows 10 and 11); `kind`
    // is its NIIF_ icon. Only an icon the shell holds can give one.
    bool Notify(const std::wstring& title, const std::wstring& text, DWORD kind);
    void Delete();

private:
    enum class Owed { kNothing, kModify, kAdd };

    NOTIFYICONDATAW m_data{};
    bool m_added = false;
    Owed m_owed = Owed::kNothing;
    // The last send took nothing: the run of failures is traced.
    bool m_failing = false;
};
