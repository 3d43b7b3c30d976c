// `korvapub serve` running beside a test, with its output captured.
#pragma once

#include "common/kernelHandle.h"

#include <windows.h>

#include <string>


// The command line that runs korvapub.exe from beside the test with `arguments`.
std::wstring KorvapubCommand(const std::wstring& arguments);

class BackgroundServer
{
public:
    // What the server gets as standard input: a pipe the test holds, or
    // something with nobody behind it.
    enum class Input
    {
        Pipe,
        Nul,
        File,
        None,
    };

    explicit BackgroundServer(const std::wstring& arguments, Input input = Input::Pipe);
    // Ends the server by force if it is still running.
    ~BackgroundServer();
    BackgroundServer(const BackgroundServer&) = delete;
    BackgroundServer& operator=(const BackgroundServer&) = delete;

    // Its output up to the first line end, or all it wrote before it exited
    // or a time-out passed.
    std::string FirstLine();
    // Closes the pipe on its standard input.
    void CloseInput();
    // Its exit code, or -1 when it is still running after `timeoutMs`.
    int WaitForExit(DWORD timeoutMs = 10000);
    bool Running() const;

private:
    void ReadAvailable();

    UniqueKernelHandle m_input;
    UniqueKernelHandle m_output;
    UniqueKernelHandle m_process;
    std::string m_text;
};
