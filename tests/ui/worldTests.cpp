// The languages of the exe and the scales of the screen. Wine fixes a
// process's language (from LC_ALL) and DPI (from LogPixels) at its start, so
// the ThisLanguage and AtThisDpi cases check the process they run in, and
// eachLanguage.sh runs them once per language at 96, 144 and 192 DPI:
// the strings keep their roles, no text is cut by its control, right-to-left
// languages mirror the window but not the logo, and the icons, the bold status font and the
// logo follow the scale.
#include "dialogFixture.h"

#include "res/resource.h"
#include "support/accessibleReading.h"
#include "ui/dpi.h"
#include "ui/gdiHandles.h"

#include <algorithm>
#include <cwctype>
#include <optional>

namespace velmo_test {
namespace {

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list)
{
    reinterpret_cast<std::vector<LANGID>*>(list)->push_back(language);
    return TRUE;
}

// The languages of dialog 102, as the exe holds them.
std::vector<LANGID> DialogLanguages()
{
    std::vector<LANGID> languages;
    EnumResourceLanguagesW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_VELMO_DIALOG), &AddLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

bool RightToLeft(LANGID language)
{
    return PRIMARYLANGID(language) == LANG_ARABIC || PRIMARYLANGID(language) == LANG_HEBREW;
}

// The screen's DPI, read here, not through the applet's code.
UINT ProcessDpi()
{
    const WindowDc screen(nullptr);
    return static_cast<UINT>(GetDeviceCaps(screen.Get(), LOGPIXELSY));
}

// What `text` needs in `control`'s own font: wrapped at the control's width,
// or on one line.
SIZE TextExtent(HWND control, const std::wstring& text, UINT format)
{
    RECT client{};
    GetClientRect(control, &client);
    RECT needed{0, 0, client.right, 0};
    const WindowDc dc(control);
    const SelectedObject font(dc.Get(),
                              reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc.Get(), text.c_str(), -1, &needed, format | DT_CALCRECT);
    return SIZE{needed.right - needed.left, needed.bottom - needed.top};
}

SIZE ClientSize(HWND control)
{
    RECT client{};
    GetClientRect(control, &client);
    return SIZE{client.right, client.bottom};
}

// A string of the exe in the given language, read from its string table.
std::wstring StringIn(LANGID language, UINT id)
{
    const HRSRC block =
        FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    const auto* text =
        block ? static_cast<const wchar_t*>(LockResource(LoadResource(nullptr, block))) : nullptr;
    if (!text)
        return {};
    // Sixteen strings, each its length and then its characters.
    for (UINT index = 0; index < id % 16; ++index)
        text += 1 + *text;
    return std::wstring(text + 1, *text);
}

// The language Windows should pick for this process: the user's (LC_ALL
// under Wine), else that language's neutral one, else English.
LANGID ExpectedLanguage()
{
    wchar_t locale[64] = {};
    GetEnvironmentVariableW(L"LC_ALL", locale, 64);
    std::wstring name = locale;
    name = name.substr(0, name.find(L'.'));
    std::replace(name.begin(), name.end(), L'_', L'-');
    const LANGID user = LANGIDFROMLCID(LocaleNameToLCID(name.c_str(), 0));
    const std::vector<LANGID> languages = DialogLanguages();
    auto has = [&](LANGID language) {
        return user && std::find(languages.begin(), languages.end(), language) != languages.end();
    };
    if (has(user))
        return user;
    if (has(MAKELANGID(PRIMARYLANGID(user), SUBLANG_NEUTRAL)))
        return MAKELANGID(PRIMARYLANGID(user), SUBLANG_NEUTRAL);
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

TEST(Languages, AreTheSixteenEachWithItsMenuAndStrings)
{
    const std::vector<LANGID> expected = {
        0x0001 /* ar */,    0x0007 /* de */,    0x000A /* es */,    0x000C /* fr */,
        0x000D /* he */,    0x0010 /* it */,    0x0011 /* ja */,    0x0012 /* ko */,
        0x0013 /* nl */,    0x0015 /* pl */,    0x0019 /* ru */,    0x001F /* tr */,
        0x0404 /* zh-TW */, 0x0409 /* en-US */, 0x0416 /* pt-BR */, 0x0804 /* zh-CN */};
    std::vector<LANGID> found = DialogLanguages();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    for (const auto& [type, id] :
         {std::pair{RT_MENU, IDR_TRAY_MENU}, std::pair{RT_STRING, IDS_ABOUT_TEXT / 16 + 1},
          std::pair{RT_STRING, IDS_MENU_EXIT / 16 + 1}})
        for (LANGID language : expected)
            EXPECT_NE(FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language), nullptr)
                << "resource " << id << " in language " << language;
}

using ThisLanguage = DialogTest;

TEST_F(ThisLanguage, IsTheOneWindowsChose)
{
    const LANGID expected = ExpectedLanguage();
    for (UINT id : {IDS_WINDOW_CAPTION, IDS_ABOUT_TEXT, IDS_MENU_EXIT})
        EXPECT_EQ(ResString(id), StringIn(expected, id)) << "language " << expected;
    StartDialog();
    const bool mirrored = (GetWindowLongW(Window(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    EXPECT_EQ(mirrored, RightToLeft(expected)) << "the dialog of language " << expected;
    // The logo keeps its own left and right. How the warning box reads follows
    // the window's flags: the UnknownWarning cases of pollTests.
    EXPECT_EQ(GetWindowLongW(Control(IDC_OEM_LOGO), GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
}

TEST_F(ThisLanguage, StringsKeepTheirRoles)
{
    const UINT ids[] = {IDS_ABOUT_TEXT,     IDS_UNKNOWN_CAPTION, IDS_STATUS_ENABLED,
                        IDS_STATUS_DISABLED, IDS_PRIVACY_TEXT,   IDS_CHOICE_TEXT,
                        IDS_OEM_LINK_TEXT,   IDS_TRAY_TOOLTIP,   IDS_WINDOW_CAPTION,
                        IDS_HIDE_BUTTON,     IDS_UNKNOWN_MESSAGE, IDS_POPUP_OFF,
                        IDS_STATUS_UNKNOWN,  IDS_POPUP_ON,       IDS_MENU_SHOW,
                        IDS_MENU_EXIT,       IDS_LOGO_NAME,      IDS_LINK_ACTION};
    for (UINT id : ids)
        EXPECT_FALSE(ResString(id).empty()) << "string " << id;

    // A format of exactly one integer conversion: the seconds.
    const std::wstring message = ResString(IDS_UNKNOWN_MESSAGE);
    EXPECT_EQ(std::count(message.begin(), message.end(), L'%'), 1);
    const size_t conversion = message.find(L'%');
    ASSERT_NE(conversion, std::wstring::npos);
    EXPECT_NE(std::wstring(L"udi").find(message[conversion + 1]), std::wstring::npos);

    // The tray tooltip, the applet's name over the status line, fits its field.
    for (UINT status : {IDS_STATUS_ENABLED, IDS_STATUS_DISABLED, IDS_STATUS_UNKNOWN})
        EXPECT_LE(ResString(IDS_TRAY_TOOLTIP).size() + 1 + ResString(status).size(), 127u)
            << "the tooltip of string " << status;
    EXPECT_NE(ResString(IDS_WINDOW_CAPTION), ResString(IDS_UNKNOWN_CAPTION));

    StartDialog();
    wchar_t caption[260] = {};
    GetWindowTextW(Window(), caption, 260);
    EXPECT_EQ(caption, ResString(IDS_WINDOW_CAPTION)) << "what a second instance looks for";
    EXPECT_EQ(ControlText(IDC_HIDE_BUTTON), ResString(IDS_HIDE_BUTTON));
}

TEST_F(ThisLanguage, ScreenReadersAndTheTrayTooltipTellTheStatus)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    ExpectControlsRead(Window(), ResString, IDS_STATUS_ENABLED);
    SetFocus(Control(IDC_OEM_LINK));
    ExpectControlsRead(Window(), ResString, IDS_STATUS_ENABLED);
    ASSERT_TRUE(m_shell.held);
    EXPECT_EQ(m_shell.held->tip,
              ResString(IDS_TRAY_TOOLTIP) + L'\n' + ResString(IDS_STATUS_ENABLED));
}

TEST_F(ThisLanguage, NoTextIsCutByItsControl)
{
    StartDialog();
    const UINT wrapped = DT_WORDBREAK | DT_NOPREFIX;
    const struct
    {
        int control;
        UINT string;
        UINT format;
        int room; // pixels at 96 DPI that are not the text's: the check box, the margins
    } cases[] = {
        {IDC_STATUS_TEXT, IDS_STATUS_ENABLED, wrapped, 0},
        {IDC_STATUS_TEXT, IDS_STATUS_DISABLED, wrapped, 0},
        {IDC_STATUS_TEXT, IDS_STATUS_UNKNOWN, wrapped, 0},
        {IDC_ABOUT_TEXT, IDS_ABOUT_TEXT, wrapped, 0},
        {IDC_PRIVACY_TEXT, IDS_PRIVACY_TEXT, wrapped, 0},
        {IDC_CHOICE_TEXT, IDS_CHOICE_TEXT, wrapped, 0},
        {IDC_OEM_LINK, IDS_OEM_LINK_TEXT, wrapped, 0},
        {IDC_POPUP_OFF_CHECK, IDS_POPUP_OFF, DT_SINGLELINE, 20},
        {IDC_POPUP_ON_CHECK, IDS_POPUP_ON, DT_SINGLELINE, 20},
        {IDC_HIDE_BUTTON, IDS_HIDE_BUTTON, DT_SINGLELINE, 8},
    };
    const UINT dpi = WindowDpi(Window());
    for (const auto& each : cases) {
        SCOPED_TRACE(::testing::Message() << "control " << each.control << ", string "
                                          << each.string << ", " << dpi << " DPI");
        const std::wstring text = ResString(each.string);
        SetDlgItemTextW(Window(), each.control, text.c_str());
        const SIZE needed = TextExtent(Control(each.control), text, each.format);
        const SIZE room = ClientSize(Control(each.control));
        EXPECT_LE(needed.cx + ScaleForDpi(each.room, dpi), room.cx);
        EXPECT_LE(needed.cy, room.cy);
    }
}

// The tray menu of a mirrored window opens right-to-left. A timer, run by
// the menu's own loop, notes the open menu window's layout and closes it.
std::optional<LONG> g_menuStyle;

void CALLBACK NoteAndCloseMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (HWND menu = FindWindowW(L"#32768", nullptr))
        g_menuStyle = GetWindowLongW(menu, GWL_EXSTYLE);
    EndMenu();
}

TEST_F(ThisLanguage, TrayMenuOpensInTheWindowsDirection)
{
    StartDialog();
    g_menuStyle.reset();
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, &NoteAndCloseMenu);
    ClickTrayIcon(WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_menuStyle) << "no menu window was open";
    EXPECT_EQ((*g_menuStyle & WS_EX_LAYOUTRTL) != 0, RightToLeft(ExpectedLanguage()));
}

// ---------------------------------------------------------------------------
// The scale of the screen.

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description{};
    GetObjectW(bitmap, sizeof description, &description);
    return SIZE{description.bmWidth, description.bmHeight};
}

SIZE IconSize(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    const SIZE size = BitmapSize(info.hbmColor ? info.hbmColor : info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

HBITMAP ShownLogo(HWND dialog)
{
    return reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(dialog, IDC_OEM_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

std::size_t DistinctColours(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    std::vector<std::uint32_t> pixels = BitmapPixels(bitmap, size.cx, size.cy);
    std::sort(pixels.begin(), pixels.end());
    return static_cast<std::size_t>(std::unique(pixels.begin(), pixels.end()) - pixels.begin());
}

LONG StatusFontHeight(HWND control)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font.lfHeight;
}

using AtThisDpi = DialogTest;

TEST_F(AtThisDpi, IconsTheLogoAndTheDialogFollowTheScale)
{
    QuietUser();
    Publish(kEnabled);
    const UINT dpi = ProcessDpi();
    // A task bar at this scale: Wine's Explorer keeps the one it started at.
    m_shell.taskbarDpi = dpi;
    StartDialog();
    ASSERT_EQ(WindowDpi(Window()), dpi);

    ASSERT_FALSE(m_shell.trayCalls.empty());
    const SIZE icon = IconSize(m_shell.trayCalls[0].hIcon);
    EXPECT_EQ(icon.cx, GetSystemMetrics(SM_CXSMICON)) << "the small-icon size at " << dpi;
    EXPECT_EQ(icon.cy, GetSystemMetrics(SM_CYSMICON));

    // 64 x 42 at 96 DPI, as many more pixels as the scale, averaged smoothly.
    const HBITMAP logo = ShownLogo(Window());
    EXPECT_EQ(BitmapSize(logo).cx, ScaleForDpi(64, dpi));
    EXPECT_EQ(BitmapSize(logo).cy, ScaleForDpi(42, dpi));
    const UniqueBitmap original(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_OEM_LOGO), IMAGE_BITMAP, 0, 0, 0)));
    if (dpi == kDefaultDpi)
        EXPECT_EQ(DistinctColours(logo), DistinctColours(original.Get()));
    else
        EXPECT_GT(DistinctColours(logo), DistinctColours(original.Get()));

    // Dialog units grow with the font, so the window does with the scale.
    RECT dialogUnits{0, 0, 280, 100};
    MapDialogRect(Window(), &dialogUnits);
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, dialogUnits.right);
    EXPECT_GE(client.right, 280 * 3 / 2 * static_cast<int>(dpi) / 96);
    EXPECT_LE(client.right, 280 * 2 * static_cast<int>(dpi) / 96);
}

TEST_F(AtThisDpi, MovingToAScreenOfAnotherScaleReloadsWindowIconFontAndLogo)
{
    QuietUser();
    Publish(kEnabled);
    StartDialog();
    TakeTrayCalls();
    const UINT dpi = ProcessDpi() * 3 / 2;
    const LONG fontHeight = StatusFontHeight(Control(IDC_STATUS_TEXT));
    const RECT suggested{40, 30, 40 + 700, 30 + 500};

    Send(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    RECT window{};
    GetWindowRect(Window(), &window);
    EXPECT_TRUE(EqualRect(&window, &suggested));
    // The tray icon is the task bar's scale: the window's move leaves it be.
    EXPECT_TRUE(TakeTrayCalls().empty());
    const auto windowIcon = reinterpret_cast<HICON>(Send(WM_GETICON, ICON_SMALL));
    EXPECT_EQ(IconSize(windowIcon).cx, SystemMetricForDpi(SM_CXSMICON, dpi));
    EXPECT_NEAR(StatusFontHeight(Control(IDC_STATUS_TEXT)), fontHeight * 3 / 2, 1);
    EXPECT_EQ(BitmapSize(ShownLogo(Window())).cx, ScaleForDpi(64, dpi));
}

// The cases above again, each in a process of its own scale.
} // namespace
} // namespace velmo_test
