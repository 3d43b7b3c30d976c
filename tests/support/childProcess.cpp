#include "support/childProcess.h"

namespace velmo_test {

namespace {

constexpr DWORD kReadStepMs = 20;

SECURITY_ATTRIBUTES g_inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

UniqueKernelHandle OpenInheritable(const wchar_t* path, DWORD access)
{
    return UniqueKernelHandle(FileHandle(CreateFileW(path, access,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     &g_inheritable, OPEN_EXISTING, 0, nullptr)));
}

// A pipe whose `keptEnd` stays here, out of the child's reach.
void MakePipe(UniqueKernelHandle& readEnd, UniqueKernelHandle& writeEnd,
              const UniqueKernelHandle& keptEnd)
{
    if (CreatePipe(readEnd.Put(), writeEnd.Put(), &g_inheritable, 0))
        SetHandleInformation(keptEnd.Get(), HANDLE_FLAG_INHERIT, 0);
}

} // namespace

std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty())
        line += L" " + arguments;
    return line;
}

ChildProcess::ChildProcess(const std::wstring& commandLine) : ChildProcess(commandLine, Options{}) {}

ChildProcess::ChildProcess(const std::wstring& commandLine, const Options& options)
{
    UniqueKernelHandle childInput;
    UniqueKernelHandle childOutput;
    switch (options.input) {
    case Input::Pipe:
        MakePipe(childInput, m_input, m_input);
        break;
    case Input::Nul:
        childInput = OpenInheritable(L"NUL", GENERIC_READ);
        break;
    case Input::File:
        childInput = OpenInheritable(options.inputFile.c_str(), GENERIC_READ);
        break;
    case Input::Own:
    case Input::None:
        break;
    }
    if (options.output == Output::Capture)
        MakePipe(m_output, childOutput, m_output);
    else if (options.output == Output::Nul)
        childOutput = OpenInheritable(L"NUL", GENERIC_WRITE);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool ownHandles = options.input == Input::Own && options.output == Output::Own;
    if (!ownHandles) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput =
            options.input == Input::Own ? GetStdHandle(STD_INPUT_HANDLE) : childInput.Get();
        startup.hStdOutput =
            options.output == Output::Own ? GetStdHandle(STD_OUTPUT_HANDLE) : childOutput.Get();
        startup.hStdError =
            options.output == Output::Own ? GetStdHandle(STD_ERROR_HANDLE) : childOutput.Get();
    }
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, ownHandles ? FALSE : TRUE,
                        options.suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup,
                        &info)) {
        m_input.Reset();
        m_output.Reset();
        return;
    }
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

void ChildProcess::ReadAvailable()
{
    DWORD available = 0;
    while (m_output &&
           PeekNamedPipe(m_output.Get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(m_output.Get(), buffer, sizeof buffer, &got, nullptr) || got == 0)
            return;
        m_text.append(buffer, got);
    }
}

std::string ChildProcess::FirstLine(DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        ReadAvailable();
        const std::string::size_type end = m_text.find('\n');
        if (end != std::string::npos)
            return m_text.substr(0, end + 1);
        // Waiting on the process doubles as the pause between looks at the pipe.
        const bool exited = WaitForSingleObject(m_process.Get(), kReadStepMs) != WAIT_TIMEOUT;
        if (exited || GetTickCount64() > deadline)
            return Written();
    }
}

std::string ChildProcess::Written()
{
    ReadAvailable();
    return m_text;
}

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs)
{
    ChildProcess child(commandLine, {ChildProcess::Input::Own, ChildProcess::Output::Capture, false, {}});
    ProcessResult result;
    if (!child.Started())
        return result;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    // Read while it runs: a full pipe would stop it.
    while (WaitForSingleObject(child.Handle(), kReadStepMs) == WAIT_TIMEOUT) {
        child.Written();
        if (GetTickCount64() > deadline) {
            child.Kill();
            result.output = child.Written();
            return result;
        }
    }
    result.output = child.Written();
    result.exitCode = static_cast<int>(child.WaitForExit(0).value_or(-1));
    return result;
}

} // namespace velmo_test
