// The link control on real windows: a parent object that reflects, a static
// child bound to the link, real mouse, cursor, colour and click messages.
// Only the browser launch goes to a fake shell.
#include "support/accessibleReading.h"
#include "support/fakeShell.h"
#include "support/testSupport.h"
#include "support/traceTexts.h"

#include "common/uniqueHandle.h"
#include "ui/velmoDlg.h"
#include "ui/velmoStaticHyperLink.h"
#include "res/resource.h"

#include <oleacc.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace traced = velmo_test::traced;

using velmo_test::LogCursor;
using velmo_test::FakeShell;

constexpr wchar_t kLinkText[] = L"Visit the maker's page";
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
const std::wstring kUrl = L"https://oem.example/support";
constexpr wchar_t kInternetExplorer[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

using UniqueWindow = UniqueHandle<HWND, &DestroyWindow>;
using UniqueDc = UniqueHandle<HDC, &DeleteDC>;

LPARAM PointParam(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// The launch's own records among the log's new ones, in order.
std::vector<std::string> LaunchTraces(const LogCursor& log)
{
    std::vector<std::string> traces;
    for (const std::string& entry : log.Entries()) {
        if (entry == traced::kLinkNotLaunched || entry == traced::kUrlTooLong ||
            entry == traced::kUrlHasQuote)
            traces.push_back(entry);
    }
    return traces;
}

std::wstring AddressOfLength(size_t length)
{
    std::wstring address = L"https://oem.example/";
    address.resize(length, L'a');
    return address;
}

bool HandleIsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// What a parent answers when a static control asks for its colours, asked on
// a memory DC as the system asks while painting.
struct Colours
{
    HGDIOBJ brush;
    COLORREF text;
    COLORREF background;
    int backgroundMode;
};

constexpr COLORREF kTextBefore = RGB(1, 2, 3);
constexpr COLORREF kBackgroundBefore = RGB(4, 5, 6);

Colours AskColours(HWND parent, HWND control)
{
    UniqueDc dc(CreateCompatibleDC(nullptr));
    SetTextColor(dc.Get(), kTextBefore);
    SetBkColor(dc.Get(), kBackgroundBefore);
    SetBkMode(dc.Get(), OPAQUE);
    const LRESULT brush = SendMessageW(parent, WM_CTLCOLORSTATIC,
                                       reinterpret_cast<WPARAM>(dc.Get()),
                                       reinterpret_cast<LPARAM>(control));
    return Colours{reinterpret_cast<HGDIOBJ>(brush), GetTextColor(dc.Get()),
                   GetBkColor(dc.Get()), GetBkMode(dc.Get())};
}

// Counts the paints that reach a window's own procedure: a WM_PAINT, or the
// WM_PRINTCLIENT the link paints through. Put in
// place before the link binds, it sits beneath the link's object and sees
// every paint the link lets through.
class PaintCounter
{
public:
    void Install(HWND window)
    {
        SetPropW(window, kProperty, this);
        m_super = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    int Paints() const { return m_paints; }
    void Reset() { m_paints = 0; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<PaintCounter*>(GetPropW(window, kProperty));
        if (message == WM_PAINT || message == WM_PRINTCLIENT)
            ++self->m_paints;
        if (message == WM_NCDESTROY)
            RemovePropW(window, kProperty);
        return CallWindowProcW(self->m_super, window, message, wParam, lParam);
    }

    static constexpr wchar_t kProperty[] = L"velmo.test.paints";
    WNDPROC m_super = nullptr;
    int m_paints = 0;
};

const wchar_t* ParentClass()
{
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        windowClass.lpszClassName = L"VelmoLinkTestParent";
        return RegisterClassW(&windowClass);
    }();
    return MAKEINTATOM(atom);
}

void DispatchPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// A shown top-level window bound to a plain window object (which reflects
// notifications and colour requests to its children's objects) with a
// static text child bound to the link.
class HyperLinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window.Reset(CreateWindowExW(0, ParentClass(), L"Link test", WS_POPUP, 40, 40, 320,
                                       160, nullptr, nullptr, GetModuleHandleW(nullptr),
                                       nullptr));
        ASSERT_TRUE(m_window);
        // Shown without activation: Wine leaves such a window to itself, not
        // to a window manager that Xvfb lacks, and so destroys it at once.
        ShowWindow(m_window.Get(), SW_SHOWNA);
        ASSERT_TRUE(m_parent.SubclassWindow(m_window.Get()));
        HWND link = CreateWindowExW(0, L"STATIC", kLinkText, WS_CHILD | WS_VISIBLE | SS_LEFT, 10,
                                    10, 200, 24, m_window.Get(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_OEM_LINK)),
                                    GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(link, nullptr);
        m_styleBefore = GetWindowLongW(link, GWL_STYLE);
        m_paints.Install(link);
        ASSERT_TRUE(m_link.SubclassWindow(link));
        m_link.SetUrl(kUrl);
        // Paints owed since creation go now: the tests count only their own.
        UpdateWindow(m_window.Get());
        DispatchPending();
        m_paints.Reset();
    }

    HWND Link() const { return m_link.m_hWnd; }
    HWND Parent() const { return m_parent.m_hWnd; }

    // A press and release of the left button on the control.
    void Click()
    {
        SendMessageW(Link(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
        SendMessageW(Link(), WM_LBUTTONUP, 0, PointParam(5, 5));
    }
    void MoveTo(int x, int y) { SendMessageW(Link(), WM_MOUSEMOVE, 0, PointParam(x, y)); }

    FakeShell m_shell;
    CWnd m_parent;
    CStaticHyperLink m_link;
    PaintCounter m_paints;
    // Goes first: destroying the window unbinds the objects above.
    UniqueWindow m_window;
    LONG m_styleBefore = 0;
};

TEST_F(HyperLinkTest, AttachAddsNotifyStyleAndKeepsTheOthers)
{
    ASSERT_EQ(m_styleBefore & SS_NOTIFY, 0);
    EXPECT_EQ(GetWindowLongW(Link(), GWL_STYLE), m_styleBefore | SS_NOTIFY);
}

TEST_F(HyperLinkTest, PointerEnteringAndLeavingTakesAndReleasesTheCaptureAndRedraws)
{
    const struct
    {
        int x, y;
        bool captured;
        int paints; // so far
    } moves[] = {
        {5, 5, true, 1},    // entering
        {0, 0, true, 1},    // moving within changes nothing
        {199, 23, true, 1}, // the last pixel inside
        {-3, 5, false, 2},  // leaving
        {5, 5, true, 3},    // coming back starts over
        {200, 5, false, 4}, // just past the right edge is outside
    };
    ASSERT_EQ(GetCapture(), nullptr);
    for (const auto& move : moves) {
        SCOPED_TRACE(::testing::Message() << move.x << "," << move.y);
        MoveTo(move.x, move.y);
        EXPECT_EQ(GetCapture(), move.captured ? Link() : nullptr);
        EXPECT_EQ(m_paints.Paints(), move.paints);
    }
}

TEST_F(HyperLinkTest, CursorIsTheHandWhateverTheHitAndMessage)
{
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    ASSERT_NE(arrow, hand);
    const struct
    {
        WORD hitTest;
        WORD mouseMessage;
    } cases[] = {{HTCLIENT, WM_MOUSEMOVE}, {HTCLIENT, WM_LBUTTONDOWN}, {HTBORDER, 0}};
    for (const auto& sample : cases) {
        SCOPED_TRACE(sample.hitTest);
        SetCursor(arrow);
        const LRESULT handled = SendMessageW(Link(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Link()),
                                             MAKELPARAM(sample.hitTest, sample.mouseMessage));
        EXPECT_EQ(handled, TRUE);
        EXPECT_EQ(GetCursor(), hand);
    }
}

TEST_F(HyperLinkTest, ReflectedColourIsLinkBlueWithTheNullBrush)
{
    const Colours colours = AskColours(Parent(), Link());
    EXPECT_EQ(colours.brush, GetStockObject(NULL_BRUSH));
    EXPECT_EQ(colours.text, kLinkBlue);
    EXPECT_EQ(colours.background, kBackgroundBefore);
    EXPECT_EQ(colours.backgroundMode, OPAQUE);
}

TEST_F(HyperLinkTest, ClickOpensTheAddressMaximizedThroughTheShell)
{
    ValidateRect(Link(), nullptr);
    Click();

    ASSERT_EQ(m_shell.executes.size(), 1u);
    const velmo_test::ExecuteCall& call = m_shell.executes[0];
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.operation, L"open");
    EXPECT_EQ(call.file, kUrl);
    EXPECT_EQ(call.parameters, std::nullopt);
    EXPECT_EQ(call.directory, std::nullopt);
    EXPECT_EQ(call.showCommand, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(call.apartment == APTTYPE_STA || call.apartment == APTTYPE_MAINSTA)
        << "COM is not initialised apartment-threaded on the calling thread";
    EXPECT_TRUE(m_shell.processes.empty()) << "no second browser";

    RECT dirty{};
    EXPECT_TRUE(GetUpdateRect(Link(), &dirty, FALSE)) << "the click invalidates the control";
}

TEST_F(HyperLinkTest, TwoClicksOpenTheAddressTwice)
{
    // As the static control itself reports a click to its parent.
    for (int click = 0; click < 2; ++click)
        SendMessageW(Parent(), WM_COMMAND, MAKEWPARAM(IDC_OEM_LINK, STN_CLICKED),
                     reinterpret_cast<LPARAM>(Link()));
    ASSERT_EQ(m_shell.executes.size(), 2u);
    EXPECT_EQ(m_shell.executes[0].file, kUrl);
    EXPECT_EQ(m_shell.executes[1].file, kUrl);
}

TEST_F(HyperLinkTest, NewAddressTakesEffectAtTheNextClickAndTheTextStays)
{
    const std::wstring other = L"https://other.example/";
    ValidateRect(Link(), nullptr);
    m_link.SetUrl(other);
    RECT dirty{};
    EXPECT_FALSE(GetUpdateRect(Link(), &dirty, FALSE)) << "a new address does not redraw";

    Click();
    ASSERT_EQ(m_shell.executes.size(), 1u);
    EXPECT_EQ(m_shell.executes[0].file, other);
    wchar_t text[64] = {};
    GetWindowTextW(Link(), text, 64);
    EXPECT_STREQ(text, kLinkText);
}

// The link's window is there: the fallback is not skipped for a gone one.
TEST_F(HyperLinkTest, ShellFailureOnAClickStartsInternetExplorer)
{
    m_shell.executeResult = SE_ERR_FNF;
    Click();
    ASSERT_EQ(m_shell.processes.size(), 1u);
    EXPECT_EQ(m_shell.processes[0].applicationName, kInternetExplorer);
}

TEST_F(HyperLinkTest, ScreenReaderActivateOpensTheAddressAsAClickDoes)
{
    EXPECT_EQ(velmo_test::DoAccessibleDefaultAction(Link()), S_OK);
    // The client's call returns first: the launch runs from the message loop.
    EXPECT_TRUE(m_shell.executes.empty());
    DispatchPending();
    ASSERT_EQ(m_shell.executes.size(), 1u);
    EXPECT_EQ(m_shell.executes[0].file, kUrl);
}

TEST_F(HyperLinkTest, ObjectAClientStillHoldsAnswersDisconnectedOnceTheLinkIsGone)
{
    HWND window = CreateWindowExW(0, L"STATIC", kLinkText, WS_CHILD | WS_VISIBLE, 10, 40, 200, 24,
                                  Parent(), nullptr, GetModuleHandleW(nullptr), nullptr);
    auto link = std::make_unique<CStaticHyperLink>();
    ASSERT_TRUE(link->SubclassWindow(window));
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    EXPECT_EQ(object->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);

    DestroyWindow(window);
    link.reset();
    EXPECT_EQ(object->get_accRole(self, &role), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->accDoDefaultAction(self), RPC_E_DISCONNECTED);
    object->Release();
}

// The shell first; above 32 it started a handler, anything else is an error
// code. Then Internet Explorer, with the address as one argument when it fits
// and can be passed safely.
TEST(LaunchUrl, ShellFirstThenInternetExplorerWithTheAddressAsOneArgument)
{
    struct Row
    {
        const char* what;
        std::wstring url;
        INT_PTR shellResult;
        BOOL browserStarts;
        bool launched;
        bool browserTried;
        std::vector<std::string> traces;
    };
    const std::vector<std::string> none;
    const Row rows[] = {
        {"shell result 42", kUrl, 42, TRUE, true, false, none},
        {"shell result 33", kUrl, 33, TRUE, true, false, none},
        {"shell result 32", kUrl, 32, TRUE, true, true, none},
        {"access denied", kUrl, SE_ERR_ACCESSDENIED, TRUE, true, true, none},
        {"shell result 0", kUrl, 0, TRUE, true, true, none},
        {"the browser fails too", kUrl, SE_ERR_FNF, FALSE, false, true, {traced::kLinkNotLaunched}},
        {"a blank", L"https://oem.example/help page", SE_ERR_FNF, TRUE, true, true, none},
        // A typo that would be the kiosk switch.
        {"a switch", L"https://oem.example/ -k", SE_ERR_FNF, TRUE, true, true, none},
        {"backslashes before the closing quote", L"C:\\oem\\help\\", SE_ERR_FNF, TRUE, true,
         true, none},
        {"a quote", L"https://oem.example/\" -k", SE_ERR_FNF, TRUE, false, false,
         {traced::kUrlHasQuote, traced::kLinkNotLaunched}},
        // 259 characters and the terminating zero: the whole MAX_PATH buffer.
        {"the longest that fits", AddressOfLength(207), SE_ERR_FNF, TRUE, true, true, none},
        {"one too long", AddressOfLength(208), SE_ERR_FNF, TRUE, false, false,
         {traced::kUrlTooLong, traced::kLinkNotLaunched}},
        {"far too long", AddressOfLength(4096), SE_ERR_FNF, TRUE, false, false,
         {traced::kUrlTooLong, traced::kLinkNotLaunched}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeShell shell;
        shell.executeResult = row.shellResult;
        shell.processResult = row.browserStarts;
        const LogCursor log;
        EXPECT_EQ(LaunchUrl(row.url), row.launched);
        ASSERT_EQ(shell.executes.size(), 1u);
        EXPECT_EQ(shell.executes[0].file, row.url);
        EXPECT_EQ(LaunchTraces(log), row.traces);
        ASSERT_EQ(shell.processes.size(), row.browserTried ? 1u : 0u);
        if (!row.browserTried)
            continue;
        const velmo_test::ProcessCall& call = shell.processes[0];
        EXPECT_EQ(call.applicationName, kInternetExplorer);
        EXPECT_EQ(call.startupSize, sizeof(STARTUPINFOW));
        if (row.browserStarts) {
            EXPECT_FALSE(HandleIsOpen(call.process)) << "the process handle is closed at once";
            EXPECT_FALSE(HandleIsOpen(call.thread)) << "the thread handle is closed at once";
        }
        // As the browser's C runtime splits its command line.
        int count = 0;
        LPWSTR* arguments = CommandLineToArgvW(call.commandLine.c_str(), &count);
        ASSERT_NE(arguments, nullptr);
        EXPECT_EQ(count, 2);
        if (count == 2) {
            EXPECT_STREQ(arguments[0], kInternetExplorer);
            EXPECT_STREQ(arguments[1], row.url.c_str());
        }
        LocalFree(arguments);
    }
}

// The link as the applet's own dialog carries it: bound to control 1003, its
// address from the OemUrl setting. Its colours there are the Colours cases of
// dialogTests.
TEST(HyperLinkInAppletDialog, OpensTheConfiguredAddress)
{
    const std::wstring configured = L"https://oem.example/from-registry";
    velmo_test::SetString(HKEY_LOCAL_MACHINE, L"OemUrl", configured);
    FakeShell shell;
    Ckorva2checkDlg dialog;
    ASSERT_TRUE(dialog.Create());
    HWND link = GetDlgItem(dialog.m_hWnd, IDC_OEM_LINK);
    ASSERT_NE(link, nullptr);

    EXPECT_NE(GetWindowLongW(link, GWL_STYLE) & SS_NOTIFY, 0);
    SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_OEM_LINK, STN_CLICKED),
                 reinterpret_cast<LPARAM>(link));
    ASSERT_EQ(shell.executes.size(), 1u);
    EXPECT_EQ(shell.executes[0].file, configured);

    dialog.ExitApplet();
    velmo_test::DeleteValue(HKEY_LOCAL_MACHINE, L"OemUrl");
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new velmo_test::TracingEnvironment);
    return RUN_ALL_TESTS();
}
