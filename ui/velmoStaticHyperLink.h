// A static text that works as a web link: blue text (the theme's link colour
// in high contrast), the hand cursor, and a click, Enter or Space that opens
// the address in a browser. It is a tab stop with a focus rectangle, and a
// link to a screen reader, whose "activate" opens it as a click does.
#pragma once

#include "framework/CStatic.h"
#include "ui/accessibleServer.h"

#include <string>
#include <utility>

class CStaticHyperLink : public CStatic, private AccessibleAnswers
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
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    void Redraw();

    // To assistive technology: a focusable link, opened by its default action.
    LONG Role(LONG standard) const override;
    LONG State(LONG standard) const override;
    std::wstring DefaultAction() const override;
    bool DoDefaultAction() override;

    // A shared system cursor: nothing to destroy.
    HCURSOR m_handCursor = nullptr;
    bool m_hovering = false;
    // Space went down on the link: its release opens it, as a button's does.
    bool m_spacePressed = false;
    std::wstring m_url;
    COLORREF m_textColor = RGB(0, 0, 255);
    CAccessibleServer m_accessible{*this};
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
