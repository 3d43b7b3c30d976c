#include "bench/unixProcess.h"

#include "common/kernelHandle.h"
#include "common/uniqueHandle.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace velmo_perf {

namespace {

using UniqueFind = UniqueHandle<HANDLE, &FindClose>;

const std::wstring kProc = L"Z:\\proc\\";

// procfs files report no size: read until the end.
std::string ReadWhole(const std::wstring& path)
{
    UniqueKernelHandle file(FileHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr)));
    std::string text;
    if (!file)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

// The NUL-separated strings of a cmdline or environ file.
std::vector<std::string> Strings(const std::string& text)
{
    std::vector<std::string> strings;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find('\0', begin);
        strings.push_back(text.substr(begin, end - begin));
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return strings;
}

std::string ProgramName(const std::string& argv0)
{
    const std::size_t slash = argv0.find_last_of("/\\");
    return slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
}

std::vector<int> NumberedEntries(const std::wstring& directory)
{
    std::vector<int> numbers;
    WIN32_FIND_DATAW entry{};
    // FindFirstFileW, like CreateFileW, fails with INVALID_HANDLE_VALUE.
    UniqueFind find(FileHandle(FindFirstFileW((directory + L"*").c_str(), &entry)));
    if (!find)
        return numbers;
    do {
        wchar_t* end = nullptr;
        const long number = std::wcstol(entry.cFileName, &end, 10);
        if (end != entry.cFileName && *end == L'\0')
            numbers.push_back(static_cast<int>(number));
    } while (FindNextFileW(find.Get(), &entry));
    return numbers;
}

} // namespace

std::optional<UnixProcess> UnixProcess::Find(const std::string& name)
{
    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix))
        return std::nullopt;
    const std::string wanted = std::string("WINEPREFIX=") + prefix;
    std::optional<UnixProcess> found;
    for (int pid : NumberedEntries(kProc)) {
        const std::wstring directory = kProc + std::to_wstring(pid) + L"\\";
        const std::vector<std::string> arguments = Strings(ReadWhole(directory + L"cmdline"));
        if (arguments.empty() || ProgramName(arguments[0]).rfind(name, 0) != 0)
            continue;
        bool samePrefix = false;
        for (const std::string& variable : Strings(ReadWhole(directory + L"environ")))
            samePrefix |= variable == wanted;
        if (!samePrefix)
            continue;
        if (found)
            return std::nullopt;
        found = UnixProcess(pid);
    }
    return found;
}

std::optional<ULONGLONG> UnixProcess::CpuNanoseconds() const
{
    const std::wstring tasks = kProc + std::to_wstring(m_pid) + L"\\task\\";
    ULONGLONG total = 0;
    bool any = false;
    for (int task : NumberedEntries(tasks)) {
        const std::string line = ReadWhole(tasks + std::to_wstring(task) + L"\\schedstat");
        if (line.empty())
            continue;
        total += std::strtoull(line.c_str(), nullptr, 10);
        any = true;
    }
    return any ? std::optional<ULONGLONG>(total) : std::nullopt;
}

} // namespace velmo_perf
