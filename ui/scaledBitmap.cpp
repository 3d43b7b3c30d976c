#include "ui/scaledBitmap.h"

#include "ui/dpi.h"

namespace {

// A memory DC with `bitmap` selected, put back on every path.
class BitmapDc
{
public:
    BitmapDc(HDC compatible, HBITMAP bitmap)
        : m_dc(CreateCompatibleDC(compatible)),
          m_previous(m_dc ? SelectObject(m_dc, bitmap) : nullptr)
    {
    }
    ~BitmapDc()
    {
        if (m_dc) {
            SelectObject(m_dc, m_previous);
            DeleteDC(m_dc);
        }
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;

    HDC Get() const { return m_previous ? m_dc : nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

} // namespace

UniqueBitmap ScaledBitmap(HBITMAP source, UINT dpi)
{
    BITMAP description{};
    if (!source || !GetObjectW(source, sizeof description, &description))
        return {};
    const int width = ScaleForDpi(description.bmWidth, dpi);
    const int height = ScaleForDpi(description.bmHeight, dpi);

    HDC screen = GetDC(nullptr);
    UniqueBitmap scaled(CreateCompatibleBitmap(screen, width, height));
    bool drawn = false;
    if (scaled) {
        const BitmapDc from(screen, source);
        const BitmapDc to(screen, scaled.Get());
        if (from.Get() && to.Get()) {
            // Averaged, not repeated pixels; HALFTONE wants the brush origin set.
            SetStretchBltMode(to.Get(), HALFTONE);
            SetBrushOrgEx(to.Get(), 0, 0, nullptr);
            drawn = StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, description.bmWidth,
                               description.bmHeight, SRCCOPY) != FALSE;
        }
    }
    ReleaseDC(nullptr, screen);
    if (!drawn)
        scaled.Reset();
    return scaled;
}
