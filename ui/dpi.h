// DPI of a window and system metrics at a DPI. The per-DPI calls came with
// Windows 10: looked up at run time, so that Windows 7 still starts.
#pragma once

#include <windows.h>

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

UINT WindowDpi(HWND window);
int SystemMetricForDpi(int index, UINT dpi);
// `value` pixels at 96 DPI, at `dpi`.
inline int ScaleForDpi(int value, UINT dpi)
{
    return MulDiv(value, static_cast<int>(dpi), kDefaultDpi);
}
