#include "iconImages.h"

#include "res/resource.h"
#include "ui/gdiHandles.h"

#include <optional>

namespace velmo_test {

std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const WindowDc screen(nullptr);
    GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
              DIB_RGB_COLORS);
    return pixels;
}

namespace {

struct IconImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> color;
    std::vector<std::uint32_t> mask;
};

std::optional<IconImage> ImageOf(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return std::nullopt;
    const UniqueBitmap color(info.hbmColor);
    const UniqueBitmap mask(info.hbmMask);
    IconImage image;
    BITMAP description{};
    if (color && GetObjectW(color.Get(), sizeof description, &description)) {
        image.width = description.bmWidth;
        image.height = description.bmHeight;
        image.color = BitmapPixels(color.Get(), image.width, image.height);
        image.mask = BitmapPixels(mask.Get(), image.width, image.height);
    }
    if (image.color.empty())
        return std::nullopt;
    return image;
}

} // namespace

bool IconShowsResource(HICON icon, UINT id, int width, int height)
{
    const UniqueIcon reference(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)));
    const std::optional<IconImage> expected = ImageOf(reference.Get());
    const std::optional<IconImage> actual = ImageOf(icon);
    return expected && actual && actual->width == width && actual->height == height &&
           actual->color == expected->color && actual->mask == expected->mask;
}

UINT StateIconOf(HICON icon)
{
    const std::optional<IconImage> image = ImageOf(icon);
    if (!image)
        return 0;
    for (UINT id : {IDI_STATUS_ENABLED, IDI_STATUS_DISABLED, IDI_STATUS_UNKNOWN}) {
        if (IconShowsResource(icon, id, image->width, image->height))
            return id;
    }
    return 0;
}

} // namespace velmo_test
