// Shared helpers of the test suites: an isolated registry, the trace log as
// written so far, and a status section made by the test.
#pragma once

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
    HKEY m_machine = nullptr;
    HKEY m_user = nullptr;
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

// Values under the applet's key path of `root` (real or redirected), in the
// native view, or in the 32-bit one of 64-bit Windows for KEY_WOW64_32KEY.
void SetValue(HKEY root, const wchar_t* name, DWORD type, const void* data, DWORD size,
              REGSAM view = kNativeView);
void SetDword(HKEY root, const wchar_t* name, DWORD value, REGSAM view = kNativeView);
void SetString(HKEY root, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ,
               REGSAM view = kNativeView);
void DeleteValue(HKEY root, const wchar_t* name);
void DeleteVelmoKey(HKEY root, REGSAM view = kNativeView);
bool ReadDword(HKEY root, const wchar_t* name, DWORD& value);

// The trace log of this prefix, %WINDIR%\Temp\velmo.log.
std::wstring LogPath();

// Remembers where the log ends now; Entries() gives the ENTRY texts of the
// records written after that point, in order.
class LogCursor
{
public:
    LogCursor();
    std::string NewText() const;
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

// Global\KorvaStatus, created and written by the test in the service's place.
class StatusSection
{
public:
    explicit StatusSection(DWORD size = 512);
    ~StatusSection();
    StatusSection(const StatusSection&) = delete;
    StatusSection& operator=(const StatusSection&) = delete;

    bool Valid() const { return m_view != nullptr; }
    void Write(std::uint32_t header, std::uint32_t length, std::uint32_t status);
    void WriteStatus(std::uint32_t status) { Write(0, 4, status); }
    std::uint8_t* Bytes() const { return static_cast<std::uint8_t*>(m_view); }

private:
    HANDLE m_mapping = nullptr;
    void* m_view = nullptr;
};

// True while anyone holds Global\KorvaStatus open.
bool StatusSectionExists();

// Runs a program (a Windows path or one beside this test), waits at most
// `timeoutMs`, and gives its exit code (or -1 on a time-out, after killing it).
struct ProcessResult
{
    int exitCode = -1;
    std::string output; // standard output and error
};
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 20000);

// Full path of a file in the directory of the running test executable.
std::wstring BesideTestExe(const wchar_t* fileName);

// True under Wine, for the few cases where it knowingly differs from Windows.
bool RunningUnderWine();

} // namespace velmo_test
