#include "support/testSupport.h"

#include "common/kernelHandle.h"
#include "common/trace.h"

#include <algorithm>

#include <sstream>

namespace velmo_test {

namespace {

UniqueRegKey CreateKey(HKEY root, const std::wstring& path)
{
    UniqueRegKey key;
    const LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
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
    EXPECT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine.Get()), ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_user.Get()), ERROR_SUCCESS);
}

ScratchRegistry::~ScratchRegistry()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    m_machine.Reset();
    m_user.Reset();
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

UniqueRegKey VelmoKey(HKEY root, REGSAM access, bool create, REGSAM view)
{
    UniqueRegKey key;
    const LONG status =
        create ? RegCreateKeyExW(root, kVelmoKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access | view, nullptr, key.Put(), nullptr)
               : RegOpenKeyExW(root, kVelmoKeyPath, 0, access | view, key.Put());
    if (status != ERROR_SUCCESS)
        key.Reset();
    return key;
}

void SetValue(HKEY root, const wchar_t* name, DWORD type, const void* data, DWORD size,
              REGSAM view)
{
    const UniqueRegKey key = VelmoKey(root, KEY_SET_VALUE, true, view);
    ASSERT_TRUE(key) << "creating the velmo key";
    EXPECT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
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

void SetQuietUser()
{
    for (const NamedDword& value : kQuietUser)
        SetDword(HKEY_CURRENT_USER, value.name, value.value);
}

void DeleteValue(HKEY root, const wchar_t* name)
{
    if (const UniqueRegKey key = VelmoKey(root, KEY_SET_VALUE))
        RegDeleteValueW(key.Get(), name);
}

void DeleteVelmoKey(HKEY root, REGSAM view)
{
    if (const UniqueRegKey key = VelmoKey(root, KEY_ALL_ACCESS, false, view))
        RegDeleteTreeW(key.Get(), nullptr);
    RegDeleteKeyExW(root, kVelmoKeyPath, view, 0);
}

bool ReadDword(HKEY root, const wchar_t* name, DWORD& value)
{
    const UniqueRegKey key = VelmoKey(root, KEY_READ);
    DWORD size = sizeof value;
    DWORD type = 0;
    return key &&
           RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                            &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof value;
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

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::optional<TraceRecord> ParseRecord(const std::string& line)
{
    static const std::string kEntry = "\tENTRY: ";
    static const std::string kLine = "\tLINE: ";
    static const std::string kFile = "\tFILE: ";
    const std::string::size_type entry = line.find(kEntry);
    const std::string::size_type number = line.rfind(kLine);
    const std::string::size_type file = line.rfind(kFile);
    if (entry == std::string::npos || number == std::string::npos || file == std::string::npos ||
        number < entry || file < number)
        return std::nullopt;
    std::string fileName = line.substr(file + kFile.size());
    if (!fileName.empty() && fileName.back() == '\r')
        fileName.pop_back();
    return TraceRecord{line.substr(entry + kEntry.size(), number - entry - kEntry.size()),
                       fileName};
}

std::string EntryOf(const std::string& line)
{
    const std::optional<TraceRecord> record = ParseRecord(line);
    return record ? record->entry : line;
}

std::vector<std::string> EntriesOf(const std::vector<std::string>& lines)
{
    std::vector<std::string> entries;
    for (const std::string& line : lines)
        entries.push_back(EntryOf(line));
    return entries;
}

LogCursor::LogCursor() : m_start(FileSize(LogPath())) {}

std::string LogCursor::NewText() const
{
    const UniqueKernelHandle file(FileHandle(CreateFileW(
        LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    std::string text;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(m_start);
    if (file && SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN)) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
    }
    return text;
}

std::vector<TraceRecord> LogCursor::Records() const
{
    std::vector<TraceRecord> records;
    for (const std::string& line : Lines(NewText())) {
        if (std::optional<TraceRecord> record = ParseRecord(line))
            records.push_back(std::move(*record));
    }
    return records;
}

std::vector<std::string> LogCursor::Entries() const
{
    std::vector<std::string> entries;
    for (const TraceRecord& record : Records())
        entries.push_back(record.entry);
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
