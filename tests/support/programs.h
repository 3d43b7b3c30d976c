// The programs under test as files and windows: where the build put them,
// their strings, and their top-level windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmo_test {

// The build hands over Unix paths; Wine maps / to drive Z:.
std::wstring WindowsPath(const char* unixPath);
// The exe of this build, or the one VELMO_EXE names (a Unix path): the
// 64-bit driver can start the shipped 32-bit exe.
std::wstring VelmoExePath();
std::wstring KorvapubExePath();

// A string resource of velmo.exe, read from the file (empty when missing).
std::wstring VelmoString(UINT id);

// Top-level windows of process `processId` (0: of any process) whose class is
// `className` (null: any class) and whose caption is exactly `caption`.
std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className,
                                  const std::wstring& caption);

} // namespace velmo_test
