#pragma once

#include "common/uniqueHandle.h"

#include <windows.h>

using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;
using UniqueMemoryDc = UniqueHandle<HDC, &DeleteDC>;

// The DC of a window, or of the screen for null, released when it goes.
class WindowDc
{
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDc()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// An object selected into a DC for the guard's life; the DC gets back what
// it had, so the object can be deleted after.
class SelectedObject
{
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectedObject()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    explicit operator bool() const { return m_previous != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
