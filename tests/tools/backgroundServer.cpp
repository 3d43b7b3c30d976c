#include "backgroundServer.h"

#include "support/testSupport.h"

#include <gtest/gtest.h>

std::wstring KorvapubCommand(const std::wstring& arguments)
{
    return L"\"" + velmo_test::BesideTestExe(L"korvapub.exe") + L"\" " + arguments;
}

namespace {

SECURITY_ATTRIBUTES g_inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

// The child's end of standard input; the test keeps the other end of a pipe in `testEnd`.
UniqueKernelHandle ChildInput(BackgroundServer::Input input, UniqueKernelHandle& testEnd)
{
    UniqueKernelHandle childEnd;
    switch (input) {
    case BackgroundServer::Input::Pipe:
        EXPECT_TRUE(CreatePipe(childEnd.Put(), testEnd.Put(), &g_inheritable, 0));
        SetHandleInformation(testEnd.Get(), HANDLE_FLAG_INHERIT, 0);
        break;
    case BackgroundServer::Input::Nul:
        childEnd.Reset(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &g_inheritable, OPEN_EXISTING, 0, nullptr));
        break;
    case BackgroundServer::Input::File:
        childEnd.Reset(CreateFileW(velmo_test::BesideTestExe(L"korvapub.exe").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ, &g_inheritable, OPEN_EXISTING, 0, nullptr));
        break;
    case BackgroundServer::Input::None:
        break;
    }
    return childEnd;
}

} // namespace

BackgroundServer::BackgroundServer(const std::wstring& arguments, Input input)
{
    const UniqueKernelHandle childInput = ChildInput(input, m_input);
    UniqueKernelHandle childOutput;
    EXPECT_TRUE(CreatePipe(m_output.Put(), childOutput.Put(), &g_inheritable, 0));
    SetHandleInformation(m_output.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput.Get();
    startup.hStdOutput = childOutput.Get();
    startup.hStdError = childOutput.Get();
    PROCESS_INFORMATION process{};
    std::wstring commandLine = KorvapubCommand(L"serve " + arguments);
    EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process))
        << "starting korvapub serve, error " << GetLastError();
    m_process.Reset(process.hProcess);
    const UniqueKernelHandle thread(process.hThread);
}

BackgroundServer::~BackgroundServer()
{
    if (Running()) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

void BackgroundServer::ReadAvailable()
{
    DWORD available = 0;
    while (PeekNamedPipe(m_output.Get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        char buffer[1024];
        DWORD got = 0;
        if (!ReadFile(m_output.Get(), buffer, sizeof buffer, &got, nullptr) || got == 0)
            return;
        m_text.append(buffer, got);
    }
}

std::string BackgroundServer::FirstLine()
{
    const ULONGLONG deadline = GetTickCount64() + 10000;
    for (;;) {
        ReadAvailable();
        const std::string::size_type end = m_text.find('\n');
        if (end != std::string::npos)
            return m_text.substr(0, end + 1);
        // Waiting on the process doubles as the pause between looks at the pipe.
        const bool exited = WaitForSingleObject(m_process.Get(), 20) != WAIT_TIMEOUT;
        if (exited || GetTickCount64() > deadline) {
            ReadAvailable();
            return m_text;
        }
    }
}

void BackgroundServer::CloseInput()
{
    m_input.Reset();
}

int BackgroundServer::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return static_cast<int>(code);
}

bool BackgroundServer::Running() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}
