// A toy dialog with a tray icon: velmo's own dialog template, resources and
// manifest, and nothing at WM_INITDIALOG but one Shell_NotifyIconW(NIM_ADD)
// of a state icon, removed again on WM_CLOSE. The bench starts it beside
// velmo.exe: the least a dialog applet with an icon can do before its icon.
#include "res/resource.h"

#include <windows.h>
#include <shellapi.h>

namespace {

NOTIFYICONDATAW g_icon{};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        g_icon.cbSize = NOTIFYICONDATAW_V3_SIZE;
        g_icon.hWnd = dialog;
        g_icon.uID = 1;
        g_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        g_icon.uCallbackMessage = WM_USER + 1;
        g_icon.hIcon = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_STATUS_ENABLED), IMAGE_ICON,
            GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        lstrcpynW(g_icon.szTip, L"toyDialog", ARRAYSIZE(g_icon.szTip));
        Shell_NotifyIconW(NIM_ADD, &g_icon);
        return TRUE;
    case WM_CLOSE:
        Shell_NotifyIconW(NIM_DELETE, &g_icon);
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Hidden, as velmo's window starts.
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_VELMO_DIALOG), nullptr, &DialogProc, 0))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
