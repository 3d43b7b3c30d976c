#include "fakeShell.h"

#include "iconImages.h"

#include <algorithm>
#include <iterator>

namespace velmo_test {

BOOL FakeShell::NotifyIcon(DWORD message, NOTIFYICONDATAW* data)
{
    const TrayCall call{message, data->cbSize, data->hWnd, data->uID, data->uFlags,
                        data->uCallbackMessage, data->hIcon, data->szTip, data->szInfoTitle,
                        data->szInfo, data->dwInfoFlags};
    trayCalls.push_back(call);
    if (!running)
        return FALSE;
    // One icon: one of a window gone, as the tests' earlier dialogs are,
    // goes with it.
    if (held && (held->hWnd != call.hWnd || held->uID != call.uID) && !IsWindow(held->hWnd))
        held.reset();
    const bool holdsThis = held && held->hWnd == call.hWnd && held->uID == call.uID;
    switch (message) {
    case NIM_ADD:
        if (holdsThis)
            return FALSE;
        held = call;
        if (addsTimingOut > 0) {
            --addsTimingOut;
            return FALSE;
        }
        return TRUE;
    case NIM_MODIFY:
        if (!holdsThis)
            return FALSE;
        if (data->uFlags & NIF_ICON)
            held->hIcon = data->hIcon;
        if (data->uFlags & NIF_TIP)
            held->tip = data->szTip;
        return TRUE;
    case NIM_DELETE:
        if (!holdsThis)
            return FALSE;
        held.reset();
        return TRUE;
    default:
        return TRUE;
    }
}

HRESULT FakeShell::QueryNotificationState(QUERY_USER_NOTIFICATION_STATE* state)
{
    *state = notificationState;
    return notificationResult;
}

BOOL FakeShell::BringToFront(HWND window)
{
    if (foregroundRefused)
        return FALSE;
    front = window;
    return TRUE;
}

BOOL FakeShell::AllowMessage(HWND window, UINT message)
{
    allowedMessages.emplace_back(window, message);
    return TRUE;
}

LRESULT FakeShell::SendFromShell(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const
{
    const bool allowed = std::find(allowedMessages.begin(), allowedMessages.end(),
                                   std::pair{window, message}) != allowedMessages.end();
    if (elevated && message >= WM_USER && !allowed)
        return 0;
    return SendMessageW(window, message, wParam, lParam);
}

UINT FakeShell::ShownIcon() const
{
    return held ? StateIconOf(held->hIcon) : 0;
}

int FakeShell::ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    boxes.push_back(BoxCall{owner, text ? text : L"", caption ? caption : L"", type,
                            IsWindowVisible(owner) != FALSE});
    if (whileBoxIsOpen)
        whileBoxIsOpen();
    return IDOK;
}

namespace {

std::optional<std::wstring> Text(const wchar_t* text)
{
    return text ? std::optional<std::wstring>(text) : std::nullopt;
}

} // namespace

HINSTANCE FakeShell::OpenWithShell(HWND owner, const wchar_t* operation, const wchar_t* file,
                                   const wchar_t* parameters, const wchar_t* directory,
                                   int showCommand)
{
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    const bool inApartment = SUCCEEDED(CoGetApartmentType(&type, &qualifier));
    executes.push_back(ExecuteCall{owner, Text(operation), Text(file), Text(parameters),
                                   Text(directory), showCommand,
                                   inApartment ? std::optional(type) : std::nullopt});
    if (whileShellOpens)
        whileShellOpens();
    return reinterpret_cast<HINSTANCE>(executeResult);
}

BOOL FakeShell::StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                             STARTUPINFOW* startup, PROCESS_INFORMATION* process)
{
    ProcessCall call{Text(applicationName), Text(commandLine).value_or(L""),
                     startup ? startup->cb : 0, nullptr, nullptr};
    if (processResult && process) {
        call.process = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        call.thread = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        process->hProcess = call.process;
        process->hThread = call.thread;
    }
    processes.push_back(call);
    return processResult;
}

std::size_t FakeShell::Count(DWORD message) const
{
    return static_cast<std::size_t>(
        std::count_if(trayCalls.begin(), trayCalls.end(),
                      [message](const TrayCall& call) { return call.message == message; }));
}

std::vector<TrayCall> FakeShell::Notifications() const
{
    std::vector<TrayCall> given;
    std::copy_if(trayCalls.begin(), trayCalls.end(), std::back_inserter(given),
                 [](const TrayCall& call) { return (call.uFlags & NIF_INFO) != 0; });
    return given;
}

std::vector<DWORD> FakeShell::Messages() const
{
    std::vector<DWORD> messages;
    for (const TrayCall& call : trayCalls)
        messages.push_back(call.message);
    return messages;
}

} // namespace velmo_test
