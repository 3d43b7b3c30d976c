#include "support/testSupport.h"

#include "common/trace.h"

#include <algorithm>

#include <sstream>

namespace velmo_test {

namespace {

HKEY CreateKey(HKEY root, const std::wstring& path, REGSAM view = kNativeView)
{
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << "creating a test key";
    return key;
}

} // namespace

ScratchRegistry::ScratchRegistry()
{
    static int serial = 0;
    m_path = L"Software\\VelmoTests\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(++serial);
    m_machine = CreateKey(HKEY_CURRENT_USER, m_path + L"\\machine");
    m_user = CreateKey(HKEY_CURRENT_USER, m_path + L"\\user");
    EXPECT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine), ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_user), ERROR_SUCCESS);
}

ScratchRegistry::~ScratchRegistry()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(m_machine);
    RegCloseKey(m_user);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
}

void TracingEnvironment::SetUp()
{
    m_registry.emplace();
    SetDword(HKEY_LOCAL_MACHINE, L"TRACE", 1);
    CVelmoLog::Instance()->Open();
    // The first trace decides the switch for the process: make it now, while
    // TRACE=1, and check that it reached the log.
    const LogCursor cursor;
    const std::string marker =
        "tests: tracing on in process " + std::to_string(GetCurrentProcessId());
    VELMO_TRACE(marker.c_str());
    const std::vector<std::string> written = cursor.Entries();
    ASSERT_NE(std::find(written.begin(), written.end(), marker), written.end())
        << "the records the tests look for would never be written";
}

void TracingEnvironment::TearDown()
{
    DisposeVelmoLog();
    m_registry.reset();
}

void SetValue(HKEY root, const wchar_t* name, DWORD type, const void* data, DWORD size,
              REGSAM view)
{
    HKEY key = CreateKey(root, kVelmoKeyPath, view);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetDword(HKEY root, const wchar_t* name, DWORD value, REGSAM view)
{
    SetValue(root, name, REG_DWORD, &value, sizeof value, view);
}

void SetString(HKEY root, const wchar_t* name, const std::wstring& text, DWORD type,
               REGSAM view)
{
    SetValue(root, name, type, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

void DeleteValue(HKEY root, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kVelmoKeyPath, 0, KEY_SET_VALUE | kNativeView, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

void DeleteVelmoKey(HKEY root, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kVelmoKeyPath, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExW(root, kVelmoKeyPath, view, 0);
}

bool ReadDword(HKEY root, const wchar_t* name, DWORD& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kVelmoKeyPath, 0, KEY_READ | kNativeView, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof value;
    DWORD type = 0;
    const bool read = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                       &size) == ERROR_SUCCESS &&
                      type == REG_DWORD && size == sizeof value;
    RegCloseKey(key);
    return read;
}

std::wstring LogPath()
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\Temp\\velmo.log";
}

namespace {

std::uintmax_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uintmax_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

LogCursor::LogCursor() : m_start(FileSize(LogPath())) {}

std::string LogCursor::NewText() const
{
    HANDLE file = CreateFileW(LogPath().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(m_start);
    if (SetFilePointerEx(file, offset, nullptr, FILE_BEGIN)) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

std::vector<std::string> LogCursor::Entries() const
{
    std::vector<std::string> entries;
    std::istringstream lines(NewText());
    std::string line;
    while (std::getline(lines, line)) {
        const std::string::size_type begin = line.find("ENTRY: ");
        if (begin == std::string::npos)
            continue;
        const std::string::size_type end = line.rfind("\tLINE: ");
        entries.push_back(line.substr(begin + 7, end == std::string::npos ? std::string::npos
                                                                          : end - begin - 7));
    }
    return entries;
}

LogSetAside::LogSetAside()
    : m_aside(LogPath() + L".aside." + std::to_wstring(GetCurrentProcessId()))
{
    DisposeVelmoLog();
    if (MoveFileExW(LogPath().c_str(), m_aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        m_hadFile = true;
        m_usable = true;
    } else {
        m_moveError = GetLastError();
        m_usable = m_moveError == ERROR_FILE_NOT_FOUND;
    }
}

LogSetAside::~LogSetAside()
{
    if (m_usable) {
        const std::wstring path = LogPath();
        if (!DeleteFileW(path.c_str()))
            RemoveDirectoryW(path.c_str());
        if (m_hadFile) {
            EXPECT_TRUE(MoveFileExW(m_aside.c_str(), path.c_str(), 0))
                << "restoring velmo.log, error " << GetLastError();
        }
    }
    CVelmoLog::Instance()->Open();
}

StatusSection::StatusSection(DWORD size)
{
    m_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                   L"Global\\KorvaStatus");
    EXPECT_NE(m_mapping, nullptr) << "creating Global\\KorvaStatus, error " << GetLastError();
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS))
        << "another Global\\KorvaStatus is alive";
    if (m_mapping)
        m_view = MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, size);
}

StatusSection::~StatusSection()
{
    if (m_view)
        UnmapViewOfFile(m_view);
    if (m_mapping)
        CloseHandle(m_mapping);
}

void StatusSection::Write(std::uint32_t header, std::uint32_t length, std::uint32_t status)
{
    ASSERT_TRUE(Valid());
    const std::uint32_t record[3] = {header, length, status};
    CopyMemory(m_view, record, sizeof record);
}

bool StatusSectionExists()
{
    const HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Global\\KorvaStatus");
    if (!mapping)
        return false;
    CloseHandle(mapping);
    return true;
}

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return result;
    }

    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0)
                break;
            result.output.append(buffer, got);
        }
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0)
            break;
        if (GetTickCount64() > deadline) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            CloseHandle(readEnd);
            result.exitCode = -1;
            return result;
        }
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.output.append(buffer, got);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return result;
}

std::wstring BesideTestExe(const wchar_t* fileName)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path);
    return full.substr(0, full.find_last_of(L"\\/") + 1) + fileName;
}

bool RunningUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace velmo_test
