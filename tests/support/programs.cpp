#include "support/programs.h"

#include "common/uniqueHandle.h"

#include <cstdlib>

namespace velmo_test {

namespace {

using UniqueModule = UniqueHandle<HMODULE, &FreeLibrary>;

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

} // namespace

std::wstring WindowsPath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return path;
}

std::wstring VelmoExePath()
{
    const char* chosen = std::getenv("VELMO_EXE");
    return WindowsPath(chosen && *chosen ? chosen : VELMO_EXE);
}

std::wstring KorvapubExePath()
{
    return WindowsPath(KORVAPUB_EXE);
}

std::wstring VelmoString(UINT id)
{
    UniqueModule module(
        LoadLibraryExW(VelmoExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return {};
    wchar_t text[1024] = {};
    LoadStringW(module.Get(), id, text, static_cast<int>(std::size(text)));
    return text;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className,
                                  const std::wstring& caption)
{
    struct Query
    {
        DWORD processId;
        const wchar_t* className;
        const std::wstring& caption;
        std::vector<HWND> found;
    } query{processId, className, caption, {}};
    EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto& q = *reinterpret_cast<Query*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((q.processId == 0 || owner == q.processId) &&
                (!q.className || ClassName(window) == q.className) &&
                WindowText(window) == q.caption)
                q.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

} // namespace velmo_test
