#include "appDriver.h"

#include "res/resource.h"

namespace velmo_app_test {

namespace {

constexpr DWORD kSendTimeoutMs = 5000;
constexpr UINT kTrayCallbackMessage = WM_USER + 1;

} // namespace

std::wstring ShowWatchDllPath()
{
    return velmo_test::WindowsPath(SHOW_WATCH_DLL);
}

VelmoApp::VelmoApp(bool suspended)
    : m_process(velmo_test::CommandLine(velmo_test::VelmoExePath()), {.suspended = suspended, .inputFile = {}})
{
}

VelmoApp::~VelmoApp()
{
    // A closed applet takes its tray icon with it; a killed one may not.
    if (m_process.Running() && m_window && Post(WM_CLOSE, 0, 0))
        m_process.WaitForExit(kSendTimeoutMs);
}

HWND VelmoApp::WaitForWindow(DWORD timeoutMs)
{
    const std::wstring caption = VelmoString(IDS_WINDOW_CAPTION);
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopLevelWindows(Id(), nullptr, caption);
            m_window = windows.empty() ? nullptr : windows.front();
            return m_window != nullptr;
        },
        timeoutMs);
    return m_window;
}

LRESULT VelmoApp::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &result);
    return static_cast<LRESULT>(result);
}

bool VelmoApp::Answers() const
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &result) != 0;
}

bool VelmoApp::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return PostMessageW(m_window, message, wParam, lParam) != FALSE;
}

void VelmoApp::ClickTrayIcon() const
{
    Send(kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
}

void VelmoApp::ClickButton(int controlId) const
{
    Send(WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
         reinterpret_cast<LPARAM>(GetDlgItem(m_window, controlId)));
}

void VelmoApp::PressEscape() const
{
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    const DWORD thread = GetWindowThreadProcessId(m_window, nullptr);
    HWND target = GetGUIThreadInfo(thread, &gui) && gui.hwndFocus ? gui.hwndFocus : m_window;
    const UINT scanCode = MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1 | (scanCode << 16));
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 1 | (scanCode << 16) | 0xC0000000u);
}

std::wstring VelmoApp::ControlText(int controlId) const
{
    HWND control = GetDlgItem(m_window, controlId);
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!control ||
        !SendMessageTimeoutW(control, WM_GETTEXT, std::size(text),
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &copied))
        return {};
    return text;
}

} // namespace velmo_app_test
