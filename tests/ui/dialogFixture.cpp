#include "dialogFixture.h"

#include "common/trace.h"
#include "res/resource.h"

#include <algorithm>
#include <cwchar>

namespace velmo_test {

void UiTestEnvironment::SetUp()
{
    TracingEnvironment::SetUp();
    const LogCursor cursor;
    VELMO_TRACE("ui tests: tracing on");
    const std::vector<std::string> entries = cursor.Entries();
    ASSERT_NE(std::find(entries.begin(), entries.end(), "ui tests: tracing on"), entries.end())
        << "the trace switch did not come on; trace checks would mean nothing";
}

std::wstring ResString(UINT id)
{
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

std::wstring WarningText(unsigned seconds)
{
    wchar_t text[512] = {};
    std::swprintf(text, std::size(text), ResString(IDS_UNKNOWN_MESSAGE).c_str(), seconds);
    return text;
}

void DialogTest::SetMachine(const wchar_t* name, DWORD value)
{
    SetDword(HKEY_LOCAL_MACHINE, name, value);
}

void DialogTest::SetUser(const wchar_t* name, DWORD value)
{
    SetDword(HKEY_CURRENT_USER, name, value);
}

std::optional<DWORD> DialogTest::UserValue(const wchar_t* name) const
{
    DWORD value = 0;
    if (!ReadDword(HKEY_CURRENT_USER, name, value))
        return std::nullopt;
    return value;
}

void DialogTest::QuietUser()
{
    velmo_test::SetQuietUser();
}

void DialogTest::Publish(std::uint32_t status)
{
    if (!m_section)
        m_section.emplace();
    m_section->WriteStatus(status);
}

void DialogTest::Withdraw()
{
    m_section.reset();
}

void DialogTest::Report(std::uint32_t status)
{
    if (status == static_cast<std::uint32_t>(kKorvaUnknown))
        Withdraw();
    else
        Publish(status);
}

void DialogTest::StartDialog()
{
    m_dialog = std::make_unique<Ckorva2checkDlg>();
    ASSERT_TRUE(m_dialog->Create());
    ASSERT_NE(Window(), nullptr);
    KillTimer(Window(), 1);
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

namespace {

struct ModalRun
{
    Ckorva2checkDlg& dialog;
    const VisibilityWatch& watch;
    const std::function<void()>& afterFirstShow;
    int ticks = 0;
    int ticksSinceShow = 0;
    bool sawFirstShow = false;
};

ModalRun* g_modalRun = nullptr;

void CALLBACK ModalRunTick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalRun& run = *g_modalRun;
    if (!run.dialog.m_hWnd || run.sawFirstShow)
        return;
    // A tick due as the run starts comes before its queue first ran dry; the
    // one after it does not.
    if (run.watch.ShowAttempts() > 0 && ++run.ticksSinceShow < 2)
        return;
    run.sawFirstShow = run.watch.ShowAttempts() > 0;
    if (!run.sawFirstShow && ++run.ticks <= 100)
        return;
    if (run.sawFirstShow && run.afterFirstShow)
        run.afterFirstShow();
    if (run.dialog.m_hWnd)
        SendMessageW(run.dialog.m_hWnd, WM_CLOSE, 0, 0);
}

} // namespace

bool DialogTest::RunModal(const VisibilityWatch& watch,
                          const std::function<void()>& afterFirstShow)
{
    m_dialog = std::make_unique<Ckorva2checkDlg>();
    ModalRun run{*m_dialog, watch, afterFirstShow};
    g_modalRun = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &ModalRunTick);
    m_dialog->DoModal();
    KillTimer(nullptr, timer);
    g_modalRun = nullptr;
    return run.sawFirstShow;
}

bool DialogTest::Poll()
{
    return m_dialog->PollStatus();
}

void DialogTest::PollTimes(int count)
{
    for (int i = 0; i < count; ++i)
        Poll();
}

HWND DialogTest::Window() const
{
    return m_dialog ? m_dialog->m_hWnd : nullptr;
}

HWND DialogTest::Control(int id) const
{
    return GetDlgItem(Window(), id);
}

bool DialogTest::Visible() const
{
    return IsWindowVisible(Window()) != FALSE;
}

bool DialogTest::Minimized() const
{
    return IsIconic(Window()) != FALSE;
}

bool DialogTest::ControlShown(int id) const
{
    return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::wstring DialogTest::ControlText(int id) const
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(Window(), id, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring DialogTest::StatusText() const
{
    return ControlText(IDC_STATUS_TEXT);
}

LRESULT DialogTest::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageW(Window(), message, wParam, lParam);
}

void DialogTest::ClickTrayIcon(LPARAM mouse) const
{
    m_shell.SendFromShell(Window(), WM_USER + 1, 1, mouse);
}

void DialogTest::ClickButton(int id) const
{
    Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
}

void DialogTest::SetChecked(int id, bool checked) const
{
    SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool DialogTest::Checked(int id) const
{
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

namespace {

HWND KeyTarget(HWND window)
{
    HWND target = GetFocus();
    return target && GetAncestor(target, GA_ROOT) == window ? target : window;
}

} // namespace

void DialogTest::PressKey(WPARAM key) const
{
    KeyDown(key);
    KeyUp(key);
}

void DialogTest::KeyDown(WPARAM key, int repeats) const
{
    PostMessageW(KeyTarget(Window()), WM_KEYDOWN, key, 1);
    for (int repeat = 0; repeat < repeats; ++repeat)
        PostMessageW(KeyTarget(Window()), WM_KEYDOWN, key, 0x40000001);
    Pump();
}

void DialogTest::KeyUp(WPARAM key) const
{
    PostMessageW(KeyTarget(Window()), WM_KEYUP, key, 0xC0000001);
    Pump();
}

void DialogTest::Pump() const
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        if (Window() && IsDialogMessageW(Window(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::vector<TrayCall> DialogTest::TakeTrayCalls()
{
    std::vector<TrayCall> calls;
    calls.swap(m_shell.trayCalls);
    return calls;
}

std::vector<std::string> DialogTest::Traces() const
{
    return m_log.Entries();
}

std::size_t DialogTest::TraceCount(const std::string& entry) const
{
    const std::vector<std::string> entries = Traces();
    return static_cast<std::size_t>(std::count(entries.begin(), entries.end(), entry));
}

namespace {

VisibilityWatch* g_watch = nullptr;

bool IsDialogWindow(HWND window)
{
    wchar_t name[16] = {};
    return GetClassNameW(window, name, static_cast<int>(std::size(name))) &&
           std::wstring(name) == L"#32770";
}

} // namespace

VisibilityWatch::VisibilityWatch()
{
    g_watch = this;
    m_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterMessage, nullptr, GetCurrentThreadId());
    EXPECT_NE(m_hook, nullptr) << "cannot watch the window, error " << GetLastError();
}

VisibilityWatch::~VisibilityWatch()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    g_watch = nullptr;
}

LRESULT CALLBACK VisibilityWatch::AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && g_watch) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        HWND root = GetAncestor(sent->hwnd, GA_ROOT);
        if (root && IsDialogWindow(root)) {
            if (IsWindowVisible(root))
                g_watch->m_everVisible = true;
            if (sent->message == WM_WINDOWPOSCHANGED && sent->hwnd == root &&
                (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW) &&
                ++g_watch->m_shows == 1 && g_watch->onFirstShow)
                g_watch->onFirstShow(root);
            if (sent->message == WM_SHOWWINDOW && sent->hwnd == root && sent->wParam)
                ++g_watch->m_showAttempts;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace velmo_test
