// A program started from the bench or the soak, its standard output and
// error on NUL, or without any standard handles, as a logon starts a windowed
// program; ended by force if it still runs when the object goes.
#pragma once

#include "common/kernelHandle.h"

#include <windows.h>

#include <string>

namespace velmo_perf {

class ChildProcess
{
public:
    // A pipe on standard input is held here; korvapub serve ends when it closes.
    enum class Input { Nul, Pipe };
    // Under Wine each write to NUL costs a few hundred microseconds; one
    // without a handle fails at once, as on Windows without a console.
    enum class Output { Nul, None };

    ChildProcess(const std::wstring& commandLine, Input input = Input::Nul,
                 Output output = Output::Nul);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process.Get(); }
    bool Running() const;

    void CloseInput() { m_input.Reset(); }
    bool WaitForExit(DWORD timeoutMs);
    void Kill();

private:
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_input;
    DWORD m_id = 0;
};

// `"path" arguments`.
std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments = L"");

} // namespace velmo_perf
