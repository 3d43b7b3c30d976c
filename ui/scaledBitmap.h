#pragma once

#include "ui/gdiHandles.h"

// A copy of `source` at `dpi`, its own size taken as that at 96 DPI, scaled
// smoothly (a 64 × 42 bitmap covers 128 × 84 at 192 DPI). Null on failure.
UniqueBitmap ScaledBitmap(HBITMAP source, UINT dpi);
