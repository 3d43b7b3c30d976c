// What an icon or bitmap shows, read back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace velmo_test {

// The pixels of `bitmap`, top row first, as 32-bit DIB words.
std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height);
// Which state icon (139, 141 or 146) `icon` shows, by its pixels; 0 if none.
UINT StateIconOf(HICON icon);
// Whether `icon` shows the same pixels as icon resource `id` at the given size.
bool IconShowsResource(HICON icon, UINT id, int width, int height);

} // namespace velmo_test
