#include "ui/scaledBitmap.h"

#include "ui/dpi.h"

UniqueBitmap ScaledBitmap(HBITMAP source, UINT dpi)
{
    BITMAP description{};
    if (!source || !GetObjectW(source, sizeof description, &description))
        return {};
    const int width = ScaleForDpi(description.bmWidth, dpi);
    const int height = ScaleForDpi(description.bmHeight, dpi);

    const WindowDc screen(nullptr);
    UniqueBitmap scaled(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!scaled)
        return {};
    const UniqueMemoryDc fromDc(CreateCompatibleDC(screen.Get()));
    const UniqueMemoryDc toDc(CreateCompatibleDC(screen.Get()));
    const SelectedObject from(fromDc.Get(), source);
    const SelectedObject to(toDc.Get(), scaled.Get());
    if (!from || !to)
        return {};
    // Averaged, not repeated pixels; HALFTONE wants the brush origin set.
    SetStretchBltMode(toDc.Get(), HALFTONE);
    SetBrushOrgEx(toDc.Get(), 0, 0, nullptr);
    if (!StretchBlt(toDc.Get(), 0, 0, width, height, fromDc.Get(), 0, 0, description.bmWidth,
                    description.bmHeight, SRCCOPY))
        return {};
    return scaled;
}
