#include "log/logTestSupport.h"

#include "common/kernelHandle.h"
#include "common/velmoLog.h"
#include "support/childProcess.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace log_test {

namespace {

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::wstring OwnExePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

} // namespace

std::string NewTag()
{
    static std::atomic<int> serial{0};
    return "logtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

std::string LinesWith(const std::string& text, const std::string& tag)
{
    std::string kept;
    std::string::size_type begin = 0;
    while (begin < text.size()) {
        std::string::size_type end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(begin, end - begin);
        if (line.find(tag) != std::string::npos)
            kept += line;
        begin = end;
    }
    return kept;
}

ChildRun RunChild(const char* caseName, const std::string& tag)
{
    const velmo_test::LogCursor cursor;
    const velmo_test::ProcessResult process = velmo_test::RunProcess(
        L"\"" + OwnExePath() + L"\" --child " + Widen(caseName) + L" " + Widen(tag));

    ChildRun run;
    run.exitCode = process.exitCode;
    run.output = velmo_test::Lines(process.output);
    run.records = velmo_test::Lines(LinesWith(cursor.NewText(), tag));
    return run;
}

std::wstring HeldEventName(const std::string& tag)
{
    return L"Local\\" + Widen(tag) + L"-held";
}

std::wstring ReleaseEventName(const std::string& tag)
{
    return L"Local\\" + Widen(tag) + L"-release";
}

std::string ReadWholeFile(const std::wstring& path)
{
    const UniqueKernelHandle file(FileHandle(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

} // namespace log_test
