// Message maps: per class, a table of the messages it handles, searched in
// order, then the base class's table. A handler is a plain function that
// casts the window object back to the class that declared the map.
#pragma once

#include <windows.h>
#include <windowsx.h>

// windowsx.h names a macro after the member function below.
#undef SubclassWindow

class CWnd;

struct MessageMapEntry
{
    UINT message = 0;
    UINT lastMessage = 0; // for a range of messages (WM_CTLCOLOR*); 0: just `message`
    UINT code = 0;        // WM_COMMAND: the notification code
    UINT id = 0;          // WM_COMMAND: the command or control id
    bool reflected = false; // a notification the parent sends back to this control
    LRESULT (*handler)(CWnd& self, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct MessageMap
{
    const MessageMap* base;
    const MessageMapEntry* entries; // ends with an entry without handler
};

#define DECLARE_MESSAGE_MAP() const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const MessageMap* theClass::GetMessageMap() const                                          \
    {                                                                                          \
        using ThisClass = theClass;                                                            \
        using TheBaseClass = baseClass;                                                        \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                      \
        MessageMapEntry{}};                                                                    \
        static const MessageMap map{TheBaseClass::GetMessageMap(), entries};                   \
        return &map;                                                                           \
    }

#define VELMO_HANDLER(body)                                                                    \
    [](CWnd& self_, [[maybe_unused]] WPARAM wParam, [[maybe_unused]] LPARAM lParam) -> LRESULT { \
        [[maybe_unused]] ThisClass& self = static_cast<ThisClass&>(self_);                     \
        body                                                                                   \
    }

#define VELMO_ENTRY(msg, body) MessageMapEntry{msg, 0, 0, 0, false, VELMO_HANDLER(body)},

#define ON_MESSAGE(msg, fn) VELMO_ENTRY(msg, return self.fn(wParam, lParam);)
#define ON_MESSAGE_VOID(msg, fn) VELMO_ENTRY(msg, self.fn(); return 0;)
#define ON_COMMAND(id, fn)                                                                     \
    MessageMapEntry{WM_COMMAND, 0, 0, id, false, VELMO_HANDLER(self.fn(); return 0;)},
#define ON_BN_CLICKED(id, fn)                                                                  \
    MessageMapEntry{WM_COMMAND, 0, BN_CLICKED, id, false, VELMO_HANDLER(self.fn(); return 0;)},
#define ON_CONTROL_REFLECT(code, fn)                                                           \
    MessageMapEntry{WM_COMMAND, 0, code, 0, true, VELMO_HANDLER(self.fn(); return 0;)},

#define ON_WM_PAINT() VELMO_ENTRY(WM_PAINT, self.OnPaint(); return 0;)
#define ON_WM_SYSCOMMAND()                                                                     \
    VELMO_ENTRY(WM_SYSCOMMAND, self.OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)
#define ON_WM_QUERYDRAGICON()                                                                  \
    VELMO_ENTRY(WM_QUERYDRAGICON, return reinterpret_cast<LRESULT>(self.OnQueryDragIcon());)
#define ON_WM_TIMER() VELMO_ENTRY(WM_TIMER, self.OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)
#define ON_WM_ACTIVATE()                                                                       \
    VELMO_ENTRY(WM_ACTIVATE,                                                                   \
                self.OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam),                \
                                HIWORD(wParam) != 0);                                          \
                return 0;)
#define ON_WM_WINDOWPOSCHANGING()                                                              \
    VELMO_ENTRY(WM_WINDOWPOSCHANGING,                                                          \
                self.OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); return 0;)
#define ON_WM_QUERYENDSESSION() VELMO_ENTRY(WM_QUERYENDSESSION, return self.OnQueryEndSession();)
#define ON_WM_ENDSESSION() VELMO_ENTRY(WM_ENDSESSION, self.OnEndSession(wParam != FALSE); return 0;)
#define ON_WM_SETTINGCHANGE()                                                                  \
    VELMO_ENTRY(WM_SETTINGCHANGE, self.OnSettingChange(static_cast<UINT>(wParam)); return 0;)
// The new DPI and the window rectangle the system suggests for it.
#define ON_WM_DPICHANGED()                                                                     \
    VELMO_ENTRY(WM_DPICHANGED,                                                                 \
                self.OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));     \
                return 0;)
#define ON_WM_SETFOCUS() VELMO_ENTRY(WM_SETFOCUS, self.OnSetFocus(); return 0;)
#define ON_WM_KILLFOCUS() VELMO_ENTRY(WM_KILLFOCUS, self.OnKillFocus(); return 0;)
// The key message the dialog manager asks about, or null.
#define ON_WM_GETDLGCODE()                                                                     \
    VELMO_ENTRY(WM_GETDLGCODE, return self.OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));)
// The key, its repeat count and its flags (KF_REPEAT: held down before).
#define ON_WM_KEYDOWN()                                                                        \
    VELMO_ENTRY(WM_KEYDOWN,                                                                    \
                self.OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));     \
                return 0;)
#define ON_WM_KEYUP()                                                                          \
    VELMO_ENTRY(WM_KEYUP,                                                                      \
                self.OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));       \
                return 0;)
#define ON_WM_MOUSEMOVE()                                                                      \
    VELMO_ENTRY(WM_MOUSEMOVE,                                                                  \
                self.OnMouseMove(static_cast<UINT>(wParam),                                    \
                                 POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});           \
                return 0;)
#define ON_WM_SETCURSOR()                                                                      \
    VELMO_ENTRY(WM_SETCURSOR,                                                                  \
                return self.OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam),       \
                                        HIWORD(lParam));)
// Every WM_CTLCOLOR* message; the control type is the message's offset.
#define ON_WM_CTLCOLOR()                                                                       \
    MessageMapEntry{WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, false,                         \
                    VELMO_HANDLER(return reinterpret_cast<LRESULT>(self.OnCtlColor(            \
                        reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),         \
                        self.CurrentMessage() - WM_CTLCOLORMSGBOX));)},
#define ON_WM_CTLCOLOR_REFLECT()                                                               \
    MessageMapEntry{WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, true,                          \
                    VELMO_HANDLER(return reinterpret_cast<LRESULT>(self.CtlColor(              \
                        reinterpret_cast<HDC>(wParam),                                         \
                        self.CurrentMessage() - WM_CTLCOLORMSGBOX));)},
