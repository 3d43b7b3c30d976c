// A static text that works as a web link: blue text (the theme's link colour
// in high contrast), the hand cursor, and a click, Enter or Space that opens
// the address in a browser. It is a tab stop with a focus rectangle.
#pragma once

#include "framework/CStatic.h"

#include <string>
#include <utility>

class CStaticHyperLink : public CStatic
{
public:
    CStaticHyperLink() = default;
    ~CStaticHyperLink() override = default;

    // The address of the next click; the visible text stays as it is.
    void SetUrl(std::wstring url) { m_url = std::move(url); }

protected:
    void PreSubclassWindow() override;
    DECLARE_MESSAGE_MAP()

private:
    void OnMouseMove(UINT flags, POINT point);
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
    void OnClicked();
    HBRUSH CtlColor(HDC dc, UINT type);
    void OnPaint();
    void DrawFocus(HDC dc) const;
    void OnSetFocus();
    void OnKillFocus();
    UINT OnGetDlgCode(const MSG* message);
    void OnKeyDown(UINT key, UINT repeats, UINT flags);
    void OnKeyUp(UINT key, UINT repeats, UINT flags);
    void Redraw();

    // A shared system cursor: nothing to destroy.
    HCURSOR m_handCursor = nullptr;
    bool m_hovering = false;
    // Space went down on the link: its release opens it, as a button's does.
    bool m_spacePressed = false;
    std::wstring m_url;
    COLORREF m_textColor = RGB(0, 0, 255);
};

// Opens `url` in a browser: the shell's handler first, Internet Explorer when
// the shell fails. True when either started. The shell can run the caller's
// messages meanwhile: when `caller` is gone by then, the applet has ended and
// nothing more is done.
bool LaunchUrl(std::wstring url, HWND caller = nullptr);
// Starts Internet Explorer from its standard place with `url` as its one,
// quoted argument. The command line holds MAX_PATH characters with its zero,
// the quoted program path takes 50: a longer address than 207 characters, or
// one that holds a double quote, is traced and not started.
bool LaunchInternetExplorer(std::wstring url);
