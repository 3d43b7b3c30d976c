// Reads the Korva state that the companion service publishes in the named
// section Global\KorvaStatus.
#pragma once

#include <windows.h>

#include <cstdint>

using KorvaStatus = std::int32_t;

inline constexpr KorvaStatus kKorvaDisabled = 0;
inline constexpr KorvaStatus kKorvaEnabled = 1;
// Also what a record that cannot be read or is not valid reads as.
inline constexpr KorvaStatus kKorvaUnknown = 2;

class IPCKorvaStatus
{
public:
    IPCKorvaStatus() = default;
    ~IPCKorvaStatus() { Close(); }
    IPCKorvaStatus(const IPCKorvaStatus&) = delete;
    IPCKorvaStatus& operator=(const IPCKorvaStatus&) = delete;

    // Opens and maps the first 512 bytes of the section, after closing what
    // an earlier call left open. False with LastError set when either fails.
    bool Initialize(DWORD access);

    // Copies [offset, offset + length) of the view; false when the range is
    // outside it, nothing is mapped, or the view faults during the copy.
    bool ReadBytes(DWORD offset, DWORD length, void* destination);

    // The published status, or kKorvaUnknown when the record cannot be read
    // or does not hold a status. Values above 2 are passed on as they are.
    KorvaStatus ReadStatus();

    // Unmaps and closes; the last error and the view size are kept.
    void Close();

    DWORD LastError() const { return m_lastError; }

private:
    friend struct IPCKorvaStatusProbe;

    const wchar_t* m_sectionName = nullptr;
    void* m_view = nullptr;
    DWORD m_viewSize = 0;
    HANDLE m_mapping = nullptr;
    DWORD m_lastError = 0;
};
