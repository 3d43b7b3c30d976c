// A stand-in for the shell and process calls, so that no tray icon, message
// box or browser is real: records each browser launch and answers as the
// test asks.
#pragma once

#include "ui/shellPort.h"

#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

namespace velmo_test {

class RecordingShell : public ShellPort
{
public:
    struct ExecuteCall
    {
        HWND owner;
        std::optional<std::wstring> operation;
        std::optional<std::wstring> file;
        std::optional<std::wstring> parameters;
        std::optional<std::wstring> directory;
        int showCommand;
        // The caller's COM apartment at the call, as the shell's handlers find it.
        std::optional<APTTYPE> apartment;
    };
    struct ProcessCall
    {
        std::optional<std::wstring> applicationName;
        std::wstring commandLine;
        DWORD startupSize;
        // Stand-ins handed out as the new process and thread; the caller is
        // to close them.
        HANDLE process;
        HANDLE thread;
    };

    // Installs itself as the port in use for its lifetime.
    RecordingShell() { SetShell(this); }
    ~RecordingShell() override { SetShell(nullptr); }
    RecordingShell(const RecordingShell&) = delete;
    RecordingShell& operator=(const RecordingShell&) = delete;

    // The tray always takes the icon; a message box is answered at once.
    BOOL NotifyIcon(DWORD, NOTIFYICONDATAW*) override { return TRUE; }
    int ShowMessageBox(HWND, const wchar_t*, const wchar_t*, UINT) override { return IDOK; }

    HINSTANCE OpenWithShell(HWND owner, const wchar_t* operation, const wchar_t* file,
                            const wchar_t* parameters, const wchar_t* directory,
                            int showCommand) override
    {
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        const bool inApartment = SUCCEEDED(CoGetApartmentType(&type, &qualifier));
        executes.push_back(ExecuteCall{owner, Text(operation), Text(file), Text(parameters),
                                       Text(directory), showCommand,
                                       inApartment ? std::optional(type) : std::nullopt});
        return reinterpret_cast<HINSTANCE>(executeResult);
    }

    BOOL StartProcess(const wchar_t* applicationName, wchar_t* commandLine,
                      STARTUPINFOW* startup, PROCESS_INFORMATION* process) override
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

    INT_PTR executeResult = 42; // above 32: the shell started a handler
    BOOL processResult = TRUE;

    std::vector<ExecuteCall> executes;
    std::vector<ProcessCall> processes;

private:
    static std::optional<std::wstring> Text(const wchar_t* text)
    {
        return text ? std::optional<std::wstring>(text) : std::nullopt;
    }
};

} // namespace velmo_test
