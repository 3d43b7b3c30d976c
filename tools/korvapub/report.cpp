#include "tools/korvapub/report.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>

int Fail(int exitCode, const wchar_t* format, ...)
{
    std::fputws(L"korvapub: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfwprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputwc(L'\n', stderr);
    return exitCode;
}

std::wstring DescribeStatus(std::uint32_t status)
{
    const wchar_t* const names[] = {L"disabled", L"enabled", L"unknown"};
    const wchar_t* name = status < std::size(names) ? names[status] : L"invalid";
    return std::to_wstring(status) + L" (" + name + L")";
}
