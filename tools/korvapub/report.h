// What korvapub tells the user, and the exit codes that go with it.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Prints "korvapub: <message>" as one line on standard error and gives
// `exitCode` back, so a command can `return Fail(...)`.
int Fail(int exitCode, const wchar_t* format, ...);

// "1 (enabled)", "7 (invalid)": a status value with what the applet makes of it.
std::wstring DescribeStatus(std::uint32_t status);
