// A window object: a C++ object bound to one window by subclassing it, with
// the window's messages dispatched through the class's message map.
#pragma once

#include "framework/MessageMap.h"

class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object bound to a window by SubclassWindow, or null.
    static CWnd* FromHandlePermanent(HWND window);

    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, CWnd& parent);

    UINT CurrentMessage() const { return m_current.message; }

    HWND m_hWnd = nullptr;

protected:
    virtual const MessageMap* GetMessageMap() const;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs once when the object is bound to its window.
    virtual void PreSubclassWindow() {}

    // The message being handled, passed to the window's own procedure.
    LRESULT Default();
    // Colour default: let a control that colours itself answer.
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    // Whether the window is destroyed with this object (windows it created).
    bool m_ownsWindow = false;

private:
    static LRESULT CALLBACK WindowProcThunk(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    const MessageMapEntry* FindEntry(UINT message, WPARAM wParam, bool reflected) const;
    // A notification the parent hands back to the control it came from.
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT& result);
    void Unsubclass();

    WNDPROC m_superProc = nullptr;
    MSG m_current{};
};
