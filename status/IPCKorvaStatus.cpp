#include "status/IPCKorvaStatus.h"

#include "status/guardedCopy.h"

namespace {

constexpr const wchar_t* kSectionName = L"Global\\KorvaStatus";
constexpr DWORD kViewSize = 512;

// The start of the section, little-endian like the machines that write it.
struct RecordHeader
{
    std::uint32_t headerCode; // 0 when the record holds a status
    std::uint32_t dataLength; // bytes of status data after the header
};

constexpr DWORD kStatusOffset = sizeof(RecordHeader);

bool IsHandle(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

bool IPCKorvaStatus::Initialize(DWORD access)
{
    Close();
    m_sectionName = kSectionName;
    m_view = nullptr;
    m_viewSize = kViewSize;
    m_mapping = nullptr;
    m_lastError = 0;

    m_mapping = OpenFileMappingW(access, FALSE, m_sectionName);
    if (IsHandle(m_mapping)) {
        m_view = MapViewOfFile(m_mapping, access, 0, 0, m_viewSize);
        if (m_view)
            return true;
    }
    // A section that opened but did not map keeps its handle until Close.
    m_lastError = GetLastError();
    return false;
}

bool IPCKorvaStatus::ReadBytes(DWORD offset, DWORD length, void* destination)
{
    if (m_lastError != 0 || !m_view)
        return false;
    // Written so that offset + length cannot wrap around.
    if (offset > m_viewSize || length > m_viewSize - offset)
        return false;
    // The service may go away and take the view's pages with it.
    return GuardedCopy(destination, static_cast<const unsigned char*>(m_view) + offset, length);
}

KorvaStatus IPCKorvaStatus::ReadStatus()
{
    RecordHeader header{};
    if (!ReadBytes(0, sizeof header, &header))
        return kKorvaUnknown;
    // Any other length would not fit the status or would leave part of it unset.
    if (header.headerCode != 0 || header.dataLength != sizeof(KorvaStatus))
        return kKorvaUnknown;
    KorvaStatus status = kKorvaUnknown;
    if (!ReadBytes(kStatusOffset, sizeof status, &status))
        return kKorvaUnknown;
    return status;
}

void IPCKorvaStatus::Close()
{
    if (m_view) {
        UnmapViewOfFile(m_view);
        m_view = nullptr;
    }
    if (IsHandle(m_mapping)) {
        CloseHandle(m_mapping);
        m_mapping = nullptr;
    }
}
