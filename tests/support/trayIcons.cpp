#include "support/trayIcons.h"

#include <windows.h>

namespace velmo_test {

namespace {

constexpr const wchar_t* kTrayClass = L"__winex11_standalone_tray";
constexpr const wchar_t* kIconClass = L"__winex11_tray_icon";

BOOL CALLBACK CountIcon(HWND window, LPARAM param)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (IsWindowVisible(window) && lstrcmpW(name, kIconClass) == 0)
        ++*reinterpret_cast<long*>(param);
    return TRUE;
}

} // namespace

long TrayIcons()
{
    long icons = 0;
    for (HWND tray = FindWindowExW(nullptr, nullptr, kTrayClass, nullptr); tray;
         tray = FindWindowExW(nullptr, tray, kTrayClass, nullptr))
        EnumChildWindows(tray, &CountIcon, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

} // namespace velmo_test
