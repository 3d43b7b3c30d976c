#include "common/trace.h"

#include <cstdarg>
#include <cstdio>

std::string FormatTrace(const char* format, ...)
{
    char text[512] = "";
    va_list args;
    va_start(args, format);
    // The system library's formatter: the toolchain's C99 one would add
    // 12 KiB to the exe for the same integers. It leaves a text it cuts
    // unterminated: the last byte stays the buffer's zero.
    _vsnprintf(text, sizeof text - 1, format, args);
    va_end(args);
    return text;
}

std::string NarrowForTrace(const std::wstring& text)
{
    std::string narrow(text.size(), '?');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto low = static_cast<unsigned char>(text[i] & 0xFF);
        if (low >= 0x20)
            narrow[i] = static_cast<char>(low);
    }
    return narrow;
}
