// What the show-watch hook inside velmo.exe reports to the test: the
// top-level windows it saw become visible, in a section the test creates.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velmo_app_test {

inline constexpr const wchar_t* kShowWatchSection = L"velmo-tests-show-watch";

struct ShowWatchRecord
{
    volatile LONG shows;
    std::uint64_t windows[64]; // the first shows, in order
};

} // namespace velmo_app_test
