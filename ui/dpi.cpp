#include "ui/dpi.h"

#include "common/systemFunction.h"
#include "ui/gdiHandles.h"

namespace {

UINT SystemDpi()
{
    const WindowDc screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

} // namespace

UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi =
        SystemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi)
        return getSystemMetricsForDpi(index, dpi);
    // Before Windows 10 the metrics are those of the one system DPI.
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}
