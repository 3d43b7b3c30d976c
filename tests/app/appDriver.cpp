#include "appDriver.h"

#include "common/uniqueHandle.h"
#include "support/testSupport.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace velmo_app_test {

namespace {

constexpr DWORD kDeadlineBaseMs = 15000;
constexpr DWORD kPollStepMs = 10;
constexpr DWORD kSendTimeoutMs = 5000;
constexpr UINT kTrayCallbackMessage = WM_USER + 1;
constexpr UINT kWindowCaptionId = 143;

using UniqueModule = UniqueHandle<HMODULE, &FreeLibrary>;

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

const wchar_t* StatusName(Korva status)
{
    return status == Korva::kEnabled ? L"enabled" : L"disabled";
}

} // namespace

DWORD DeadlineMs()
{
    static const DWORD deadline = [] {
        const char* text = std::getenv("VELMO_DEADLINE_SCALE");
        const unsigned long scale = text ? std::strtoul(text, nullptr, 10) : 1;
        return kDeadlineBaseMs * static_cast<DWORD>(scale > 1 ? scale : 1);
    }();
    return deadline;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollStepMs, QS_ALLINPUT);
    }
}

void Observe(DWORD durationMs, const std::function<void()>& sample)
{
    const ULONGLONG end = GetTickCount64() + durationMs;
    while (GetTickCount64() < end) {
        PumpMessages();
        sample();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollStepMs, QS_ALLINPUT);
    }
}

std::wstring WindowsPath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return path;
}

std::wstring VelmoExePath()
{
    const char* chosen = std::getenv("VELMO_EXE");
    return WindowsPath(chosen && *chosen ? chosen : VELMO_EXE);
}

std::wstring KorvapubExePath()
{
    return WindowsPath(KORVAPUB_EXE);
}

std::wstring ShowWatchDllPath()
{
    return WindowsPath(SHOW_WATCH_DLL);
}

std::wstring VelmoString(UINT id)
{
    UniqueModule module(
        LoadLibraryExW(VelmoExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return {};
    wchar_t text[1024] = {};
    LoadStringW(module.Get(), id, text, static_cast<int>(std::size(text)));
    return text;
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments,
                           bool suspended)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &info))
        return;
    m_process.Reset(info.hProcess);
    m_thread.Reset(info.hThread);
    m_id = info.dwProcessId;
    m_threadId = info.dwThreadId;
}

ChildProcess::~ChildProcess()
{
    Kill();
}

void ChildProcess::Resume()
{
    if (m_thread)
        ResumeThread(m_thread.Get());
}

bool ChildProcess::Running() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs)
{
    if (!m_process || !WaitUntil([this] { return !Running(); }, timeoutMs))
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

void ChildProcess::Kill()
{
    if (!Running())
        return;
    TerminateProcess(m_process.Get(), 255);
    WaitForSingleObject(m_process.Get(), DeadlineMs());
}

std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className,
                                  const std::wstring& caption)
{
    struct Query
    {
        DWORD processId;
        const wchar_t* className;
        const std::wstring& caption;
        std::vector<HWND> found;
    } query{processId, className, caption, {}};
    EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto& q = *reinterpret_cast<Query*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((q.processId == 0 || owner == q.processId) &&
                (!q.className || ClassName(window) == q.className) &&
                WindowText(window) == q.caption)
                q.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

VelmoApp::VelmoApp(bool suspended) : m_process(VelmoExePath(), L"", suspended) {}

VelmoApp::~VelmoApp()
{
    // A closed applet takes its tray icon with it; a killed one may not.
    if (m_process.Running() && m_window && Post(WM_CLOSE, 0, 0))
        m_process.WaitForExit(kSendTimeoutMs);
}

HWND VelmoApp::WaitForWindow(DWORD timeoutMs)
{
    const std::wstring caption = VelmoString(kWindowCaptionId);
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

std::optional<DWORD> PublishedStatus()
{
    UniqueKernelHandle section(OpenFileMappingW(FILE_MAP_READ, FALSE, L"Global\\KorvaStatus"));
    if (!section)
        return std::nullopt;
    const void* view = MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, 12);
    if (!view)
        return std::nullopt;
    std::uint32_t record[3] = {};
    std::memcpy(record, view, sizeof record);
    UnmapViewOfFile(view);
    if (record[0] != 0 || record[1] != 4)
        return std::nullopt;
    return record[2];
}

bool SectionExists()
{
    return static_cast<bool>(
        UniqueKernelHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, L"Global\\KorvaStatus")));
}

Publisher::Publisher(Korva status, DWORD sectionSize)
    : m_server(KorvapubExePath(),
               std::wstring(L"serve --status ") + StatusName(status) +
                   (sectionSize == 512 ? std::wstring()
                                       : L" --size " + std::to_wstring(sectionSize)))
{
    m_ready = m_server.Started() &&
              WaitUntil([status] { return PublishedStatus() == static_cast<DWORD>(status); });
}

Publisher::~Publisher()
{
    velmo_test::RunProcess(L"\"" + KorvapubExePath() + L"\" stop");
    if (!m_server.WaitForExit())
        m_server.Kill();
    // The next test must not find this section.
    WaitUntil([] { return !SectionExists(); });
}

bool Publisher::Set(Korva status)
{
    const velmo_test::ProcessResult result =
        velmo_test::RunProcess(L"\"" + KorvapubExePath() + L"\" set " + StatusName(status));
    return result.exitCode == 0 && PublishedStatus() == static_cast<DWORD>(status);
}

} // namespace velmo_app_test
