#include "common/velmoConfig.h"

#include "common/regKey.h"
#include "common/trace.h"
#include "common/wow64.h"

namespace {

// Data of at most 259 characters and the terminating NUL.
constexpr DWORD kOemUrlBytes = 520;

} // namespace

bool ReadDword(HKEY key, const std::wstring& name, DWORD& value)
{
    DWORD data = 0;
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return false;
    value = data;
    return true;
}

void CVelmoConfig::ReadAll()
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyPath.c_str(), 0, NativeViewAccess(KEY_READ),
                      key.Put()) == ERROR_SUCCESS &&
        key) {
        ReadOemUrl(key.Get());

        DWORD minimize = 0;
        if (ReadDword(key.Get(), MinimizePrivacyIconAtStartName, minimize))
            MinimizePrivacyIconAtStart = minimize != 0 ? 1 : 0;
        else
            VELMO_TRACE("Unable to find OEM velmo startup option registry entry");

        if (!ReadDword(key.Get(), KorvaStatusInitMaxRetriesName, KorvaStatusInitMaxRetries))
            VELMO_TRACE("Unable to find Korva Status Init Max Retries registry entry");
        if (!ReadDword(key.Get(), CheckKorvaStatusTimeoutName, CheckKorvaStatusTimeout))
            VELMO_TRACE("Unable to find Check Korva Status Timeout registry entry");
        if (!ReadDword(key.Get(), NumPollsForDisabledName, NumPollsForDisabled))
            VELMO_TRACE("Unable to find NumPollsForDisabled registry entry");
    } else {
        MinimizePrivacyIconAtStart = 0;
    }

    PopupForCurrentUser = 1;
    DWORD popup = 0;
    if (ReadUserDword(PopupForCurrentUserName, popup))
        PopupForCurrentUser = static_cast<LONG>(popup);
    else
        VELMO_TRACE("Can't read PopupForCurrentUser from registry, defaulting to "
                    "MinimizePrivacyIconAtStartup.");

    // The machine-wide setting overrides the user's own choice.
    if (MinimizePrivacyIconAtStart == 1)
        PopupForCurrentUser = 0;
}

void CVelmoConfig::ReadOemUrl(HKEY key)
{
    wchar_t text[kOemUrlBytes / sizeof(wchar_t)] = {};
    DWORD size = kOemUrlBytes;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, OemUrlName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        VELMO_TRACE("Unable to find OEM URL registry entry");
        return;
    }
    // Up to the first NUL, never past the data returned.
    const std::wstring::size_type returned = size / sizeof(wchar_t);
    std::wstring url(text, returned);
    OemUrl = url.substr(0, url.find(L'\0'));
}

bool CVelmoConfig::ReadUserDword(const std::wstring& name, DWORD& value) const
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath.c_str(), 0, NativeViewAccess(KEY_READ),
                      key.Put()) != ERROR_SUCCESS ||
        !key)
        return false;
    return ReadDword(key.Get(), name, value);
}

bool CVelmoConfig::WriteUserDword(const std::wstring& name, DWORD value)
{
    // The registry reports by its result, not through the thread's last error.
    UniqueRegKey key;
    m_lastError = RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, NativeViewAccess(KEY_WRITE), nullptr,
                                  key.Put(), nullptr);
    if (m_lastError != ERROR_SUCCESS || !key)
        return false;
    m_lastError = RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof value);
    return m_lastError == ERROR_SUCCESS;
}
