// What a screen reader reads of a window's client object, asked as one asks:
// AccessibleObjectFromWindow, from this process or another.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace velmo_test {

struct AccessibleReading
{
    LONG role = 0;
    std::wstring name;
    LONG state = 0;
    std::wstring defaultAction;
};

// Through the window's own answer to WM_GETOBJECT; nothing when none came.
std::optional<AccessibleReading> ReadAccessible(HWND window);
// The system's standard object of the window, asked directly: what the
// window's class alone would give.
std::optional<AccessibleReading> ReadStandardAccessible(HWND window);
// The default action, through the window's own answer.
HRESULT DoAccessibleDefaultAction(HWND window);

// Every control of the applet's window `dialog` reads as a screen reader
// needs it: the link a focusable link with its default action, the logo a
// named picture, the rest as their classes give them, each named by its
// text. `text` gives the applet's string of an id; `statusText` is the id of
// the status line shown.
void ExpectControlsRead(HWND dialog, const std::function<std::wstring(UINT)>& text,
                        UINT statusText);

} // namespace velmo_test
