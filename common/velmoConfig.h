// The applet's settings: machine-wide values an OEM sets, and the two
// per-user values the applet keeps, all under one key path.
#pragma once

#include <windows.h>

#include <string>

// Where the link goes when no OEM address is configured.
inline constexpr const wchar_t* kDefaultOemUrl = L"https://www.brenlow.com/products/korva";

class CVelmoConfig
{
public:
    CVelmoConfig() = default;
    virtual ~CVelmoConfig() = default;

    // Reads every value once; unreadable ones keep their defaults and are traced.
    void ReadAll();

    // Per-user 32-bit values under HKEY_CURRENT_USER; `value` is written only
    // on success. The write creates the key path when it is missing; when it
    // fails, LastError holds the registry's answer.
    bool ReadUserDword(const std::wstring& name, DWORD& value) const;
    bool WriteUserDword(const std::wstring& name, DWORD value);
    LSTATUS LastError() const { return m_lastError; }

    std::wstring OemUrl = kDefaultOemUrl;
    LONG MinimizePrivacyIconAtStart = 0;
    DWORD KorvaStatusInitMaxRetries = 7;
    DWORD CheckKorvaStatusTimeout = 10000;
    LONG PopupForCurrentUser = 1;
    DWORD NumPollsForDisabled = 7;

    const std::wstring KeyPath = L"SOFTWARE\\Brenlow\\Network_Services\\velmo";
    const std::wstring OemUrlName = L"OemUrl";
    const std::wstring MinimizePrivacyIconAtStartName = L"MinimizePrivacyIconAtStart";
    const std::wstring KorvaStatusInitMaxRetriesName = L"KorvaStatusInitMaxRetries";
    const std::wstring CheckKorvaStatusTimeoutName = L"CheckKorvaStatusTimeout";
    const std::wstring PopupForCurrentUserName = L"PopupForCurrentUser";
    const std::wstring NumPollsForDisabledName = L"NumPollsForDisabled";
    const std::wstring KorvaLastEnabledName = L"KorvaLastEnabled";

private:
    void ReadOemUrl(HKEY key);

    LSTATUS m_lastError = ERROR_SUCCESS;
};

// A REG_DWORD of exactly 4 bytes; `value` is written only on success.
bool ReadDword(HKEY key, const std::wstring& name, DWORD& value);
