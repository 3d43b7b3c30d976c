// Shared helpers of the test suites: an isolated registry, the trace log as
// written so far, and a status section made by the test.
#pragma once

#include "common/regKey.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmo_test {

inline constexpr const wchar_t* kVelmoKeyPath = L"SOFTWARE\\Brenlow\\Network_Services\\velmo";
// The tests set values where an OEM's tools put them, in the native view of
// the registry, also from a 32-bit test process on 64-bit Windows.
inline constexpr REGSAM kNativeView = KEY_WOW64_64KEY;

// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process to two
// empty scratch keys for the object's life, so tests never touch the
// prefix's own keys.
class ScratchRegistry
{
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

private:
    std::wstring m_path;
    UniqueRegKey m_machine;
    UniqueRegKey m_user;
};

// Tracing for a whole test run: the registry redirected to scratch keys,
// TRACE=1 set there before anything traces (the switch is read once per
// process), and the log file open. Register it with
// ::testing::AddGlobalTestEnvironment, or call SetUp and TearDown directly.
class TracingEnvironment : public ::testing::Environment
{
public:
    void SetUp() override;
    void TearDown() override;

private:
    std::optional<ScratchRegistry> m_registry;
};

// The applet's key under `root` (real or redirected), opened or created with
// `access`; empty when it cannot be had.
UniqueRegKey VelmoKey(HKEY root, REGSAM access, bool create = false, REGSAM view = kNativeView);

// Values under the applet's key path of `root`, in the native view, or in
// the 32-bit one of 64-bit Windows for KEY_WOW64_32KEY.
void SetValue(HKEY root, const wchar_t* name, DWORD type, const void* data, DWORD size,
              REGSAM view = kNativeView);
void SetDword(HKEY root, const wchar_t* name, DWORD value, REGSAM view = kNativeView);
void SetString(HKEY root, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ,
               REGSAM view = kNativeView);
void DeleteValue(HKEY root, const wchar_t* name);

// A user who has seen "enabled" before and wants no start pop-up, so that a
// steady "enabled" leaves the window hidden.
struct NamedDword
{
    const wchar_t* name;
    DWORD value;
};
inline constexpr NamedDword kQuietUser[] = {{L"PopupForCurrentUser", 0}, {L"KorvaLastEnabled", 1}};
void SetQuietUser();
void DeleteVelmoKey(HKEY root, REGSAM view = kNativeView);
bool ReadDword(HKEY root, const wchar_t* name, DWORD& value);

// The trace log of this prefix, %WINDIR%\Temp\velmo.log.
std::wstring LogPath();

// Text split at LF, each line without its CR; no empty last line.
std::vector<std::string> Lines(const std::string& text);

// A record of the log: "[ time ]\tENTRY: message\tLINE: n\tFILE: name".
struct TraceRecord
{
    std::string entry;
    std::string file;
};
// The record a log line (without its LF) holds, or nothing when it holds none.
std::optional<TraceRecord> ParseRecord(const std::string& line);
// The ENTRY field of a line, or the whole line when it is not a record.
std::string EntryOf(const std::string& line);
std::vector<std::string> EntriesOf(const std::vector<std::string>& lines);

// Remembers where the log ends now; the rest reads what was written after
// that point, in order.
class LogCursor
{
public:
    LogCursor();
    std::string NewText() const;
    std::vector<TraceRecord> Records() const;
    std::vector<std::string> Entries() const;

private:
    std::uintmax_t m_start;
};

// Moves the prefix's velmo.log aside (closing this process's own log) for the
// object's life, then drops whatever the test left in its place, a file or a
// directory, and puts everything back. Usable() is false when the file could
// not be moved (another process holds it).
class LogSetAside
{
public:
    LogSetAside();
    ~LogSetAside();
    LogSetAside(const LogSetAside&) = delete;
    LogSetAside& operator=(const LogSetAside&) = delete;

    bool Usable() const { return m_usable; }
    DWORD MoveError() const { return m_moveError; }

private:
    std::wstring m_aside;
    bool m_hadFile = false;
    bool m_usable = false;
    DWORD m_moveError = ERROR_SUCCESS;
};

// Full path of a file in the directory of the running test executable.
std::wstring BesideTestExe(const wchar_t* fileName);

// True under Wine, for the few cases where it knowingly differs from Windows.
bool RunningUnderWine();

} // namespace velmo_test
