// The smallest Win32 program that shows a tray icon: one hidden window and
// one icon, removed again on WM_CLOSE. The bench starts it beside velmo.exe
// to see what a start costs on this machine before the applet does anything.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr const wchar_t* kClassName = L"VelmoMinimalTray";
constexpr UINT kTrayCallbackMessage = WM_USER + 1;

NOTIFYICONDATAW g_icon{};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Shell_NotifyIconW(NIM_DELETE, &g_icon);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, kClassName, L"minimalTray", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                  100, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;

    g_icon.cbSize = sizeof g_icon;
    g_icon.hWnd = window;
    g_icon.uID = 1;
    g_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_icon.uCallbackMessage = kTrayCallbackMessage;
    g_icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(g_icon.szTip, L"minimalTray", ARRAYSIZE(g_icon.szTip));
    if (!Shell_NotifyIconW(NIM_ADD, &g_icon))
        return 2;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
