// A program started by a test, the bench or the soak; ended by force if it
// still runs when the object goes.
#pragma once

#include "common/kernelHandle.h"
#include "support/waiting.h"

#include <windows.h>

#include <optional>
#include <string>

namespace velmo_test {

// `"program" arguments`.
std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments = L"");

class ChildProcess
{
public:
    // Standard input: this process's own, a pipe held here (CloseInput ends
    // it), NUL, the file `inputFile` names, or no handle at all.
    enum class Input { Own, Pipe, Nul, File, None };
    // Standard output and error: this process's own, a pipe read here, NUL,
    // or no handle, as a logon starts a windowed program. Under Wine each
    // write to NUL costs a few hundred microseconds; one without a handle
    // fails at once, as on Windows without a console.
    enum class Output { Own, Capture, Nul, None };
    struct Options
    {
        Input input = Input::Own;
        Output output = Output::Own;
        bool suspended = false;
        std::wstring inputFile;
    };

    explicit ChildProcess(const std::wstring& commandLine);
    ChildProcess(const std::wstring& commandLine, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    DWORD ThreadId() const { return m_threadId; }
    HANDLE Handle() const { return m_process.Get(); }
    void Resume();
    bool Running() const;
    void CloseInput() { m_input.Reset(); }
    // The exit code, or nothing when the process still runs at the deadline.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = DeadlineMs());
    void Kill();

    // Captured output: up to the first line end, or all it wrote before it
    // exited or `timeoutMs` passed.
    std::string FirstLine(DWORD timeoutMs = DeadlineMs());
    // All it wrote so far; to its end once it has exited.
    std::string Written();

private:
    void ReadAvailable();

    UniqueKernelHandle m_process;
    UniqueKernelHandle m_thread;
    UniqueKernelHandle m_input;
    UniqueKernelHandle m_output;
    std::string m_text;
    DWORD m_id = 0;
    DWORD m_threadId = 0;
};

// Runs a command line with its output captured, waits at most `timeoutMs`,
// and gives its exit code (or -1 on a time-out, after killing it).
struct ProcessResult
{
    int exitCode = -1;
    std::string output; // standard output and error
};
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 20000);

} // namespace velmo_test
