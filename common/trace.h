// VELMO_TRACE(message): one trace record naming the caller's own source file
// and line. GCC spells __FILE__ with forward slashes; the log keeps what
// follows the last backslash, so the path is turned around at compile time.
#pragma once

#include "common/velmoLog.h"

#include <cstddef>
#include <string>

namespace velmo_trace_detail {

template <std::size_t N>
struct BackslashPath
{
    char text[N];
    consteval BackslashPath(const char (&path)[N]) : text{}
    {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = path[i] == '/' ? '\\' : path[i];
    }
};

} // namespace velmo_trace_detail

#define VELMO_SOURCE_FILE                                                            \
    ([]() -> const char* {                                                           \
        static constexpr velmo_trace_detail::BackslashPath path(__FILE__);           \
        return path.text;                                                            \
    }())

#define VELMO_TRACE(message) CVelmoLog::Trace((message), VELMO_SOURCE_FILE, __LINE__)

// printf-style text for a trace record, cut to 511 characters.
std::string FormatTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A wide text (a path) for a trace record: each UTF-16 unit keeps its low
// byte, but one that would be a control character (U+4E00 a NUL that cuts
// the record, U+4E0A a line feed that splits it) is written as '?'.
std::string NarrowForTrace(const std::wstring& text);
