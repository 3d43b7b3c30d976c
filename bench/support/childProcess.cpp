#include "bench/support/childProcess.h"

namespace velmo_perf {

namespace {

UniqueKernelHandle InheritableNul(DWORD access)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueKernelHandle(FileHandle(CreateFileW(L"NUL", access,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                                     OPEN_EXISTING, 0, nullptr)));
}

} // namespace

std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty())
        line += L" " + arguments;
    return line;
}

ChildProcess::ChildProcess(const std::wstring& commandLine, Input input, Output output)
{
    UniqueKernelHandle childOutput;
    UniqueKernelHandle childInput;
    if (output == Output::Nul)
        childOutput = InheritableNul(GENERIC_WRITE);
    if (input == Input::Pipe) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
            return;
        childInput.Reset(readEnd);
        m_input.Reset(writeEnd);
        SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    } else if (output == Output::Nul) {
        childInput = InheritableNul(GENERIC_READ);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput.Get();
    startup.hStdOutput = childOutput.Get();
    startup.hStdError = childOutput.Get();
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        m_input.Reset();
        return;
    }
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_id = info.dwProcessId;
}

ChildProcess::~ChildProcess()
{
    Kill();
}

bool ChildProcess::Running() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs)
{
    return !m_process || WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void ChildProcess::Kill()
{
    if (!Running())
        return;
    TerminateProcess(m_process.Get(), 255);
    WaitForSingleObject(m_process.Get(), 10000);
}

} // namespace velmo_perf
