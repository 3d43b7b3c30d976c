#include "bench/floorCalls.h"

#include <cstring>

namespace velmo_perf {

namespace {

constexpr const wchar_t* kKeyPath = L"SOFTWARE\\Brenlow\\Network_Services\\velmo";
constexpr const wchar_t* kValueName = L"KorvaLastEnabled";

} // namespace

LONG ReadSectionBare()
{
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Global\\KorvaStatus");
    if (!mapping)
        return -1;
    LONG status = -1;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 512)) {
        DWORD header[2];
        LONG value;
        std::memcpy(header, view, sizeof header);
        std::memcpy(&value, static_cast<const BYTE*>(view) + sizeof header, sizeof value);
        status = header[0] == 0 && header[1] == sizeof value ? value : -1;
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return status;
}

bool ReadUserValueBare(DWORD& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof value;
    DWORD type = REG_NONE;
    const bool read = RegQueryValueExW(key, kValueName, nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return read && type == REG_DWORD;
}

bool WriteUserValueBare(DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = RegSetValueExW(key, kValueName, 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&value),
                                        sizeof value) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

bool FloorOnce()
{
    const LONG status = ReadSectionBare();
    DWORD lastEnabled = 0;
    const bool read = ReadUserValueBare(lastEnabled);
    return status == 1 && read && WriteUserValueBare(1);
}

} // namespace velmo_perf
