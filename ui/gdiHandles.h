#pragma once

#include "common/uniqueHandle.h"

#include <windows.h>

using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;
