// The applet's one window: status text, OEM logo and link, the pop-up choice,
// and behind it the status poll and the tray icon.
#pragma once

#include "common/velmoConfig.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CMenu.h"
#include "status/IPCKorvaStatus.h"
#include "ui/gdiHandles.h"
#include "ui/logoPicture.h"
#include "ui/noticeRule.h"
#include "ui/trayIcon.h"
#include "ui/velmoStaticHyperLink.h"

#include <string>

class Ckorva2checkDlg : public CDialog
{
public:
    enum ShowRequest { kShow = 0, kHide = 1 };

    Ckorva2checkDlg();
    ~Ckorva2checkDlg() override;

    // One timer tick: read the status and bring the display, the tray icon
    // and the per-user record up to date.
    bool PollStatus();
    bool EnsureTrayIcon();
    bool ShowStatusWindow(int request);
    bool RefreshWindowContent();
    void ExitApplet();

    void SetControlText(int controlId, UINT stringId);
    static std::wstring LoadResString(UINT stringId);
    static bool DoesFileExist(std::wstring path);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

private:
    // Handlers of the message map.
    void OnPaint();
    void OnSysCommand(UINT command, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR timerId);
    void OnHideButton();
    void OnActivate(UINT state, HWND other, bool minimized);
    void OnShowCommand();
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    void OnWindowPosChanging(WINDOWPOS* position);
    BOOL OnQueryEndSession();
    void OnEndSession(bool ending);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnSettingChange(UINT action);
    void OnTaskbarCreated();

    void AllowShellMessages();
    void SetUpTrayMenu();
    void SetStatusText(UINT stringId);
    std::wstring StatusLine() const;
    void EmphasizeStatusText();
    void LoadStateIcons();
    void MirrorForReading();
    void OpenStatusChannel();
    void EndUnknownRun();
    void GiveUnknownStatusWarning();
    void NoteReading(KorvaStatus reading);
    void PopUpIfOwed();
    void FollowOwnShow(const std::wstring& text, DWORD notificationKind);
    void RecordEnabledSeen();
    void ShowOnRequest();
    void ShowTrayMenu(int x, int y);
    void CenterOnScreen();
    void LoadWindowIcon();
    void MoveFocusOffHiddenControl();
    void LoadOemLogo();
    void ShowLogo();
    void ShowOnTray(KorvaStatus status);
    COLORREF BackgroundColor() const;

    static constexpr UINT kTrayCallbackMessage = WM_USER + 1;
    static constexpr UINT kTrayIconId = 1;

    // The shell's side of the tray icon; which icon, and when, is ours.
    CTrayIcon m_trayIcon;
    // Control 1004, found once: each poll sets its text.
    HWND m_statusControl = nullptr;
    // The window's DPI: the caption's icon, the bold font and the logo
    // follow it.
    UINT m_dpi = 96;
    // The dialog's font at 96 DPI, and in bold at the window's DPI for the
    // status line.
    LOGFONTW m_dialogFont{};
    UniqueFont m_statusFont;
    CMenu m_trayMenu;
    // Drawn while minimized and dragged: shared, at the standard size.
    HICON m_windowIcon = nullptr;
    // The caption's icon, at the window's DPI.
    UniqueIcon m_smallWindowIcon;
    std::wstring m_logoFileName;
    std::wstring m_tooltipText;
    CStaticHyperLink m_hyperLink;
    std::wstring m_oemUrl;
    CVelmoConfig m_config;
    bool m_userAskedToShow = false;
    bool m_mayShow = false;
    bool m_autoPoppedUp = false;
    // What pops up or waits, and whether the user had it.
    CNoticeRule m_notice;
    // Polls under way on the stack: timer ticks still poll inside the warning
    // box, but EnsureTrayIcon starts none inside another.
    int m_pollDepth = 0;
    // ExitApplet ran: a poll that resumes after it touches nothing more.
    bool m_exited = false;
    LONG m_openAttempts = -1;
    bool m_unknownWarned = false;
    UniqueIcon m_iconDisabled;
    UniqueIcon m_iconEnabled;
    UniqueIcon m_iconUnknown;
    // The OEM's logo as its file holds it, and what control 1010 shows: the
    // OEM's or the built-in one, scaled to the window's DPI.
    UniqueBitmap m_oemLogo;
    UniqueBitmap m_logoBitmap;
    IPCKorvaStatus m_statusReader;
    KorvaStatus m_displayedStatus = kKorvaUnknown;
    UINT_PTR m_pollTimerId = 0;
    DWORD m_disabledReadings = 0;
    CButton m_popupOffCheck;
    CButton m_popupOnCheck;
    // Control 1010, so that a screen reader names it.
    CLogoPicture m_logoPicture;
};
